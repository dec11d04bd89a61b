// Conversion of one dump table to a text table, and the schema and table listings of dumps.
#include "dbaccess/DumpParse.h"

#include "dbaccess/DumpLineClassifier.h"
#include "dbaccess/DumpMinSmallint.h"
#include "dbaccess/DumpTextConverter.h"
#include "dbaccess/StoredValue.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

#include <algorithm>
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

bool parseWhole(std::string_view s, long& v)
{
    if (s.empty())
        return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// --- the conversion ---

struct TableFind {
    std::string name;  // as the create-table line writes it
    bool schemaFound = false;
    bool tableFound = false;
    bool headerFound = false; // the block's layout line, naming the first column
    DumpLayout layout = DumpLayout::Fixed;
    std::vector<DumpColumn> columns;
    std::vector<std::string> headerTokens;
};

// Whether a create-table line names the table: the name, any case, followed by " (".
bool namesTable(std::string_view line, const std::string& tableName)
{
    const std::string_view rest = line.substr(DumpFormat::kCreateTable.size());
    return rest.size() > tableName.size() + 1 && EqualsNoCase(rest.substr(0, tableName.size()), tableName) &&
           rest.substr(tableName.size(), 2) == " (";
}

// Finds the schema, the table's create-table line and its layout line, in file order. The
// schema's range ends at the next schema line. The layout is that of the table block's own
// layout line (the line after its create-table and insert lines): "***variable***" or the
// fixed header.
TableFind findTable(DumpLines& lines, const std::string& schemaName, const std::string& tableName)
{
    TableFind t;
    std::string_view line;
    DumpLineKind kind;
    while (lines.Next(line, kind)) {
        if (kind == DumpLineKind::SchemaLine) {
            if (t.schemaFound)
                return t; // the wanted schema's part of the dump is over
            t.schemaFound = EqualsNoCase(
                DumpFormat::NameAfterKeyword(line, DumpLineClassifier::SchemaKeywordLength(line)), schemaName);
            continue;
        }
        if (kind != DumpLineKind::CreateTable)
            continue;
        if (!t.schemaFound || !namesTable(line, tableName)) {
            if (!lines.SkipBlock())
                return t;
            continue;
        }
        const std::string createLine = Trim(line);
        const size_t close = createLine.rfind(')');
        const size_t open = createLine.find(" (");
        if (close == std::string::npos || close < open + 2)
            throw AppError(1, "", "Incorrect RIS dump file format");
        t.tableFound = true;
        t.name = tableName;
        t.columns = DumpFormat::ParseColumnList(Trim(std::string_view(createLine).substr(open + 2, close - open - 2)));
        if (t.columns.empty() || t.columns.front().name.empty())
            return t;
        bool more = lines.Next(line, kind);
        if (more && kind == DumpLineKind::BlockLine && StartsWithNoCase(line, DumpFormat::kInsertInto))
            more = lines.Next(line, kind);
        if (!more || kind != DumpLineKind::BlockLine)
            return t; // no layout line: the fixed layout without widths
        const std::string& first = t.columns.front().name;
        if (line.substr(0, DumpFormat::kVariable.size()) == DumpFormat::kVariable) {
            t.layout = DumpLayout::Variable;
            // The layout line must name the table's columns, else the rows cannot be read.
            t.headerFound = line.rfind(std::string(DumpFormat::kVariable) + " " + first + " ", 0) == 0;
        } else {
            t.layout = DumpLayout::Fixed;
            const std::string header = Trim(line);
            t.headerFound = header.rfind(first + " 1", 0) == 0;
            if (t.headerFound)
                t.headerTokens = Split(header, " ");
        }
        return t;
    }
    return t;
}

// The fixed fields of a header's tokens, as far as they are name, first, last triples.
std::vector<DumpFixedField> fixedFieldsOf(const std::vector<std::string>& tokens)
{
    std::vector<DumpFixedField> fields;
    for (size_t i = 0; i + 2 < tokens.size(); i += 3) {
        DumpFixedField f;
        f.name = tokens[i];
        if (!parseWhole(tokens[i + 1], f.first) || !parseWhole(tokens[i + 2], f.last) || f.first < 1 ||
            f.last < f.first)
            break;
        fields.push_back(f);
    }
    return fields;
}

[[noreturn]] void refuseSeparator(long row, const std::string& table)
{
    throw AppError(1, "", "Row " + std::to_string(row) + " of table '" + table +
                              "' holds the character with code 1, which a text table cannot hold");
}

// Whether the text table takes the fixed layout's rows as they stand. The text driver reads a
// field of blanks as NULL, as the layout does; but where a column is declared NOT NULL such a
// field holds a text of blanks, which only the layout's own reading gives: that table's rows go
// into the delimited form.
bool keepsFixedRows(const TableFind& t)
{
    return t.layout == DumpLayout::Fixed &&
           std::none_of(t.columns.begin(), t.columns.end(), [](const DumpColumn& c) { return c.notNull; });
}

// The rows of the fixed layout in the delimited form of the text table, each read by the
// layout's one reading (DumpFormat::ParseFixedRowInto): every value followed by the separator,
// its double quotes doubled, NULL as nothing; each row keeps its line end.
class FixedRowsAsDelimited {
public:
    explicit FixedRowsAsDelimited(const TableFind& t) : fields_(fixedFieldsOf(t.headerTokens)), t_(t) {}

    // The rows of a piece of whole lines, in file order. Valid until the next call.
    std::string_view Convert(std::string_view rows)
    {
        out_.clear();
        for (size_t at = 0; at < rows.size();) {
            const size_t nl = rows.find('\n', at);
            const size_t next = nl == std::string_view::npos ? rows.size() : nl + 1;
            add(rows.substr(at, next - at));
            at = next;
        }
        return out_;
    }

private:
    void add(std::string_view line)
    {
        size_t body = line.size();
        if (body > 0 && line[body - 1] == '\n')
            --body;
        if (body > 0 && line[body - 1] == '\r')
            --body;
        ++row_;
        // An empty line is no row of the text table, in either form.
        if (body > 0) {
            DumpFormat::ParseFixedRowInto(line.substr(0, body), fields_, t_.columns, values_);
            for (const DumpValue& v : values_) {
                if (v) {
                    if (v->find(DumpTextConverter::kSeparator) != std::string::npos)
                        refuseSeparator(row_, t_.name);
                    for (const char ch : *v) {
                        out_ += ch;
                        if (ch == '"')
                            out_ += '"';
                    }
                }
                out_ += DumpTextConverter::kSeparator;
            }
        }
        out_.append(line.substr(body));
    }

    const std::vector<DumpFixedField> fields_;
    const TableFind& t_;
    std::string out_;
    DumpRow values_;
    long row_ = 0;
};

// Copies the rows that follow the layout line up to the end-of-table line into the data file,
// in the chunks the reader holds, so that nothing is read twice. True when the end-of-table
// line was found.
bool writeRows(DumpLines& lines, OutFile& data, const TableFind& t, bool minSmallintToZero)
{
    const std::vector<DumpFixedField> fields =
        minSmallintToZero && t.layout == DumpLayout::Fixed ? fixedFieldsOf(t.headerTokens)
                                                           : std::vector<DumpFixedField>();
    FixedRowsAsDelimited fixedRows(t);
    std::string_view chunk;
    std::unique_ptr<char[]> converted;
    size_t convertedSize = 0;
    long rowsBefore = 0;  // rows of the earlier chunks
    while (lines.NextText(chunk)) {
        const size_t end = DumpLineClassifier::FindEndOfTableLine(chunk);
        std::string_view rows = chunk.substr(0, end);
        // The separator of the text table inside a value would move the row's later values
        // into other columns.
        const size_t separator = t.layout == DumpLayout::Variable ? rows.find(DumpTextConverter::kSeparator)
                                                                   : std::string_view::npos;
        if (separator != std::string_view::npos)
            refuseSeparator(rowsBefore + 1 + std::count(rows.begin(), rows.begin() + separator, '\n'), t.name);
        rowsBefore += std::count(rows.begin(), rows.end(), '\n');
        std::string replaced;
        if (minSmallintToZero) {
            replaced = t.layout == DumpLayout::Variable ? DumpMinSmallint::VariableRowsToZero(rows)
                                                        : DumpMinSmallint::FixedRowsToZero(rows, fields);
            rows = replaced;
        }
        if (t.layout == DumpLayout::Variable) {
            if (convertedSize < rows.size() * 2) {
                convertedSize = rows.size() * 2;
                converted.reset(new char[convertedSize]);
            }
            data.write(converted.get(), DumpTextConverter::ConvertVariableRows(rows, converted.get()));
        } else if (keepsFixedRows(t)) {
            data.write(rows);
        } else {
            data.write(fixedRows.Convert(rows));
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

// The text driver compares the column's values as the server compares them: the kind after
// "server" on its "Col" line; empty for a type the server does not know.
std::string serverKindOf(const std::string& type)
{
    const StoredValue::Comparison c = StoredValue::ComparisonOf(type);
    switch (c.kind) {
    case StoredValue::Kind::Char:
        return " server char";
    case StoredValue::Kind::Moment:
        return " server moment";
    case StoredValue::Kind::Number:
        return c.binary ? " server double" : " server number";
    case StoredValue::Kind::Other:
        break;
    }
    return {};
}

void writeSchemaIni(OutFile& ini, const std::string& dataFile, const TableFind& t)
{
    std::string s = "[" + GetFileName(dataFile) + "]\r\nColNameHeader=False\r\n";
    s += keepsFixedRows(t) ? "Format=FixedLength\r\n" : "Format=Delimited(\x01)\r\n";
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
        s += serverKindOf(c.type) + "\r\n";
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
        // Nothing is taken out of a dump the load client would refuse for its markers.
        RequireDumpBlocksClosed(dumpFile, chunkSize);

        DumpLines lines(dumpFile, chunkSize);
        const TableFind t = findTable(lines, Trim(schemaName), Trim(tableName));
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

        // A variable-layout block whose layout line is missing or names other columns.
        const std::string noEnd = "Incorrect RIS dump file: '***RIS*** End of Table ***RIS***' not found";
        if (!t.headerFound)
            throw AppError(1, "", noEnd);

        do
            dataPath = workDir + GetTempBaseName() + ".txt";
        while (IsFileExists(dataPath, 0));
        data.open(dataPath);
        const bool ended = writeRows(lines, data, t, minSmallintToZero);
        data.close();
        if (!ended)
            throw AppError(1, "", noEnd);

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
        RequireDumpBlocksClosed(dumpFile, chunkSize);
        std::vector<std::string> names;
        DumpLines lines(dumpFile, chunkSize);
        std::string_view line;
        DumpLineKind kind;
        while (lines.Next(line, kind)) {
            if (kind == DumpLineKind::CreateTable) {
                lines.SkipBlock();
            } else if (kind == DumpLineKind::SchemaLine) {
                std::string name =
                    DumpFormat::NameAfterKeyword(line, DumpLineClassifier::SchemaKeywordLength(line));
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
        RequireDumpBlocksClosed(dumpFile, chunkSize);
        const std::string noSchema = "Schema name not found in dump file: '" + dumpFile + "'";
        std::vector<std::string> tables;
        std::string schema;
        DumpLines lines(dumpFile, chunkSize);
        std::string_view line;
        DumpLineKind kind;
        // Every table is paired with the name of the dump's first schema line.
        while (lines.Next(line, kind)) {
            if (kind == DumpLineKind::SchemaLine && schema.empty()) {
                schema = DumpFormat::NameAfterKeyword(line, DumpLineClassifier::SchemaKeywordLength(line));
            } else if (kind == DumpLineKind::CreateTable) {
                if (schema.empty())
                    throw AppError(1, "", noSchema);
                const std::string_view rest = line.substr(DumpFormat::kCreateTable.size());
                const std::string table = Trim(rest.substr(0, rest.find(' ')));
                if (!table.empty())
                    tables.push_back(schema + "|" + table);
                lines.SkipBlock();
            }
        }
        if (schema.empty())
            throw AppError(1, "", noSchema);
        return tables;
    } catch (const AppError& e) {
        throw passOnAs(e, "CRIS::RISDumpGetTables");
    }
}
