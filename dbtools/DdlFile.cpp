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
const char* kOlderReader = "ParseDDLFile";

// What the two readers report: the same faults, worded by each in its own way.
enum class Fault { CountMismatch, TableNumber, ColumnCount, ColumnLine, EmptyName, EmptyType, WrongNumber, NoData };

struct FaultDetail {
    std::string path;
    long row = 0;
    std::string table;       // CountMismatch
    long read = 0;           // CountMismatch, WrongNumber (the number expected)
    long defined = 0;        // CountMismatch
    std::string name;        // WrongNumber: the name field as written
    std::string number;      // WrongNumber: the column number, trimmed
};

// A message template with its arguments, as the window's formatter reads it. No source of its
// own: the template reaches the caller unchanged.
AppError templateError(const std::string& templ, const std::vector<std::string>& args)
{
    std::string text = templ;
    for (const std::string& a : args)
        text += "|||" + a;
    return AppError(1, "", text);
}

// ReadDDLFile's wording: templates with their arguments.
AppError templateFault(Fault fault, const FaultDetail& d)
{
    const std::string row = std::to_string(d.row);
    switch (fault) {
    case Fault::CountMismatch:
        return templateError("Table: '%0%': the count of columns read (%1%) is not the same with the count of defined "
                      "columns (%2%). Error in file: '%3%'",
                      {d.table, std::to_string(d.read), std::to_string(d.defined), d.path});
    case Fault::TableNumber:
        return templateError("Could not read table number or it is wrong. Error in file: '%0%', Row number: %1%", {d.path, row});
    case Fault::ColumnCount:
        return templateError("Could not read number of columns or it is wrong. Error in file: '%0%', Row number: %1%",
                      {d.path, row});
    case Fault::ColumnLine:
        return templateError("Column definition is wrong. Error in file: '%0%', Row number: %1%", {d.path, row});
    case Fault::EmptyName:
        return templateError("Column name could not be empty. Error in file: '%0%', Row number: %1%", {d.path, row});
    case Fault::EmptyType:
        return templateError("Column type could not be empty. Error in file: '%0%', Row number: %1%", {d.path, row});
    case Fault::WrongNumber:
        return templateError("Column: '%0%' has wrong number: %1%. Must be: %2%. Error in file: '%3%', Row number: %4%",
                      {d.name, d.number, std::to_string(d.read), d.path, row});
    case Fault::NoData:
        break;
    }
    return templateError("Database definition data in file: '%0%' not found. Wrong DDL-File", {d.path});
}

