// Streaming writer of RIS dump files.
#include "dbaccess/DumpWriter.h"

#include "platform/AppError.h"

namespace {
constexpr size_t kFlushAt = 1 << 20;
}

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
    table_ = table;
    layout_ = layout;
    quoted_.clear();
    for (const DumpColumn& c : columns)
        quoted_.push_back(DumpFormat::IsQuotedType(c.type));
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

void DumpWriter::WriteRow(const DumpRow& values)
{
    if (layout_ == DumpLayout::Variable) {
        DumpFormat::AppendVariableRow(buffer_, values, quoted_);
    } else if (!DumpFormat::AppendFixedRow(buffer_, values, fields_)) {
        throw AppError(1, "DumpWriter", "Value too long for its column in table '" + table_ + "'");
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
