// RIS schema creation and removal through risbatch.
#include "admin/RisSchemas.h"

#include "dbaccess/SchemaStatements.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"

namespace {

const char* const kCrLf = "\r\n";

// Writes the input file, runs risbatch on it and removes it in a second, unlogged batch.
void runStatement(const std::string& text, const std::string& what,
                  const std::function<void(const ToolOutcome&)>& onRun)
{
    std::string path = ToolRun::ScratchFilePath();
    ToolRun::WriteScratchFile(path, text + kCrLf);
    ToolOutcome outcome = ToolRun::Run(what, RisSchemas::RisbatchCommand(path));
    // Unlogged; a file left behind is overwritten by the next run.
    long processId = 0;
    ExecA(RisSchemas::DeleteCommand(path), "", 0, "", processId, true);
    if (onRun)
        onRun(outcome);
}

// The osuser setting names the server's Windows account and its password as account "."
// password; split at the first ".", as the server reads an unquoted pair. Each part stands as a
// plain name or, when it is none ("NT\admin", "it's"), as a quoted literal, so that it cannot
// change the shape of the statement. Raises error 1 naming the part (never the password) when
// one is empty.
std::string osUserText(const std::string& osuser)
{
    const size_t dot = osuser.find('.');
    const std::string user = osuser.substr(0, dot);
    CheckCredential("Operating system user", user);
    if (dot == std::string::npos)
        return CredentialText(user);
    const std::string password = osuser.substr(dot + 1);
    CheckCredential("Operating system password", password);
    return CredentialText(user) + "." + CredentialText(password);
}

} // namespace

RisSchemas::Database RisSchemas::ConfiguredDatabase()
{
    Database db;
    db.dbname = ReadIniValue(gIniFile, "TARNWICK", "dbname", "ORCL");
    db.osuser = ReadIniValue(gIniFile, "TARNWICK", "osuser", "svcacct.k4t2p");
    db.dbdir = ReadIniValue(gIniFile, "TARNWICK", "dbdir", "d:\\orant");
    db.tcpip = ReadIniValue(gIniFile, "TARNWICK", "TCPIP", "127.0.0.1");
    return db;
}

std::string RisSchemas::CreateSchemaStatement(const std::string& schema, const Database& db)
{
    // The settings' database, directory and host go into the definition unquoted: refuse what
    // would change its shape, as the access object does for its own schema statement.
    CheckStatementName("Database name", db.dbname);
    CheckDefinitionPart("Directory", db.dbdir);
    CheckDefinitionPart("Server host", db.tcpip);
    return "create schema " + schema + " on database (oracle, dbname " + db.dbname + ", osuser " +
           osUserText(db.osuser) + " , dir " + db.dbdir + ", ostype nt, remote (tcp " + db.tcpip + ")) user " +
           schema + "." + schema + "@" + db.dbname + ";";
}

std::string RisSchemas::DropSchemaStatement(const std::string& schema)
{
    return "drop schema " + schema + " force;" + kCrLf;
}

std::string RisSchemas::RisbatchCommand(const std::string& input)
{
    return "risbatch -i " + QuoteString(input);
}

std::string RisSchemas::DeleteCommand(const std::string& input)
{
    return "del " + QuoteString(input);
}

void RisSchemas::cre_schema(const std::string& params)
{
    Database db = ConfiguredDatabase();
    std::string schema = ToolRun::NameParameter(params, "Schema", "cre_schema");
    runStatement(CreateSchemaStatement(schema, db), "risbatch create schema " + schema, onRun);
}

void RisSchemas::Del_Schema(const std::string& params)
{
    std::string schema = ToolRun::NameParameter(params, "Schema", "Del_Schema");
    runStatement(DropSchemaStatement(schema), "risbatch drop schema " + schema, onRun);
}