// ParseDDLFile's wording: plain texts, the file and the row on lines of their own.
AppError plainFault(Fault fault, const FaultDetail& d)
{
    const std::string inFile = "\r\nError in file: '" + d.path + "'";
    const std::string atRow = inFile + "\r\nRow number: " + std::to_string(d.row);
    std::string text;
    switch (fault) {
    case Fault::CountMismatch:
        text = "Count of readed columns (" + std::to_string(d.read) + ") does not much number of columns (" +
               std::to_string(d.defined) + ")" + inFile;
        break;
    case Fault::TableNumber:
        text = "Could not read table number or it is wrong." + atRow;
        break;
    case Fault::ColumnCount:
        text = "Could not read number of columns or it is wrong." + atRow;
        break;
    case Fault::ColumnLine:
        text = "Column definition is wrong." + atRow;
        break;
    case Fault::EmptyName:
        text = "Column name could not be empty." + atRow;
        break;
    case Fault::EmptyType:
        text = "Column type could not be empty." + atRow;
        break;
    case Fault::WrongNumber:
        text = "Column: '" + d.name + "' has wrong number: " + d.number + ". Must be: " + std::to_string(d.read) + atRow;
        break;
    case Fault::NoData:
        text = "Database definition data in file: '" + d.path + "' not found. Possible wrong DDL-File";
        break;
    }
    return AppError(1, "", text);
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

// How one reader differs from the other while it reads the lines.
struct ReaderRules {
    AppError (*fault)(Fault, const FaultDetail&);
    int32_t countLimit;            // the largest count its counters hold
    std::string removedFromColumns; // characters deleted from a column line before it is cut
    // At the end: the older reader asks only for one header; the newer one for a column line
    // in the last table it opened.
    bool needsHeaderOnly;
};

const ReaderRules kReadRules{templateFault, INT32_MAX, "\t", false};
const ReaderRules kParseRules{plainFault, INT16_MAX, "\t\r\n", true};

struct OpenTable {
    std::string number;   // empty while no table is open
    int32_t defined = 0;
    int32_t read = 0;
};

class LineReader {
public:
    LineReader(const ReaderRules& rules, const std::string& path) : rules_(rules), path_(path) {}

    std::vector<std::string> Read(const std::vector<std::string>& lines)
    {
        for (size_t i = 0; i < lines.size(); ++i) {
            const std::string& line = lines[i];
            row_ = static_cast<long>(i) + 1;
            if (Trim(line).empty() || line.find('#') != std::string::npos) {
                // a comment or an empty line
            } else if (IsDdlHeaderLine(line)) {
                header(line);
            } else if (!table_.number.empty() && table_.defined >= 1) {
                column(line);
            }
            DoEvents();
        }
        if (rules_.needsHeaderOnly ? !headerRead_ : table_.read == 0)
            fail(Fault::NoData);
        return std::move(columns_);
    }

private:
    [[noreturn]] void fail(Fault fault, FaultDetail d = {})
    {
        d.path = path_;
        d.row = row_;
        throw rules_.fault(fault, d);
    }

    int32_t toCount(double value) const
    {
        const int32_t n = toInt32(value);
        if (n > rules_.countLimit || n < -rules_.countLimit - 1)
            raiseOverflow();
        return n;
    }

    void header(const std::string& line)
    {
        if (!table_.number.empty() && table_.defined != 0 && table_.read != table_.defined) {
            FaultDetail d;
            d.table = table_.number;
            d.read = table_.read;
            d.defined = table_.defined;
            fail(Fault::CountMismatch, d);
        }
        table_ = OpenTable{};
        const std::vector<std::string> parts = Split(line, ",");
        if (parts.size() == 2) {
            table_.number = afterEquals(parts[0]);
            const std::string count = afterEquals(parts[1]);
            if (isNumeric(count))
                table_.defined = toCount(*ParseNumberText(count));
        }
        if (!isNumeric(table_.number))
            fail(Fault::TableNumber);
        if (table_.defined < 1)
            fail(Fault::ColumnCount);
        headerRead_ = true;
    }

    void column(std::string line)
    {
        for (char c : rules_.removedFromColumns)
            line = ReplaceAll(line, std::string(1, c), "");
        const std::vector<std::string> fields = Split(line, ",");
        if (fields.size() != 3 && fields.size() != 4)
            fail(Fault::ColumnLine);
        table_.read = toCount(static_cast<double>(table_.read) + 1);
        const std::string name = Trim(fields[1]);
        const std::string type = Trim(fields[2]);
        if (name.empty())
            fail(Fault::EmptyName);
        if (type.empty())
            fail(Fault::EmptyType);
        const std::string number = Trim(fields[0]);
        const std::optional<double> value = ParseNumberText(number);
        if (number.empty() || !value)
            raiseTypeMismatch();
        if (*value != table_.read) {
            FaultDetail d;
            d.name = fields[1];
            d.number = number;
            d.read = table_.read;
            fail(Fault::WrongNumber, d);
        }
        columns_.push_back(table_.number + "|" + name + " " + type);
    }

    const ReaderRules& rules_;
    const std::string& path_;
    OpenTable table_;
    long row_ = 0;
    bool headerRead_ = false;
    std::vector<std::string> columns_;
};

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
        columns = LineReader(kReadRules, path).Read(Split(ReplaceAll(Trim(text), "\r", ""), "\n"));
        ShowStatus("Database definition data successfully read");
        return columns;
    } catch (const AppError& e) {
        columns.clear();
        throw passOnWithSourceInText(e, kReader);
    }
}

std::vector<std::string> ParseDDLFile(const std::string& path)
{
    std::vector<std::string> columns;
    try {
        if (!IsFileExists(path, 0))
            throw AppError(1, "", "DDL-File: '" + path + "' not found");
        std::string text = ReadFile2String(path);
        RaiseFileOpError();
        columns = LineReader(kParseRules, path).Read(Split(ReplaceAll(Trim(text), "\n", ""), "\r"));
        return columns;
    } catch (const AppError& e) {
        columns.clear();
        throw PassOn(e, kOlderReader);
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
