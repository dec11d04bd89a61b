// RIS access of the project copy through parameter files.
#include "projcopy/RisParamsAccess.h"

#include "dbaccess/AnswerLines.h"
#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RowCountAnswer.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "dbaccess/RISListing.h"
#include "projcopy/CopyClientRun.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyWorkFiles.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"

#include <algorithm>
#include <initializer_list>

namespace {

constexpr size_t kHeadingLines = 4;

bool containsFrom(const std::string& text, size_t from, const std::string& what)
{
    return from <= text.size() && text.find(what, from) != std::string::npos;
}

// The command text of one client run: the RIS_PARAMETERS line when a file is given.
std::string clientCommand(const std::string& paramsFile, const std::string& commandLine)
{
    if (paramsFile.empty())
        return commandLine;
    return SetPathVariableLine("RIS_PARAMETERS", paramsFile, "RIS parameters file") + "\r\n" + commandLine;
}

// The table after the first "FROM " of a statement.
std::string queryTableName(const std::string& sql)
{
    const size_t p = ToUpper(sql).find("FROM ");
    if (p == std::string::npos)
        return "";
    size_t end = sql.find(' ', p + 6);
    if (end == std::string::npos)
        end = sql.find(';', p + 6);
    if (end == std::string::npos)
        end = sql.size();
    return Trim(sql.substr(p + 4, end - (p + 4)));
}

// The column definitions ("name type") of a "create table name (...)" line; what else a column
// declares (its NOT NULL) says nothing of its values' type.
std::vector<std::string> layoutColumns(const std::string& createLine)
{
    std::string table;
    std::vector<DumpColumn> columns;
    std::string line = createLine;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    if (!DumpFormat::ParseCreateTableLine(line, table, columns))
        return {};
    std::vector<std::string> layout;
    for (const DumpColumn& c : columns)
        layout.push_back(c.type.empty() ? c.name : c.name + " " + c.type);
    return layout;
}

// The definition of a result column in the layout: the one whose name is the column's, else the
// first that contains it. The column's own comes first: a name that only occurs inside another
// column's name (path_name in default_path_name) would take that column's type.
const std::string* columnDefinition(const std::vector<std::string>& layout, const std::string& column)
{
    for (const std::string& d : layout)
        if (EqualsNoCase(Trim(d.substr(0, d.find(' '))), column))
            return &d;
    for (const std::string& d : layout)
        if (d.find(column) != std::string::npos)
            return &d;
    return nullptr;
}

// The type code of a result column by its definition in the layout (columnDefinition).
int columnType(const std::vector<std::string>& layout, const std::string& column)
{
    const std::string* def = columnDefinition(layout, column);
    if (!def)
        throw AppError(1, "GetData", "Column '" + column + "' not in the table layout");
    const size_t from = column.empty() ? 0 : column.size() - 1;
    if (containsFrom(*def, from, "int"))
        return adBigInt;
    if (containsFrom(*def, from, "decimal") || containsFrom(*def, from, "double"))
        return adDouble;
    return adLongVarWChar;
}

// The temporary files go whatever happened, in one run; quoted, so only they are deleted.
void deleteFiles(std::initializer_list<std::string> files)
{
    std::string command = "del";
    for (const std::string& file : files)
        command += " " + QuoteString(file);
    RunCopyCommand(command);
}

// Why a client left nothing to read: its RIS error, else its failing exit code (one that could
// not be started, or died, says no word of its own), else nothing.
std::string clientSilence(const std::string& client, long exitCode, const std::string& said)
{
    if (const std::string error = RISErrorMessage(said); !error.empty())
        return error;
    return exitCode == 0 ? std::string() : RisClientExitText(client, exitCode);
}

std::string withReason(const std::string& text, const std::string& reason)
{
    return reason.empty() ? text : text + ": " + reason;
}

// What is wrong with risbatch's answer to sql, in this order: no answer at all, the RIS error it
// names, a client that ended without a word of its own; empty when the answer can be read. A
// blank sql leaves the statement unnamed.
std::string batchAnswerFailure(const std::string& sql, long exitCode, const std::string& answer)
{
    if (Trim(answer).empty())
        return withReason("risbatch gave no answer" + (sql.empty() ? std::string() : " to '" + sql + "'"),
                          clientSilence("risbatch", exitCode, ""));
    if (std::string risError = RISErrorMessage(answer); !risError.empty())
        return risError;
    return RisClientEndedSilently(exitCode, answer) ? RisClientExitText("risbatch", exitCode) : std::string();
}

// A printed value: the quotes around a text go, what is inside stays (an apostrophe in a text
// is data). An unquoted empty value is a Null.
Variant valueOf(const std::string& printed)
{
    if (printed.size() >= 2 && printed.front() == '\'' && printed.back() == '\'')
        return Variant(printed.substr(1, printed.size() - 2));
    if (printed.empty())
        return Variant::Null();
    return Variant(printed);
}

bool splitNameValue(const std::string& line, std::string& name, std::string& value)
{
    const size_t colon = line.find(':');
    if (colon == std::string::npos)
        return false;
    name = Trim(line.substr(0, colon));
    value = Trim(line.substr(colon + 1));
    return true;
}

// The recordset's fields from the first row of the answer, in risbatch's order.
void defineFields(Recordset& rs, const std::vector<std::string>& lines, const std::vector<std::string>& layout)
{
    for (size_t i = kHeadingLines; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        DoEvents();
        if (line.rfind("End of Data Found", 0) == 0 || line.find("RIS Error:") != std::string::npos)
            break;
        if (line.empty()) {
            if (rs.Fields().Count() > 0)
                break;
            continue;
        }
        std::string name, value;
        if (!splitNameValue(line, name, value))
            continue;
        rs.Fields().Append(name, columnType(layout, name), 255, -1);
    }
}

// The rows of the answer as risbatch printed them: each value's text as the server gives it
// (a number in the server's own form), a Null as nullopt; text columns by the layout.
std::vector<RowImage> printedRows(const std::vector<std::string>& lines, const std::vector<std::string>& layout)
{
    std::vector<RowImage> rows;
    bool inRow = false;
    for (size_t i = kHeadingLines; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.rfind("End of Data Found", 0) == 0)
            break;
        if (line.empty()) {
            inRow = false;
            continue;
        }
        std::string name, value;
        if (!splitNameValue(line, name, value))
            throw AppError(1, "GetRows", "Unexpected line '" + line + "'");
        if (!inRow)
            rows.emplace_back();
        inRow = true;
        RowValue v;
        v.column = name;
        v.text = columnType(layout, name) == adLongVarWChar;
        if (const std::string* def = columnDefinition(layout, name); def && def->find(' ') != std::string::npos)
            v.type = Trim(def->substr(def->find(' ') + 1));
        const Variant printed = valueOf(value);
        if (!printed.IsNull())
            v.value = printed.ToText();
        rows.back().push_back(std::move(v));
    }
    return rows;
}

