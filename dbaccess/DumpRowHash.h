// A dump row's values as one number, by which the rows of two dumps (or of a dump and a table
// read back) are compared without holding them.
#pragma once

#include "dbaccess/DumpFormat.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// FNV-1a over the values, each marked as NULL or as a text with its end, so that ('a', 'b')
// and ('ab', '') differ.
uint64_t DumpRowHash(const DumpRow& values);

// The same hash taken value by value, for values that are not held as a row.
class DumpRowHasher {
public:
    void Add(std::optional<std::string_view> value)
    {
        if (!value) {
            mix(1);
            return;
        }
        mix(2);
        for (char c : *value)
            mix(static_cast<unsigned char>(c));
        mix(0);
    }
    uint64_t Value() const { return h_; }

private:
    void mix(unsigned char c)
    {
        h_ ^= c;
        h_ *= 1099511628211ull;
    }
    uint64_t h_ = 1469598103934665603ull;
};

// How many entries of a are not matched by one of b (both sorted), counting repeats.
size_t UnmatchedRowHashes(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b);
