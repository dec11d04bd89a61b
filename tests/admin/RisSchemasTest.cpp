// risbatch statements of the RIS schemas: the configured database and the server's Windows
// account quoted where it is no plain name, settings that would reshape the statement refused
// before any run, and a quoted account taken by the stand-in server through risbatch.
#include "admin/RisSchemas.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "services/IniFile.h"
#include "standins/dbserver/DbServer.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

class RisSchemasTest : public ::testing::Test {
protected:
    admintest::AdminFolder folder{"risschemas"};
};

TEST_F(RisSchemasTest, CreateStatementTakesTheConfiguredDatabaseWhateverTheKeyCase)
{
    WriteIniValue(gIniFile, "TARNWICK", "DBname", "PDS");
    WriteIniValue(gIniFile, "TARNWICK", "OSuser", "ora.x");
    WriteIniValue(gIniFile, "TARNWICK", "DBdir", "e:\\oracle");
    WriteIniValue(gIniFile, "TARNWICK", "tcpip", "10.1.2.3");
    EXPECT_EQ(RisSchemas::CreateSchemaStatement("dd_p1", RisSchemas::ConfiguredDatabase()),
              "create schema dd_p1 on database (oracle, dbname PDS, osuser ora.x , dir e:\\oracle, "
              "ostype nt, remote (tcp 10.1.2.3)) user dd_p1.dd_p1@PDS;");
}

TEST_F(RisSchemasTest, TheAccountStandsInTheStatementAsTheServerReadsIt)
{
    // [TARNWICK] osuser: the account, ".", its password; then what follows "osuser " in the statement.
    for (const auto& [setting, text] : {std::pair<const char*, const char*>{"svcacct.k4t2p", "svcacct.k4t2p"},
                                        {"NT\\admin.it's", "'NT\\admin'.'it''s'"},
                                        {"svc.p@ss.w", "svc.'p@ss.w'"},
                                        {"NT\\svc", "'NT\\svc'"}}) {
        WriteIniValue(gIniFile, "TARNWICK", "osuser", setting);
        const std::string statement = RisSchemas::CreateSchemaStatement("pd_p1", RisSchemas::ConfiguredDatabase());
        EXPECT_NE(statement.find(", osuser " + std::string(text) + " , dir "), std::string::npos) << statement;
    }
}

TEST_F(RisSchemasTest, BadNamesAndSettingsThatWouldReshapeTheStatementAreRefusedBeforeAnyRun)
{
    RisSchemas schemas;
    int runs = 0;
    schemas.onRun = [&](const ToolOutcome&) { ++runs; };
    EXPECT_THROW(schemas.cre_schema("'pd_a\"b'"), AppError);
    EXPECT_THROW(schemas.Del_Schema("'pd_ab cd'"), AppError);
    const struct {
        const char* key;
        const char* value;
        const char* message; // "" = any refusal
    } cases[] = {
        {"osuser", "", "Operating system user not defined"},
        {"osuser", ".k4t2p", "Operating system user not defined"},
        {"osuser", "svcacct.", "Operating system password not defined"},
        {"dbname", "ORCL, osuser x.y", ""},
        {"dbdir", "d:\\orant), ostype nt", ""},
        {"TCPIP", "10.0.0.1)) user a.b;", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        WriteIniValue(gIniFile, "TARNWICK", c.key, c.value);
        const AppError e = testsupport::Raised([&] { schemas.cre_schema("'pd_p1'"); });
        EXPECT_EQ(e.number(), 1);
        if (*c.message) {
            EXPECT_EQ(e.description(), c.message);
        }
        WriteIniValue(gIniFile, "TARNWICK", c.key, std::nullopt);
    }
    EXPECT_EQ(runs, 0);
}

TEST(RisSchemasServerTest, AQuotedAccountReachesTheServer)
{
    testsupport::ScopedStandInRoot root;
    admintest::AdminFolder folder{"risschemas_server"};
    DbServer(DbServer::EnvironmentRoot()).SetUserPassword("pd_osq", "pd_osq");
    WriteIniValue(gIniFile, "TARNWICK", "osuser", "NT\\admin.it's");
    RisSchemas schemas;
    std::string output;
    schemas.onRun = [&](const ToolOutcome& o) { output += o.output; };
    schemas.cre_schema("'pd_osq'");

    const auto schema = DbServer(DbServer::EnvironmentRoot()).FindSchema("pd_osq");
    ASSERT_TRUE(schema) << output << folder.log();
    // The server kept the database clause it read, the account whole in its quotes.
    EXPECT_NE(schema->definition.find("osuser 'NT\\admin'.'it''s' , dir "), std::string::npos) << schema->definition;
}

} // namespace
