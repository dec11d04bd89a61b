// Queries over the stand-in environment with the sample project: DBRead through risunlod, the
// dump conversion and the text driver; the callers' filter and sort forms; the project
// directory and schemas; the import into an Access database; no work file left behind.
#include "dbaccess/CRIS.h"
#include "dbaccess/ProjectData.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/AccessConnection.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/Registry.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

const char* const kIntl = "Control Panel\\International";

class QueriesSystemTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (const char* r = std::getenv("TARNWICK_ROOT"))
            savedRoot_ = r;
        root_ = testsupport::MakeTempHostDir("queries_env");
        ::setenv("TARNWICK_ROOT", root_.c_str(), 1);
        gTempDir.clear();
        std::string report;
        StandInEnvironment::Build(root_, {testsupport::BinDir(), testsupport::SourceDir() + "/tests/data/standins"},
                                  report);
    }

    static void TearDownTestSuite()
    {
        ::setenv("TARNWICK_ROOT", savedRoot_.c_str(), 1);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    void SetUp() override
    {
        // A user with the German separators, which the text driver must not see.
        RegistrySetValue(HKEY_CURRENT_USER, kIntl, "sDecimal", ",", "");
        RegistrySetValue(HKEY_CURRENT_USER, kIntl, "sThousand", ".", "");
    }

    void TearDown() override
    {
        EXPECT_EQ(RegistryValueText(RegistryGetValue(HKEY_CURRENT_USER, kIntl, "sDecimal", "", true)), ",");
        EXPECT_EQ(RegistryValueText(RegistryGetValue(HKEY_CURRENT_USER, kIntl, "sThousand", "", true)), ".");
        EXPECT_EQ(WorkFiles(cris_), Names{});
        EXPECT_EQ(WorkFiles(*gCRIS), Names{});
    }

    static Names WorkFiles(CRIS& cris)
    {
        Names names;
        for (const auto& e : fs::directory_iterator(HostPath(cris.GetTempDir())))
            names.push_back(e.path().filename().string());
        return names;
    }

    static Names Column(Recordset& rs, const std::string& name)
    {
        Names values;
        if (rs.RecordCount() == 0)
            return values;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            values.push_back(rs.Fields()[name].Value().ToText());
        return values;
    }

    AppError Caught(const std::string& schema, const std::string& sql)
    {
        return testsupport::Raised([&] { cris_.DBRead(schema, sql, 3); });
    }

    static std::string root_;
    static std::string savedRoot_;
    CRIS cris_;
};

std::string QueriesSystemTest::root_;
std::string QueriesSystemTest::savedRoot_;

TEST_F(QueriesSystemTest, DBReadGivesTheRowsAndFieldTypesOfTheLoadedDump)
{
    Recordset rs = cris_.DBRead(
        "pd_demo",
        "SELECT model_index_no, model_no, model_description, partition_no FROM pdtable_113 "
        "WHERE discipline_indx_no = 1 ORDER BY model_no;",
        3);
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_FALSE(rs.BOF());
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields()["model_no"].Value().ToText(), "P1001");
    EXPECT_EQ(Column(rs, "model_no"), (Names{"P1001", "P1002"}));
    EXPECT_EQ(Column(rs, "model_description"), (Names{"Pipe rack north", "Pump area - Bob's lines"}));
    EXPECT_EQ(rs.Fields()["model_index_no"].Type(), adInteger);
    EXPECT_EQ(rs.Fields()["partition_no"].Type(), adSmallInt);
    EXPECT_TRUE(IsAdoTextType(rs.Fields()["model_no"].Type()));
    EXPECT_EQ(rs.Fields()["model_no"].DefinedSize(), 21);
    EXPECT_EQ(rs.Fields()["model_description"].DefinedSize(), 41);
}

TEST_F(QueriesSystemTest, ConditionWithQuotesAndKeywordsInValuesReachesTheUnload)
{
    Recordset rs = cris_.DBRead(
        "pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_description = 'Pump area - Bob''s lines';", 3);
    EXPECT_EQ(Column(rs, "model_no"), Names{"P1002"});
    Recordset none = cris_.DBRead("pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_no = 'ORDER-1'", 3);
    EXPECT_EQ(none.RecordCount(), 0);
}

TEST_F(QueriesSystemTest, MultiLineStatement)
{
    Recordset rs = cris_.DBRead(
        "pd_demo", "SELECT model_no\r\nFROM pdtable_113\r\nWHERE discipline_indx_no = 1\r\n  AND area_index_no = 2\r\n", 3);
    EXPECT_EQ(Column(rs, "model_no"), Names{"P1002"});
}

TEST_F(QueriesSystemTest, NoRowsGivesAnOpenRecordsetAtItsEnd)
{
    Recordset rs = cris_.DBRead("pd_demo", "SELECT * FROM pdtable_113 WHERE discipline_indx_no = 9;", 3);
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.Fields().Count(), 10);
}

TEST_F(QueriesSystemTest, ConditionWithUcaseFiltersAfterAWholeUnload)
{
    Recordset rs = cris_.DBRead("pd_demo", "SELECT model_no FROM pdtable_113 WHERE UCASE(model_no) = 'E2001'", 3);
    EXPECT_EQ(Column(rs, "model_no"), Names{"E2001"});
}

TEST_F(QueriesSystemTest, GroupedListingOfTheCallers)
{
    Recordset rs = cris_.DBRead(
        "pd_demo",
        "SELECT discipline_indx_no, discipline_name FROM pdtable_111 GROUP BY discipline_indx_no, discipline_name;", 3);
    EXPECT_EQ(Column(rs, "discipline_name"), (Names{"Piping", "Equipment"}));
}

