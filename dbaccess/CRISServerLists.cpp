// Server and database lists: the SQL Servers the computer can reach, the Oracle net service
// names of its Oracle homes, and the databases of one SQL Server. Each gathered once per
// object; a failure gives an empty answer and keeps what was gathered before it.
#include "dbaccess/CRIS.h"

#include "dbaccess/DbBase.h"
#include "dbaccess/SchemaStatements.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/Registry.h"

namespace {

// The SQL Server client's alias list: the servers a client of this computer reaches by name.
const char* kSqlClientAliases = "SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";
const char* kOracleKey = "SOFTWARE\\ORACLE";

// Registry name lists give {""} for a key without entries.
std::vector<std::string> NonEmpty(std::vector<std::string> names)
{
    if (names.size() == 1 && names[0].empty())
        names.clear();
    return names;
}

// The net service name a line of "tnsnames.ora" defines, or empty: the text before its first
// "=", when no "(" comes before that "="; a "#" starts a comment.
std::string TnsAliasOfLine(std::string line)
{
    const size_t hash = line.find('#');
    if (hash != std::string::npos)
        line = Trim(line.substr(0, hash));
    if (line.empty())
        return {};
    const size_t eq = line.find('=');
    const size_t paren = line.find('(');
    if (eq == std::string::npos || eq == 0 || (paren != std::string::npos && paren < eq))
        return {};
    return Trim(line.substr(0, eq));
}

// Runs gather into the list on its first call; later calls answer from the list. A failure
// gives an empty answer, and the list keeps what was gathered before it.
template <class Gather>
std::vector<std::string> GatherOnce(std::optional<std::vector<std::string>>& list, Gather&& gather)
{
    if (list)
        return *list;
    list.emplace();
    try {
        gather(*list);
    } catch (...) {
        return {};
    }
    return *list;
}

} // namespace

std::vector<std::string> CRIS::GetRegisteredSQLServers()
{
    return GatherOnce(sqlServerList_, [](std::vector<std::string>& list) {
        for (const std::string& name : NonEmpty(RegistryEnumValues(HKEY_LOCAL_MACHINE, kSqlClientAliases, "")))
            list.push_back(name);
    });
}

std::vector<std::string> CRIS::GetTNSNames()
{
    return GatherOnce(tnsNameList_, [](std::vector<std::string>& list) {
        if (!RegistryKeyExists(HKEY_LOCAL_MACHINE, kOracleKey, ""))
            return;
        for (const std::string& home : NonEmpty(RegistryEnumKeys(HKEY_LOCAL_MACHINE, kOracleKey, ""))) {
            if (EqualsNoCase(home, "ALL_HOMES"))
                continue;
            const std::string dir = Trim(RegistryValueText(RegistryGetValue(
                HKEY_LOCAL_MACHINE, std::string(kOracleKey) + "\\" + home, "ORACLE_HOME", "", true)));
            if (dir.empty())
                continue;
            const std::string homeDir = AddBackslash(dir);
            for (const char* file : {"hs\\admin\\tnsnames.ora", "network\\admin\\tnsnames.ora"}) {
                const std::string path = homeDir + file;
                if (!IsFileExists(path, 0))
                    continue;
                // The caller's last file error stays as it was; only this read's own counts.
                const FileOpError saved = SaveFileOpError();
                ClearFileOpError();
                const std::vector<std::string> lines = ReadFile2Array(path);
                FileOpError read = SaveFileOpError();
                RestoreFileOpError(saved);
                if (lines.empty() && read.number != 0)
                    throw AppError(read.number, read.source, read.description); // unreadable
                for (const std::string& line : lines) {
                    const std::string alias = TnsAliasOfLine(line);
                    if (!alias.empty())
                        list.push_back(alias);
                }
            }
        }
    });
}

std::vector<std::string> CRIS::GetSQLServerDatabases(const std::string& server, const std::string& user,
                                                     const std::string& password)
{
    return GatherOnce(sqlDatabaseList_, [&](std::vector<std::string>& list) {
        CheckConnectionPart("Server name", server);
        CheckConnectionPart("User name", user);
        CheckConnectionPassword(password);
        const std::string credentials =
            IsBlank(user) ? std::string("Trusted_Connection=True") : "Uid=" + user + ";Pwd=" + password;
        std::optional<Connection> conn;
        std::optional<Recordset> rs;
        try {
            conn.emplace();
            conn->Open("Driver={SQL Server};Server=" + server + ";" + credentials + ";", "", "", -1);
            rs.emplace(conn->Execute("sp_databases"));
            if (rs->State() == adStateOpen && rs->RecordCount() != 0) {
                for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext())
                    list.push_back(GetDBvalue(rs->Fields()[0].Value()).ToText());
            }
        } catch (...) {
            CloseRecordset(rs, false);
            WaitForMdbUnlock(conn, false);
            throw;
        }
        CloseRecordset(rs, false);
        WaitForMdbUnlock(conn, false);
    });
}
