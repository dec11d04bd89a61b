// RIS load: the work copy handed to rislod, its command line, and the rejected rows.
#include "FakeRisClients.h"

#include "dbaccess/RISCommandLine.h"
#include "platform/AppError.h"
#include "services/AppGlobals.h"

#include <filesystem>

using namespace fakeris;
using namespace dumptest;
using Names = std::vector<std::string>;

namespace {

const std::string kBody = "create table t (a int)\r\ninsert into t (a) values (?)\r\n***variable*** a \r\n"
                          "'default schema q' \r\n***RIS*** End of Table ***RIS***\r\n"
                          "***RIS*** End of Schema ***RIS***\r\n";

class CRISLoadTest : public FakeRisTest {
protected:
    std::string dump(const std::string& firstLine)
    {
        WriteHostFile(in.host() + "/x.dmp", firstLine + "\r\n" + kBody);
        return Win(in.host()) + "\\x.dmp";
    }
    // The part of the command line after the -c option.
    std::string tail() const
    {
        const std::string args = Got("rislod.args");
        return args.substr(args.find(" -c ") + 1);
    }
    testsupport::ScopedDir in{"load"};
};

} // namespace

TEST_F(CRISLoadTest, DefaultSchemaDumpIsLoadedAsItIs)
{
    const std::string path = dump("default schema pd_abc");
    cris_.RISLoad(path, std::nullopt, 0, "", "", 25);
    EXPECT_EQ(Got("rislod.input"), ReadHostFile(HostPath(path)));
    EXPECT_EQ(tail(), "-c 25 -s pd_abc clear table with data all view all index all grant all\n");
}

TEST_F(CRISLoadTest, CreateSchemaLineBecomesADefaultSchemaLine)
{
    cris_.RISLoad(dump("create schema pd_abc on database (ORACLE) user pd_abc"), Names{"pdtable_113"}, 1, "", "", 5);
    EXPECT_EQ(Got("rislod.input"), "default schema pd_abc\r\n" + kBody);
    EXPECT_EQ(tail(),
              "-c 5 -s pd_abc new table with data pdtable_113 view all index pdtable_113 grant pdtable_113\n");
}

TEST_F(CRISLoadTest, GivenSchemaNamesTheWorkCopy)
{
    cris_.RISLoad(dump("default schema pd_abc"), Names{"a", "b"}, 2, " dd_xyz ", "", 25);
    EXPECT_EQ(Got("rislod.input"), "default schema dd_xyz\r\n" + kBody);
    // The client gets words: the two blanks of mode 2 part them like one.
    EXPECT_EQ(tail(), "-c 25 -s dd_xyz table with data a b view all index a b grant a b\n");
}

TEST_F(CRISLoadTest, SchemaLineAfterOtherLinesIsRewrittenInPlace)
{
    cris_.RISLoad(dump("rem unloaded by risunlod\r\ncreate schema pd_abc on database (ORACLE) user pd_abc"),
                  std::nullopt, 0, "", "", 25);
    EXPECT_EQ(Got("rislod.input"), "rem unloaded by risunlod\r\ndefault schema pd_abc\r\n" + kBody);
    EXPECT_EQ(tail(), "-c 25 -s pd_abc clear table with data all view all index all grant all\n");
}

TEST_F(CRISLoadTest, NoSchemaLineNoLoad)
{
    AppError e = Raised([&] { cris_.RISLoad(dump("create table z (a int)"), std::nullopt, 0, "dd_xyz", "", 25); });
    EXPECT_EQ(e.description(), "Schema name not found");
    EXPECT_EQ(e.source(), "CRIS::RISLoad");
    e = Raised([&] { cris_.RISLoad(dump("default schema "), std::nullopt, 0, "", "", 25); });
    EXPECT_EQ(e.description(), "Schema name not found");
    e = Raised([&] { cris_.RISLoad(dump("default schema pd_a&b"), std::nullopt, 0, "", "", 25); });
    EXPECT_EQ(e.description(), "Schema name 'pd_a&b' is not a valid RIS name");
    e = Raised([&] { cris_.RISLoad(Win(in.host()) + "\\none.dmp", std::nullopt, 0, "", "", 25); });
    EXPECT_EQ(e.description(), "RIS dump file: '" + Win(in.host()) + "\\none.dmp' not exists");
    EXPECT_FALSE(Ran("rislod"));
}

TEST_F(CRISLoadTest, RejectedRowsGoIntoTheGivenLogBetweenBanners)
{
    const std::string log = Win(in.host()) + "\\load.log";
    WriteHostFile(HostPath(log), "from an earlier run\r\n");
    Put("rislod.console", "loading pd_abc\r\n");
    Put("rislod.b", "1 'bad' \r\n2 'worse' \r\n");
    cris_.RISLoad(dump("default schema pd_abc"), std::nullopt, 0, "", log, 25);
    EXPECT_EQ(ReadHostFile(HostPath(log)), "loading pd_abc\r\n" + BadFileBeginBanner() +
                                               "\r\n1 'bad' \r\n2 'worse' \r\n\r\n" + BadFileEndBanner() + "\r\n");
}

TEST_F(CRISLoadTest, RejectedRowsWithoutALogGoToTheProgramLog)
{
    const std::string saved = gLogFile;
    gLogFile = Win(in.host()) + "\\tarnwick.log";
    Put("rislod.b", "1 'bad' \r\n");
    cris_.RISLoad(dump("default schema pd_abc"), std::nullopt, 0, "", "", 25);
    const std::string programLog = ReadHostFile(HostPath(gLogFile));
    EXPECT_NE(programLog.find(BadFileBeginBanner() + "\r\n1 'bad' \r\n"), std::string::npos) << programLog;

    // Without a program log the load cannot pass the rows over in silence.
    gLogFile.clear();
    const AppError e = Raised([&] { cris_.RISLoad(dump("default schema pd_abc"), std::nullopt, 0, "", "", 25); });
    gLogFile = saved;
    EXPECT_EQ(e.description(), "rislod rejected rows of RIS dump file '" + Win(in.host()) + "\\x.dmp'");
}

TEST_F(CRISLoadTest, OutputChecks)
{
    Put("rislod.console", ErrorBlock("RIS_E_CREATE_INDEX", "u_t") + "loaded\r\n");
    cris_.RISLoad(dump("default schema pd_abc"), std::nullopt, 0, "", "", 25);

    Put("rislod.console", ErrorBlock("RIS_E_DUP_VALUE", "t") + "loaded\r\n");
    AppError e = Raised([&] { cris_.RISLoad(dump("default schema pd_abc"), std::nullopt, 0, "", "", 25); });
    EXPECT_NE(e.description().find("RIS_E_DUP_VALUE"), std::string::npos);

    // A client that answers nothing has failed, but it was there: its exit code is named.
    Put("rislod.console", "");
    e = Raised([&] { cris_.RISLoad(dump("default schema pd_abc"), std::nullopt, 0, "", "", 25); });
    EXPECT_EQ(e.description().rfind("rislod ended with exit code 0 without writing its output '", 0), 0u)
        << e.description();
}
