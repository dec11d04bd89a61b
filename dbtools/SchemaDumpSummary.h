// What a schema dump holds, in short: its tables with their row counts and index lines. The
// column length change compares the schema after its reload with the backup dump by it.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

struct DumpItem;

class SchemaDumpSummary {
public:
    // Reads the dump (Windows path) through once; raises the reader's errors.
    static SchemaDumpSummary Read(const std::string& dumpFile);

    // Takes one item of a dump read in order (so a reader that streams the dump for another
    // purpose gathers the summary on the way).
    void Add(const DumpItem& item);

    // The tables in dump order, as the dump names them.
    const std::vector<std::string>& tables() const { return tables_; }

    // What differs in the found schema from this one, one text per fault in this summary's
    // table order ("<table> missing", "<table> holds 1 of 3 rows", "<table> lacks index
    // <name>"), then the tables found that this one lacks. With only given, just those tables
    // are compared and extra tables are not reported.
    std::vector<std::string> Differences(const SchemaDumpSummary& found,
                                         const std::vector<std::string>* only = nullptr) const;

private:
    // Keys are table names in lower case, as RIS names compare.
    std::vector<std::string> tables_;
    std::map<std::string, long long> rows_;
    std::map<std::string, std::set<std::string>> indexes_; // index lines, lower case, blanks collapsed
};
