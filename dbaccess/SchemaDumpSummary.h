// What a schema dump holds, table by table: column definitions, rows (each row's values, as
// their columns' types compare them, as a hash), index and grant lines, and the schema's views.
// The column length change compares the reloaded (or restored) tables with the backup dump by
// it; the look after a load compares a schema's definitions (a risunlod listing) and rows with
// the loaded dump's.
#pragma once

#include "dbaccess/StoredValue.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

struct DumpItem;

class SchemaDumpSummary {
public:
    // Reads the dump (Windows path) through once; raises the reader's errors.
    static SchemaDumpSummary Read(const std::string& dumpFile);
    // The definitions of a risunlod listing (create table, index, view and grant lines, as a
    // listing made whole holds them): its tables hold no rows.
    static SchemaDumpSummary FromListing(const std::string& listing);

    // Takes one item of a dump read in order (so a reader that streams the dump for another
    // purpose gathers the summary on the way).
    void Add(const DumpItem& item);

    // The tables in dump order, as the dump names them.
    const std::vector<std::string>& tables() const { return tables_; }
    bool HasTable(const std::string& table) const;
    // The table's row count, -1 for a table the dump lacks.
    long long Rows(const std::string& table) const;
    // The DumpRowHash of each of the table's rows (its values as StoredValue::Compared by the
    // columns of the table's create line), sorted; empty for a table the dump lacks.
    std::vector<uint64_t> SortedRowHashes(const std::string& table) const;

    // What the found dump's table lacks or holds otherwise than this one's, one text per fault
    // ("missing", "column x is char(80), not char(40)", "holds 1 of 3 rows", "1 row differs in
    // its values", "lacks index u1", "has index i9 the backup lacks", "lacks grant to PUBLIC",
    // ...); empty when the table is alike in both.
    std::vector<std::string> TableDifferences(const SchemaDumpSummary& found, const std::string& table) const;
    // How the found table's rows differ from this one's: "holds 1 of 3 rows", "1 row differs in
    // its values"; empty when alike (also when either lacks the table).
    std::vector<std::string> RowDifferences(const SchemaDumpSummary& found, const std::string& table) const;
    // What this dump makes of the table that the found one lacks or has otherwise, rows aside:
    // its columns (the found table's whole column list must be this one's), each index by its
    // name with its columns and uniqueness ("lacks index u1", "lacks index u1 (the name is an
    // index's on t9)", "has index u1 on (b) where the backup has it unique on (a)"), and each
    // grant by its grantee ("lacks grant to public"). Indexes and grants only the found one has
    // are passed over: the dump does not make them. {"missing"} when the found one lacks the table.
    std::vector<std::string> MadeDifferences(const SchemaDumpSummary& found, const std::string& table) const;
    // The views of this dump that the found one lacks or defines otherwise, or holds with other
    // grants ("view v lacks grant to public"), and the views only the found one has (unless
    // extras are passed over: the views a dump makes, each grant then by its grantee and only
    // those the found one lacks, as MadeDifferences compares a table's).
    enum class Extras { Count, PassOver };
    std::vector<std::string> ViewDifferences(const SchemaDumpSummary& found, Extras extras = Extras::Count) const;
    // The names (lower case) of this dump's views that the found one lacks.
    std::vector<std::string> ViewsMissingIn(const SchemaDumpSummary& found) const;
    // Whether the found dump defines the view as this one does.
    bool SameView(const SchemaDumpSummary& found, const std::string& view) const;
    bool HasViews() const { return !views_.empty(); }
    // The view's create line as the dump writes it (its texts in their own letter case), or "".
    std::string ViewLine(const std::string& view) const;

    // Every fault, each led by its table's name ("t1 missing", "t1: 1 row differs in its
    // values"), in this summary's table order (or of only, when given), then the views, then
    // (without only) the tables found that this one lacks ("t9 is not in the backup").
    std::vector<std::string> Differences(const SchemaDumpSummary& found,
                                         const std::vector<std::string>* only = nullptr) const;
    // The faults of the listed tables only, each led by its table's name, without the views.
    std::vector<std::string> TablesDifferences(const SchemaDumpSummary& found,
                                               const std::vector<std::string>& tables) const;

    // The grants of one table or view: each grantee as the catalogue keeps it, with the
    // privileges it holds as the server keeps them.
    using Grants = std::map<std::string, std::string>;

private:
    void addDefinition(const std::string& line);
    Grants grantsOf(const std::string& table) const;
    // Every index name of the dump (lower case) with its table.
    std::map<std::string, std::string> indexTables() const;

    struct Table {
        std::string name;                 // as the dump names it
        std::vector<std::string> columns; // "name type" (" not null" after it): the name in lower case, the type
                                          // as the server keeps it declared
        std::vector<StoredValue::Comparison> comparisons; // per column, from its declared type
        std::vector<uint64_t> rowHashes;  // one per row, in dump order
    };
    const Table* find(const std::string& table) const;
    Table& tableFor(const std::string& table);

    // Keys are table names in lower case, as RIS names compare.
    std::vector<std::string> tables_;
    std::map<std::string, Table> content_;
    std::map<std::string, std::set<std::string>> indexes_; // normalised index lines per table
    std::map<std::string, Grants> grants_;                 // per table or view
    std::map<std::string, std::string> views_;             // lower-case name -> normalised definition
    std::map<std::string, std::string> viewLines_;         // lower-case name -> the line as written
    std::string room_; // for the compared text of a value, reused value by value
    // The table of the rows being read, by the name the rows give it; a copy of the summary
    // starts without it, as it points into this one's content_.
    struct RowTable {
        Table* table = nullptr;
        std::string name;
        RowTable() = default;
        RowTable(const RowTable&) {}
        RowTable& operator=(const RowTable&)
        {
            table = nullptr;
            return *this;
        }
    } rowTable_;
};
