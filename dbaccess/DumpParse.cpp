// Conversion of one dump table to a text table, and the schema and table listings of dumps.
#include "dbaccess/DumpParse.h"

#include "dbaccess/DumpScanner.h"
#include "dbaccess/DumpTextConverter.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

#include <charconv>
#include <memory>

namespace {

constexpr const char* kParseSource = "CRIS::RISDumpParse";

// The data file or "Schema.ini" of one call: written as bytes, deleted again after a failure.
struct OutFile {
    BinaryFile file;
    std::string path;
    void open(const std::string& p)
    {
        path = p;
        file.Open(p, BinaryFile::Mode::Write);
    }
    void write(const char* data, size_t n) { file.WriteBytes(data, n); }
    void write(std::string_view s) { file.WriteBytes(s.data(), s.size()); }
    void close() { file.CloseChecked(); }
};

// --- searching chunks ---

// First occurrence of needle in hay[from, to) without regard to ASCII case.
size_t findNoCase(std::string_view hay, std::string_view needle, size_t from, size_t to)
{
    if (needle.empty() || to > hay.size() || from >= to || to - from < needle.size())
        return std::string_view::npos;
    const char lo = static_cast<char>(std::tolower(static_cast<unsigned char>(needle[0])));
    const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(needle[0])));
    const std::string_view rest = needle.substr(1);
    for (size_t i = from; i + needle.size() <= to; ++i) {
        if (hay[i] != lo && hay[i] != up)
            continue;
        if (EqualsNoCase(hay.substr(i + 1, rest.size()), rest))
            return i;
    }
    return std::string_view::npos;
}

size_t findIn(std::string_view hay, std::string_view needle, size_t from, size_t to)
{
    const size_t p = hay.substr(0, to).find(needle, from);
    return p;
}

// The next schema line keyword at or after from, and its length.
size_t nextSchemaKeyword(std::string_view chunk, size_t from, size_t& length)
{
    const size_t c = chunk.find(DumpFormat::kCreateSchema, from);
    const size_t d = chunk.find(DumpFormat::kDefaultSchema, from);
    if (c == std::string_view::npos && d == std::string_view::npos)
        return std::string_view::npos;
    if (d == std::string_view::npos || (c != std::string_view::npos && c < d)) {
        length = DumpFormat::kCreateSchema.size();
        return c;
    }
    length = DumpFormat::kDefaultSchema.size();
    return d;
}

// Position after the line end of the line holding pos (the chunk's end when it has none), and
// the end of that line's text in lineEnd.
size_t afterLineEnd(std::string_view chunk, size_t pos, size_t& lineEnd)
{
    const size_t lf = chunk.find('\n', pos);
    if (lf == std::string_view::npos) {
        lineEnd = chunk.size();
        return chunk.size();
    }
    lineEnd = lf > pos && chunk[lf - 1] == '\r' ? lf - 1 : lf;
    return lf + 1;
}

