// risbatch statements and command lines of the RIS schemas.
#include "admin/RisSchemas.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "services/IniFile.h"

#include <gtest/gtest.h>

namespace {

// The statements with the defaults run against the stand-in server in the family commands' test.
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

TEST_F(RisSchemasTest, CommandLinesQuoteTheScriptPath)
{
    EXPECT_EQ(RisSchemas::RisbatchCommand("C:\\a b\\tarnwick.sql"), "risbatch -i \"C:\\a b\\tarnwick.sql\"");
    EXPECT_EQ(RisSchemas::DeleteCommand("C:\\a&b\\tarnwick.sql"), "del \"C:\\a&b\\tarnwick.sql\"");
}

TEST_F(RisSchemasTest, BadSchemaNamesAreRefusedBeforeAnyRun)
{
    RisSchemas schemas;
    int runs = 0;
    schemas.onRun = [&](const ToolOutcome&) { ++runs; };
    EXPECT_THROW(schemas.cre_schema("'pd_a\"b'"), AppError);
    EXPECT_THROW(schemas.Del_Schema("'pd_ab cd'"), AppError);
    EXPECT_EQ(runs, 0);
}

} // namespace
