// Access databases kept as SQLite files: creation, the engine's statements and field types.
#include "platform/ado/AccessConnection.h"

#include "platform/AppError.h"
#include "support/Raised.h"
#include "platform/WinPath.h"
#include "platform/ado/Connection.h"
#include "platform/ado/JetStoredValues.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testsupport::Raised;

class AccessConnectionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(StandInRoot() + "/drives/d/data");
        AccessConnection::CreateDatabase(kMdb);
        conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + kMdb + ";");
    }
    void TearDown() override
    {
        if (conn.State() == adStateOpen)
            conn.Close();
        std::filesystem::remove_all(StandInRoot() + "/drives/d");
    }

    const std::string kMdb = "D:\\Data\\Project.mdb";
    Connection conn;
};

TEST_F(AccessConnectionTest, CreatesTheDatabaseFileOnce)
{
    EXPECT_TRUE(std::filesystem::is_regular_file(HostPath(kMdb)));
    EXPECT_THROW(AccessConnection::CreateDatabase(kMdb), AppError);
    Connection missing;
    const AppError e = Raised([&] { missing.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=D:\\Data\\none.mdb;"); });
    EXPECT_EQ(e.number(), adoerr::kUnspecified);
    EXPECT_NE(e.description().find("none.mdb"), std::string::npos);
    EXPECT_EQ(missing.State(), adStateClosed);
}

TEST_F(AccessConnectionTest, StatementsAndFieldTypes)
{
    EXPECT_EQ(conn.Execute("CREATE TABLE [models] (id LONG, no TEXT(20), part SHORT, w DOUBLE, d DATETIME, ok BIT, memo MEMO)")
                  .State(),
              adStateClosed);
    conn.Execute("INSERT INTO models VALUES (1, 'A1', 3, 2.5, #2024-01-31#, True, '0123')");
    conn.Execute("INSERT INTO [models] (id, no) VALUES (2, \"B'2\")");
    Recordset rs = conn.Execute("SELECT * FROM models WHERE(1 = 0);");
    EXPECT_EQ(rs.RecordCount(), 0);
    struct Expected {
        const char* name;
        int type;
        long size;
    };
    const Expected expected[] = {{"id", adInteger, 4},  {"no", adVarWChar, 20}, {"part", adSmallInt, 2},
                                 {"w", adDouble, 8},    {"d", adDate, 8},       {"ok", adBoolean, 2},
                                 {"memo", adLongVarWChar, 1073741823}};
    ASSERT_EQ(rs.Fields().Count(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(rs.Fields()[i].Type(), expected[i].type) << expected[i].name;
        EXPECT_EQ(rs.Fields()[i].DefinedSize(), expected[i].size) << expected[i].name;
    }
    rs = conn.Execute("SELECT * FROM models ORDER BY id");
    EXPECT_EQ(rs.Fields()["d"].Value().ToText(), "2024-01-31");
    EXPECT_EQ(rs.Fields()["ok"].Value(), Variant(true));
    EXPECT_EQ(rs.Fields()["memo"].Value(), Variant("0123"));   // text stays text
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()["no"].Value(), Variant("B'2"));
    EXPECT_TRUE(rs.Fields()["w"].Value().IsNull());
    rs = conn.Execute("SELECT id FROM models WHERE d = #01/31/2024# AND UCASE(no) LIKE 'A*'");
    EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_F(AccessConnectionTest, SelectIntoCopiesShapeAndRows)
{
    conn.Execute("CREATE TABLE src (id INTEGER, name TEXT(30))");
    conn.Execute("INSERT INTO src VALUES (1, 'x')");
    conn.Execute("INSERT INTO src VALUES (2, 'y')");
    conn.Execute("SELECT * INTO [copy] FROM src WHERE id > 1");
    Recordset rs = conn.Execute("SELECT * FROM [copy]");
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields()["name"].DefinedSize(), 30);
    EXPECT_THROW(conn.Execute("SELECT * INTO [copy] FROM src"), AppError);
    conn.Execute("DROP TABLE [copy]");
    const AppError e = Raised([&] { conn.Execute("SELECT * FROM [copy]"); });
    EXPECT_EQ(e.number(), adoerr::kObjectNotFound);
    EXPECT_EQ(e.source(), "Microsoft JET Database Engine");
}

// Every statement that stores values keeps them as the engine's fields do: a text within its
// size, a whole number within its range (a fraction rounded half to even), a currency amount to
// its fourth decimal over its whole range; anything else is refused with the engine's text and
// nothing of the statement stays. Each case starts from the same one row.
TEST_F(AccessConnectionTest, EveryValueIsStoredAsItsFieldKeepsIt)
{
    conn.Execute("CREATE TABLE f (t TEXT(5), s SMALLINT, i INTEGER, b BYTE, c CURRENCY, r REAL, m MEMO, d DOUBLE)");
    const std::string tooSmall = JetStoredValues::kFieldTooSmall, overflow = JetStoredValues::kNumericOverflow,
                      mismatch = JetStoredValues::kTypeMismatch;
    const struct {
        std::string statement;
        std::string refusal; // empty: it runs
        const char* query;
        const char* stands;
    } cases[] = {
        {"INSERT INTO f (t) VALUES ('abcde')", "", "SELECT t FROM f WHERE s IS NULL", "abcde"},
        {"INSERT INTO f (t) VALUES ('abcdef')", tooSmall, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (t, s) VALUES ('ok', 1), ('toolong', 2)", tooSmall, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (t) VALUES (123456)", tooSmall, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (m) VALUES ('" + std::string(300, 'm') + "')", "", "SELECT LEN(m) FROM f WHERE s IS NULL",
         "300"},
        {"INSERT INTO f (s) VALUES (-32768)", "", "SELECT s FROM f WHERE t IS NULL", "-32768"},
        {"INSERT INTO f (s) VALUES (32768)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (s) VALUES (32767.5)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (s) VALUES (2.5)", "", "SELECT s FROM f WHERE t IS NULL", "2"},
        {"INSERT INTO f (s) VALUES ('x')", mismatch, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (s) VALUES ('')", "", "SELECT COUNT(*) FROM f WHERE s IS NULL", "1"},
        {"INSERT INTO f (i) VALUES (2147483648)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (b) VALUES (256)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (b) VALUES (-1)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (r) VALUES (1E39)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (c) VALUES (-922337203685477.5808)", "", "SELECT c FROM f WHERE t IS NULL",
         "-922337203685477.5808"},
        {"INSERT INTO [f] ([c], t) VALUES (+922337203685477.5807, 'x')", "", "SELECT c FROM f WHERE t = 'x'",
         "922337203685477.5807"},
        {"INSERT INTO f (c) VALUES (922337203685477.5808)", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (c) VALUES ('-922337203685477.58086')", overflow, "SELECT COUNT(*) FROM f", "1"},
        {"INSERT INTO f (c) VALUES ('-922337203685477.58085')", "", "SELECT c FROM f WHERE t IS NULL",
         "-922337203685477.5808"},
        {"INSERT INTO f (c) VALUES (1.23455)", "", "SELECT c FROM f WHERE t IS NULL", "1.2346"},
        {"INSERT INTO f (c) VALUES (0.00025)", "", "SELECT c FROM f WHERE t IS NULL", "0.0002"},
        {"INSERT INTO f (c) VALUES ('12.5x')", mismatch, "SELECT COUNT(*) FROM f", "1"},
        {"UPDATE f SET c = -922337203685477.5808, s = s * 2 WHERE t = 'start'", "", "SELECT c & '/' & s FROM f",
         "-922337203685477.5808/14"},
        {"UPDATE f SET t = 'toolong'", tooSmall, "SELECT t FROM f", "start"},
        {"UPDATE [f] SET s = s + 40000", overflow, "SELECT s FROM f", "7"},
        {"UPDATE f SET c = c * 2", "", "SELECT c FROM f", "25"},
        {"UPDATE f SET s = IIF(t = 'start', 40000, 1)", overflow, "SELECT s FROM f", "7"},
        {"UPDATE f SET s = CASE WHEN t = 'start' THEN 2.5 END, t = 'x'", "", "SELECT s & t FROM f", "2x"},
        {"UPDATE f SET t = 'ab', c = (SELECT MAX(c) FROM f WHERE t = 'start') + 0.00004 WHERE t = 'start'", "",
         "SELECT t & c FROM f", "ab12.5"},
        {"INSERT INTO f SELECT * FROM f", "", "SELECT COUNT(*) FROM f WHERE c = 12.5", "2"},
        {"SELECT * INTO g FROM f", "", "SELECT c FROM g", "12.5"},
        {"SELECT COUNT(*) FROM f WHERE c > 10 AND c < 12.6", "", "SELECT c FROM f", "12.5"},
        // A number of more digits than a double holds keeps every one in a Double field.
        {"INSERT INTO f (d) VALUES ('12345678901234567891')", "", "SELECT d FROM f WHERE t IS NULL",
         "12345678901234567891"},
        {"UPDATE f SET d = ' -1234567890123456.78'", "", "SELECT d FROM f", "-1234567890123456.78"},
        {"INSERT INTO f (d, t) SELECT 9007199254740993, 'x'", "", "SELECT d FROM f WHERE t = 'x'", "9007199254740993"},
        {"INSERT INTO f (d, r) VALUES ('0.1', '0.30000000000000004')", "", "SELECT d & '/' & r FROM f WHERE t IS NULL",
         "0.1/0.3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        conn.Execute("DELETE FROM f");
        conn.Execute("INSERT INTO f (t, s, i, b, c, r) VALUES ('start', 7, 70, 7, 12.5, 1.5)");
        try {
            conn.Execute("DROP TABLE g");
        } catch (const AppError&) {
        }
        try {
            conn.Execute(c.statement);
            EXPECT_EQ(c.refusal, "");
        } catch (const AppError& e) {
            EXPECT_EQ(e.description(), c.refusal);
            EXPECT_EQ(e.number(), adoerr::kUnspecified);
            EXPECT_EQ(e.source(), "Microsoft JET Database Engine");
        }
        Recordset rs = conn.Execute(c.query);
        ASSERT_EQ(rs.RecordCount(), 1);
        EXPECT_EQ(rs.Fields()[0].Value().ToText(), c.stands);
    }
}

TEST(ConnectionTest, ConnectionStringsSelectTheProvider)
{
    EXPECT_EQ(Connection::KindOf("Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=C:\\t\\;"), ProviderKind::TextDriver);
    EXPECT_EQ(Connection::Item("Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=C:\\t\\;", "dbq"), "C:\\t\\");
    EXPECT_EQ(Connection::KindOf("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\x\\db.mdb;"), ProviderKind::Access);
    EXPECT_EQ(Connection::Item("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=c:\\x\\db.mdb", "Data Source"), "c:\\x\\db.mdb");
    EXPECT_EQ(Connection::KindOf("Provider=MSDAORA.1;Data Source=srv;User Id=u;Password=p;"), ProviderKind::Oracle);
    EXPECT_EQ(Connection::KindOf("Driver={SQL Server};Server=s;Database=d;Trusted_Connection=True;"), ProviderKind::SqlServer);
    EXPECT_THROW(Connection::KindOf("Provider=Nothing;"), AppError);
}

// A registered provider's statements are the access layer's scripted servers.
TEST(ConnectionTest, ServerKindsNeedARegisteredProvider)
{
    Connection conn;
    EXPECT_EQ(Raised([&] { conn.Open("Provider=MSDAORA.1;Data Source=srv;User Id=u;Password=p;"); }).number(),
              adoerr::kProviderNotFound);
}

} // namespace