bool parseWhole(std::string_view s, long& v)
{
    s = std::string_view(s).substr(0, s.size());
    if (s.empty())
        return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// --- the conversion ---

struct TableFind {
    bool schemaFound = false;
    bool tableFound = false;
    bool headerFound = false;
    bool variableSeen = false;
    DumpLayout layout = DumpLayout::Variable;
    std::vector<DumpColumn> columns;
    std::string firstColumn;
    std::vector<std::string> headerTokens;
    uint64_t firstRow = 0;
};

// Finds the schema, the table's create-table line and its layout line, in file order. The
// schema's range ends at the next schema line; the header is looked for before the table's
// end-of-table line.
TableFind findTable(DumpScanner& scanner, const std::string& schemaName, const std::string& tableName)
{
    TableFind t;
    const std::string tableKey = std::string(DumpFormat::kCreateTable) + tableName + " (";
    std::string chunk;
    t.firstRow = scanner.FileSize();
    for (;;) {
        const uint64_t chunkStart = scanner.Position();
        if (!scanner.NextChunk(chunk)) {
            t.layout = t.variableSeen ? DumpLayout::Variable : DumpLayout::Fixed;
            return t;
        }
        size_t pos = 0;
        for (;;) {
            size_t kwLen = 0;
            if (!t.schemaFound) {
                const size_t k = nextSchemaKeyword(chunk, pos, kwLen);
                if (k == std::string::npos)
                    break;
                pos = k + kwLen;
                t.schemaFound = EqualsNoCase(DumpFormat::NameAfterKeyword(chunk, pos), schemaName);
                continue;
            }
            size_t rangeEnd = nextSchemaKeyword(chunk, pos, kwLen);
            const bool schemaEnds = rangeEnd != std::string::npos;
            if (!schemaEnds)
                rangeEnd = chunk.size();
            if (!t.tableFound) {
                const size_t at = findNoCase(chunk, tableKey, pos, rangeEnd);
                if (at == std::string::npos) {
                    if (schemaEnds)
                        return t;
                    break;
                }
                size_t lineEnd = 0;
                pos = afterLineEnd(chunk, at, lineEnd);
                const std::string line = Trim(std::string_view(chunk).substr(at, lineEnd - at));
                const size_t close = line.rfind(')');
                const size_t open = line.find(" (");
                if (line.find('(') == std::string::npos || close == std::string::npos || close < open + 2)
                    throw AppError(1, "", "Incorrect RIS dump file format");
                t.tableFound = true;
                t.columns = DumpFormat::ParseColumnList(Trim(std::string_view(line).substr(open + 2, close - open - 2)));
                if (t.columns.empty())
                    return t;
                const std::string& def = t.columns.front().name;
                t.firstColumn = def;
                if (t.firstColumn.empty())
                    return t;
            }
            // The layout line stands inside the table's block, before its end-of-table line.
            const size_t blockEnd = findIn(chunk, DumpFormat::kEndOfTable, pos, rangeEnd);
            const bool blockEnds = blockEnd != std::string::npos;
            const size_t searchEnd = blockEnds ? blockEnd : rangeEnd;
            size_t header;
            // Once the block showed a "***variable***" line it is the variable layout, also
            // when the header line itself lies in a later chunk.
            if (!t.variableSeen)
                t.variableSeen = findIn(chunk, DumpFormat::kVariable, pos, searchEnd) != std::string::npos;
            if (t.variableSeen) {
                t.layout = DumpLayout::Variable;
                header = findIn(chunk, std::string(DumpFormat::kVariable) + " " + t.firstColumn + " ", pos, searchEnd);
            } else {
                t.layout = DumpLayout::Fixed;
                header = findIn(chunk, t.firstColumn + " 1", pos, searchEnd);
            }
            if (header == std::string::npos) {
                if (blockEnds || schemaEnds)
                    return t;
                break;
            }
            size_t lineEnd = 0;
            const size_t next = afterLineEnd(chunk, header, lineEnd);
            t.headerFound = true;
            t.firstRow = chunkStart + next;
            if (t.layout == DumpLayout::Fixed)
                t.headerTokens = Split(Trim(std::string_view(chunk).substr(header, lineEnd - header)), " ");
            return t;
        }
    }
}

// Copies the rows from the read position up to the end-of-table line into the data file.
// True when the end-of-table line was found.
bool writeRows(DumpScanner& scanner, OutFile& data, DumpLayout layout, bool minSmallintToZero)
{
    std::string chunk;
    std::unique_ptr<char[]> converted;
    size_t convertedSize = 0;
    while (scanner.NextChunk(chunk)) {
        if (minSmallintToZero)
            chunk = ReplaceAll(std::move(chunk), "-32768", layout == DumpLayout::Variable ? "0" : "0     ");
        const size_t end = chunk.find(DumpFormat::kEndOfTable);
        const std::string_view rows = std::string_view(chunk).substr(0, end);
        if (layout == DumpLayout::Variable) {
            if (convertedSize < rows.size() * 2) {
                convertedSize = rows.size() * 2;
                converted.reset(new char[convertedSize]);
            }
            data.write(converted.get(), DumpTextConverter::ConvertVariableRows(rows, converted.get()));
        } else {
            data.write(rows);
        }
        if (end != std::string::npos)
            return true;
    }
    return false;
}

std::string textTypeOf(const std::string& type)
{
    const std::string t = ToLower(type);
    if (t.find("smallint") != std::string::npos)
        return "short";
    if (t.find("int") != std::string::npos)
        return "long";
    if (t.find("decimal") != std::string::npos || t.find("real") != std::string::npos ||
        t.find("double") != std::string::npos)
        return "double";
    return "char";
}

// Width of a character column in the variable layout: its declared length plus 1, or 240
// when it has none (the default length 239 plus 1).
long variableCharWidth(const std::string& type)
{
    const size_t open = type.find('(');
    if (!type.empty() && type.back() == ')' && open != std::string::npos && open + 1 < type.size() &&
        std::isdigit(static_cast<unsigned char>(type[open + 1]))) {
        long n = 0;
        if (!parseWhole(Trim(std::string_view(type).substr(open + 1, type.rfind(')') - open - 1)), n))
            throw AppError(13, "", "Type mismatch");
        return n + 1;
    }
    return 240;
}

void writeSchemaIni(OutFile& ini, const std::string& dataFile, const TableFind& t)
{
    std::string s = "[" + GetFileName(dataFile) + "]\r\nColNameHeader=False\r\n";
    s += t.layout == DumpLayout::Fixed ? "Format=FixedLength\r\n" : "Format=Delimited(\x01)\r\n";
    s += "CharacterSet=ANSI\r\n";
    for (size_t i = 0; i < t.columns.size(); ++i) {
        const DumpColumn& c = t.columns[i];
        if (c.type.empty())
            throw AppError(1, "", "Type of column: '" + c.name + "' not found");
        const std::string textType = textTypeOf(c.type);
        long width = 0;
        bool withWidth = false;
        if (t.layout == DumpLayout::Fixed) {
            if (3 * i + 2 >= t.headerTokens.size())
                throw AppError(1, "", "Width of column: '" + c.name + "' not found");
            const std::string& a = t.headerTokens[3 * i + 1];
            const std::string& b = t.headerTokens[3 * i + 2];
            long first = 0, last = 0;
            if (!parseWhole(a, first) || !parseWhole(b, last))
                throw AppError(1, "", "Width ('" + a + "', '" + b + "') for column: '" + c.name + "' not correct");
            width = last - first + 2;
            withWidth = true;
        } else if (textType == "char") {
            // A type the text types do not list (a date, say) is read as characters: it gets
            // the default width rather than whatever an earlier column left.
            width = ToLower(c.type).find("char") != std::string::npos ? variableCharWidth(c.type) : 240;
            withWidth = true;
        }
        s += "Col" + std::to_string(i + 1) + "=" + c.name + " " + textType;
        if (withWidth)
            s += " width " + std::to_string(width);
        s += "\r\n";
    }
    ini.write(s);
}

AppError passOnAs(const AppError& e, const char* source)
{
    return AppError(e.number(), ComposeErrorSource(source, 0, e.source()), e.description());
}

} // namespace

