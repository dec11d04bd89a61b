// RIS access through parameters files: the reads and statements on the sample project of two
// environments.
#include "projcopy/RisParamsAccess.h"

#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyWorkFiles.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "support/WrapperClients.h"

#include <gtest/gtest.h>

using projcopytest::Rows;
using projcopytest::TwoProjects;
using testsupport::ClientRule;

class RisParamsAccessTest : public TwoProjects {
protected:
    void TearDown() override
    {
        for (const char* stem : {kCopyStatements, kCopyAnswer, kCopyConsole})
            EXPECT_FALSE(IsFileExists(CopyWorkFile(stem))) << stem;
        TwoProjects::TearDown();
    }
    CopyLog log;
    RisParamsAccess ris{log};
};

TEST_F(RisParamsAccessTest, ListsTheProjectsOfEachEnvironment)
{
    // pd_demo and dd_demo: the project once, other families ignored.
    EXPECT_EQ(ris.GetProjects(oldParams), (std::vector<std::string>{"", "demo"}));
    EXPECT_EQ(ris.GetProjects(newParams), (std::vector<std::string>{"", "demo"}));
    EXPECT_EQ(ris.GetProjects(""), std::vector<std::string>{""});
    EXPECT_EQ(ris.GetProjects("C:\\parms\\missing.prm"), std::vector<std::string>{""});
}

