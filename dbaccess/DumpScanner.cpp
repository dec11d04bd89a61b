// Chunked reading of dump files.
#include "dbaccess/DumpScanner.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"

#include <algorithm>

DumpScanner::DumpScanner(const std::string& path, size_t chunkSize) : chunkSize_(chunkSize ? chunkSize : 1)
{
    if (!HostFileExists(path))
        throw AppError(53, "DumpScanner", "File '" + path + "' not found");
    try {
        file_.Open(path, BinaryFile::Mode::Read);
    } catch (const AppError& e) {
        throw AppError(e.number(), "DumpScanner", e.description() + " '" + path + "'");
    }
    size_ = static_cast<uint64_t>(file_.Size());
    // A UTF-8 byte-order mark is no part of the dump: every reader starts after it.
    const std::string_view mark = DumpFormat::kUtf8Mark;
    if (size_ >= mark.size()) {
        std::string head(mark.size(), '\0');
        if (file_.ReadInto(0, head.data(), head.size()) == head.size() && head == mark)
            start_ = position_ = mark.size();
    }
}

void DumpScanner::SetPosition(uint64_t position)
{
    position_ = std::max(position, start_);
}

bool DumpScanner::NextChunk(std::string& chunk)
{
    if (position_ >= size_)
        return false;
    if (!first_)
        DoEvents();
    first_ = false;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size_ - position_, chunkSize_));
    chunk.resize(want);
    const size_t got = file_.ReadInto(static_cast<int64_t>(position_), chunk.data(), want);
    if (got != want)
        throw AppError(57, "DumpScanner", "Device I/O error");
    size_t cut = chunk.rfind("\r\n");
    if (cut != std::string::npos)
        cut += 2;
    else if ((cut = chunk.rfind('\n')) != std::string::npos)
        cut += 1;
    if (cut != std::string::npos && cut < chunk.size())
        chunk.resize(cut);
    position_ += chunk.size();
    return true;
}

bool DumpScanner::NextLines(std::string& chunk)
{
    if (!NextChunk(chunk))
        return false;
    std::string more;
    while (!chunk.empty() && chunk.back() != '\n' && NextChunk(more))
        chunk += more;
    return true;
}
