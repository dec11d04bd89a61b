// The schema and user lists: recordset shape, user output parsing, and the server-manager run.
#include "admin/ListSources.h"

#include "AdminTestSupport.h"
#include "admin/ServerManagerQuery.h"
#include "admin/ToolRun.h"
#include "platform/WinPath.h"
#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"
#include "services/IniFile.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

Strings rowsOf(Recordset& rs)
{
    Strings out;
    if (rs.RecordCount() == 0)
        return out;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        out.push_back(rs.Fields()[0].Value().ToText());
    return out;
}

TEST(ListSourcesTest, SchemaRecordsetStopsAtTheFirstEmptyName)
{
    Recordset rs = ListSources::SchemaRecordset({"pd_abc", "dd_abc", "", "later"});
    EXPECT_EQ(rowsOf(rs), (Strings{"pd_abc", "dd_abc"}));
}

TEST(ListSourcesTest, UserNamesComeBetweenTheRuleAndTheLowerCaseClosingLine)
{
    const Strings lines{"SYS", "  PD_ABC   ", "", "USERNAME", "-----", "DBADMIN", "", "3 rows selected.", "LATE"};
    EXPECT_EQ(ListSources::DbUserNames(lines), (Strings{"SYS", "PD_ABC", "DBADMIN"}));
}

TEST(ServerManagerQueryTest, LinesAfterTheRuleItemByItem)
{
    EXPECT_EQ(*ServerManagerQuery::LinesAfterRule("Connected.\r\nUSERNAME\r\n--------\r\nA\r\nB\r\n"), (Strings{"A", "B"}));
    // The rule may stand after a comma on its line.
    EXPECT_EQ(*ServerManagerQuery::LinesAfterRule("X, ---\nA\n"), (Strings{"A"}));
    EXPECT_FALSE(ServerManagerQuery::LinesAfterRule("MGR-00001: cannot connect\r\n").has_value());
    EXPECT_FALSE(ServerManagerQuery::LinesAfterRule("").has_value());
}

class ServerManagerRunTest : public ::testing::Test {
protected:
    // A stand-in for the server manager: a batch file that prints what the test gives it.
    void program(const Strings& echoLines)
    {
        std::string bat;
        for (const std::string& l : echoLines)
            bat += "echo " + l + "\r\n";
        admintest::WriteHostFile(folder_.host("fake svrmgr.bat"), bat);
        WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", folder_.win("fake svrmgr.bat"));
    }
    bool tempFilesGone() const
    {
        const std::string script = HostPath(ToolRun::ScratchFilePath());
        return !admintest::HostExists(script) && !admintest::HostExists(script.substr(0, script.size() - 4) + ".txt");
    }

    admintest::AdminFolder folder_{"svrmgr"};
};

TEST_F(ServerManagerRunTest, ReadsTheUsersThroughTheProgram)
{
    program({"USERNAME", "------------", "PD_ABC", "SYS", "", "2 rows selected."});
    Recordset rs = ListSources::DbUserRecordset();
    EXPECT_EQ(rs.FieldInfos()[0].name, "user_name");
    EXPECT_EQ(rowsOf(rs), (Strings{"PD_ABC", "SYS"}));
    EXPECT_TRUE(tempFilesGone());
}

TEST_F(ServerManagerRunTest, OutputWithoutRuleOrMissingProgramIsReported)
{
    program({"MGR-00001: cannot connect"});
    const AppError e = testsupport::Raised([&] { ListSources::DbUserRecordset(); });
    EXPECT_EQ(e.description(), "Could not get database users");
    EXPECT_TRUE(tempFilesGone());
    WriteIniValue(gIniFile, "TARNWICK", "svrmgr_path", folder_.win("no such program.exe"));
    EXPECT_THROW(ListSources::DbUserRecordset(), AppError);
    EXPECT_TRUE(tempFilesGone());
}

} // namespace
