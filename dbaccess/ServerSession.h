// The session statements that make a server connection act in a schema (Oracle) or as a
// login (SQL Server), shared by the queries and the statements of the server kinds.
#pragma once

#include <cstdint>
#include <string>

class Connection;

// kind is CRIS::kConOracle or CRIS::kConSQLServer. A blank schema keeps the login's own. The
// Oracle schema goes into the statement as a bare name, so it must be a plain identifier
// (raises error 1 naming it otherwise).
void EnterServerSession(Connection& conn, int32_t kind, const std::string& schema);