// The list has no end line: it is taken only from a client that ended well and named no error;
// any other answer gives no project, and says why.
TEST_F(RisParamsAccessTest, AProjectListIsTakenOnlyFromAWholeAnswer)
{
    testsupport::WrapperClients clients;
    const struct {
        const char* name;
        ClientRule rule;
        std::vector<std::string> projects;
        std::string failure;
    } cases[] = {
        {"listed", ClientRule::PassThrough(), {"", "demo"}, ""},
        {"refused", ClientRule::RefuseStatement("show schema names"), {""},
         "RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: show schema names"},
        {"no answer", ClientRule::DieBefore(139), {""}, "risbatch wrote no answer: risbatch ended with exit code 139"},
        {"died after its answer", ClientRule::DieAfter(139), {""}, "risbatch ended with exit code 139"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("risbatch", c.rule);
        std::string failure = "not set";
        EXPECT_EQ(ris.GetProjects(oldParams, &failure), c.projects);
        EXPECT_EQ(failure.rfind(c.failure, 0), 0u) << failure;
        EXPECT_EQ(failure.empty(), c.failure.empty()) << failure;
    }
}

TEST_F(RisParamsAccessTest, ReadsRowsWithTypesAndKeepsApostrophes)
{
    Recordset rs = ris.GetData(oldParams, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no='P1002'");
    ASSERT_EQ(rs.State(), adStateOpen);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields()["model_description"].Value().ToText(), "Pump area - Bob's lines");
    EXPECT_EQ(rs.Fields()["partition_no"].Type(), adBigInt);
    EXPECT_EQ(rs.Fields()["partition_no"].Value().ToLong(), 2);
    EXPECT_EQ(rs.Fields()["path_name"].Type(), adLongVarWChar);
    Recordset oneColumn = ris.GetData(newParams, "pd_demo", "SELECT partition_no FROM pdtable_114;");
    ASSERT_EQ(oneColumn.State(), adStateOpen);
    EXPECT_EQ(oneColumn.RecordCount(), 3);
}

TEST_F(RisParamsAccessTest, FailuresAndStatementsGiveARecordsetNotOpen)
{
    EXPECT_NE(ris.GetData(oldParams, "pd_demo", "").State(), adStateOpen);
    EXPECT_NE(ris.GetData(oldParams, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no='none'").State(),
              adStateOpen);
    EXPECT_NE(ris.GetData(oldParams, "pd_demo", "SELECT * FROM no_such_table").State(), adStateOpen);
    EXPECT_NE(ris.GetData(newParams, "pd_demo", "DELETE FROM pdtable_114 WHERE partition_no = 3").State(),
              adStateOpen);
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_114").size(), 2u); // the statement ran
    EXPECT_NE(ris.GetData(newParams, "pd_demo", "INSERT INTO pdtable_111 (discipline_indx_no, discipline_name) "
                                                "VALUES (7, 'Pipe selection');")
                  .State(),
              adStateOpen);
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_111 WHERE discipline_indx_no = 7").size(), 1u);
    EXPECT_EQ(Rows(StandInRoot(), "pd_demo", "SELECT * FROM pdtable_114").size(), 3u);
}

TEST_F(RisParamsAccessTest, StatementAnswersWithTheClientsVerdict)
{
    EXPECT_EQ(ris.RunStatement(newParams, "pd_demo", "DELETE FROM pdtable_114 WHERE partition_no = 3;"), "");
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_114").size(), 2u);
    const std::string error = ris.RunStatement(newParams, "pd_demo", "INSERT INTO no_such_table (a) VALUES (1)");
    EXPECT_NE(error.find("RIS Error:"), std::string::npos) << error;
    EXPECT_NE(ris.RunStatement(newParams, "pd_demo", " "), "");
    // A schema or table that would carry a statement or a command runs nothing.
    EXPECT_EQ(ris.RunStatement(newParams, "pd_demo;\r\ndelete from pdtable_114", "DELETE FROM pdtable_113 WHERE 1 = 0"),
              "Schema name 'pd_demo;\r\ndelete from pdtable_114' is not a valid RIS name");
    std::string failure;
    EXPECT_NE(ris.GetData(newParams, "pd_demo", "SELECT * FROM pdtable_114&del", failure).State(), adStateOpen);
    EXPECT_EQ(failure, "Table name 'pdtable_114&del' is not a valid RIS name");
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_114").size(), 2u);
}

// An answer cut short with exit 0: rows without "End of Data Found" are no answer.
TEST_F(RisParamsAccessTest, RowsWithoutTheEndLineAreAFailedRead)
{
    testsupport::WrapperClients clients;
    const std::string sql = "SELECT * FROM pdtable_113";
    struct Case {
        int keepLines;
        const char* what;
    };
    // Four heading lines, then per row a blank line and one line per column.
    for (const Case& c : {Case{6, "inside the first row"}, Case{16, "after the first row"}}) {
        SCOPED_TRACE(c.what);
        clients.Set("risbatch", testsupport::ClientRule::CutAnswer(c.keepLines));
        std::string failure;
        EXPECT_NE(ris.GetData(oldParams, "pd_demo", sql, failure).State(), adStateOpen);
        EXPECT_EQ(failure, "risbatch's answer to '" + sql + "' ends without \"End of Data Found\"");
    }
    clients.Set("risbatch", testsupport::ClientRule::PassThrough());
    std::string failure;
    EXPECT_EQ(ris.GetData(oldParams, "pd_demo", sql, failure).State(), adStateOpen);
    EXPECT_EQ(failure, "");
}

// Whether a failed statement changed nothing for certain: only a RIS error block (or a run that
// never started) says so; a client that died without a word may have done its work.
TEST_F(RisParamsAccessTest, AStatementTellsARefusalFromADeadClient)
{
    testsupport::WrapperClients clients;
    clients.Set("risbatch", ClientRule::DieBefore(139).When("partition_no = 3"));
    const struct {
        const char* name;
        std::string schema, sql;
        bool failed, refused;
    } cases[] = {
        {"carried out", "pd_demo", "DELETE FROM pdtable_114 WHERE partition_no = 2", false, false},
        {"refused by the server", "pd_demo", "INSERT INTO no_such_table (a) VALUES (1)", true, true},
        {"never started", "pd_demo&x", "DELETE FROM pdtable_114 WHERE 1 = 0", true, true},
        {"client died without a word", "pd_demo", "DELETE FROM pdtable_114 WHERE partition_no = 3", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RisParamsAccess::StatementRun how;
        how.refused = !c.refused; // set by the call either way
        EXPECT_EQ(!ris.RunStatement(newParams, c.schema, c.sql, how).empty(), c.failed);
        EXPECT_EQ(how.refused, c.refused);
    }
    // A question whose "no" is a RIS error keeps the client's words out of the copy log.
    log.Reset();
    RisParamsAccess::StatementRun quiet;
    quiet.logAnswer = false;
    EXPECT_NE(ris.RunStatement(newParams, "dd_demo", "SELECT * FROM pdtable_12_9 WHERE 1 = 0", quiet), "");
    EXPECT_TRUE(quiet.refused);
    EXPECT_FALSE(IsFileExists(log.Path()) && ReadFile2String(log.Path()).find("failed") != std::string::npos);
}

// A read that found nothing to read names why: the client's RIS error, or the exit code of a
// client that said nothing (one that died, or could not be started at all).
TEST_F(RisParamsAccessTest, AMissingLayoutOrAnswerNamesItsCause)
{
    testsupport::WrapperClients clients;
    const std::string sql = "SELECT partition_no FROM pdtable_114";
    const struct {
        const char* name;
        const char* client;
        ClientRule rule;
        std::string query, failure;  // the whole failure, or its part after the table's layout
    } cases[] = {
        {"table unknown to the server", "risunlod", ClientRule::PassThrough(), "SELECT * FROM no_such_table",
         "No layout of table 'no_such_table': RIS Error: RIS_E_UNKNOWN_RELATION"},
        {"layout refused", "risunlod", ClientRule::RefuseStatement("pdtable_114", "RIS_E_NO_PRIVILEGE"), sql,
         "No layout of table 'pdtable_114': RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: pdtable_114"},
        {"listing client not started", "risunlod", ClientRule::DieBefore(126), sql,
         "No layout of table 'pdtable_114': risunlod ended with exit code 126"},
        {"query client died", "risbatch", ClientRule::DieBefore(139), sql,
         "risbatch gave no answer to '" + sql + "': risbatch ended with exit code 139"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set(c.client, c.rule);
        std::string failure;
        EXPECT_NE(ris.GetData(newParams, "pd_demo", c.query, failure).State(), adStateOpen);
        EXPECT_EQ(failure.rfind(c.failure, 0), 0u) << failure;
        clients.Set(c.client, ClientRule::PassThrough());
    }
    clients.Set("risbatch", ClientRule::DieBefore(139));
    EXPECT_EQ(ris.RunStatement(newParams, "pd_demo", "DELETE FROM pdtable_114 WHERE 1 = 0"),
              "risbatch gave no answer to 'DELETE FROM pdtable_114 WHERE 1 = 0': risbatch ended with exit code 139");
}

// A row count is taken only from a whole answer: a table the schema lacks is told apart from an
// answer cut short and from a client that died.
TEST_F(RisParamsAccessTest, ARowCountIsTakenOnlyFromAWholeAnswer)
{
    testsupport::WrapperClients clients;
    const struct {
        const char *name, *table;
        ClientRule rule;
        int result;
        uint64_t count;
    } cases[] = {
        {"counted", "pdtable_114", ClientRule::PassThrough(), 1, 3},
        {"no such table", "no_such_table", ClientRule::PassThrough(), 0, 0},
        {"answer cut", "pdtable_114", ClientRule::CutAnswer(2), -1, 0},
        {"client died", "pdtable_114", ClientRule::DieBefore(139), -1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        clients.Set("risbatch", c.rule);
        uint64_t count = 0;
        std::string failure;
        EXPECT_EQ(ris.CountRows(oldParams, "pd_demo", c.table, count, failure), c.result) << failure;
        EXPECT_EQ(count, c.count);
        EXPECT_EQ(failure.empty(), c.result >= 0) << failure;
    }
}
