// Extraction of a SELECT's table from a given dump into a text table, the rewritten statement
// run through the text driver, and the clean-up after failures. Which word is the table and
// where the condition ends is the statement parser's, tested on its own.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpTestFiles.h"
#include "platform/AppError.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace dumptest;

namespace {

const std::string kDump =
    "default schema pd_x\r\n"
    "create table pdtable_113 (model_index_no int, model_no char(20), discipline_indx_no smallint, "
    "date_from char(10))\r\n"
    "insert into pdtable_113 (model_index_no, model_no, discipline_indx_no, date_from) values (?, ?, ?, ?)\r\n"
    "***variable*** model_index_no model_no discipline_indx_no date_from \r\n"
    "1 'P1' 1 '2020-01-01' \r\n"
    "2 'ORDER-1' 2 '2021-02-02' \r\n"
    "3 'pdtable_113' 1   \r\n"
    "***RIS*** End of Table ***RIS***\r\n"
    "***RIS*** End of Schema ***RIS***\r\n";

class CRISExtractTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(fs::path(dir_.host()) / "temp");
        gTempDir = Win(dir_.host() + "/temp") + "\\";
        WriteHostFile(dir_.host() + "/in.dmp", kDump);
        cris_.SetUseRIS(InertRisClients(dir_.host()));
    }
    void TearDown() override { gTempDir.clear(); }

    std::string Dump() const { return Win(dir_.host() + "/in.dmp"); }
    // Files in the object's work directory.
    std::vector<std::string> WorkFiles()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(HostPath(cris_.GetTempDir())))
            names.push_back(e.path().filename().string());
        return names;
    }
    // Runs the rewritten statement as DBRead does in RIS mode.
    Recordset Query(const std::string& sql, const std::string& textFile)
    {
        Connection conn;
        conn.Open("Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=" + GetPathDir(textFile) + ";");
        Recordset rs;
        rs.SetCursorLocation(adUseClient);
        rs.Open(sql, conn, adOpenStatic, adLockOptimistic, adCmdText);
        return rs;
    }

    testsupport::ScopedDir dir_{"extract"};
    CRIS cris_;
};

std::vector<std::string> Column(Recordset& rs, const std::string& name)
{
    std::vector<std::string> values;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        values.push_back(rs.Fields()[name].Value().ToText());
    return values;
}

} // namespace

TEST_F(CRISExtractTest, RewritesTheTableWordAndKeepsTheGivenDump)
{
    std::string sql = "SELECT model_no FROM pdtable_113 WHERE discipline_indx_no = 1 ORDER BY model_no;";
    std::string text, ini, table;
    cris_.Extract2File("pd_x", sql, text, ini, table, false, Dump());
    EXPECT_EQ(table, "pdtable_113");
    EXPECT_EQ(GetPathDir(text), cris_.GetTempDir());
    EXPECT_EQ(ini, cris_.GetTempDir() + "Schema.ini");
    EXPECT_EQ(sql, "SELECT model_no FROM " + text + " AS [pdtable_113] WHERE discipline_indx_no = 1 ORDER BY model_no;");
    EXPECT_TRUE(fs::exists(dir_.host() + "/in.dmp"));

    Recordset rs = Query(sql, text);
    EXPECT_EQ(Column(rs, "model_no"), (std::vector<std::string>{"P1", "pdtable_113"}));
}

TEST_F(CRISExtractTest, UnknownTableLeavesNoTextTableAndKeepsTheDump)
{
    std::string sql = "SELECT * FROM pdtable_999 WHERE a=1";
    std::string text = "old", ini = "old", table;
    const AppError e = testsupport::Raised([&] { cris_.Extract2File("pd_x", sql, text, ini, table, false, Dump()); });
    EXPECT_EQ(e.source(), "CRIS::Extract2File: CRIS::RISDumpParse");
    EXPECT_EQ(text, "");
    EXPECT_EQ(ini, "");
    EXPECT_EQ(table, "");
    EXPECT_TRUE(WorkFiles().empty());
    EXPECT_TRUE(fs::exists(dir_.host() + "/in.dmp"));
}

TEST_F(CRISExtractTest, WorkDirectoryWithTildeRefusedBeforeAnything)
{
    fs::create_directories(dir_.host() + "/PROGRA~1");
    gTempDir = Win(dir_.host() + "/PROGRA~1") + "\\";
    CRIS cris;
    cris.SetUseRIS(Win(dir_.host() + "/BIN"));
    std::string sql = "SELECT * FROM pdtable_113";
    std::string text, ini, table;
    const AppError e = testsupport::Raised([&] { cris.Extract2File("pd_x", sql, text, ini, table, false, Dump()); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.description(), "TEMP directory '" + cris.GetTempDir() +
                                   "' is not correct. The path must not contain any of the following "
                                   "characters: ' ', '.', '~'");
    EXPECT_EQ(sql, "SELECT * FROM pdtable_113");
    EXPECT_EQ(table, "");
}
