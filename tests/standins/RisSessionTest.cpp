// Statements of the RIS batch client on the stand-in server, and its answers as the system
// reads them.
#include "standins/dbserver/RisSession.h"

#include "StandInTestServer.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RISListing.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> lines(const std::string& text)
{
    return Split(ReplaceAll(text, "\r", ""), "\n");
}
} // namespace

class RisSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.AddSchema("pd_p");
        int failed = 0;
        t.Batch("default schema pd_p;\n"
                "create table pdtable_113 (model_index_no int, model_no char(20), partition_no smallint, "
                "weight double, cost decimal(10, 2), made timestamp, ratio real);\n"
                "insert into pdtable_113 values (1, 'P1', 7, 2.5, 3, '2024-01-02:10:00:00', 0.5);\n"
                "insert into pdtable_113 (model_index_no, model_no, partition_no) values (2, 'it''s', 8);\n",
                &failed);
        ASSERT_EQ(failed, 0);
    }
    StandInTestServer t;
};

TEST_F(RisSessionTest, QueryAnswerHasFourHeadingLinesARowPerBlockAndTheEndLine)
{
    std::string out = t.Batch("default schema pd_p;\nselect * from pdtable_113;\nquit;\n");
    auto l = lines(out);
    ASSERT_GE(l.size(), 4u + 8 + 8 + 2);
    EXPECT_EQ(l[4], "");
    EXPECT_EQ(l[5], "model_index_no: 1");
    EXPECT_EQ(l[6], "model_no: 'P1'");
    EXPECT_EQ(l[7], "partition_no: 7");
    EXPECT_EQ(l[8], "weight: 2.5");
    EXPECT_EQ(l[9], "cost: 3.00");
    EXPECT_EQ(l[10], "made: '2024-01-02:10:00:00'");
    EXPECT_EQ(l[11], "ratio: 0.5");
    EXPECT_EQ(l[12], "");
    EXPECT_EQ(l[14], "model_no: 'it's'");
    EXPECT_EQ(l[16], "weight: "); // NULL
    EXPECT_EQ(l[20], "");
    EXPECT_EQ(l[21], "End of Data Found");
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(l[i].find(':'), std::string::npos) << "heading line " << i << " would read as a column";
}

TEST_F(RisSessionTest, QualifiedNamesReachTheirSchema)
{
    t.AddSchema("dd_p");
    int failed = 0;
    std::string out = t.Batch("default schema dd_p;\n"
                              "select model_no from pd_p.pdtable_113 where partition_no = 8;\n"
                              "update pd_p.pdtable_113 set weight = 4 where model_index_no = 2;\n"
                              "grant all on pd_p.pdtable_113 to public;\n",
                              &failed);
    EXPECT_EQ(failed, 0) << out;
    EXPECT_NE(out.find("model_no: 'it's'"), std::string::npos);
    EXPECT_NE(out.find("1 row updated."), std::string::npos);
    EXPECT_EQ(t.Server().GrantsOn("PD_P", "pdtable_113"), std::vector<std::string>{"PUBLIC"});
}

struct FailCase {
    const char* name;
    const char* statement;
    const char* risError;
};