void fillRows(Recordset& rs, const std::vector<std::string>& lines)
{
    for (size_t i = kHeadingLines; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        DoEvents();
        if (line.empty()) {
            rs.AddNew();
            continue;
        }
        if (line.rfind("End of Data Found", 0) == 0) {
            rs.Delete();
            break;
        }
        std::string name, value;
        if (!splitNameValue(line, name, value))
            throw AppError(1, "GetData", "Unexpected line '" + line + "'");
        rs.Fields()[name].SetValue(valueOf(value));
    }
    if (rs.RecordCount() > 0)
        rs.MoveFirst();
}

// The risbatch input of one statement on the schema, with its closing ";" once.
std::string batchInput(const std::string& schema, const std::string& sql)
{
    return "default schema " + schema + ";\r\n" + (sql.back() == ';' ? sql : sql + ";") + "\r\nquit;\r\n";
}

} // namespace

std::vector<std::string> RisParamsAccess::GetProjects(const std::string& paramsFile, std::string* failure) const
{
    std::vector<std::string> projects{""};
    std::string why;
    if (paramsFile.empty() || !IsFileExists(paramsFile, 0)) {
        if (failure)
            failure->clear();
        return projects;
    }
    const std::string sqlFile = CopyWorkFile(kCopyStatements), outFile = CopyWorkFile(kCopyAnswer);
    try {
        HostWriteFile(sqlFile, RisbatchCommandInput("show schema names;"));
        RunCopyCommand("del " + QuoteString(outFile));
        const long exitCode = RunCopyClient(
            clientCommand(paramsFile, "risbatch -i " + QuoteString(sqlFile) + " -o " + QuoteString(outFile)), &log_);
        // The list has no end line of its own: it is whole only from a client that ended well,
        // wrote its answer and named no error. An environment without schemas answers nothing.
        if (!IsFileExists(outFile, 0))
            why = withReason("risbatch wrote no answer", clientSilence("risbatch", exitCode, ""));
        const std::string answer = why.empty() ? ReadFile2String(outFile) : std::string();
        if (why.empty())
            why = RISErrorMessage(answer);
        if (why.empty() && exitCode != 0)
            why = RisClientExitText("risbatch", exitCode);
        if (why.empty())
            for (std::string& name : SchemaNamesFromOutput(AnswerLines(answer), true))
                projects.push_back(std::move(name));
    } catch (const AppError& e) {
        why = e.description();
    } catch (const std::exception& e) {
        why = e.what();
    }
    if (!why.empty())
        projects = {""};
    deleteFiles({sqlFile, outFile});
    if (failure)
        *failure = why;
    return projects;
}

