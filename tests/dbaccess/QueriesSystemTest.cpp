// Queries over the sample environment: DBRead through risunlod, the dump conversion and the text
// driver; the project directory and schemas; the import into an Access database; no work file
// left behind and the user's number separators kept.
#include "dbaccess/CRIS.h"
#include "dbaccess/ProjectData.h"

#include "dbaccess/SampleServerFixture.h"
#include "platform/AppError.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "platform/ado/AccessConnection.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "services/Registry.h"
#include "support/GeneratedLiterals.h"
#include "support/Raised.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using Names = std::vector<std::string>;

const char* const kIntl = "Control Panel\\International";

class QueriesSystemTest : public SampleServerFixture {
protected:
    QueriesSystemTest() : SampleServerFixture("queries") {}

    void SetUp() override
    {
        SampleServerFixture::SetUp();
        // A user with the German separators, which the text driver must not see; the registry is
        // the process's, so it goes back as it was.
        RegistryStore registry;
        registry.Load();
        registryBefore_ = registry.Text();
        RegistrySetValue(HKEY_CURRENT_USER, kIntl, "sDecimal", ",", "");
        RegistrySetValue(HKEY_CURRENT_USER, kIntl, "sThousand", ".", "");
    }

    void TearDown() override
    {
        EXPECT_EQ(RegistryValueText(RegistryGetValue(HKEY_CURRENT_USER, kIntl, "sDecimal", "", true)), ",");
        EXPECT_EQ(RegistryValueText(RegistryGetValue(HKEY_CURRENT_USER, kIntl, "sThousand", "", true)), ".");
        RegistryStore registry;
        registry.SetText(registryBefore_);
        registry.Save();
        EXPECT_TRUE(fs::is_empty(HostPath(gCRIS->GetTempDir())));
        SampleServerFixture::TearDown();
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

    // The values of a column of a select's rows as risbatch's session answers them.
    static Names RisbatchColumn(const std::string& schema, const std::string& select, const std::string& name)
    {
        DbServer server(DbServer::EnvironmentRoot());
        RisSession session(server);
        std::string out;
        session.RunBatch("default schema " + schema + ";\n" + select + ";\n", out);
        Names values;
        for (const std::string& line : Split(out, "\n"))
            if (const std::string l = TrimWhite(line); l.rfind(name + ": ", 0) == 0)
                values.push_back(l.substr(name.size() + 2));
        return values;
    }

    AppError Caught(const std::string& schema, const std::string& sql)
    {
        return testsupport::Raised([&] { cris.DBRead(schema, sql, 3); });
    }

    std::string registryBefore_;
};

TEST_F(QueriesSystemTest, DBReadGivesTheRowsAndFieldTypesOfTheLoadedDump)
{
    Recordset rs = cris.DBRead(
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

// Where the condition goes is the statement parser's; here only that it reaches the unload
// client whole (a doubled quote in a value), or that the text driver filters what it cannot.
TEST_F(QueriesSystemTest, ConditionReachesTheUnloadOrFiltersAfterAWholeUnload)
{
    Recordset quoted = cris.DBRead(
        "pd_demo", "SELECT model_no FROM pdtable_113 WHERE model_description = 'Pump area - Bob''s lines';", 3);
    EXPECT_EQ(Column(quoted, "model_no"), Names{"P1002"});
    Recordset ucase = cris.DBRead("pd_demo", "SELECT model_no FROM pdtable_113 WHERE UCASE(model_no) = 'E2001'", 3);
    EXPECT_EQ(Column(ucase, "model_no"), Names{"E2001"});
    // A number of more digits than a double holds is found, ordered and read by every digit of
    // it, as the server answers, whether the unload or the text driver applies the condition;
    // rows 1 and 3 hold numbers of one nearest double, and 38 digits come through the unload's
    // fixed layout.
    cris.DBWrite("pd_demo", "create table wide_q (k int, n decimal(38,0), m decimal(20,2), c char(4));\n"
                            "insert into wide_q values (1, 12345678901234567891, 1234567890123456.78, 'a');\n"
                            "insert into wide_q values (2, 99999999999999999999999999999999999999, "
                            "-1234567890123456.78, 'b');\n"
                            "insert into wide_q values (3, 12345678901234567168, 12.5, 'c');");
    const struct {
        const char* select;
        const char* column;
        Names values;
    } wide[] = {
        {"SELECT k FROM wide_q WHERE n = 12345678901234567891", "k", {"1"}},
        {"SELECT k FROM wide_q WHERE n < 12345678901234567891", "k", {"3"}},
        {"SELECT k FROM wide_q WHERE UCASE(c) = 'X' OR n < 12345678901234567891", "k", {"3"}},
        {"SELECT k FROM wide_q WHERE LCASE(c) <> 'x' AND m > 1234567890123456.77 OR m = -1234567890123456.78 "
         "ORDER BY k",
         "k",
         {"1", "2"}},
        {"SELECT n FROM wide_q ORDER BY n DESC", "n",
         {"99999999999999999999999999999999999999", "12345678901234567891", "12345678901234567168"}},
        {"SELECT m FROM wide_q WHERE UCASE(c) <> 'B' ORDER BY m", "m", {"12.5", "1234567890123456.78"}},
    };
    for (const auto& w : wide) {
        Recordset rs = cris.DBRead("pd_demo", w.select, 3);
        EXPECT_EQ(Column(rs, w.column), w.values) << w.select;
    }
    cris.DBWrite("pd_demo", "drop table wide_q");
}

// A condition is answered as risbatch answers it, by the unload and the text driver together and
// by the text driver alone (a condition with UCASE does not reach the unload): a number literal
// as the number it writes, the double nearest to it in a double column and the decimal in a
// decimal one (literals the engine's own reading misreads among them), the date alone as that
// day's first moment, a text of blanks as a text beside NULL, char text blank-padded.
TEST_F(QueriesSystemTest, ConditionsAreAnsweredAsRisbatchAnswersThem)
{
    // Two numbers for the double column, and the middle one, with its decimal type, for the decimal
    // column.
    const std::vector<testsupport::Literal> m = testsupport::EngineMisreadLiterals("", 3);
    ASSERT_EQ(m.size(), 3u);
    const testsupport::Literal d[] = {m[0], m[2]}, x[] = {m[1]};
    cris.DBWrite("pd_demo", "create table dq (k int, t char(4), d double, x " + x[0].type +
                                ", dt timestamp, dd date, c char(8));\n"
                                "insert into dq values (1, 'a', " + d[0].text + ", " + x[0].text +
                                ", '2024-03-01', '2024-03-01', '  ');\n"
                                "insert into dq values (2, 'b', " + d[1].text +
                                ", NULL, '2024-03-01:08:00:00', NULL, NULL);\n"
                                "insert into dq values (3, 'c', 0.5, 0.5, '2024-03-02', '2024-03-02', 'x  ');");
    const struct {
        std::string condition;
        Names keys;
        std::string order = "k";
    } cases[] = {
        {"d = " + d[0].text, {"1"}},
        {"d = " + d[1].text + " or x = " + x[0].text, {"1", "2"}},
        {"d in (" + d[1].text + ", 0.5)", {"2", "3"}},
        {"dt = '2024-03-01'", {"1"}},
        {"dd = '2024-03-01'", {"1"}},
        {"dt <= '2024-03-01'", {"1"}},
        {"dt between '2024-03-01' and '2024-03-01:12:00:00'", {"1", "2"}},
        {"dt in ('2024-03-02', '2024-03-05')", {"3"}},
        {"dt >= '2024-03-01'", {"3", "2", "1"}, "dt desc"},
        {"c = '  '", {"1"}},
        {"c is null", {"2"}},
        {"c = 'x'", {"3"}},
        {"c > ' '", {"3"}},
    };
    for (const auto& c : cases) {
        const std::string select = "SELECT k FROM dq WHERE ";
        const std::string order = " ORDER BY " + c.order;
        EXPECT_EQ(RisbatchColumn("pd_demo", select + c.condition + order, "k"), c.keys) << c.condition;
        for (const std::string& where : {c.condition, "UCASE(t) <> 'Z' AND (" + c.condition + ")"}) {
            Recordset rs = cris.DBRead("pd_demo", select + where + order, 3);
            EXPECT_EQ(Column(rs, "k"), c.keys) << where;
        }
    }
    cris.DBWrite("pd_demo", "drop table dq");
}

TEST_F(QueriesSystemTest, NoRowsGivesAnOpenRecordsetAtItsEnd)
{
    Recordset rs = cris.DBRead("pd_demo", "SELECT * FROM pdtable_113 WHERE discipline_indx_no = 9;", 3);
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.Fields().Count(), 10);
}

TEST_F(QueriesSystemTest, FailuresInTheUnloadOrTheDriverLeaveNothing)
{
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT no_such_column FROM pdtable_113", "CRIS::DBRead"},
        {"SELECT * FROM pdtable_113, pdtable_112 WHERE 1=1", "CRIS::DBRead"}, // the second table is not served
        {"SELECT * FROM pdtable_999", "CRIS::DBRead: CRIS::Extract2File"},
    };
    for (const auto& [sql, source] : cases) {
        const AppError e = Caught("pd_demo", sql);
        EXPECT_EQ(e.source().rfind(source, 0), 0u) << sql << ": " << e.source();
    }
}

TEST_F(QueriesSystemTest, ImportIntoAccessNewTableThenAppend)
{
    // A database path with a quote and a table name with a bracket, as the statement escapes them.
    fs::create_directories(OutHost("O'Neil"));
    const std::string mdb = Out("O'Neil\\models.mdb");
    AccessConnection::CreateDatabase(mdb);
    const std::string sql = "SELECT model_no, partition_no FROM pdtable_113 WHERE discipline_indx_no = 1;";
    cris.DBImport2Access("pd_demo", sql, mdb, "", false);
    cris.DBImport2Access("pd_demo", sql, mdb, "pdtable_113", true);
    cris.DBImport2Access("pd_demo", "SELECT model_no FROM pdtable_113", mdb, "odd]name", false);

    Connection conn;
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
    Recordset rs = conn.Execute("SELECT model_no FROM pdtable_113 ORDER BY model_no");
    EXPECT_EQ(Column(rs, "model_no"), (Names{"P1001", "P1001", "P1002", "P1002"}));
    Recordset odd = conn.Execute("SELECT model_no FROM [odd]]name]");
    EXPECT_EQ(odd.RecordCount(), 3);
    conn.Close();

    // A target table that exists already cannot be made again.
    EXPECT_THROW(cris.DBImport2Access("pd_demo", sql, mdb, "", false), AppError);

    // Numbers of more digits than a double holds arrive with every digit.
    cris.DBWrite("pd_demo", "create table wide_i (k int, n decimal(38,0), m decimal(20,2));\n"
                            "insert into wide_i values (1, 99999999999999999999999999999999999999, "
                            "1234567890123456.78);\ninsert into wide_i values (2, 5, 0.5);");
    cris.DBImport2Access("pd_demo", "SELECT * FROM wide_i", mdb, "", false);
    cris.DBWrite("pd_demo", "drop table wide_i");
    conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
    Recordset wide = conn.Execute("SELECT n, m FROM wide_i ORDER BY k");
    EXPECT_EQ(Column(wide, "n"), (Names{"99999999999999999999999999999999999999", "5"}));
    EXPECT_EQ(Column(wide, "m"), (Names{"1234567890123456.78", "0.5"}));
    conn.Close();
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
    const AppError e = testsupport::Raised([] { GetProjectDirectory("nosuch"); });
    EXPECT_EQ(e.source().rfind("GetProjectDirectory: CRIS::DBRead", 0), 0u) << e.source();
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
