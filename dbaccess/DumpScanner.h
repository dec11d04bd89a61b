// Reads a dump file in chunks of bounded size, each cut after its last line end, so that a
// file of any size is searched without being held whole.
#pragma once

#include "dbaccess/DumpFormat.h"
#include "platform/BinaryFile.h"

#include <cstdint>
#include <string>

class DumpScanner {
public:
    // Opens the file (Windows path) for reading as bytes; a UTF-8 byte-order mark at its start
    // is passed over (no position lies before it). Raises error 53 "File '<path>' not
    // found" when it cannot be opened. chunkSize is injectable so tests cross chunk borders.
    explicit DumpScanner(const std::string& path, size_t chunkSize = DumpFormat::kChunkSize);
    DumpScanner(const DumpScanner&) = delete;
    DumpScanner& operator=(const DumpScanner&) = delete;

    // The next chunk from the read position: at most chunkSize bytes, cut after its last
    // CR LF, or its last LF when it holds no CR LF; a chunk without any line end stays whole.
    // The read position moves to the byte after the chunk. False at the end of the file.
    // Pending interface events run once before every chunk but the first.
    bool NextChunk(std::string& chunk);
    // The same, but a chunk that ends inside a line (a line longer than the chunk size) is
    // joined with the following ones up to a line end, so the text holds whole lines only.
    bool NextLines(std::string& chunk);

    // Byte offset (0-based) where the next chunk begins.
    uint64_t Position() const { return position_; }
    void SetPosition(uint64_t position);
    uint64_t FileSize() const { return size_; }
    size_t ChunkSize() const { return chunkSize_; }

private:
    BinaryFile file_;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    uint64_t start_ = 0;  // after the byte-order mark
    size_t chunkSize_;
    bool first_ = true;
};
