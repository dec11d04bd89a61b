// A file opened by its Windows path and read or written as bytes, one byte per character.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class BinaryFile {
public:
    enum class Mode { Read, Write, Append, Update }; // Update: an existing file, read and written in place

    BinaryFile() = default;
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // Opens the file: Read an existing file; Write creates or empties it; Append creates it
    // when missing and writes at its end. Throws AppError with the platform's numbers
    // (HostError: 53 file not found, 70 permission denied, 76 path not found, ...). Injected
    // host faults apply with the operations "read", "create" and "write".
    void Open(const std::string& winPath, Mode mode);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();
    // Closes and reports what the close could not write (throws AppError like Write).
    void CloseChecked();

    int64_t Size() const;
    // Reads up to n bytes from the position (0-based); fewer at the end of the file.
    std::string ReadAt(int64_t position, size_t n);
    // Reads up to n bytes from the position into buffer; returns how many (fewer at the end).
    size_t ReadInto(int64_t position, char* buffer, size_t n);
    // Writes all of text at the current end; throws AppError (61 disk full, ...) on failure.
    void Write(const std::string& text);
    void WriteBytes(const char* data, size_t n);
    // Update mode: writes text over the bytes from the position (0-based).
    void WriteAt(int64_t position, const std::string& text);
    // Flushes to the file; throws AppError on failure.
    void Flush();

    // The whole file as one text. Throws like Open.
    static std::string ReadAll(const std::string& winPath);
    // Appends text to the file, creating it when missing. Throws like Open and Write.
    static void AppendText(const std::string& winPath, const std::string& text);

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};
