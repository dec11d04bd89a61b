// DBRead's refusals and the extraction's clean-up when it fails, with clients that cannot run and
// a dump of the test's own; the reads of the Oracle and SQL Server kinds over a scripted server.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpTestFiles.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/BinaryFile.h"
#include "services/FileOperation.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace dumptest;

namespace {

class CRISQueriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(fs::path(dir_.host()) / "temp");
        gTempDir = Win(dir_.host() + "/temp") + "\\";
        cris_.SetUseRIS(InertRisClients(dir_.host()));
    }
    void TearDown() override { gTempDir.clear(); }

    AppError Caught(const std::string& schema, const std::string& sql)
    {
        return testsupport::Raised([&] { cris_.DBRead(schema, sql, 3); });
    }

    // A dump of its own, as the dump queries take it.
    std::string Dump() const
    {
        WriteHostFile(dir_.host() + "/in.dmp",
                      "default schema pd_x\r\ncreate table pdtable_113 (model_index_no int, model_no char(20))\r\n"
                      "insert into pdtable_113 (model_index_no, model_no) values (?, ?)\r\n"
                      "***variable*** model_index_no model_no \r\n1 'P1' \r\n***RIS*** End of Table ***RIS***\r\n"
                      "***RIS*** End of Schema ***RIS***\r\n");
        return Win(dir_.host() + "/in.dmp");
    }

    testsupport::ScopedDir dir_{"queries"};
    CRIS cris_;
};

TEST_F(CRISQueriesTest, RefusalsRaiseOwnErrorBeforeAnythingIsUnloaded)
{
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"  ", "SELECT * FROM t", "Schema name not defined"},
        {"pd_x", "  ", "SQL statement not defined"},
        {"pd_x", " SELECT * FROM t", "Only SELECT queries can be processed ' SELECT * FROM t'"},
        {"pd_x", "UPDATE t SET a=1", "Only SELECT queries can be processed 'UPDATE t SET a=1'"},
    };
    for (const auto& [schema, sql, description] : cases) {
        const AppError e = Caught(schema, sql);
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "CRIS::DBRead");
        EXPECT_EQ(e.description(), description);
    }
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