class RisSessionFailure : public RisSessionTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(RisSessionFailure, GivesItsFramedRisError)
{
    int failed = 0;
    std::string out = t.Batch(std::string("default schema pd_p;\n") + GetParam().statement + ";\nquit;\n", &failed);
    EXPECT_EQ(failed, 1);
    std::string block = RISErrorText(out);
    EXPECT_NE(block.find(std::string("RIS Error: ") + GetParam().risError), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, RisSessionFailure,
    ::testing::Values(FailCase{"UnknownTable", "select * from nosuch", "RIS_E_UNKNOWN_RELATION"},
                      FailCase{"UnknownColumn", "select nocol from pdtable_113", "RIS_E_UNKNOWN_COLUMN"},
                      FailCase{"TextInInt", "insert into pdtable_113 (model_index_no) values ('x')", "RIS_E_INV_VALUE"},
                      FailCase{"FractionRoundedBeyondInt", "insert into pdtable_113 (model_index_no) values (2147483647.5)",
                               "RIS_E_INV_VALUE"},
                      FailCase{"SmallIntRange", "insert into pdtable_113 (partition_no) values (40000)", "RIS_E_INV_VALUE"},
                      FailCase{"CharTooLong", "insert into pdtable_113 (model_no) values ('123456789012345678901')",
                               "RIS_E_INV_VALUE"},
                      FailCase{"TableExists", "create table pdtable_113 (a int)", "RIS_E_TABLE_EXISTS"},
                      FailCase{"BadType", "create table t2 (a blob)", "RIS_E_INV_TYPE"},
                      FailCase{"UnknownSchema", "default schema nosuch", "RIS_E_UNKNOWN_SCHEMA"},
                      FailCase{"Gibberish", "frobnicate all", "RIS_E_SYNTAX_ERROR"},
                      FailCase{"DuplicateSchema", "create schema pd_p on database (oracle, dbname ORCL) user pd_p.pd_p",
                               "RIS_E_SCHEMA_EXISTS"},
                      FailCase{"WrongPassword", "create schema pd_q on database (oracle, dbname ORCL) user pd_p.nope",
                               "RIS_E_CANT_CONNECT"},
                      FailCase{"WrongDatabase", "create schema pd_q on database (oracle, dbname XE) user pd_p.pd_p",
                               "RIS_E_CANT_CONNECT"}),
    [](const ::testing::TestParamInfo<FailCase>& i) { return std::string(i.param.name); });

TEST_F(RisSessionTest, FailingStatementDoesNotStopTheBatch)
{
    int failed = 0;
    std::string out = t.Batch("default schema pd_p;\nselect * from nosuch;\ndelete from pdtable_113 where model_index_no = 1;\n"
                              "commit;\nquit;\nselect * from pdtable_113;\n",
                              &failed);
    EXPECT_EQ(failed, 1);
    EXPECT_NE(out.find("1 row deleted."), std::string::npos);
    EXPECT_EQ(out.find("End of Data Found"), std::string::npos); // nothing runs after quit
}

TEST_F(RisSessionTest, ShowCommandsAnswerAsTheSystemReadsThem)
{
    t.AddSchema("dd_p");
    std::string out = t.Batch("show schema names;\nshow schema file location;\nquit;\n");
    auto l = lines(out);
    EXPECT_EQ(SchemaNamesFromOutput(l, false), (std::vector<std::string>{"pd_p", "dd_p"}));
    EXPECT_EQ(SchemaNamesFromOutput(l, true), std::vector<std::string>{"p"});
    EXPECT_EQ(HostPath(SchemaFileFromOutput(l)), t.Server().SchemaFileHostPath());
    EXPECT_EQ(out.find("Schema name:'pd_p'"), 0u);
}

TEST_F(RisSessionTest, AlterAddsAColumnAndDropSchemaForceKeepsTheUsersTables)
{
    int failed = 0;
    t.Batch("default schema pd_p;\nalter table pdtable_113 add remarks char(40);\n"
            "update pdtable_113 set remarks = 'ok';\ndrop schema pd_p force;\n",
            &failed);
    EXPECT_EQ(failed, 0);
    EXPECT_FALSE(t.Server().FindSchema("pd_p"));
    t.AddSchema("pd_p"); // defined again on the same user: the tables are there
    std::string out = t.Batch("default schema pd_p;\nselect remarks from pdtable_113 where model_index_no = 1;\n");
    EXPECT_NE(out.find("remarks: 'ok'"), std::string::npos) << out;
}

TEST_F(RisSessionTest, SchemaWhoseUserIsGoneCannotBeUsed)
{
    t.Server().DropUser("PD_P");
    int failed = 0;
    std::string out = t.Batch("default schema pd_p;\n", &failed);
    EXPECT_EQ(failed, 1);
    EXPECT_NE(RISErrorText(out).find("RIS_E_CANT_CONNECT"), std::string::npos);
}

TEST_F(RisSessionTest, CharacterLengthsCountBytes)
{
    int failed = 0;
    t.Batch("default schema pd_p;\ncreate table c1 (v char(1));\ninsert into c1 values ('\xE4');\n", &failed);
    EXPECT_EQ(failed, 0); // one byte of the ANSI code page
    std::string out = t.Batch("default schema pd_p;\ninsert into c1 values ('\xC3\xA4');\n", &failed);
    EXPECT_EQ(failed, 1); // two bytes
    EXPECT_NE(out.find("RIS_E_INV_VALUE"), std::string::npos);
}
