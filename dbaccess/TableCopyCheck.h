// What a table copy left in its target schema, compared with the dump it loaded: the look that
// follows a load that failed.
#pragma once

#include "dbaccess/DumpWholeCheck.h"
#include "services/ChangeOutcome.h"

#include <cstdint>
#include <string>
#include <vector>

class CRIS;

struct CopiedTable {
    std::string table;
    bool exists = false;
    uint64_t rows = 0;  // 0 when the table is not there
};

// The tables as they stand in the schema, in the order given: whether each is among
// `existing` (the schema's tables, compared without regard to case) and, when it is, the rows
// the server counts (one client run for all). Raises what the count raises.
std::vector<CopiedTable> ReadCopiedTables(CRIS& cris, const std::string& schema,
                                          const std::vector<std::string>& tables,
                                          const std::vector<std::string>& existing);

// After a load that ended well: raises naming the first table that does not hold the dump's rows
// (added to those it had before for load mode 2). A copy short of rows is no copy.
void RequireCopiedRows(const std::vector<CopiedTable>& after, const std::vector<DumpTableCount>& dumped,
                       const std::vector<CopiedTable>& before, int32_t loadMode, const std::string& schema);

// What stands of a copy: `dumped` are the tables of the loaded dump with their rows, `before`
// and `after` the same tables in the target before and after the load. A table has its copy
// when it holds the dump's rows, added to those it had for load mode 2 (which neither clears
// nor replaces). Done when every table has its copy, NotDone when every table stands as before
// the load, else NotKnown. `seen` names each table's rows ("table 'tube' holds 1 row of the 2
// copied").
ChangeState CompareCopiedTables(const std::vector<DumpTableCount>& dumped, const std::vector<CopiedTable>& before,
                                const std::vector<CopiedTable>& after, int32_t loadMode, std::string& seen);