struct FilterCase {
    const char* name;
    const char* filter;
    const char* sort;
    Names models;
};

std::ostream& operator<<(std::ostream& os, const FilterCase& c) { return os << c.name; }

class QueriesFilterTest : public QueriesSystemTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(QueriesFilterTest, FilterAndSortGiveTheRightRows)
{
    Recordset rs = cris_.DBRead("pd_demo", "SELECT * FROM pdtable_113", 3);
    rs.SetFilter(GetParam().filter);
    rs.SetSort(GetParam().sort);
    EXPECT_EQ(Column(rs, "model_no"), GetParam().models);
}

const FilterCase kFilters[] = {
    {"NumberEquals", "discipline_indx_no = 1", "", {"P1001", "P1002"}},
    {"TextEquals", "model_no = 'E2001'", "", {"E2001"}},
    {"Like", "model_no LIKE 'P*'", "[model_no] Desc", {"P1002", "P1001"}},
    {"OrOfTwo", "model_no = 'E2001' OR model_index_no = 1", "[model_no] Asc", {"E2001", "P1001"}},
    {"AndOfTwo", "discipline_indx_no = 1 AND area_index_no = 2", "", {"P1002"}},
    {"QuoteInValue", "model_description = 'Pump area - Bob''s lines'", "", {"P1002"}},
    {"SortOnly", "", "[partition_no] Desc", {"E2001", "P1002", "P1001"}},
    {"NothingMatches", "model_no = 'X'", "", {}},
};

INSTANTIATE_TEST_SUITE_P(Forms, QueriesFilterTest, ::testing::ValuesIn(kFilters),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(QueriesSystemTest, UnknownColumnFailsInTheDriverAndLeavesNothing)
{
    const AppError e = Caught("pd_demo", "SELECT no_such_column FROM pdtable_113");
    EXPECT_EQ(e.source().rfind("CRIS::DBRead", 0), 0u) << e.source();
}

TEST_F(QueriesSystemTest, SecondTableOfAJoinIsNotServed)
{
    const AppError e = Caught("pd_demo", "SELECT * FROM pdtable_113, pdtable_112 WHERE 1=1");
    EXPECT_EQ(e.source().rfind("CRIS::DBRead", 0), 0u) << e.source();
}

TEST_F(QueriesSystemTest, UnknownTableFailsInTheUnload)
{
    const AppError e = Caught("pd_demo", "SELECT * FROM pdtable_999");
    EXPECT_EQ(e.source().rfind("CRIS::DBRead: CRIS::Extract2File", 0), 0u) << e.source();
}

TEST_F(QueriesSystemTest, ImportIntoAccessNewTableThenAppend)
{
    const std::string mdb = "C:\\imports\\models.mdb";
    CreateFolderA("C:\\imports");
    DeleteFileA(mdb);
    AccessConnection::CreateDatabase(mdb);
    const std::string sql = "SELECT model_no, partition_no FROM pdtable_113 WHERE discipline_indx_no = 1;";
    cris_.DBImport2Access("pd_demo", sql, mdb, "", false);
    cris_.DBImport2Access("pd_demo", sql, mdb, "pdtable_113", true);
    cris_.DBImport2Access("pd_demo", "SELECT model_no FROM pdtable_113", mdb, "odd]name", false);

    Connection conn;
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
    Recordset rs = conn.Execute("SELECT model_no FROM pdtable_113 ORDER BY model_no");
    EXPECT_EQ(Column(rs, "model_no"), (Names{"P1001", "P1001", "P1002", "P1002"}));
    Recordset odd = conn.Execute("SELECT model_no FROM [odd]]name]");
    EXPECT_EQ(odd.RecordCount(), 3);
    conn.Close();

    // A target table that exists already cannot be made again.
    EXPECT_THROW(cris_.DBImport2Access("pd_demo", sql, mdb, "", false), AppError);
}

TEST_F(QueriesSystemTest, ImportIntoADatabasePathWithAQuote)
{
    const std::string mdb = "C:\\O'Neil\\m.mdb";
    CreateFolderA("C:\\O'Neil");
    DeleteFileA(mdb);
    AccessConnection::CreateDatabase(mdb);
    cris_.DBImport2Access("pd_demo", "SELECT model_no FROM pdtable_113", mdb, "models", false);
    Connection conn;
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
    EXPECT_EQ(conn.Execute("SELECT * FROM models").RecordCount(), 3);
}

TEST_F(QueriesSystemTest, ProjectDirectoryOfTheSampleProject)
{
    const std::string dir = GetProjectDirectory(StandInEnvironment::kProject);
    EXPECT_EQ(dir.rfind(std::string("\\\\") + StandInEnvironment::kFileServer + "\\", 0), 0u) << dir;
    EXPECT_TRUE(EndsWithNoCase(dir, "\\demo\\proj\\")) << dir;
    EXPECT_TRUE(IsFileExists(dir, 1)) << dir;
}

TEST_F(QueriesSystemTest, ProjectDirectoryOfAnUnknownProjectFails)
{
    try {
        GetProjectDirectory("nosuch");
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source().rfind("GetProjectDirectory: CRIS::DBRead", 0), 0u) << e.source();
    }
}

TEST_F(QueriesSystemTest, ProjectSchemasOfTheSampleProjectCachedAndRefreshed)
{
    const Names expected{"pd_demo", "dd_demo"};
    EXPECT_EQ(GetProjectSchemas("demo", false), expected);
    EXPECT_EQ(GetProjectSchemas("DEMO", false), expected);
    EXPECT_EQ(GetProjectSchemas("demo", true), expected);
    EXPECT_EQ(GetProjectSchemas("nosuch", true), Names{});
}

} // namespace