void RISDumpParse(const std::string& workDir, const std::string& dumpFile, const std::string& schemaName,
                  const std::string& tableName, std::string& textFile, std::string& schemaIniFile,
                  bool minSmallintToZero, size_t chunkSize)
{
    textFile.clear();
    schemaIniFile.clear();
    OutFile data;
    OutFile ini;
    std::string dataPath;
    std::string iniPath;
    try {
        if (IsBlank(schemaName))
            throw AppError(1, "", "Schema name not defined");
        if (IsBlank(tableName))
            throw AppError(1, "", "Table name not defined");
        if (!IsFileExists(dumpFile, 0))
            throw AppError(1, "", "RIS dump file '" + dumpFile + "' not found");

        DumpScanner scanner(dumpFile, chunkSize);
        const TableFind t = findTable(scanner, Trim(schemaName), Trim(tableName));
        if (!t.schemaFound)
            throw AppError(1, "", "Schema '" + schemaName + "' not found in dump file '" + dumpFile + "'");
        if (!t.tableFound)
            throw AppError(1, "",
                           "Table '" + tableName + "' (schema '" + schemaName + "') not found in dump file '" +
                               dumpFile + "'");
        if (t.columns.empty())
            throw AppError(1, "", "No columns in table: '" + tableName + "' found");
        if (t.layout == DumpLayout::Fixed && (t.headerTokens.empty() || t.headerTokens.front().empty()))
            throw AppError(1, "", "Columns width of table: '" + tableName + "' not defined");

        do
            dataPath = workDir + GetTempBaseName() + ".txt";
        while (IsFileExists(dataPath, 0));
        data.open(dataPath);
        scanner.SetPosition(t.firstRow);
        const bool ended = writeRows(scanner, data, t.layout, minSmallintToZero);
        data.close();
        if (!ended)
            throw AppError(1, "", "Incorrect RIS dump file: '***RIS*** End of Table ***RIS***' not found");

        iniPath = workDir + "Schema.ini";
        ini.open(iniPath);
        writeSchemaIni(ini, dataPath, t);
        ini.close();
        textFile = dataPath;
        schemaIniFile = iniPath;
    } catch (const AppError& e) {
        const AppError raised = passOnAs(e, kParseSource);
        data.file.Close();
        ini.file.Close();
        if (!dataPath.empty())
            DeleteFileA(dataPath, false);
        if (!iniPath.empty())
            DeleteFileA(iniPath, false);
        throw raised;
    }
}

