// Streaming writer of RIS dump files.
#include "dbaccess/DumpWriter.h"

#include "dbaccess/DumpLineClassifier.h"
#include "platform/AppError.h"

#include <algorithm>
#include <string_view>

namespace {
constexpr size_t kFlushAt = 1 << 20;

// A row line that a reader would take for the end of its table or schema, or refuse as a
// lookalike of such a line, instead of reading it as a row.
bool readsAsEndLine(std::string_view line)
{
    return line == DumpFormat::kEndOfTable || line == DumpFormat::kEndOfSchema ||
           DumpLineClassifier::IsMarkerLookalike(line);
}

// Whether a table or column name reads back from the create-table line as written: a blank,
// a comma or a parenthesis would end it there, and a line break cut the line.
bool nameReadsBack(const std::string& name)
{
    return !name.empty() && name.find_first_of(std::string_view(" ,()\r\n\0", 7)) == std::string::npos;
}

} // namespace

DumpWriter::DumpWriter(const std::string& path) : path_(path)
{
    try {
        file_.Open(path, BinaryFile::Mode::Write);
    } catch (const AppError& e) {
        throw AppError(e.number(), "DumpWriter", e.description() + " '" + path + "'");
    }
    buffer_.reserve(kFlushAt + 4096);
}

DumpWriter::~DumpWriter()
{
    try {
        Close();
    } catch (const AppError&) {
        // A destructor cannot report; callers that care call Close or Finish themselves.
    }
}

void DumpWriter::WriteCreateSchemaLine(const std::string& schema, const std::string& rest)
{
    WriteLine(DumpFormat::CreateSchemaLine(schema, rest));
}

void DumpWriter::WriteDefaultSchemaLine(const std::string& schema)
{
    WriteLine(DumpFormat::DefaultSchemaLine(schema));
}

void DumpWriter::BeginTable(const std::string& table, const std::vector<DumpColumn>& columns, DumpLayout layout,
                            std::vector<DumpFixedField> fields)
{
    const char* const unreadable = "the name holds a character that a create-table line cannot carry";
    if (!nameReadsBack(table))
        throw AppError(1, "DumpWriter", "Table '" + table + "': " + unreadable);
    for (const DumpColumn& c : columns)
        if (!nameReadsBack(c.name))
            throw AppError(1, "DumpWriter", "Table '" + table + "', column '" + c.name + "': " + unreadable);
    table_ = table;
    layout_ = layout;
    quoted_.clear();
    names_.clear();
    rowNumber_ = 0;
    for (const DumpColumn& c : columns) {
        quoted_.push_back(DumpFormat::IsQuotedType(c.type));
        names_.push_back(c.name);
    }
    WriteLine(DumpFormat::CreateTableLine(table, columns));
    WriteLine(DumpFormat::InsertLine(table, columns));
    if (layout == DumpLayout::Variable) {
        fields_.clear();
        WriteLine(DumpFormat::VariableLayoutLine(columns));
    } else {
        fields_ = fields.empty() ? DumpFormat::FixedFieldsFor(columns) : std::move(fields);
        WriteLine(DumpFormat::FixedHeaderLine(fields_));
    }
}

std::string DumpWriter::unwritable(const std::string& value, size_t c) const
{
    const bool quoted = c < quoted_.size() && quoted_[c];
    // A line feed ends a line of the dump and a NUL a text. A carriage return alone ends no line
    // of any reader, and the character with code 1 is a byte like any other in a dump (only the
    // text table a query converts a dump table to cannot hold it): both are written as they are,
    // so that whatever the database holds is unloaded and loaded back whole.
    if (value.find_first_of(std::string_view("\n\0", 2)) != std::string::npos) {
        if (value.find('\n') != std::string::npos)
            return "the value holds a line break, which a RIS dump cannot carry";
        return "the value holds a NUL character, which a RIS dump cannot carry";
    }
    if (!quoted && DumpFormat::IsNonFiniteNumber(value))
        return "the value '" + value + "' is not a finite number, which a RIS dump cannot carry";
    if (layout_ == DumpLayout::Fixed) {
        const DumpFixedField& f = fields_[c];
        if (static_cast<long>(value.size()) > f.last - f.first + 1)
            return "the value is longer than its field of " + std::to_string(f.last - f.first + 1) + " characters";
    } else if (!quoted && (value.empty() || value.find_first_of(" '") != std::string::npos)) {
        // Unquoted, a blank would end the value and a quote would open a text in the conversion;
        // nothing at all reads as NULL.
        return value.empty() ? std::string("an empty value of a number column reads back as NULL")
                             : "the value '" + value + "' of a number column holds a blank or a quote";
    }
    return {};
}

void DumpWriter::refuse(size_t column, const std::string& why) const
{
    const std::string name = column < names_.size() ? names_[column] : std::to_string(column + 1);
    throw AppError(1, "DumpWriter",
                   "Table '" + table_ + "', column '" + name + "', row " + std::to_string(rowNumber_) + ": " + why);
}

void DumpWriter::WriteRow(const DumpRow& values)
{
    ++rowNumber_;
    const size_t columns = layout_ == DumpLayout::Fixed ? std::min(values.size(), fields_.size()) : values.size();
    for (size_t c = 0; c < columns; ++c)
        if (values[c])
            if (std::string why = unwritable(*values[c], c); !why.empty())
                refuse(c, why);
    const size_t start = buffer_.size();
    if (layout_ == DumpLayout::Variable)
        DumpFormat::AppendVariableRow(buffer_, values, quoted_);
    else
        DumpFormat::AppendFixedRow(buffer_, values, fields_);
    if (readsAsEndLine(std::string_view(buffer_).substr(start))) {
        buffer_.resize(start);
        // The value the line begins with makes it one.
        size_t c = 0;
        while (c + 1 < values.size() && (!values[c] || values[c]->find_first_not_of(" \t") == std::string::npos))
            ++c;
        refuse(c, "the row would read as an end line of the dump, which its readers refuse");
    }
    buffer_ += DumpFormat::kLineEnd;
    flushIfFull();
}

void DumpWriter::EndTable()
{
    WriteLine(std::string(DumpFormat::kEndOfTable));
}

void DumpWriter::WriteIndexLine(const std::string& table, const std::string& column)
{
    WriteLine(DumpFormat::IndexLine(table, column));
}

void DumpWriter::WriteGrantLine(const std::string& table)
{
    WriteLine(DumpFormat::GrantLine(table));
}

void DumpWriter::WriteLine(const std::string& line)
{
    buffer_ += line;
    buffer_ += DumpFormat::kLineEnd;
    flushIfFull();
}

void DumpWriter::Finish()
{
    WriteLine(std::string(DumpFormat::kEndOfSchema));
    Close();
}

void DumpWriter::flushIfFull()
{
    if (!file_.IsOpen())
        throw AppError(1, "DumpWriter", "Dump file '" + path_ + "' already closed");
    if (buffer_.size() < kFlushAt)
        return;
    try {
        file_.Write(buffer_);
    } catch (const AppError& e) {
        throw AppError(e.number(), "DumpWriter", e.description() + " '" + path_ + "'");
    }
    buffer_.clear();
}

void DumpWriter::Close()
{
    if (!file_.IsOpen())
        return;
    try {
        const std::string rest = std::move(buffer_);
        buffer_.clear();
        try {
            file_.Write(rest);
        } catch (const AppError&) {
            file_.Close();
            throw;
        }
        file_.CloseChecked();
    } catch (const AppError& e) {
        throw AppError(e.number(), "DumpWriter", e.description() + " '" + path_ + "'");
    }
}
