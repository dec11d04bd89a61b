// Texts of the schema and user statements, and the checks of the names in them.
#include "dbaccess/SchemaStatements.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

void CheckStatementName(const std::string& kind, const std::string& value)
{
    if (!IsIdentifier(Trim(value)))
        throw AppError(1, "", kind + " '" + value +
                                  "' is not valid: only letters, digits and underscore are allowed");
}

void CheckConnectionPart(const std::string& kind, const std::string& value)
{
    if (value.find(';') != std::string::npos)
        throw AppError(1, "", kind + " '" + value + "' is not valid: it must not contain ';'");
}

void CheckConnectionPassword(const std::string& value)
{
    if (value.find(';') != std::string::npos)
        throw AppError(1, "", "Password is not valid: it must not contain ';'");
}

void CheckCredential(const std::string& kind, const std::string& value, bool oracleQuoted)
{
    if (value.empty())
        throw AppError(1, "", kind + " not defined");
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
        throw AppError(1, "", kind + " is not valid: it must not contain a line break or a NUL character");
    if (oracleQuoted && value.find('"') != std::string::npos)
        throw AppError(1, "", kind + " is not valid: it must not contain a double quote");
}

void CheckSchemaPassword(const std::string& kind, const std::string& value)
{
    if (!value.empty())
        CheckCredential(kind, value);
}

std::string CredentialText(const std::string& value)
{
    return IsIdentifier(value) ? value : SqlStringLiteral(value);
}

std::string OraclePasswordText(const std::string& password)
{
    return IsIdentifier(password) ? password : "\"" + password + "\"";
}

void CheckDefinitionPart(const std::string& kind, const std::string& value)
{
    if (value.find_first_of(";,()'\"\r\n") != std::string::npos)
        throw AppError(1, "", kind + " '" + value + "' is not valid: it must not contain any of ; , ( ) ' \"");
}

std::string RisCreateSchemaStatement(const std::string& schema, const std::string& host, int32_t dbType,
                                     const std::string& directory, const std::string& database,
                                     const std::string& osUser, const std::string& osPassword,
                                     const std::string& user, const std::string& password)
{
    std::string s = "CREATE SCHEMA " + schema + " ON DATABASE (";
    if (dbType == 1)
        s += "ORACLE";
    else if (dbType == 2)
        s += "MSSQL";
    // An empty password stays empty: quoted it would be a password of its own.
    const auto passwordText = [](const std::string& p) { return p.empty() ? p : CredentialText(p); };
    s += ", DBNAME " + database + ", OSUSER " + CredentialText(osUser) + "." + passwordText(osPassword);
    if (dbType == 1 && !IsBlank(directory))
        s += ", DIR " + directory;
    s += ", OSTYPE NT, ";
    if (dbType == 2 && !IsBlank(directory))
        s += "option (dsquery=" + directory + "), ";
    s += "REMOTE (TCP " + host + ")) USER " + user + "." + passwordText(password);
    if (dbType == 1)
        s += "@" + database;
    return s + ";";
}

std::string RisDropSchemaStatements(const std::vector<std::string>& schemas)
{
    std::string text;
    for (const std::string& schema : schemas) {
        if (IsBlank(schema))
            continue;
        if (!text.empty())
            text += "\r\n";
        text += "DROP SCHEMA " + schema + " FORCE;";
    }
    return text;
}

std::vector<std::string> OracleCreateUserStatements(const std::string& user, const std::string& password,
                                                    const std::string& defaultTablespace,
                                                    const std::string& temporaryTablespace)
{
    return {
        "create user " + user + " identified by " + OraclePasswordText(password),
        "grant create database link, create sequence, alter session, create synonym, create table, create view to " +
            user,
        "grant connect to " + user + " identified by " + OraclePasswordText(password),
        "alter user " + user + " default tablespace " + defaultTablespace,
        "alter user " + user + " temporary tablespace " + temporaryTablespace,
        "alter user " + user + " quota unlimited on " + defaultTablespace,
    };
}

std::string OracleDropUserStatement(const std::string& user)
{
    return "drop user " + user + " cascade";
}

std::string OracleUserExistsQuery(const std::string& user)
{
    return "SELECT 1 FROM dba_users WHERE(username = " + SqlStringLiteral(ToUpper(user)) + ")";
}

std::string SqlCreateLoginStatement(const std::string& user, const std::string& password,
                                    const std::string& database)
{
    return "CREATE LOGIN " + user + " WITH PASSWORD = " + SqlStringLiteral(password) +
           ", DEFAULT_DATABASE = " + database + ", CHECK_POLICY = OFF;";
}

std::string SqlAddLoginStatement(const std::string& user, const std::string& password, const std::string& database)
{
    return "EXEC sp_addlogin " + user + "," + CredentialText(password) + "," + database;
}

std::string SqlAddUserStatement(const std::string& user)
{
    return "EXEC sp_adduser " + user;
}

std::string SqlGrantAllStatement(const std::string& user)
{
    return "GRANT ALL TO " + user;
}

std::string SqlDropUserStatement(const std::string& user)
{
    return "EXEC sp_dropuser " + user;
}

std::string SqlDropLoginStatement(const std::string& user)
{
    return "EXEC sp_droplogin " + user;
}

std::string SqlUserExistsQuery(const std::string& user)
{
    return "SELECT 1 FROM sysusers WHERE(Upper(name) = " + SqlStringLiteral(ToUpper(user)) + ");";
}