Recordset RisParamsAccess::GetData(const std::string& paramsFile, const std::string& schema,
                                   const std::string& sql) const
{
    std::string ignored;
    return GetData(paramsFile, schema, sql, ignored);
}

void RisParamsAccess::readAnswer(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                                 std::vector<std::string>& layout, std::vector<std::string>& lines) const
{
    const std::string sqlFile = CopyWorkFile(kCopyStatements), outFile = CopyWorkFile(kCopyAnswer);
    struct Cleanup {
        std::string sqlFile, outFile;
        ~Cleanup() { deleteFiles({sqlFile, outFile}); }
    } cleanup{sqlFile, outFile};
    layout.clear();
    lines.clear();
    if (sql.empty())
        throw AppError(1, "GetData", "No statement");
    // A query begins with SELECT; an INSERT whose values hold the word ("Pipe selection")
    // must still be run, not taken for a query of its table's layout.
    // The schema stands in risbatch's "default schema" line and, with the table, unquoted
    // after risunlod's "-s".
    CheckRISName("Schema", schema);
    if (StartsWithNoCase(Trim(sql), "SELECT")) {
        const std::string table = queryTableName(sql);
        CheckRISName("Table", table);
        // risunlod says why it failed on its console: kept, so that a missing layout is named
        // with its cause (an unknown table, a client that could not be started).
        deleteFiles({outFile});
        std::string said;
        const long unloadExit = RunCopyClient(
            clientCommand(paramsFile, "risunlod -mw -o " + QuoteString(outFile) + " -s " + schema + " table " + table),
            nullptr, said);
        const std::vector<std::string> unloaded = AnswerLines(ReadFile2String(outFile));
        std::string createLine;
        for (const std::string& line : unloaded)
            if (line.find("create table ") != std::string::npos) {
                createLine = line;
                break;
            }
        if (createLine.empty())
            throw AppError(1, "GetData",
                           withReason("No layout of table '" + table + "'",
                                      clientSilence("risunlod", unloadExit, Join(unloaded, "\r\n") + "\r\n" + said)));
        layout = layoutColumns(createLine);
        // A table of one column (pdtable_114) is a layout too.
        if (layout.empty())
            throw AppError(1, "GetData", "No columns in the layout of table '" + table + "'");
    }
    HostWriteFile(sqlFile, batchInput(schema, sql));
    // The layout must not pass for the answer of a client that wrote none.
    RunCopyCommand("del " + QuoteString(outFile));
    const long exitCode = RunCopyClient(
        clientCommand(paramsFile, "risbatch -i " + QuoteString(sqlFile) + " -o " + QuoteString(outFile)), &log_);
    // Split at its line ends only: a CR inside a text value is data and goes into the row.
    const std::string answer = ReadFile2String(outFile);
    lines = AnswerLines(answer);
    if (const std::string unread = batchAnswerFailure(sql, exitCode, answer); !unread.empty())
        throw AppError(1, "GetData", unread);
    const bool endOfData = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind("End of Data Found", 0) == 0;
    });
    const bool rows = std::any_of(lines.begin() + static_cast<long>(std::min(lines.size(), kHeadingLines)), lines.end(),
                                  [](const std::string& line) { return line.find(':') != std::string::npos; });
    // Rows without the end line are an answer cut short: the rows after the cut are missing
    // unseen, so the read has failed as if the client had. A query that found no row is
    // answered by "End of Data Found" alone; any other statement has no rows to give.
    if (rows && !endOfData)
        throw AppError(1, "GetData", "risbatch's answer to '" + sql + "' ends without \"End of Data Found\"");
    if (!rows && !endOfData && !layout.empty())
        throw AppError(1, "GetData", "risbatch gave no rows and no end of data to '" + sql + "'");
}

Recordset RisParamsAccess::GetData(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                                   std::string& failure) const
{
    failure.clear();
    Recordset rs;
    rs.SetCursorLocation(adUseClient);
    try {
        std::vector<std::string> layout, lines;
        readAnswer(paramsFile, schema, sql, layout, lines);
        defineFields(rs, lines, layout);
        if (rs.Fields().Count() > 0) {
            rs.Open();
            fillRows(rs, lines);
        }
    } catch (const AppError& e) {
        failure = e.description();
    } catch (const std::exception& e) {
        failure = e.what();
    } catch (...) {
        failure = "Unreadable answer to '" + sql + "'";
    }
    if (!failure.empty() && rs.State() == adStateOpen)
        rs.Close();
    return rs;
}

