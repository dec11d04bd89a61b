// The edit of a schema dump for the column length change: the definitions of the affected
// char columns get the new length, every other line is copied unchanged.
#pragma once

#include <string>

class CharColumnChange;
class SchemaDumpSummary;

class CharColumnDumpEdit {
public:
    // Streams the dump at source (Windows path) into target: in the create-table line of each
    // table with affected columns, their type becomes "char(" + new length + ")"; data rows,
    // views, indexes, grants and the schema line are copied as they stand. Raises error 1
    // before target is complete when a row holds a value of an affected column that is longer
    // than the new length (the reload would reject that row), and the reader's and writer's
    // errors. Returns the number of column definitions changed. With summary given, it also
    // gathers the source's tables, row counts and indexes, so the dump is read only once.
    static long Apply(const std::string& source, const std::string& target, const CharColumnChange& change,
                      SchemaDumpSummary* summary = nullptr);
};
