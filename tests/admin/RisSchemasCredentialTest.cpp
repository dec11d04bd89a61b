// The server's Windows account in the RIS schema statement: quoted where it is no plain name,
// refused where nothing could be sent, and taken by the stand-in server through risbatch.
#include "admin/RisSchemas.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "services/IniFile.h"
#include "standins/dbserver/DbServer.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

struct OsUserCase {
    const char* name;
    const char* setting; // [TARNWICK] osuser: the account, ".", its password
    const char* text;    // what follows "osuser " in the statement
};

class RisSchemasOsUserTest : public ::testing::TestWithParam<OsUserCase> {
protected:
    admintest::AdminFolder folder{"risschemas_osuser"};
};

TEST_P(RisSchemasOsUserTest, StandsInTheStatementAsTheServerReadsIt)
{
    WriteIniValue(gIniFile, "TARNWICK", "osuser", GetParam().setting);
    const std::string statement = RisSchemas::CreateSchemaStatement("pd_p1", RisSchemas::ConfiguredDatabase());
    EXPECT_NE(statement.find(", osuser " + std::string(GetParam().text) + " , dir "), std::string::npos) << statement;
}

INSTANTIATE_TEST_SUITE_P(
    Accounts, RisSchemasOsUserTest,
    ::testing::Values(OsUserCase{"PlainNames", "svcacct.k4t2p", "svcacct.k4t2p"},
                      OsUserCase{"DomainUserAndQuote", "NT\\admin.it's", "'NT\\admin'.'it''s'"},
                      OsUserCase{"PasswordWithDots", "svc.p@ss.w", "svc.'p@ss.w'"},
                      OsUserCase{"AccountWithoutPassword", "NT\\svc", "'NT\\svc'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RisSchemasCredentialTest, AnEmptyAccountOrPasswordIsRefusedBeforeAnyRun)
{
    admintest::AdminFolder folder{"risschemas_empty"};
    RisSchemas schemas;
    int runs = 0;
    schemas.onRun = [&](const ToolOutcome&) { ++runs; };
    for (const auto& [setting, message] : {std::pair<const char*, const char*>{"", "Operating system user not defined"},
                                           {".k4t2p", "Operating system user not defined"},
                                           {"svcacct.", "Operating system password not defined"}}) {
        WriteIniValue(gIniFile, "TARNWICK", "osuser", setting);
        EXPECT_EQ(testsupport::Raised([&] { schemas.cre_schema("'pd_p1'"); }).description(), message) << setting;
    }
    EXPECT_EQ(runs, 0);
}

TEST(RisSchemasCredentialTest, SettingsThatWouldReshapeTheDefinitionAreRefusedBeforeAnyRun)
{
    admintest::AdminFolder folder{"risschemas_settings"};
    RisSchemas schemas;
    int runs = 0;
    schemas.onRun = [&](const ToolOutcome&) { ++runs; };
    for (const auto& [key, value] : {std::pair<const char*, const char*>{"dbname", "ORCL, osuser x.y"},
                                     {"dbdir", "d:\\orant), ostype nt"},
                                     {"TCPIP", "10.0.0.1)) user a.b;"}}) {
        WriteIniValue(gIniFile, "TARNWICK", key, value);
        EXPECT_EQ(testsupport::Raised([&] { schemas.cre_schema("'pd_p1'"); }).number(), 1) << key;
        WriteIniValue(gIniFile, "TARNWICK", key, std::nullopt);
    }
    EXPECT_EQ(runs, 0);
}

TEST(RisSchemasCredentialTest, AQuotedAccountReachesTheServer)
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
