// Error lines of the tools' output, parameter names, and logged runs.
#include "admin/ToolRun.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "services/AppGlobals.h"
#include "services/FileContents.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

const std::string kStars(79, '*');

// The found line begins with the expected text (a RIS error may carry its reason after it).
TEST(FirstErrorLineTest, FindsTheFirstCountingErrorLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Connected.\r\nStatement processed.\r\nServer Manager complete.\r\n", ""},
        {"Connected.\r\ndrop user pd_x cascade\r\nORA-01918: user 'PD_X' does not exist\r\n",
         "ORA-01918: user 'PD_X' does not exist"},
        {"Error: ORA-01017: invalid username/password\r\n", "ORA-01017: invalid username/password"},
        {"MGR-00001: script not found\r\n", "MGR-00001: script not found"},
        {"DIAGNOSTICORA-x and MGR-\r\n", ""},
        {kStars + "\r\nRIS Error: RIS_E_SCHEMA_EXISTS\r\n* Schema 'pd_p1' is already defined." +
             std::string(79 - 39, ' ') + "*\r\n" + kStars + "\r\n",
         "RIS Error: RIS_E_SCHEMA_EXISTS"},
        {kStars + "\r\nRIS Error: RIS_E_CREATE_INDEX\r\n" + kStars + "\r\n", ""}, // an index block does not count
    };
    for (const auto& [output, error] : cases) {
        const std::string found = ToolRun::FirstErrorLine(output);
        EXPECT_EQ(found.substr(0, error.empty() ? std::string::npos : error.size()), error) << output;
    }
}

class ToolRunTest : public ::testing::Test {
protected:
    void SetUp() override { admintest::WriteHostFile(folder.host("tarnwick.log"), "header\r\n"); }
    admintest::AdminFolder folder{"toolrun"};
};

TEST_F(ToolRunTest, NameParameterTakesTheFirstTokenWithItsPlaceholdersAndNamesWhatItRefuses)
{
    WriteIniValue(gIniFile, "TARNWICK", "projname", "p7");
    EXPECT_EQ(ToolRun::NameParameter("'pd_\xA7projname\xA7' 'other'", "Schema", "op"), "pd_p7");
    const AppError e = testsupport::Raised([&] { ToolRun::NameParameter("'pd_ p1'", "User", "Cre_DBUser"); });
    EXPECT_EQ(e.description(), "User 'pd_ p1' is not a valid name (letters, digits and '_' only)");
    EXPECT_EQ(e.source(), "Cre_DBUser");
}

TEST_F(ToolRunTest, RunKeepsOnlyWhatItAppendedToTheLog)
{
    ToolOutcome ok = ToolRun::Run("echo", "echo hello there");
    EXPECT_FALSE(ok.failed()) << ok.error;
    EXPECT_EQ(ok.output, "hello there \r\n"); // cmd keeps the blank before ">>"
    ToolOutcome bad = ToolRun::Run("echo", "echo ORA-00942: table or view does not exist");
    EXPECT_EQ(bad.error, "ORA-00942: table or view does not exist");
    EXPECT_EQ(bad.output.find("hello"), std::string::npos);
}

TEST_F(ToolRunTest, MissingProgramCountsAsFailed)
{
    ToolOutcome o = ToolRun::Run("nothing", "no_such_program_here -x");
    EXPECT_TRUE(o.failed());
    EXPECT_NE(o.exitCode, 0);
    EXPECT_NE(ReadFile2String(gLogFile).find("is not recognized"), std::string::npos);
}

} // namespace
