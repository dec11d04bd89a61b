// RIS schema statements: definition and removal of schemas through risbatch, and the test
// whether RIS knows a schema.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/SchemaEntryAnswer.h"
#include "dbaccess/SchemaStatements.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"

void CRIS::RISCreateSchema(const std::vector<std::string>& schemas, const std::string& serverHost, int32_t dbType,
                           const std::string& directory, const std::string& database, const std::string& osUser,
                           const std::string& osPassword, const std::vector<std::string>& dbUsers,
                           const std::vector<std::string>& dbPasswords)
{
    WithErrorSource("CRIS::RISCreateSchema", [&] {
        if (dbType == kConRIS)
            RaiseError("", "DB type is incorrect");
        if (dbUsers.size() != schemas.size() || schemas.size() != dbPasswords.size())
            RaiseError("", "Schema count does not match user or password count");
        // Every piece goes into the statement as it stands, so all are checked before the
        // first schema is defined, and only for what would change the statement's shape: a
        // database name may be a net service name ("orcl.world"), and a password may be empty.
        CheckDefinitionPart("Server host", serverHost);
        CheckDefinitionPart("Directory", directory);
        CheckDefinitionPart("Database name", database);
        CheckCredential("Operating system user", osUser);
        CheckSchemaPassword("Operating system password", osPassword);
        for (size_t i = 0; i < schemas.size(); ++i) {
            CheckStatementName("Schema name", schemas[i]);
            CheckStatementName("User name", dbUsers[i]);
            CheckSchemaPassword("Password", dbPasswords[i]);
        }
        for (size_t i = 0; i < schemas.size(); ++i) {
            RISWrite("", RisCreateSchemaStatement(schemas[i], serverHost, dbType, directory, database, osUser,
                                                  osPassword, dbUsers[i], dbPasswords[i]));
            DoEvents();
        }
    });
}

void CRIS::RISDropSchema(const std::vector<std::string>& schemas)
{
    WithErrorSource("CRIS::RISDropSchema", [&] {
        for (const std::string& schema : schemas) {
            if (!IsBlank(schema))
                CheckStatementName("Schema name", schema);
            DoEvents();
        }
        // One risbatch run drops them all; an all-blank list is refused by RISWrite.
        RISWrite("", RisDropSchemaStatements(schemas));
        for (const std::string& schema : schemas)
            ForgetSchemaListings(risTableCache_, risColumnCache_, schema);
    });
}

bool CRIS::IsRISSchemaExists(const std::string& schema, bool refresh)
{
    return WithErrorSource("CRIS::IsRISSchemaExists", [&] {
        // Asked for the one schema: the schema list has no end line, so a list cut short would
        // pass for a whole one without the schema. refresh still drops the cached lists.
        CheckRISName("Schema", schema);
        if (refresh)
            schemaListCache_.clear();
        return ReadSchemaEntry(RunRisbatch(RisbatchCommandInput(SchemaEntryQuery(schema)), false, true), schema);
    });
}
