// What one run of the column length change works with: the length and search texts as typed,
// the backup dump name, and per schema the old and new column definitions and the tables
// that hold affected columns.
#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>
#include <vector>

// The number at the start of the text (leading blanks skipped; none gives 0): 40abc gives 40.
double LeadingNumber(const std::string& text);
// LeadingNumber rounded to the
// nearest whole number with halves going to the even neighbour, kept within 32 bits.
int32_t ParseLengthText(const std::string& text);

// backupDir + "\" (unless it ends with one) + schema + "_yyyy-mm-dd_hhmmss" + ".dmp".
std::string BackupDumpFileName(const std::string& backupDir, const std::string& schema, const LocalTime& at);

// Whether the field is one to change: a string field whose lower-case name ends with the
// search text (its "*", "?", "#" and "[...]" act as pattern characters) and whose present
// length (definedSize - 1) differs from the new length.
bool IsAffectedCharField(const std::string& name, int adoType, long definedSize, const std::string& searchLower,
                         int32_t newLength);

// The piping table family of a design table ("pdtable_12", "pdtable_34", "pdtable_50",
// "pdtable_67", "pdtable_80": the first whose name followed by "_" starts the lower-case table
// name), or the empty text.
std::string GetPipingTableName(const std::string& table);

// One affected column of a table.
struct AffectedColumn {
    std::string table;
    std::string column;
};

class CharColumnChange {
public:
    explicit CharColumnChange(int32_t newLength) : newLength_(newLength) {}

    // Records the column of the table with its present length: its old definition
    // (name + " char(" + present + ")") once, with the new definition beside it, the table once
    // (whole texts, letter case ignored), and the column for the dump edit.
    void Add(const std::string& table, const std::string& column, long presentLength);

    bool empty() const { return oldDefinitions_.empty(); }
    int32_t newLength() const { return newLength_; }
    const std::vector<std::string>& oldDefinitions() const { return oldDefinitions_; }
    const std::vector<std::string>& newDefinitions() const { return newDefinitions_; }
    const std::vector<std::string>& tables() const { return tables_; }
    const std::vector<AffectedColumn>& columns() const { return columns_; }
    // Whether the column of the table is to get the new length (letter case ignored).
    bool IsAffected(const std::string& table, const std::string& column) const;

    // The old definitions, " -> " and the new definitions, each list's entries separated by the
    // character with code 1.
    std::string StatusText() const;

private:
    int32_t newLength_;
    std::vector<std::string> oldDefinitions_;
    std::vector<std::string> newDefinitions_;
    std::vector<std::string> tables_;
    std::vector<AffectedColumn> columns_;
};
