// Readers of RIS client answers: the table definitions of a risunlod listing and the schema
// names and schema file location of a risbatch output.
#pragma once

#include <string>
#include <vector>

// One "create table " line of a listing: the table name and the column text between " ("
// and the closing ")" (entries of name, blank, type and maybe " not null", separated by ", ").
struct ListedTable {
    std::string name;
    std::string columnText;
};

// Why a risunlod listing is not whole, empty when it is: read through the dump-line classifier,
// its first line (blank lines aside) is a schema line, then come definition lines only (create
// table, index, view and grant lines), and the end-of-schema line comes last. A listing cut
// short would pass for a schema with fewer tables; the reason names the line, and for a
// listing that ends early the last table it defined.
std::string ListingProblem(const std::string& listing);

// One grant of a listing's grant line "grant <privileges> on <table> to <grantees>".
struct ListedGrant {
    std::string table;
    std::string grantee; // as the catalogue keeps it (DumpGrantLine::Grantees)
};
// The grants of the listing's grant lines outside table blocks, one per grantee, in listing order.
std::vector<ListedGrant> ListedGrants(const std::string& listing);

// The names after each "create table " (exact case), in listing order, blank names left out.
std::vector<std::string> ListedTableNames(const std::string& listing);
// Every table definition of the listing whose name and column text are not blank.
std::vector<ListedTable> ListedTableColumns(const std::string& listing);
// The entries of a column text, each read by DumpFormat::ParseColumnEntry: with types "name type"
// (and " not null" for a column that refuses NULL), without types the name alone.
std::vector<std::string> ColumnEntries(const std::string& columnText, bool withTypes);

// The view name of a "create view <name> ..." line (any case, blanks before it allowed), in lower
// case; empty for any other line.
std::string ViewNameOf(const std::string& line);
// The view names of a listing or dump text (lower case), in their order.
std::vector<std::string> ListedViewNames(const std::string& text);

// The names of the "Schema name:" lines (exact case): the text after the first ":", trimmed,
// without "'", first occurrence kept. onlyProjects keeps the names that begin with "pd_" and
// gives them without that prefix.
std::vector<std::string> SchemaNamesFromOutput(const std::vector<std::string>& lines, bool onlyProjects);
// The path after the first ":" of the last line holding "SCHEMA FILE NAME" (any case) and a
// colon, trimmed and without "'"; empty when no line holds it.
std::string SchemaFileFromOutput(const std::vector<std::string>& lines);
