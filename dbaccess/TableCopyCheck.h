// What a table copy left in its target schema, compared row by row with the dump it loaded: the
// look that follows every load of a copy. Values compare as the server compares them, and as
// far as the dump's layout carries them.
#pragma once

#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpWholeCheck.h"
#include "services/ChangeOutcome.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CRIS;
struct DumpItem;

// The layout a copy's rows travel in. The variable layout carries every value as it is; the
// fixed one pads a text to its field and reads it back without its trailing blanks, so a text
// of blanks only arrives as NULL where its column takes NULL, and as a text of one blank where
// the column is declared NOT NULL (DumpFormat::ParseFixedRow).
enum class CopyLayout { Variable, Fixed };

// A value as a copy's look compares it, as read from either layout. A char value compares
// blank-padded, as the server compares it: its trailing blanks do not count, and a text of
// blanks only stays a text. Any other value stays as it is.
std::optional<std::string> ComparedValue(const std::optional<std::string>& value, bool charColumn);

// The rows of a dump's tables as a copy's look compares them (ComparedValue by the columns of
// each table's create line), each as a hash, gathered item by item in the pass that reads the
// dump for anything else.
class ComparedRows {
public:
    // The rows of every table of the dump file (Windows path), read through once. Raises what
    // the reader raises.
    static ComparedRows OfDump(const std::string& dumpFile);
    void Add(const DumpItem& item);
    // The table's row hashes, sorted; empty for a table the dump lacks.
    std::vector<uint64_t> Sorted(const std::string& table) const;
    bool Has(const std::string& table) const;

private:
    std::string table_;      // lower case, the block being read
    std::vector<bool> char_; // its char columns
    std::map<std::string, std::vector<uint64_t>> rows_;
};

// How the found rows of a table differ from the wanted ones (both sorted hashes): "holds 1 of 3
// rows", "1 row differs in its values"; empty when alike.
std::vector<std::string> ComparedRowDifferences(const std::vector<uint64_t>& want, const std::vector<uint64_t>& have);

struct CopiedTable {
    std::string table;
    bool exists = false;
    uint64_t rows = 0;               // 0 when the table is not there
    std::vector<uint64_t> rowHashes; // sorted DumpRowHash of each row, one per row
};

// The tables as they stand in the schema, in the order given: whether each is among `existing`
// (the schema's tables, compared without regard to case), the rows the server counts (one
// client run for all) and their values' hashes (ComparedRows, variable layout), read through one
// unload of the tables that hold rows into a work file of the access object. The unload is taken only when whole and holding the rows
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
