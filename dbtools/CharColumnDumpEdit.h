// The dumps of the column length change, cut from the backup dump in one pass: the edited dump
// the reload loads (the changed tables with their new column lengths) and the restore dump
// that brings those tables back as they were.
#pragma once

#include <string>

class CharColumnChange;
class SchemaDumpSummary;

class CharColumnDumpEdit {
public:
    // Streams the backup dump at source (Windows path) once. Both targets get the schema line,
    // the blocks of the tables that hold affected columns, the index and grant lines on those
    // tables and the end-of-schema line; in edited the affected char columns of the
    // create-table lines become "char(" + new length + ")". Every other table, view and line
    // stays out of both, so a load of them touches nothing else. Raises error 1 before edited
    // is complete when a row holds a value of an affected column longer than the new length
    // (the reload would reject that row), and the reader's and writer's errors (a full disk
    // among them). Returns the number of column definitions changed. The summaries, when
    // given, receive what each target holds, and both the source's views.
    static long Apply(const std::string& source, const std::string& edited, const std::string& restore,
                      const CharColumnChange& change, SchemaDumpSummary* editedSummary = nullptr,
                      SchemaDumpSummary* restoreSummary = nullptr);
};
