// Fuzzing the dump reader, the conversion of a dump table into a text table and the row
// converter: whatever the chunk size, a dump must read and convert alike.
#include "FuzzTargets.h"

#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpParse.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpTextConverter.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

// The item reader takes lines across chunk borders: small sizes put borders inside every kind
// of line. The first size is the program's own.
constexpr size_t kReaderChunks[] = {DumpFormat::kChunkSize, 1, 2, 7, 64};
constexpr size_t kMaxTablesConverted = 3;

// The conversion and the listing search whole chunks, which the scanner cuts at line ends as
// long as a line fits into one (as in any real dump, with chunks of 20 MB): sizes from the
// longest line up put the borders after every line, after every few lines, or not at all.
std::vector<size_t> lineChunkSizes(const std::string& dump)
{
    size_t longest = 0;
    for (size_t pos = 0; pos < dump.size();) {
        const size_t lf = dump.find('\n', pos);
        const size_t end = lf == std::string::npos ? dump.size() : lf + 1;
        longest = std::max(longest, end - pos);
        pos = end;
    }
    return {DumpFormat::kChunkSize, longest + 1, longest + 7, 2 * longest + 1, 5 * longest};
}

std::string describe(const DumpItem& item)
{
    std::string s = std::to_string(static_cast<int>(item.kind)) + "|" + std::to_string(item.lineNumber) + "|" +
                    item.line + "|" + item.schemaName + "|" + (item.createSchema ? "c" : "-") + "|" + item.table +
                    "|" + std::to_string(static_cast<int>(item.layout)) + "|";
    for (const DumpColumn& c : item.columns)
        s += c.name + " " + c.type + ",";
    s += "|";
    for (const DumpFixedField& f : item.fixedFields)
        s += f.name + " " + std::to_string(f.first) + " " + std::to_string(f.last) + ",";
    s += "|";
    for (const DumpValue& v : item.values)
        s += v ? "'" + *v + "'," : "NULL,";
    return s + "\n";
}

struct Reading {
    std::string items;
    std::vector<std::pair<std::string, std::string>> tables; // schema, table
};

Reading readItems(const std::string& dump, size_t chunkSize)
{
    Reading r;
    std::string schema;
    try {
        DumpReader reader(dump, chunkSize);
        DumpItem item;
        while (reader.Next(item)) {
            r.items += describe(item);
            if (item.kind == DumpItemKind::SchemaLine)
                schema = item.schemaName;
            if (item.kind == DumpItemKind::CreateTable && !schema.empty() && r.tables.size() < kMaxTablesConverted)
                r.tables.emplace_back(schema, item.table);
        }
    } catch (const AppError& e) {
        r.items += "error " + std::to_string(e.number()) + " " + e.description() + "\n";
    }
    return r;
}

// The converted table and its description, with the data file's own temporary name taken out.
std::string convertTable(const std::string& dump, const std::string& schema, const std::string& table,
                         size_t chunkSize)
{
    std::string textFile, schemaIni;
    try {
        RISDumpParse(ScratchFolder(), dump, schema, table, textFile, schemaIni, false, chunkSize);
    } catch (const AppError& e) {
        FuzzCheck(textFile.empty() && schemaIni.empty(), "files named after a failed conversion");
        return "error " + std::to_string(e.number()) + " " + e.description();
    }
    std::string data = ReadWholeFile(textFile);
    std::string ini = ReadWholeFile(schemaIni);
    const std::string name = textFile.substr(textFile.rfind('\\') + 1);
    ini = ReplaceAll(ini, name, "<data file>");
    std::remove(HostPath(textFile).c_str());
    std::remove(HostPath(schemaIni).c_str());
    return data + "\n--- Schema.ini ---\n" + ini;
}

std::string listSchemas(const std::string& dump, size_t chunkSize)
{
    try {
        return Join(RISDumpGetSchemas(dump, chunkSize), "\n");
    } catch (const AppError& e) {
        return "error " + std::to_string(e.number()) + " " + e.description();
    }
}

void checkRowConverter(const std::string& rows)
{
    std::vector<char> buffer(2 * rows.size());
    const size_t written = DumpTextConverter::ConvertVariableRows(rows, buffer.data());
    FuzzCheck(written <= buffer.size(), "row conversion wrote beyond its buffer");
    const std::string whole = DumpTextConverter::ConvertVariableRows(rows);
    FuzzCheck(whole == std::string(buffer.data(), written), "the two row conversions differ");
    // Line by line gives the same text: a quote left open closes at its line end.
    const size_t cut = rows.find('\n', rows.size() / 2);
    if (cut != std::string::npos) {
        const std::string parts = DumpTextConverter::ConvertVariableRows(rows.substr(0, cut + 1)) +
                                  DumpTextConverter::ConvertVariableRows(rows.substr(cut + 1));
        FuzzCheckSame(whole, parts, "row conversion depends on where the rows are cut");
    }
}

} // namespace

int FuzzDump(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string dump = WriteScratchFile("fuzz.dmp", input);

    const Reading reference = readItems(dump, kReaderChunks[0]);
    for (size_t chunk : kReaderChunks)
        FuzzCheckSame(reference.items, readItems(dump, chunk).items,
                      "dump items read with chunks of " + std::to_string(chunk) + " differ");

    const std::vector<size_t> lineChunks = lineChunkSizes(input);
    for (const auto& [schema, table] : reference.tables) {
        const std::string expected = convertTable(dump, schema, table, lineChunks[0]);
        for (size_t chunk : lineChunks)
            FuzzCheckSame(expected, convertTable(dump, schema, table, chunk),
                          "table " + table + " converted with chunks of " + std::to_string(chunk) + " differs");
    }

    const std::string schemas = listSchemas(dump, lineChunks[0]);
    for (size_t chunk : lineChunks)
        FuzzCheckSame(schemas, listSchemas(dump, chunk),
                      "schemas listed with chunks of " + std::to_string(chunk) + " differ");

    checkRowConverter(input);
    return 0;
}
