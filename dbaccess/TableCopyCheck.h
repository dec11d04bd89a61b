// What a table copy left in its target schema, compared row by row with the dump it loaded: the
// look that follows every load of a copy.
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
    uint64_t rows = 0;               // 0 when the table is not there
    std::vector<uint64_t> rowHashes; // sorted DumpRowHash of each row, one per row
};

// The tables as they stand in the schema, in the order given: whether each is among `existing`
// (the schema's tables, compared without regard to case), the rows the server counts (one
// client run for all) and their values' hashes, read through one unload of the tables that hold
// rows into a work file of the access object. The unload is taken only when whole and holding the rows
// the server counted. Raises what the count or the unload raises, and names an unload that is
// not whole.
std::vector<CopiedTable> ReadCopiedTables(CRIS& cris, const std::string& schema,
                                          const std::vector<std::string>& tables,
                                          const std::vector<std::string>& existing);

// What stands of a copy: `dumped` are the tables of the loaded dump with their rows, `before`
// and `after` the same tables in the target before and after the load. A table has its copy
// when its rows are the dump's (by value, as a whole), added to those it had for load mode 2
// (which neither clears nor replaces); it stands as before when it is there as it was, with the
// same rows. A table whose rows before were already the copy's fits either. Done when every
// table has its copy, NotDone when every table stands as before the load, else NotKnown; when
// every table fits either, nothing tells the copy from the old rows and the load's own end
// decides: Done after a load that ended well, NotDone after one that failed (`loadFailed`),
// whose failure then stands. `seen` names each table's rows ("table
// 'tube' holds 1 row (not the 2 copied)").
ChangeState CompareCopiedTables(const std::vector<CopiedTable>& dumped, const std::vector<CopiedTable>& before,
                                const std::vector<CopiedTable>& after, int32_t loadMode, bool loadFailed,
                                std::string& seen);