std::vector<RowImage> RisParamsAccess::GetRows(const std::string& paramsFile, const std::string& schema,
                                               const std::string& sql, std::string& failure) const
{
    failure.clear();
    try {
        std::vector<std::string> layout, lines;
        readAnswer(paramsFile, schema, sql, layout, lines);
        return printedRows(lines, layout);
    } catch (const AppError& e) {
        failure = e.description();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    return {};
}

std::string RisParamsAccess::UnloadRows(const std::string& paramsFile, const std::string& schema,
                                        const std::string& table, CopyLayout layout, const std::string& dumpFile,
                                        bool& missing) const
{
    missing = false;
    try {
        CheckRISName("Schema", schema);
        CheckRISName("Table", table);
        RunCopyCommand("del " + QuoteString(dumpFile));
        std::string said;
        const long exitCode = RunCopyClient(
            clientCommand(paramsFile, "risunlod -mw -o " + QuoteString(dumpFile) + " -s " + schema + " table with " +
                                          (layout == CopyLayout::Variable ? "var " : "") + "data " + table),
            nullptr, said);
        if (const std::string error = RISErrorMessage(said); !error.empty()) {
            missing = error.find("RIS_E_UNKNOWN_RELATION") != std::string::npos;
            return error;
        }
        if (exitCode != 0)
            return RisClientExitText("risunlod", exitCode);
        if (const DumpWholeness whole = CheckDumpWhole(dumpFile); !whole.Whole())
            return "the unload of " + table + " is not whole: " + whole.problem;
        return {};
    } catch (const AppError& e) {
        return e.description();
    }
}

std::string RisParamsAccess::RunStatement(const std::string& paramsFile, const std::string& schema,
                                          const std::string& sql) const
{
    StatementRun how;
    return RunStatement(paramsFile, schema, sql, how);
}

bool RisParamsAccess::runBatch(const std::string& paramsFile, const std::string& schema, const std::string& sql,
                               bool logAnswer, long& exitCode, std::string& answer, std::string& failure) const
{
    const std::string sqlFile = CopyWorkFile(kCopyStatements), outFile = CopyWorkFile(kCopyAnswer);
    bool ran = false;
    answer.clear();
    failure.clear();
    try {
        if (Trim(sql).empty())
            throw AppError(1, "RunStatement", "SQL statement not defined");
        CheckRISName("Schema", schema);
        RunCopyCommand("del " + QuoteString(outFile));
        HostWriteFile(sqlFile, batchInput(schema, sql));
        ran = true;
        exitCode = RunCopyClient(
            clientCommand(paramsFile, "risbatch -i " + QuoteString(sqlFile) + " -o " + QuoteString(outFile)),
            logAnswer ? &log_ : nullptr);
        answer = IsFileExists(outFile, 0) ? ReadFile2String(outFile) : std::string();
    } catch (const AppError& e) {
        failure = e.description();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    deleteFiles({sqlFile, outFile});
    return ran;
}

std::string RisParamsAccess::RunStatement(const std::string& paramsFile, const std::string& schema,
                                          const std::string& sql, StatementRun& how) const
{
    long exitCode = 0;
    std::string answer, failure;
    how.ran = runBatch(paramsFile, schema, sql, how.logAnswer, exitCode, answer, failure);
    how.refused = !how.ran;
    if (!failure.empty())
        return failure;
    // Only a RIS error the client names is a refusal; a client that died part-way has not run
    // the statement for certain, and is no refusal either.
    how.refused = !Trim(answer).empty() && !RISErrorMessage(answer).empty();
    return batchAnswerFailure(sql, exitCode, answer);
}

int RisParamsAccess::CountRows(const std::string& paramsFile, const std::string& schema, const std::string& table,
                               uint64_t& count, std::string& failure) const
{
    long exitCode = 0;
    std::string answer;
    if (!runBatch(paramsFile, schema, Trim(RowCountStatements({table})), false, exitCode, answer, failure) ||
        !failure.empty())
        return -1;
    if (RISErrorMessage(answer).find("RIS_E_UNKNOWN_RELATION") != std::string::npos)
        return 0;
    failure = batchAnswerFailure("", exitCode, answer);
    if (!failure.empty())
        return -1;
    try {
        count = ReadRowCounts(answer, {table}).at(table);
    } catch (const AppError& e) {
        failure = e.description();
        return -1;
    } catch (const std::exception& e) {
        failure = e.what();
        return -1;
    }
    return 1;
}
