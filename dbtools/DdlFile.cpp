// DDL definition file reader and the column definition helpers.
#include "dbtools/DdlFile.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Variant.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <cmath>
#include <cstdint>

namespace {

const char* kReader = "ReadDDLFile";

// A message template with its arguments, as the window's formatter reads it.
[[noreturn]] void raiseTemplate(const std::string& templ, const std::vector<std::string>& args)
{
    std::string text = templ;
    for (const std::string& a : args)
        text += "|||" + a;
    // No source of its own: the template reaches the caller unchanged.
    throw AppError(1, "", text);
}

// The run-time failures of the conversions, as the language reports them.
[[noreturn]] void raiseTypeMismatch() { throw AppError(13, kAppTitle, "Type mismatch"); }
[[noreturn]] void raiseOverflow() { throw AppError(6, kAppTitle, "Overflow"); }

bool isNumeric(const std::string& text) { return !Trim(text).empty() && ParseNumberText(text).has_value(); }

// A number rounded half to even into 32 bits; Overflow outside that range.
int32_t toInt32(double value)
{
    const double r = std::nearbyint(value);
    if (!(r >= INT32_MIN && r <= INT32_MAX))
        raiseOverflow();
    return static_cast<int32_t>(r);
}

// The text after the first "=" (the whole text when there is none), trimmed.
std::string afterEquals(const std::string& part)
{
    const size_t eq = part.find('=');
    return Trim(eq == std::string::npos ? part : part.substr(eq + 1));
}

// The source convention with the incoming source put before the description, as the reader
// passes its failures on.
AppError passOnWithSourceInText(const AppError& e, const std::string& ownName)
{
    std::string description = e.description();
    if (!e.source().empty() && e.source() != kAppTitle)
        description = e.source() + ": " + description;
    return AppError(e.number(), ComposeErrorSource(ownName, 0, e.source()), description);
}

struct OpenTable {
    std::string number;   // empty while no table is open
    int32_t defined = 0;
    int32_t read = 0;
};

void readHeader(const std::string& line, OpenTable& table, const std::string& path, long row)
{
    if (!table.number.empty() && table.defined != 0 && table.read != table.defined)
        raiseTemplate("Table: '%0%': the count of columns read (%1%) is not the same with the count of defined "
                      "columns (%2%). Error in file: '%3%'",
                      {table.number, std::to_string(table.read), std::to_string(table.defined), path});
    table = OpenTable{};
    const std::vector<std::string> parts = Split(line, ",");
    if (parts.size() == 2) {
        table.number = afterEquals(parts[0]);
        const std::string count = afterEquals(parts[1]);
        if (isNumeric(count))
            table.defined = toInt32(*ParseNumberText(count));
    }
    if (!isNumeric(table.number))
        raiseTemplate("Could not read table number or it is wrong. Error in file: '%0%', Row number: %1%",
                      {path, std::to_string(row)});
    if (table.defined < 1)
        raiseTemplate("Could not read number of columns or it is wrong. Error in file: '%0%', Row number: %1%",
                      {path, std::to_string(row)});
}

void readColumn(const std::string& line, OpenTable& table, const std::string& path, long row,
                std::vector<std::string>& columns)
{
    const std::vector<std::string> fields = Split(ReplaceAll(line, "\t", ""), ",");
    if (fields.size() != 3 && fields.size() != 4)
        raiseTemplate("Column definition is wrong. Error in file: '%0%', Row number: %1%", {path, std::to_string(row)});
    ++table.read;
    const std::string name = Trim(fields[1]);
    const std::string type = Trim(fields[2]);
    if (name.empty())
        raiseTemplate("Column name could not be empty. Error in file: '%0%', Row number: %1%",
                      {path, std::to_string(row)});
    if (type.empty())
        raiseTemplate("Column type could not be empty. Error in file: '%0%', Row number: %1%",
                      {path, std::to_string(row)});
    const std::string number = Trim(fields[0]);
    const std::optional<double> value = ParseNumberText(number);
    if (number.empty() || !value)
        raiseTypeMismatch();
    if (*value != table.read)
        raiseTemplate("Column: '%0%' has wrong number: %1%. Must be: %2%. Error in file: '%3%', Row number: %4%",
                      {fields[1], number, std::to_string(table.read), path, std::to_string(row)});
    columns.push_back(table.number + "|" + name + " " + type);
}

} // namespace

bool IsDdlHeaderLine(const std::string& line)
{
    // Each literal of "*table*number*=*,*number*of*columns*=*" taken at its leftmost place
    // after the previous one decides the match.
    const std::string lower = ToLower(line);
    size_t at = 0;
    for (const char* word : {"table", "number", "=", ",", "number", "of", "columns", "="}) {
        const size_t p = lower.find(word, at);
        if (p == std::string::npos)
            return false;
        at = p + std::string(word).size();
    }
    return true;
}

std::vector<std::string> ReadDDLFile(std::string path)
{
    std::vector<std::string> columns;
    try {
        ShowStatus("Reading database definition data from: '" + path + "' ...");
        if (!IsFileExists(path, 0))
            throw AppError(1, "", "DDL-File '" + path + "' not exist");
        std::string text = ReadFile2String(path);
        RaiseFileOpError();
        text = ReplaceAll(Trim(text), "\r", "");
        const std::vector<std::string> lines = Split(text, "\n");
        OpenTable table;
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            const long row = static_cast<long>(i) + 1;
            if (Trim(line).empty() || line.find('#') != std::string::npos) {
                // a comment or an empty line
            } else if (IsDdlHeaderLine(line)) {
                readHeader(line, table, path, row);
            } else if (!table.number.empty() && table.defined >= 1) {
                readColumn(line, table, path, row, columns);
            }
            DoEvents();
        }
        if (table.read == 0)
            raiseTemplate("Database definition data in file: '%0%' not found. Wrong DDL-File", {path});
        ShowStatus("Database definition data successfully read");
        return columns;
    } catch (const AppError& e) {
        columns.clear();
        throw passOnWithSourceInText(e, kReader);
    }
}

std::string GetFieldName(const std::string& definition)
{
    const std::string d = Trim(definition);
    const size_t blank = d.find(' ');
    return blank == std::string::npos ? std::string() : d.substr(0, blank);
}

int GetFieldSize(std::string definition, bool& isCharacter)
{
    try {
        int size = 0;
        const size_t open = definition.rfind('(');
        const size_t close = definition.rfind(')');
        if (open != std::string::npos && close != std::string::npos && close >= open + 2) {
            const std::string inner = definition.substr(open + 1, close - open - 1);
            if (isNumeric(inner))
                size = toInt32(*ParseNumberText(inner));
        }
        const size_t blank = definition.find(' ');
        if (blank != std::string::npos && ToLower(definition.substr(blank + 1)).find("char") != std::string::npos)
            isCharacter = true;
        return size;
    } catch (const AppError& e) {
        std::string source = "GetFieldSize";
        if (!e.source().empty() && e.source() != kAppTitle)
            source += ":" + e.source();
        throw AppError(e.number(), source + ": ", e.description());
    }
}
