// Fuzzing the dump writer against the readers of dumps: tables made from the input (types,
// layouts and values full of markers, quotes, blanks, numbers that are not finite and control
// characters) are written with DumpWriter. What it takes must read back as written through the
// item reader, the wholeness check, the listings and the conversion into a text table; what it
// cannot write it must refuse by naming the table, column and row, writing nothing of the row.
#include "FuzzTargets.h"

#include "dbaccess/DumpParse.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpTextConverter.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/DumpWriter.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <cstdio>
#include <string_view>
#include <vector>

namespace {

// Takes the input byte by byte; past its end every byte is 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    size_t Pick(size_t n) { return Byte() % n; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

const std::vector<std::string> kTypes = {"smallint", "int",      "double",   "real", "decimal",
                                         "char(1)",  "char(8)",  "char(40)", "char", "date"};

// The pieces values are made of: what the lines of a dump are told apart by, and what a
// reader or the load client could take for something else.
const std::vector<std::string> kPieces = {
    std::string(DumpFormat::kEndOfTable), std::string(DumpFormat::kEndOfSchema), "***ris*** end of table ***ris***",
    "***RIS***", "End of Table", "'", "''", " ", "   ", "\t", "\"", "inf", "-nan", "1e400", "1e-400", "-32768",
    "2.5", "0", std::string(1, '\0'), "\x01", "\r\n", "\n", "\r", "create table ", "default schema ", "***variable*** ",
};

struct Table {
    std::string name;
    std::vector<DumpColumn> columns;
    DumpLayout layout = DumpLayout::Variable;
    std::vector<DumpFixedField> fields;
    std::vector<DumpRow> rows; // as they must read back
};

DumpValue makeValue(Input& in)
{
    if (in.Pick(6) == 0)
        return std::nullopt;
    std::string v;
    for (size_t n = in.Pick(4); n > 0; --n) {
        if (in.Pick(2) == 0) {
            v += kPieces[in.Pick(kPieces.size())];
        } else {
            for (size_t b = 1 + in.Pick(4); b > 0; --b)
                v += static_cast<char>(in.Byte());
        }
    }
    return v;
}

// What the fixed layout keeps of a value: its trailing blanks go, and blanks only are NULL
// (the columns here take NULL).
DumpValue fixedReadBack(const DumpValue& v)
{
    if (!v)
        return v;
    const std::string kept = TrimRight(*v);
    return kept.empty() ? DumpValue() : DumpValue(kept);
}

std::string show(const DumpRow& row)
{
    std::string s;
    for (const DumpValue& v : row)
        s += v ? "'" + *v + "' " : "NULL ";
    return s;
}

void checkReader(const std::string& dump, const std::vector<Table>& tables, size_t chunkSize)
{
    DumpReader reader(dump, chunkSize);
    DumpItem item;
    size_t t = 0, r = 0;
    bool schemaSeen = false, ended = false;
    while (reader.Next(item)) {
        const std::string at = " (chunks of " + std::to_string(chunkSize) + ", line " +
                               std::to_string(item.lineNumber) + ")";
        switch (item.kind) {
        case DumpItemKind::SchemaLine:
            FuzzCheck(!schemaSeen && item.schemaName == "s", "a second or wrong schema line" + at);
            schemaSeen = true;
            break;
        case DumpItemKind::CreateTable:
            FuzzCheck(t < tables.size() && item.table == tables[t].name, "an unexpected table" + at);
            FuzzCheck(item.columns.size() == tables[t].columns.size(), "columns lost" + at);
            r = 0;
            break;
        case DumpItemKind::Row:
            FuzzCheck(t < tables.size() && r < tables[t].rows.size(), "a row not written" + at);
            FuzzCheckSame(show(tables[t].rows[r]), show(item.values), "a row reads back otherwise" + at);
            ++r;
            break;
        case DumpItemKind::EndOfTable:
            FuzzCheck(t < tables.size() && r == tables[t].rows.size(), "rows of a table lost" + at);
            ++t;
            break;
        case DumpItemKind::EndOfSchema:
            ended = true;
            break;
        case DumpItemKind::OtherLine:
            FuzzCheck(false, "a line read as no part of the dump" + at);
            break;
        default:
            break;
        }
    }
    FuzzCheck(ended && t == tables.size(), "the dump reads back without all its tables");
}

// The data file of a converted table, as rows of values (NULL and empty alike: a text table
// cannot tell them apart).
std::vector<std::string> convertedRows(std::string data, const Table& table)
{
    std::vector<std::string> rows;
    if (data.empty())
        return rows;
    FuzzCheck(data.back() == '\n', "the converted rows do not end with a line end");
    data.pop_back();
    for (std::string line : Split(data, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (table.layout == DumpLayout::Fixed) {
            rows.push_back(show(DumpFormat::ParseFixedRow(line, table.fields, table.columns)));
            continue;
        }
        // Every value is followed by its separator; double quotes come doubled.
        DumpRow row;
        for (const std::string& field : Split(line, std::string(1, DumpTextConverter::kSeparator)))
            row.emplace_back(ReplaceAll(field, "\"\"", "\""));
        FuzzCheck(!row.empty() && row.back() == std::string(), "a converted row does not end with its separator");
        row.pop_back();
        rows.push_back(show(row));
    }
    return rows;
}

void checkConversion(const std::string& dump, const Table& table)
{
    // The dump carries the character with code 1; the delimited text table cannot, and says so.
    bool separator = false;
    for (const DumpRow& row : table.rows)
        for (const DumpValue& v : row)
            separator = separator || (table.layout == DumpLayout::Variable && v && v->find('\x01') != std::string::npos);
    std::string textFile, schemaIni;
    try {
        RISDumpParse(ScratchFolder(), dump, "s", table.name, textFile, schemaIni);
    } catch (const AppError& e) {
        FuzzCheck(separator && e.description().find("code 1") != std::string::npos,
                  "table " + table.name + " written but not converted: " + e.description());
        return;
    }
    FuzzCheck(!separator, "table " + table.name + " converted with the character with code 1 in a value");
    const std::string data = ReadWholeFile(textFile);
    std::remove(HostPath(textFile).c_str());
    std::remove(HostPath(schemaIni).c_str());
    std::vector<std::string> expected;
    for (const DumpRow& row : table.rows) {
        DumpRow asText;
        for (const DumpValue& v : row)
            asText.emplace_back(v ? *v : std::string());
        expected.push_back(table.layout == DumpLayout::Fixed ? show(row) : show(asText));
    }
    FuzzCheckSame(Join(expected, "\n"), Join(convertedRows(data, table), "\n"),
                  "table " + table.name + " converts otherwise");
}

} // namespace

int FuzzDumpRoundTrip(const uint8_t* data, size_t size)
{
    Input in(data, size);
    std::vector<Table> tables(1 + in.Pick(3));
    const std::string dump = ScratchFolder() + "roundtrip.dmp";
    {
        DumpWriter writer(dump);
        writer.WriteDefaultSchemaLine("s");
        for (size_t t = 0; t < tables.size(); ++t) {
            Table& table = tables[t];
            table.name = "t" + std::to_string(t);
            for (size_t c = 1 + in.Pick(4); c > 0; --c)
                table.columns.push_back({"c" + std::to_string(table.columns.size()), kTypes[in.Pick(kTypes.size())]});
            table.layout = in.Pick(2) == 0 ? DumpLayout::Variable : DumpLayout::Fixed;
            writer.BeginTable(table.name, table.columns, table.layout);
            table.fields = writer.FixedFields();
            const long rowCount = static_cast<long>(in.Pick(9));
            for (long r = 1; r <= rowCount; ++r) {
                DumpRow row;
                for (size_t c = 0; c < table.columns.size(); ++c)
                    row.push_back(makeValue(in));
                try {
                    writer.WriteRow(row);
                } catch (const AppError& e) {
                    FuzzCheck(e.description().rfind("Table '" + table.name + "', column '", 0) == 0 &&
                                  e.description().find("', row " + std::to_string(r) + ": ") != std::string::npos,
                              "a refusal that does not name table, column and row: " + e.description());
                    continue;
                }
                if (table.layout == DumpLayout::Fixed)
                    for (DumpValue& v : row)
                        v = fixedReadBack(v);
                table.rows.push_back(row);
            }
            writer.EndTable();
        }
        for (const Table& table : tables)
            writer.WriteIndexLine(table.name, table.columns.front().name);
        for (const Table& table : tables)
            writer.WriteGrantLine(table.name);
        writer.Finish();
    }

    for (size_t chunk : {DumpFormat::kChunkSize, size_t{1}, size_t{7}, size_t{64}})
        checkReader(dump, tables, chunk);

    const DumpWholeness whole = CheckDumpWhole(dump);
    FuzzCheck(whole.Whole(), "the written dump is not whole: " + whole.problem);
    FuzzCheck(whole.schema == "s" && whole.tables.size() == tables.size(), "the wholeness check lost a table");
    for (size_t t = 0; t < tables.size(); ++t)
        FuzzCheck(whole.tables[t].table == tables[t].name && whole.tables[t].rows == tables[t].rows.size(),
                  "the wholeness check counts table " + tables[t].name + " otherwise");

    FuzzCheckSame("s", Join(RISDumpGetSchemas(dump), "|"), "the schema listing differs");
    std::vector<std::string> listed;
    for (const Table& table : tables)
        listed.push_back("s|" + table.name);
    FuzzCheckSame(Join(listed, "\n"), Join(RISDumpGetTables(dump), "\n"), "the table listing differs");

    for (const Table& table : tables)
        checkConversion(dump, table);
    return 0;
}