std::vector<std::string> RISDumpGetSchemas(const std::string& dumpFile, size_t chunkSize)
{
    try {
        if (!IsFileExists(dumpFile, 0))
            throw AppError(1, "", "RIS dump file: '" + dumpFile + "' not found");
        std::vector<std::string> names;
        DumpScanner scanner(dumpFile, chunkSize);
        std::string chunk;
        while (scanner.NextChunk(chunk)) {
            size_t pos = 0;
            size_t length = 0;
            // Schema lines in file order, whichever keyword each one has.
            for (size_t k; (k = nextSchemaKeyword(chunk, pos, length)) != std::string::npos;) {
                pos = k + length;
                std::string name = DumpFormat::NameAfterKeyword(chunk, pos);
                if (!name.empty())
                    names.push_back(std::move(name));
            }
        }
        return names;
    } catch (const AppError& e) {
        throw passOnAs(e, "CRIS::RISDumpGetSchemas");
    }
}

std::vector<std::string> RISDumpGetTables(const std::string& dumpFile, size_t chunkSize)
{
    try {
        if (!IsFileExists(dumpFile, 0))
            throw AppError(1, "", "RIS dump file '" + dumpFile + "' not found");
        std::vector<std::string> tables;
        std::string schema;
        bool first = true;
        DumpScanner scanner(dumpFile, chunkSize);
        std::string chunk;
        while (scanner.NextChunk(chunk)) {
            if (first) {
                size_t k = chunk.find(DumpFormat::kCreateSchema);
                size_t length = DumpFormat::kCreateSchema.size();
                if (k == std::string::npos) {
                    k = chunk.find(DumpFormat::kDefaultSchema);
                    length = DumpFormat::kDefaultSchema.size();
                }
                if (k == std::string::npos)
                    throw AppError(1, "", "Schema name not found in dump file: '" + dumpFile + "'");
                schema = DumpFormat::NameAfterKeyword(chunk, k + length);
                first = false;
            }
            for (size_t k = 0; (k = chunk.find(DumpFormat::kCreateTable, k)) != std::string::npos;) {
                k += DumpFormat::kCreateTable.size();
                size_t e = k;
                while (e < chunk.size() && chunk[e] != ' ' && chunk[e] != '\r' && chunk[e] != '\n')
                    ++e;
                const std::string table = Trim(std::string_view(chunk).substr(k, e - k));
                if (!table.empty())
                    tables.push_back(schema + "|" + table);
            }
        }
        return tables;
    } catch (const AppError& e) {
        throw passOnAs(e, "CRIS::RISDumpGetTables");
    }
}
