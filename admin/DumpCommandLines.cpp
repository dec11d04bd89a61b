// Texts of the dump unload and load.
#include "admin/DumpCommandLines.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/Tokens.h"

std::string DumpParamToken(const std::string& params, int n)
{
    std::vector<std::string> tokens = GetTokens(params, "'", n);
    ReplaceTokensFromIni(tokens, gIniFile, "TARNWICK", "\xA7");
    return tokens[static_cast<size_t>(n)];
}

std::string FileInDir(const std::string& dir, const std::string& name)
{
    if (dir.empty() || dir.back() == '\\' || dir.back() == '/')
        return dir + name;
    return dir + "\\" + name;
}

std::string DumpFolderInFull(const std::string& dumpDir, const std::string& ownName)
{
    if (const std::string noPlace = NoPlaceWords(dumpDir); !noPlace.empty())
        RaiseError(ownName, "The dump folder '" + dumpDir + "' " + noPlace);
    return IsRelativeWinPath(dumpDir) ? FullWinPath(dumpDir) : dumpDir;
}

std::string DumpFileOf(const std::string& dumpDir, const std::string& schema)
{
    return FileInDir(dumpDir, schema + ".dmp");
}

std::string UnloadCommand(const std::string& schema, const std::string& dumpFile)
{
    return "risunlod -m w -o " + QuoteString(dumpFile) + " -s " + schema +
           " table with var data all index all grant all view all";
}

std::string LoadCommand(const std::string& dumpFile, const std::string& schema)
{
    return "rislod -m w -i " + QuoteString(dumpFile) + " -s " + schema +
           " clear table with data all view all index all grant all";
}

bool IsDefaultSchemaLine(const std::string& line)
{
    return line.compare(0, 14, "default schema") == 0;
}

std::string SchemaOfSchemaLine(const std::string& line)
{
    // Position 12 lies inside the word "schema", so the blank found ends "default schema".
    if (line.size() < 12)
        return {};
    size_t blank = line.find(' ', 11);
    if (blank == std::string::npos)
        return {};
    return Trim(line.substr(blank + 1));
}

bool IsLoadCandidate(const std::string& firstLine, const std::string& fileName, SchemaWordCase wordCase)
{
    if (fileName.size() >= 3 && fileName.compare(fileName.size() - 3, 3, "bak") == 0)
        return false;
    size_t at = wordCase == SchemaWordCase::Exact ? firstLine.find(" schema ", 4) : FindNoCase(firstLine, " schema ", 4);
    return at != std::string::npos;
}

void CheckIdentifier(const std::string& name, const std::string& what, const std::string& ownName)
{
    if (!IsIdentifier(name))
        RaiseError(ownName, what + " '" + name + "' is not a valid name (letters, digits and '_' only)");
}
