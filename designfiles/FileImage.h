// What a design file is as the file name correction left it: its size, last write and the MD5 of
// its bytes. The correction and the mend of a killed correction touch a file again (take a copy
// away, rename a file back) only while it is still as this image says.
#pragma once

#include <string>

struct FileImage {
    long long size = -1; // -1: not known
    std::string time;    // last write, "yyyy-mm-dd hh:nn:ss"; empty in a record of an older kind
    std::string digest;  // MD5 in hex

    bool Known() const { return size >= 0 && !digest.empty(); }

    // The file (Windows path) as it is now; not known when it is not there or cannot be read.
    static FileImage Of(const std::string& path);
    // "<size> <last write> <digest>", as a record keeps it, and back; Parse also reads the older
    // "<size> <digest>", which knows no last write. Anything else is not known.
    std::string Text() const;
    static FileImage Parse(const std::string& text);

    // Whether the file now is still as this image: the same size, digest and last write (the
    // last write only when this image knows it). An image not known matches nothing.
    bool Matches(const FileImage& now) const;
    // Whether two files hold the same bytes, whatever their last writes.
    bool SameBytes(const FileImage& other) const;
};
