// Command lines, input files and parameter lines of the RIS clients.
#include "dbaccess/RISCommandLine.h"

#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/PathCharacters.h"

namespace {

const char* const kCrLf = "\r\n";

std::string Banner(const std::string& text, int before, int after)
{
    return std::string(before, '*') + text + std::string(after, '*');
}

} // namespace

std::string RisbatchStatementInput(const std::string& schema, const std::string& sql)
{
    const bool withSchema = !IsBlank(schema);
    std::string s;
    if (withSchema)
        s += "default schema " + schema + ";" + kCrLf;
    s += sql;
    if (sql.empty() || sql.back() != ';')
        s += ";";
    s += kCrLf;
    if (withSchema)
        s += std::string("commit;") + kCrLf;
    s += std::string("quit;") + kCrLf;
    return s;
}

std::string RisbatchCommandInput(const std::string& command)
{
    return command + kCrLf + "quit;" + kCrLf;
}

std::string RisbatchCommand(const std::string& risPath, const std::string& inputFile, const std::string& outputFile)
{
    return QuoteString(risPath + "risbatch.exe") + " -i " + QuoteString(inputFile) + " -o " + QuoteString(outputFile);
}

std::string RisunlodListCommand(const std::string& risPath, const std::string& listFile, const std::string& schema,
                                const std::string* table, bool withIndexes, bool withViews, bool withGrants)
{
    const std::string tables = table ? *table : std::string("all");
    return QuoteString(risPath + "risunlod.exe") + " -m w -o " + QuoteString(listFile) + " -s " + schema + " table " +
           tables + (withViews ? std::string(" view all") : std::string()) +
           (withIndexes ? " index " + tables : std::string()) + (withGrants ? " grant " + tables : std::string());
}

std::string RisunlodDumpCommand(const std::string& risPath, const std::string& dumpFile,
                                const std::string& parameterFile)
{
    return QuoteString(risPath + "risunlod.exe") + " -m w -o " + QuoteString(dumpFile) + " -f " +
           QuoteString(parameterFile);
}

std::string RisTableList(const std::optional<std::vector<std::string>>& tables)
{
    return tables ? Join(*tables, " ") : std::string("all");
}

std::string RisunlodParameterLine(const std::string& schema, const std::optional<std::vector<std::string>>& tables,
                                  const std::optional<std::vector<std::string>>& whereClauses, int32_t dataLayout,
                                  UnloadExtras extras)
{
    const std::string tableList = RisTableList(tables);
    std::string tablePart = tableList;
    if (tables && whereClauses) {
        std::vector<std::string> entries;
        for (size_t i = 0; i < tables->size(); ++i) {
            std::string entry = Trim((*tables)[i]);
            if (i < whereClauses->size() && !IsBlank((*whereClauses)[i])) {
                const std::string where = Trim((*whereClauses)[i]);
                // The condition stands between double quotes on the one parameter line: a quote
                // would end it early and a line break would end the line.
                for (char c : where)
                    if (c == '"' || static_cast<unsigned char>(c) < 0x20)
                        throw AppError(1, "", "Where condition '" + where + "' of table '" + entry + "' holds " +
                                                  DescribeCharacter(c) + ", which the unload cannot pass on");
                entry += " where \" " + where + " \"";
            }
            entries.push_back(entry);
        }
        tablePart = Join(entries, " ");
    }
    std::string line = schema + " table with " + (dataLayout == 0 ? "var " : "") + "data " + tablePart;
    if (extras == UnloadExtras::ViewsIndexesGrants)
        line += " view all";
    if (extras != UnloadExtras::None)
        line += " index " + tableList + " grant " + tableList;
    return line;
}

std::string RislodModeWord(int32_t mode)
{
    switch (mode) {
    case 0: return "clear";
    case 2: return "";
    default: return "new";
    }
}

std::string RislodCommand(const std::string& risPath, const std::string& workCopy, const std::string& clientLog,
                          const std::string& badFile, int16_t commitCount, const std::string& schema, int32_t mode,
                          const std::string& tableList)
{
    return QuoteString(risPath + "rislod.exe") + " -m w -i " + QuoteString(workCopy) + " -l " +
           QuoteString(clientLog) + " -b " + QuoteString(badFile) + " -c " + std::to_string(commitCount) + " -s " +
           schema + " " + RislodModeWord(mode) + " table with data " + tableList + " view all index " + tableList +
           " grant " + tableList;
}

std::string RisclnsrCommand(const std::string& risPath, const std::string& schema)
{
    return QuoteString(risPath + "risclnsr.exe") + " " + schema;
}

std::string RisClientNotFound(const std::string& client, const std::string& risPath)
{
    return client + " " + (risPath.empty() ? std::string() : "in '" + risPath + "' ") + "not found";
}

std::string RisClientNoOutput(const std::string& client, const std::string& risPath, long exitCode,
                              const std::string& outputFile, bool needContent)
{
    if (!risPath.empty() && !IsFileExists(risPath + client + ".exe", 0))
        return RisClientNotFound(client, risPath);
    if (IsFileExists(outputFile, 0) && IsFileExistsA(outputFile) && (!needContent || GetFileSize(outputFile) != 0))
        return {};
    return RisClientExitText(client, exitCode) + " without writing its output '" + outputFile + "'";
}

std::string RisClientExitText(const std::string& client, long exitCode)
{
    return client + " ended with exit code " + std::to_string(exitCode);
}

bool RisClientEndedUnexplained(long exitCode, const std::string& output)
{
    if (exitCode == 0 || !RISErrorText(output).empty())
        return false;
    // The reader passes over index blocks; with their code changed (same length, so the frame
    // stays whole) a whole one reads as a block.
    std::string masked = output;
    const std::string code = "RIS_E_CREATE_INDEX";
    for (size_t at = FindNoCase(masked, code); at != std::string::npos; at = FindNoCase(masked, code, at + 1))
        masked[at + code.size() - 1] = '_';
    return RISErrorText(masked).empty();
}

std::string BadFileBeginBanner()
{
    return Banner("Begin of RIS bad file", 50, 49);
}

std::string BadFileEndBanner()
{
    return Banner("End of RIS bad file", 50, 51);
}

void CheckRISName(const std::string& kind, const std::string& name)
{
    // A name goes unquoted into a command line or parameter file, where a blank, quote or
    // redirection would change what the client is told to do.
    if (!IsIdentifier(Trim(name)))
        throw AppError(1, "", kind + " name '" + name + "' is not a valid RIS name");
}
