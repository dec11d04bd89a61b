// The texts of the RIS schema statements and of the Oracle and SQL Server user statements,
// and the checks made on every name and password before it goes into one of them or into a
// connection string.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Raises error 1 unless the text (blanks around it allowed) is made of letters, digits and
// underscore only: a user, schema, table or database name or a tablespace goes into a
// statement unquoted. kind names the value in the message ("User name").
void CheckStatementName(const std::string& kind, const std::string& value);
// Raises error 1 when the value holds ";", which would end its item of a connection string
// and start another.
void CheckConnectionPart(const std::string& kind, const std::string& value);
// The same for a password; the message names the field, never the password.
void CheckConnectionPassword(const std::string& value);
// Raises error 1 when the value holds a character that would change the shape of a RIS schema
// definition (";", ",", "(", ")", quotes, line ends): the server host and the directory.
void CheckDefinitionPart(const std::string& kind, const std::string& value);

// Passwords and operating-system users may hold any character a quoted text carries
// ("NT\admin", "p@ss", "it's"). Raises error 1 naming the field (never the value) when the
// value is empty or holds a line end or NUL, which no quoting carries through the line-wise
// statement files, or, with oracleQuoted, a double quote, which Oracle's quoted password
// cannot hold.
void CheckCredential(const std::string& kind, const std::string& value, bool oracleQuoted = false);
// A password of a RIS schema definition: as CheckCredential, except that an empty one is
// passed (the definition then holds nothing after the "." of its pair).
void CheckSchemaPassword(const std::string& kind, const std::string& value);
// A credential as the RIS and SQL Server statements take it: a plain name (letters, digits,
// underscore) unchanged, anything else as a string literal with its quotes doubled.
std::string CredentialText(const std::string& value);
// A password as Oracle's "identified by" takes it: a plain name unchanged, anything else in
// double quotes.
std::string OraclePasswordText(const std::string& password);

// "CREATE SCHEMA <schema> ON DATABASE (ORACLE|MSSQL, DBNAME <db>, OSUSER <osUser>.<osPassword>
// [, DIR <dir>], OSTYPE NT, [option (dsquery=<dir>), ]REMOTE (TCP <host>)) USER <user>.<password>
// [@<db>];" with the DIR piece for Oracle (type 1) and the dsquery piece for SQL Server (type 2),
// each only when the directory is not blank. An empty password is written as nothing.
std::string RisCreateSchemaStatement(const std::string& schema, const std::string& host, int32_t dbType,
                                     const std::string& directory, const std::string& database,
                                     const std::string& osUser, const std::string& osPassword,
                                     const std::string& user, const std::string& password);
// "DROP SCHEMA <s> FORCE;" per non-blank entry, lines joined by CR LF; empty when all are blank.
std::string RisDropSchemaStatements(const std::vector<std::string>& schemas);

// The six statements that create one Oracle user, in order of execution.
std::vector<std::string> OracleCreateUserStatements(const std::string& user, const std::string& password,
                                                    const std::string& defaultTablespace,
                                                    const std::string& temporaryTablespace);
std::string OracleDropUserStatement(const std::string& user);
std::string OracleUserExistsQuery(const std::string& user);

std::string SqlCreateLoginStatement(const std::string& user, const std::string& password,
                                    const std::string& database);
// The older servers' form, taken when "CREATE LOGIN" is not understood.
std::string SqlAddLoginStatement(const std::string& user, const std::string& password, const std::string& database);
std::string SqlAddUserStatement(const std::string& user);
std::string SqlGrantAllStatement(const std::string& user);
std::string SqlDropUserStatement(const std::string& user);
std::string SqlDropLoginStatement(const std::string& user);
std::string SqlUserExistsQuery(const std::string& user);
