// Statements through risbatch: the input written, errors read from its output, work files.
#include "FakeRisClients.h"

#include "platform/AppError.h"

using namespace fakeris;

using CRISStatementsTest = FakeRisTest;

TEST_F(CRISStatementsTest, WritesTheInputAndAnswersMinusOne)
{
    Put("risbatch.o", "statement done\r\n");
    EXPECT_EQ(cris_.DBWrite("pd_abc", "update t set a = 1"), -1);
    EXPECT_EQ(Got("risbatch.input"), "default schema pd_abc;\r\nupdate t set a = 1;\r\ncommit;\r\nquit;\r\n");
    const std::string args = Got("risbatch.args");
    EXPECT_EQ(args.rfind("-i " + cris_.GetTempDir(), 0), 0u) << args;
    EXPECT_NE(args.find(" -o " + cris_.GetTempDir()), std::string::npos) << args;
}

TEST_F(CRISStatementsTest, AnswersTheRowsTheClientCounts)
{
    Put("risbatch.o", "update t set a = 1;\r\n2 rows updated.\r\ndelete from t;\r\n1 row deleted.\r\n");
    EXPECT_EQ(cris_.DBWrite("pd_abc", "update t set a = 1; delete from t"), 3);
}

TEST_F(CRISStatementsTest, RISErrorIsRaisedWithBothSources)
{
    const std::string block = ErrorBlock("RIS_E_UNKNOWN_RELATION", "Table t does not exist");
    Put("risbatch.o", "delete from t;\r\n" + block + "quit;\r\n");
    const AppError e = Raised([&] { cris_.DBWrite("pd_abc", "delete from t"); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "CRIS::DBWrite: CRIS::RISWrite");
    EXPECT_EQ(e.description() + "\r\n", block);
}

TEST_F(CRISStatementsTest, CreateIndexErrorIsNoFailure)
{
    Put("risbatch.o", ErrorBlock("RIS_E_CREATE_INDEX", "index exists"));
    EXPECT_EQ(cris_.DBWrite("pd_abc", "create unique index i on t (a)"), -1);
}

