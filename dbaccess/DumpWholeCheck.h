// The one test of whether a RIS dump is whole, made before a dump is trusted: before a new
// dump replaces an older one, before a partial dump is loaded, and by the load client itself.
#pragma once

#include "dbaccess/DumpFormat.h"
#include "dbaccess/RISListing.h"

#include <cstdint>
#include <string>
#include <vector>

struct DumpTableCount {
    std::string table;
    uint64_t rows;
};

struct DumpWholeness {
    std::string problem;                // empty when the dump is whole; else the reason (naming the line number)
    std::string schema;                 // the schema name of the schema line
    std::vector<DumpTableCount> tables; // the table blocks in file order with their row counts
    std::vector<ListedGrant> grants;    // the grants of the grant lines outside the blocks, one per grantee
    // What the dump makes besides rows, as a listing would show it: its create-table lines and
    // the lines outside the table blocks (index, view and grant lines), in file order.
    std::vector<std::string> definitions;
    bool Whole() const { return problem.empty(); }
};

// Reads the dump at the Windows path once, streaming, through the dump-line classifier: whole
// when a schema line comes first, every table block is closed by its own end-of-table line,
// and the end-of-schema line comes last (blank lines aside). A missing or unreadable file is
// a problem, not an exception.
DumpWholeness CheckDumpWhole(const std::string& dumpFile, size_t chunkSize = DumpFormat::kChunkSize);

// The names of `names` (blanks trimmed) that `dumped` holds no table block of, compared without
// case, in the order of `names`.
std::vector<std::string> TablesNotInDump(const std::vector<std::string>& names, const std::vector<DumpTableCount>& dumped);
