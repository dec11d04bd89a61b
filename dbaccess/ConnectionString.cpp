// Connection strings of the Oracle and SQL Server kinds; arguments go in unchanged (callers
// refuse a ";" in them first).
#include "dbaccess/ConnectionString.h"

#include "platform/TextUtil.h"

std::string OracleConnectString(const std::string& server, const std::string& user, const std::string& password)
{
    return "Provider=MSDAORA.1;Data Source=" + server + ";User Id=" + user + ";Password=" + password + ";";
}

std::string SqlServerConnectString(const std::string& server, const std::string& database, const std::string& user,
                                   const std::string& password)
{
    const std::string credentials =
        IsBlank(user) ? std::string("Trusted_Connection=True") : "Uid=" + user + ";Pwd=" + password;
    return "Driver={SQL Server};Server=" + server + ";Database=" + database + ";" + credentials + ";";
}
