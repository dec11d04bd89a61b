// Writes a RIS dump file line by line: schema line, table blocks with their rows, index,
// grant and view lines, end-of-schema line. Every line ends with CR LF.
#pragma once

#include "dbaccess/DumpFormat.h"
#include "platform/BinaryFile.h"

#include <string>
#include <vector>

class DumpWriter {
public:
    // Creates (or replaces) the file at the Windows path. Raises the platform's file error
    // (75 "Path/File access error '<path>'", 76 path not found, ...) when it cannot be created.
    explicit DumpWriter(const std::string& path);
    // Closes the file without an end-of-schema line when Finish was not called.
    ~DumpWriter();
    DumpWriter(const DumpWriter&) = delete;
    DumpWriter& operator=(const DumpWriter&) = delete;

    // "create schema " + name + rest (the unload client's form).
    void WriteCreateSchemaLine(const std::string& schema, const std::string& rest);
    // "default schema " + name (the form the system writes).
    void WriteDefaultSchemaLine(const std::string& schema);

    // Create-table, insert and layout lines. In the fixed layout the fields are consecutive,
    // each as wide as its column's type (DumpFormat::FixedFieldsFor) unless given. A table or
    // column name that would not read back from the create-table line (empty, or holding a
    // blank, comma, parenthesis, line break or NUL) raises error 1 naming it; nothing is written.
    void BeginTable(const std::string& table, const std::vector<DumpColumn>& columns,
                    DumpLayout layout = DumpLayout::Variable, std::vector<DumpFixedField> fields = {});
    // One data row in the open table's layout; quoting by the columns' types. Every row it
    // writes reads back through the readers of dumps as the values given (in the fixed layout a
    // value without its trailing blanks, and one of blanks only, or NULL, as NULL, or as one
    // blank in a column declared NOT NULL, which is all that layout keeps). A row that would not
    // is not written: error 1 "Table '<t>', column '<c>', row <n>: ..." (source "DumpWriter")
    // names the value, the row being counted from 1 in its table. Refused are a line feed or NUL
    // in a value (a carriage return alone and the character with code 1 are written as they
    // are), a number that is not finite
    // (IsNonFiniteNumber), an unquoted value that is empty or holds a blank or a quote, a
    // value longer than its fixed field, and a row that would read as an end-of-table or
    // end-of-schema line (or a lookalike of one, which the readers refuse).
    void WriteRow(const DumpRow& values);
    // "***RIS*** End of Table ***RIS***".
    void EndTable();

    void WriteIndexLine(const std::string& table, const std::string& column);
    void WriteGrantLine(const std::string& table);
    // Any other line (a view definition), written as given.
    void WriteLine(const std::string& line);

    // "***RIS*** End of Schema ***RIS***", then the file is closed.
    void Finish();
    // Flushes and closes; raises the platform's file error when the data could not be written.
    void Close();

    const std::vector<DumpFixedField>& FixedFields() const { return fields_; }

private:
    void flushIfFull();
    // Why the value of column c cannot be written so that it reads back; empty when it can.
    std::string unwritable(const std::string& value, size_t c) const;
    [[noreturn]] void refuse(size_t column, const std::string& why) const;

    std::string path_;
    BinaryFile file_;
    std::string buffer_;
    std::string table_;
    DumpLayout layout_ = DumpLayout::Variable;
    std::vector<bool> quoted_;
    std::vector<std::string> names_;
    long rowNumber_ = 0;
    std::vector<DumpFixedField> fields_;
};