TEST_F(CRISQueriesTest, LowerCaseSelectAcceptedAndFailedUnloadLeavesNoWorkFile)
{
    const AppError e = Caught("pd_x", "select * from pdtable_113 where a=1");
    EXPECT_NE(e.description().find("Only SELECT"), 0u);
    EXPECT_EQ(e.source().rfind("CRIS::DBRead: CRIS::Extract2File: CRIS::RISUnload", 0), 0u) << e.source();
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

TEST_F(CRISQueriesTest, ExtractionOfAnUnknownTableLeavesNoTextTableAndKeepsTheDump)
{
    std::string sql = "SELECT * FROM pdtable_999 WHERE a=1";
    std::string text = "old", ini = "old", table;
    const AppError e = testsupport::Raised([&] { cris_.Extract2File("pd_x", sql, text, ini, table, false, Dump()); });
    EXPECT_EQ(e.source(), "CRIS::Extract2File: CRIS::RISDumpParse");
    EXPECT_EQ(text, "");
    EXPECT_EQ(ini, "");
    EXPECT_EQ(table, "");
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
    EXPECT_TRUE(fs::exists(dir_.host() + "/in.dmp"));
}

TEST_F(CRISQueriesTest, WorkDirectoryWithTildeRefusedBeforeAnything)
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

TEST_F(CRISQueriesTest, ImportIntoMissingDatabaseRefusedBeforeExtraction)
{
    const std::string mdb = Win(dir_.host() + "/none.mdb");
    const AppError e = testsupport::Raised([&] { cris_.DBImport2Access("pd_x", "SELECT * FROM t", mdb, "", false); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "CRIS::DBImport2Access");
    EXPECT_EQ(e.description(), "Access database '" + mdb + "' not exists");
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

// --- Oracle and SQL Server kinds, over a scripted server connection ---

// Statements the scripted server saw, and the answer it gives to a SELECT: a row with a
// quote, a minimum small integer and Nulls. A statement naming "missing" fails as the
// provider's unspecified error.
struct ScriptedServer {
    std::string connection; // the last connection string opened
    std::vector<std::string> statements;
};

ScriptedServer& Server()
{
    static ScriptedServer s;
    return s;
}

class ScriptedProvider : public ConnectionProvider {
public:
    Recordset Execute(const std::string& sql) override
    {
        Server().statements.push_back(sql);
        if (sql.find("missing") != std::string::npos)
            throw AppError(adoerr::kUnspecified, "Microsoft OLE DB Provider for Oracle",
                           "ORA-00942: table or view\n does not exist\n");
        Recordset rs;
        if (!StartsWithNoCase(sql, "SELECT"))
            return rs;
        rs.Fields().Append("MODEL_NO", adVarChar, 20);
        rs.Fields().Append("PARTITION_NO", adSmallInt, 2);
        rs.Fields().Append("NOTE", adLongVarChar, 2000);
        rs.Open();
        rs.AddNew({"MODEL_NO", "PARTITION_NO", "NOTE"}, {Variant("P1"), Variant(-32768), Variant("say \"x\"")});
        rs.AddNew({"MODEL_NO", "PARTITION_NO", "NOTE"}, {Variant("P2"), Variant(3), Variant::Null()});
        return rs;
    }
};

class CRISServerQueriesTest : public CRISQueriesTest {
protected:
    void SetUp() override
    {
        CRISQueriesTest::SetUp();
        Server().statements.clear();
        for (ProviderKind kind : {ProviderKind::Oracle, ProviderKind::SqlServer})
            Connection::RegisterProvider(kind, [](const std::string& cs) {
                Server().connection = cs;
                return std::make_unique<ScriptedProvider>();
            });
    }
    void TearDown() override
    {
        for (ProviderKind kind : {ProviderKind::Oracle, ProviderKind::SqlServer})
            Connection::RegisterProvider(kind, nullptr);
        CRISQueriesTest::TearDown();
    }
};

TEST_F(CRISServerQueriesTest, OracleReadActsInTheSchemaAndDropsSemicolons)
{
    cris_.SetUseOra("ORCL", "system", "manager");
    // A ';' inside a quoted value is the value's: only the statement's own goes.
    Recordset rs = cris_.DBRead("pd_x", "SELECT * FROM t WHERE a = ';' AND b = 'x;y';", 3);
    EXPECT_EQ(Server().statements, (std::vector<std::string>{"ALTER SESSION SET CURRENT_SCHEMA=pd_x",
                                                             "SELECT * FROM t WHERE a = ';' AND b = 'x;y'"}));
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields()["MODEL_NO"].Value().ToText(), "P1");
    // Without a schema the login's own stays.
    Server().statements.clear();
    cris_.DBRead(" ", "SELECT * FROM t", 3);
    EXPECT_EQ(Server().statements, std::vector<std::string>{"SELECT * FROM t"});
}

TEST_F(CRISServerQueriesTest, OracleSchemaThatIsNoPlainNameIsRefused)
{
    cris_.SetUseOra("ORCL", "system", "manager");
    const AppError e = Caught("pd_x; drop user x", "SELECT * FROM t");
    EXPECT_EQ(e.number(), 1);
    EXPECT_NE(e.description().find("pd_x; drop user x"), std::string::npos) << e.description();
    EXPECT_EQ(Server().statements, std::vector<std::string>{});
}

TEST_F(CRISServerQueriesTest, SqlServerReadRevertsThenActsAsTheLogin)
{
    cris_.SetUseSQL("srv", "db", "", "");
    cris_.DBRead("O'Neil", "SELECT * FROM t", 3);
    // A blank login is Windows authentication.
    EXPECT_EQ(Server().connection, "Driver={SQL Server};Server=srv;Database=db;Trusted_Connection=True;");
    EXPECT_EQ(Server().statements,
              (std::vector<std::string>{"REVERT", "EXECUTE AS LOGIN = 'O''Neil'", "SELECT * FROM t"}));
}

TEST_F(CRISServerQueriesTest, ProviderFailureGetsTheDataAccessHint)
{
    cris_.SetUseOra("ORCL", "system", "manager");
    const AppError e = Caught("pd_x", "SELECT * FROM missing");
    EXPECT_EQ(e.number(), adoerr::kUnspecified);
    EXPECT_EQ(e.source(), "CRIS::DBRead: Microsoft OLE DB Provider for Oracle");
    EXPECT_EQ(e.description(), "ORA-00942: table or view\n does not exist\n\r\n"
                               "Please correct install Microsoft Data Access Components (MDAC)");
}

TEST_F(CRISServerQueriesTest, ExtractionWritesTheTextTableAndItsFormat)
{
    cris_.SetUseOra("ORCL", "system", "manager");
    std::string sql = "SELECT model_no FROM pdtable_113 WHERE a=1;";
    std::string text, ini, table;
    cris_.Extract2File("pd_x", sql, text, ini, table, true);
    EXPECT_EQ(table, "pdtable_113");
    EXPECT_EQ(sql, "SELECT * FROM " + text + " AS [pdtable_113];");
    EXPECT_EQ(Server().statements.back(), "SELECT model_no FROM pdtable_113 WHERE a=1");
    EXPECT_EQ(BinaryFile::ReadAll(text), "P1\t0\tsay \"\"x\"\"\r\nP2\t3\t\r\n");
    EXPECT_EQ(BinaryFile::ReadAll(ini), "[" + GetFileName(text) + "]\r\nColNameHeader=False\r\nFormat=TabDelimited\r\n"
                                        "CharacterSet=ANSI\r\nCol1=model_no char width 20\r\n"
                                        "Col2=partition_no short\r\nCol3=note char width 240\r\n");

    // The text driver reads the pair back.
    Connection conn;
    conn.Open("Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=" + GetPathDir(text) + ";");
    Recordset rs = conn.Execute(sql);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields()["note"].Value().ToText(), "say \"x\"");
    conn.Close();
    DeleteFileA(text);
    DeleteFileA(ini);
}

TEST_F(CRISServerQueriesTest, FailedServerExtractionLeavesNothingAndRemovesLineFeeds)
{
    cris_.SetUseOra("ORCL", "system", "manager");
    std::string sql = "SELECT * FROM missing";
    std::string text, ini, table;
    const AppError e = testsupport::Raised([&] { cris_.Extract2File("pd_x", sql, text, ini, table, false); });
    EXPECT_EQ(e.source(), "CRIS::Extract2File: CRIS::ADOUnloadAndParse: Microsoft OLE DB Provider for Oracle");
    EXPECT_EQ(e.description(), "ORA-00942: table or view does not exist");
    EXPECT_EQ(text, "");
    EXPECT_EQ(ini, "");
    EXPECT_TRUE(fs::is_empty(HostPath(cris_.GetTempDir())));
}

} // namespace
