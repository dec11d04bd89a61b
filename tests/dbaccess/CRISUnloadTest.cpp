// RIS unload: the parameter file, placing the dump, and what a failure leaves behind.
#include "FakeRisClients.h"

#include "platform/AppError.h"

#include <filesystem>

using namespace fakeris;
using namespace dumptest;
using Names = std::vector<std::string>;

namespace {

const std::string kDump = "create schema pd_abc on database (ORACLE, dbname orcl) user pd_abc\r\n"
                          "create table t (a int)\r\ninsert into t (a) values (?)\r\n***variable*** a \r\n"
                          "1 \r\n***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n";

class CRISUnloadTest : public FakeRisTest {
protected:
    std::string target() const { return Win(out.host()) + "\\pd_abc.dmp"; }
    std::string targetHost() const { return out.host() + "/pd_abc.dmp"; }
    testsupport::ScopedDir out{"unload"};
};

} // namespace

TEST_F(CRISUnloadTest, CopiesTheDumpAsWritten)
{
    Put("risunlod.o", kDump);
    // An unload of all tables holds every table the dictionary lists.
    const std::string listsT = "Query select table_name from ris5tables where table_type = 'T';\r\ntable_name: 't'\r\n";
    Put("risbatch.o", listsT + "table_name: 'u'\r\nEnd of Data Found\r\n");
    const AppError e = Raised([&] {
        cris_.RISUnload(target(), "pd_abc", std::nullopt, std::nullopt, "", 0, false, UnloadExtras::ViewsIndexesGrants);
    });
    EXPECT_EQ(e.description(), "the dump risunlod wrote of schema 'pd_abc' lacks the table u that the dictionary lists");
    EXPECT_FALSE(std::filesystem::exists(targetHost()));
    Put("risbatch.o", listsT + "End of Data Found\r\n");
    cris_.RISUnload(target(), "pd_abc", std::nullopt, std::nullopt, "", 0, false, UnloadExtras::ViewsIndexesGrants);
    EXPECT_EQ(Got("risunlod.param"), "pd_abc table with var data all view all index all grant all\r\n");
    EXPECT_EQ(ReadHostFile(targetHost()), kDump);
    const std::string args = Got("risunlod.args");
    EXPECT_EQ(args.rfind("-m w -o " + cris_.GetTempDir(), 0), 0u) << args;
    EXPECT_NE(args.find(" -f " + cris_.GetTempDir()), std::string::npos) << args;
}

TEST_F(CRISUnloadTest, TablesWithConditionsAndARewrittenSchemaLine)
{
    // Every asked table has its block in the dump.
    const std::string both = kDump.substr(0, kDump.find("create table")) +
                             "create table pdtable_113 (model_index_no int)\r\ninsert into pdtable_113 (model_index_no) "
                             "values (?)\r\n***variable*** model_index_no \r\n5 \r\n***RIS*** End of Table ***RIS***\r\n" +
                             kDump.substr(kDump.find("create table"));
    Put("risunlod.o", both);
    cris_.RISUnload(target(), "pd_abc", Names{"pdtable_113", "t"}, Names{"model_index_no = 5"}, "dd_new", 1, false,
                    UnloadExtras::None);
    EXPECT_EQ(Got("risunlod.param"),
              "pd_abc table with data pdtable_113 where \" model_index_no = 5 \" t\r\n");
    EXPECT_EQ(ReadHostFile(targetHost()), "default schema dd_new" + both.substr(both.find("\r\n")));
    std::filesystem::remove(targetHost()); // another schema's dump is never written over

    // A dump whole in form that lacks an asked table is no unload of it.
    const AppError e = Raised([&] {
        cris_.RISUnload(target(), "pd_abc", Names{"pdtable_113", "t", "u"}, std::nullopt, "", 1, false, UnloadExtras::None);
    });
    EXPECT_EQ(e.description(), "the dump risunlod wrote of schema 'pd_abc' lacks the asked table u");
    EXPECT_FALSE(std::filesystem::exists(targetHost()));
    Put("risunlod.o", kDump);

    cris_.RISUnload(target(), "pd_abc", Names{"t"}, std::nullopt, "", 1, true, UnloadExtras::None);
    EXPECT_EQ(ReadHostFile(targetHost()), "default schema pd_abc" + kDump.substr(kDump.find("\r\n")));
}

// The dump already there stays until the new one is whole: a failed unload keeps it byte for
// byte and leaves nothing beside it.
TEST_F(CRISUnloadTest, EmptyOrMissingDumpIsAnErrorAndKeepsTheOldDump)
{
    Put("risunlod.o", "");
    const std::string old = "default schema pd_abc\r\nan old dump\r\n";
    WriteHostFile(targetHost(), old);
    AppError e = Raised([&] { cris_.RISUnload(target(), "pd_abc", std::nullopt, std::nullopt, "", 0, true,
                                              UnloadExtras::ViewsIndexesGrants); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.description(), "risunlod wrote no dump of schema 'pd_abc'");
    EXPECT_EQ(e.source(), "CRIS::RISUnload");
    EXPECT_EQ(ReadHostFile(targetHost()), old);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(targetHost()).parent_path()),
                            std::filesystem::directory_iterator()),
              1);

    Forget("risunlod.o");
    e = Raised([&] { cris_.RISUnload(target(), "pd_abc", std::nullopt, std::nullopt, "", 0, false,
                                     UnloadExtras::ViewsIndexesGrants); });
    EXPECT_EQ(e.description(), "risunlod wrote no dump of schema 'pd_abc'");
    EXPECT_EQ(ReadHostFile(targetHost()), old);
}

// Without a schema no file can be told to be its dump: the file there is not touched.
TEST_F(CRISUnloadTest, ARefusedUnloadRunsNoClientAndLeavesTheFileThere)
{
    WriteHostFile(targetHost(), "default schema pd_abc\r\nan old dump\r\n");
    const AppError e = Raised([&] { cris_.RISUnload(target(), " ", std::nullopt, std::nullopt, "", 0, false,
                                                    UnloadExtras::ViewsIndexesGrants); });
    EXPECT_EQ(e.description(), "Schema name not defined");
    EXPECT_EQ(ReadHostFile(targetHost()), "default schema pd_abc\r\nan old dump\r\n");
    EXPECT_FALSE(Ran("risunlod"));
}

TEST_F(CRISUnloadTest, RISErrorOfTheOutputLog)
{
    Put("risunlod.o", kDump);
    Put("risunlod.console", ErrorBlock("RIS_E_UNKNOWN_RELATION", "pdtable_999"));
    const AppError e =
        Raised([&] { cris_.RISUnload(target(), "pd_abc", Names{"pdtable_999"}, std::nullopt, "", 1, false,
                                     UnloadExtras::None); });
    EXPECT_NE(e.description().find("RIS_E_UNKNOWN_RELATION"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(targetHost()));
}
