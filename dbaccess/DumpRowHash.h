// A dump row's values as one number, by which the rows of two dumps (or of a dump and a table
// read back) are compared without holding them.
#pragma once

#include "dbaccess/DumpFormat.h"

#include <cstdint>
#include <vector>

// FNV-1a over the values, each marked as NULL or as a text with its end, so that ('a', 'b')
// and ('ab', '') differ.
uint64_t DumpRowHash(const DumpRow& values);

// How many entries of a are not matched by one of b (both sorted), counting repeats.
size_t UnmatchedRowHashes(const std::vector<uint64_t>& a, const std::vector<uint64_t>& b);
