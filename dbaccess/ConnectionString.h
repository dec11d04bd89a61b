// The connection strings of the Oracle and SQL Server connection kinds.
#pragma once

#include <string>

// "Provider=MSDAORA.1;Data Source=<server>;User Id=<user>;Password=<password>;"
std::string OracleConnectString(const std::string& server, const std::string& user, const std::string& password);
// "Driver={SQL Server};Server=<server>;Database=<database>;" + "Uid=<user>;Pwd=<password>" or,
// for a blank user, "Trusted_Connection=True", then ";".
std::string SqlServerConnectString(const std::string& server, const std::string& database, const std::string& user,
                                   const std::string& password);
