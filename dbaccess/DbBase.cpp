// Release of recordsets and connections shared by the database code.
#include "dbaccess/DbBase.h"

#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

namespace {

constexpr int kUnlockStepMs = 100;
constexpr int kUnlockLimitMs = 60000;

// The data source of a connection string: the text after "data source=" up to the next ";",
// empty when no ";" follows it.
std::string DataSourceOf(const std::string& connectionString)
{
    const std::string key = "data source=";
    const size_t at = ToLower(connectionString).find(key);
    if (at == std::string::npos)
        return std::string();
    const size_t from = at + key.size();
    const size_t semicolon = connectionString.find(';', from);
    if (semicolon == std::string::npos)
        return std::string();
    return connectionString.substr(from, semicolon - from);
}

} // namespace

void CloseRecordset(std::optional<Recordset>& rs, bool createNew)
{
    try {
        if (rs && rs->State() == adStateOpen)
            rs->Close();
    } catch (...) {
    }
    rs.reset();
    if (createNew)
        rs.emplace();
}

Variant GetDBvalue(const Variant& value)
{
    return value.IsNull() ? Variant() : value;
}

void WaitForMdbUnlock(std::optional<Connection>& conn, bool wait)
{
    std::string connectionString;
    try {
        if (conn) {
            connectionString = conn->ConnectionString();
            if (conn->State() == adStateOpen)
                conn->Close();
        }
    } catch (...) {
    }
    conn.reset();
    if (!wait)
        return;
    try {
        const std::string dataSource = DataSourceOf(connectionString);
        if (IsBlank(dataSource))
            return;
        const std::string lockFile = GetPathDir(dataSource) + GetFileBaseName(dataSource) + ".ldb";
        for (int waited = 0; waited < kUnlockLimitMs && IsFileExists(lockFile, 0); waited += kUnlockStepMs) {
            DoEvents();
            GetClock().SleepMs(kUnlockStepMs);
        }
    } catch (...) {
    }
}
