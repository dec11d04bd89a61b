// Access databases kept as SQLite files: creation, the engine's statements and field types.
#include "platform/ado/AccessConnection.h"

#include "platform/AppError.h"
#include "support/Raised.h"
#include "platform/WinPath.h"
#include "platform/ado/Connection.h"

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
