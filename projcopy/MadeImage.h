// What a file or a design table is as a project copy made it, so that an undo takes it out only
// while it is still so: a file by its size, last write and the MD5 of its bytes; a design table
// by its row count and the MD5 of its rows as a copy's look compares them (ComparedRows: each
// row's values as one hash, hashes in sorted order, so the order the server returns them in
// does not count).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MadeImage {
    long long size = -1; // bytes of a file, rows of a table; -1: not known
    std::string time;    // a file's last write, "yyyy-mm-dd hh:nn:ss"; empty: not compared
    std::string digest;  // MD5 in hex; empty: not known

    bool Known() const { return size >= 0; }

    // The file as it is now; not known when it cannot be read. A file too large for the digest
    // is known by its size and last write alone.
    static MadeImage OfFile(const std::string& path);
    // A table of these rows (ComparedRows::Sorted).
    static MadeImage OfRows(const std::vector<uint64_t>& sortedRowHashes);
    // Whether this image of a table's rows was taken as OfRows takes it; a journal of an earlier
    // version holds another form.
    bool OfRowsNow() const;

    // Whether now shows the thing as this image records it: the same size and digest, and the
    // same last write when this image has one. An image with neither digest nor last write
    // shows nothing, and nothing matches it.
    bool Matches(const MadeImage& now) const;
    // In words, for a file ("12 bytes, written 2026-12-07 22:10:03"); a table's rows are named
    // by their count where it is looked at.
    std::string FileText() const;
};
