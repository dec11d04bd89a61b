// The index names of a table copy: every index of a copied table gets a name that no index of
// another table of the target schema has, so that loading the copy never drops or takes over
// an index that is not its own.
#pragma once

#include <map>
#include <string>
#include <vector>

// One "create [unique] index <name> on <table> (<columns>)" line of a dump or listing.
struct ListedIndex {
    std::string name;
    std::string table;
    bool unique = false;
    std::string columns; // lower case, ", " between them
};

// "unique on (a, b)" or "on (a)": what an index is made of, for a message.
std::string IndexShapeText(const ListedIndex& index);

// The index lines of a listing or dump text, in their order.
std::vector<ListedIndex> ListedIndexes(const std::string& text);
// The index of a "create [unique] index" line; false for any other line.
bool ParseIndexLine(const std::string& line, ListedIndex& index);

// New names (keyed by the old name in lower case) for the indexes of the copied tables: the
// old name with the source table's name in it replaced by the target table's (else the target
// table's name appended after "_"), then "_2", "_3", ... until it is free. A name is taken when
// an index of the target on a table that the copy does not replace has it, or another copied
// index got it. renames pairs source and target table names (source names in lower case).
std::map<std::string, std::string> FreeIndexNames(const std::vector<ListedIndex>& copied,
                                                  const std::map<std::string, std::string>& renames,
                                                  const std::vector<ListedIndex>& target);
