// Reading of "Schema.ini" sections.
#include "platform/ado/TextTableSchema.h"

#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/AdoTypes.h"

#include <fstream>
#include <sstream>
#include <utility>

namespace {

std::string FileNameOf(const std::string& winPath)
{
    const size_t slash = winPath.find_last_of("\\/");
    return slash == std::string::npos ? winPath : winPath.substr(slash + 1);
}

std::string FolderOf(const std::string& winPath)
{
    const size_t slash = winPath.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : winPath.substr(0, slash + 1);
}

// The kind a "server" word of a "Col" line names; None for any other word.
TextColumn::Server ServerKind(const std::string& word)
{
    static const std::pair<const char*, TextColumn::Server> kKinds[] = {{"char", TextColumn::Server::Char},
                                                                        {"moment", TextColumn::Server::Moment},
                                                                        {"double", TextColumn::Server::Double},
                                                                        {"number", TextColumn::Server::Number}};
    for (const auto& [name, kind] : kKinds)
        if (EqualsNoCase(word, name))
            return kind;
    return TextColumn::Server::None;
}

// "name type [width n] [server kind]", the name possibly in double quotes or square brackets.
void AddColumn(TextTableSchema& schema, const std::string& value)
{
    std::string rest = Trim(value);
    std::string name;
    if (!rest.empty() && (rest[0] == '"' || rest[0] == '[')) {
        const char close = rest[0] == '"' ? '"' : ']';
        const size_t end = rest.find(close, 1);
        name = rest.substr(1, end == std::string::npos ? std::string::npos : end - 1);
        rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    } else {
        const size_t blank = rest.find(' ');
        name = rest.substr(0, blank);
        rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    }
    std::vector<std::string> words;
    for (const std::string& w : Split(rest, " "))
        if (!w.empty())
            words.push_back(w);
    const std::string type = words.empty() ? std::string("char") : words[0];
    long width = 0;
    TextColumn::Server server = TextColumn::Server::None;
    for (size_t i = 1; i + 1 < words.size(); ++i) {
        if (EqualsNoCase(words[i], "width"))
            width = std::atol(words[i + 1].c_str());
        else if (EqualsNoCase(words[i], "server"))
            server = ServerKind(words[i + 1]);
    }
    schema.columns.push_back(TextTableSchema::DescribeColumn(name, type, width));
    schema.columns.back().server = server;
}

} // namespace

TextColumn TextTableSchema::DescribeColumn(const std::string& name, const std::string& typeText, long width)
{
    TextColumn c;
    c.name = name;
    c.width = width;
    const std::string t = ToLower(typeText);
    auto set = [&](int type, long size, const char* sql) {
        c.adoType = type;
        c.definedSize = size;
        c.sqlType = sql;
    };
    if (t == "short" || t == "integer")
        set(adSmallInt, 2, "SMALLINT");
    else if (t == "long")
        set(adInteger, 4, "INTEGER");
    else if (t == "byte")
        set(adUnsignedTinyInt, 1, "BYTE");
    else if (t == "bit")
        set(adBoolean, 2, "BIT");
    else if (t == "single")
        set(adSingle, 4, "REAL");
    else if (t == "double" || t == "float")
        set(adDouble, 8, "DOUBLE");
    else if (t == "currency")
        set(adCurrency, 8, "CURRENCY");
    else if (t == "date" || t == "datetime")
        set(adDBTimeStamp, 16, "TIMESTAMP");
    else if (t == "memo" || t == "longchar")
        set(adLongVarChar, 2147483647, "LONGCHAR");
    else {
        // char, text and any type the driver does not know are text of the given width.
        const long size = width > 0 ? width : 255;
        c.adoType = adVarChar;
        c.definedSize = size;
        c.sqlType = "VARCHAR(" + std::to_string(size) + ")";
    }
    return c;
}

TextTableSchema TextTableSchema::FromIni(const std::string& iniText, const std::string& textFileName)
{
    TextTableSchema schema;
    std::istringstream in(iniText);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string t = TrimWhite(line);
        if (t.empty() || t[0] == ';')
            continue;
        if (t.front() == '[' && t.back() == ']') {
            if (inSection)
                break;   // the next section ends ours
            inSection = EqualsNoCase(t.substr(1, t.size() - 2), textFileName);
            continue;
        }
        if (!inSection)
            continue;
        const size_t eq = t.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = TrimWhite(t.substr(0, eq));
        const std::string value = t.substr(eq + 1);   // untrimmed: the delimiter may be a blank
        if (EqualsNoCase(key, "ColNameHeader")) {
            schema.colNameHeader = EqualsNoCase(TrimWhite(value), "True");
        } else if (EqualsNoCase(key, "Format")) {
            const std::string f = TrimWhite(value);
            if (EqualsNoCase(f, "TabDelimited")) {
                schema.format = Format::TabDelimited;
                schema.delimiter = '\t';
            } else if (EqualsNoCase(f, "FixedLength")) {
                schema.format = Format::FixedLength;
            } else if (StartsWithNoCase(f, "Delimited(") && f.size() >= 12 && f.back() == ')') {
                schema.format = Format::Delimited;
                schema.delimiter = value[value.find('(') + 1];
            } else {
                schema.format = Format::CsvDelimited;
                schema.delimiter = ',';
            }
        } else if (StartsWithNoCase(key, "Col") && key.size() > 3 && IsIdentifier(key.substr(3))
                   && std::isdigit(static_cast<unsigned char>(key[3]))) {
            AddColumn(schema, value);
        }
    }
    return schema;
}

TextTableSchema TextTableSchema::ForFile(const std::string& textFileWinPath)
{
    std::ifstream in(HostPath(FolderOf(textFileWinPath) + "Schema.ini"), std::ios::binary);
    if (!in)
        return TextTableSchema();
    std::ostringstream text;
    text << in.rdbuf();
    return FromIni(text.str(), FileNameOf(textFileWinPath));
}
