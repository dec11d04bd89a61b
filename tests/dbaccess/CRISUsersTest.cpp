// Oracle and SQL Server user statements over a recording connection: the statements in order,
// what stops the call and what is passed over, and what is refused before connecting. Their
// effect, quoted passwords and the server's refusals are checked on the stand-in server.
#include "dbaccess/CRIS.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Connection.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <map>

using testsupport::Raised;

namespace {

// What the recording server saw: "open <string>", each statement, "close".
std::vector<std::string> gSeen;
// Statements (by their start) that fail, with the error number they fail with.
std::map<std::string, long> gFailing;

class RecordingProvider : public ConnectionProvider {
public:
    explicit RecordingProvider(const std::string& cs) { gSeen.push_back("open " + cs); }
    ~RecordingProvider() override { gSeen.push_back("close"); }

    Recordset Execute(const std::string& sql) override
    {
        gSeen.push_back(sql);
        for (const auto& [start, number] : gFailing)
            if (sql.rfind(start, 0) == 0)
                throw AppError(number, "Recording provider", "refused: " + sql);
        return Recordset();
    }
};

class CRISUsersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gSeen.clear();
        gFailing.clear();
        for (ProviderKind kind : {ProviderKind::Oracle, ProviderKind::SqlServer})
            Connection::RegisterProvider(kind, [](const std::string& cs) {
                return std::make_unique<RecordingProvider>(cs);
            });
    }
    void TearDown() override
    {
        Connection::RegisterProvider(ProviderKind::Oracle, nullptr);
        Connection::RegisterProvider(ProviderKind::SqlServer, nullptr);
    }

    CRIS cris_;
};

} // namespace

TEST_F(CRISUsersTest, CountMismatchIsFoundAfterOpeningAndRunsNothing)
{
    const AppError e = Raised([&] {
        cris_.ORACreateUser("ORCL", "system", "manager", {"a", "b"}, {"a"}, "USER_DATA", "TEMP");
    });
    EXPECT_EQ(e.description(), "User count does not match password count");
    EXPECT_EQ(e.source(), "CRIS::ORACreateUser");
    ASSERT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(gSeen[1], "close");
}

TEST_F(CRISUsersTest, FailingStatementStopsTheCreation)
{
    gFailing["grant connect"] = adoerr::kUnspecified;
    const AppError e = Raised([&] {
        cris_.ORACreateUser("ORCL", "system", "manager", {"a", "b"}, {"a", "b"}, "USER_DATA", "TEMP");
    });
    EXPECT_EQ(e.number(), adoerr::kUnspecified);
    EXPECT_EQ(e.source(), "CRIS::ORACreateUser: Recording provider");
    EXPECT_EQ(gSeen.back(), "close");
    EXPECT_EQ(gSeen[gSeen.size() - 2], "grant connect to a identified by a");
}

TEST_F(CRISUsersTest, NamesThatWouldReshapeAStatementAreRefusedBeforeConnecting)
{
    AppError e = Raised([&] {
        cris_.ORACreateUser("ORCL", "system", "manager", {"pd_x cascade"}, {"p"}, "USER_DATA", "TEMP");
    });
    EXPECT_EQ(e.number(), 1);
    EXPECT_NE(e.description().find("'pd_x cascade'"), std::string::npos);
    e = Raised([&] { cris_.ORADropUser("ORCL;User Id=x", "system", "manager", {"a"}); });
    EXPECT_NE(e.description().find("must not contain ';'"), std::string::npos);
    e = Raised([&] { cris_.ORACreateUser("ORCL", "system", "se;cret", {"a"}, {"a"}, "USER_DATA", "TEMP"); });
    EXPECT_EQ(e.description(), "Password is not valid: it must not contain ';'");
    // A password is refused only for what no quoting carries, and never shown.
    e = Raised([&] { cris_.ORACreateUser("ORCL", "system", "m", {"a"}, {"say\"hi"}, "USER_DATA", "TEMP"); });
    EXPECT_EQ(e.description(), "Password is not valid: it must not contain a double quote");
    e = Raised([&] { cris_.SQLCreateUser("srv", "pds", "sa", "pw", {"u"}, {"two\r\nlines"}); });
    EXPECT_EQ(e.description(), "Password is not valid: it must not contain a line break or a NUL character");
    EXPECT_TRUE(gSeen.empty());
}

TEST_F(CRISUsersTest, OracleDropPassesOverUsersThatCannotBeDropped)
{
    gFailing["drop user b"] = adoerr::kUnspecified;
    cris_.ORADropUser("ORCL", "system", "manager", {"a", "b", "c"});
    const std::vector<std::string> expected = {
        "open Provider=MSDAORA.1;Data Source=ORCL;User Id=system;Password=manager;",
        "drop user a cascade", "drop user b cascade", "drop user c cascade", "commit", "close"};
    EXPECT_EQ(gSeen, expected);
}

TEST_F(CRISUsersTest, SqlLoginFallsBackToTheProcedureOnlyForACommandTextError)
{
    gFailing["CREATE LOGIN a "] = adoerr::kSyntaxError;
    gFailing["CREATE LOGIN b "] = adoerr::kUnspecified;
    cris_.SQLCreateUser("srv", "pds", "sa", "pw", {"a", "b"}, {"pa", "pb"});
    const std::vector<std::string> expected = {
        "open Driver={SQL Server};Server=srv;Database=pds;Uid=sa;Pwd=pw;",
        "CREATE LOGIN a WITH PASSWORD = 'pa', DEFAULT_DATABASE = pds, CHECK_POLICY = OFF;",
        "EXEC sp_addlogin a,pa,pds",
        "EXEC sp_adduser a",
        "GRANT ALL TO a",
        "CREATE LOGIN b WITH PASSWORD = 'pb', DEFAULT_DATABASE = pds, CHECK_POLICY = OFF;",
        "EXEC sp_adduser b",
        "GRANT ALL TO b",
        "close"};
    EXPECT_EQ(gSeen, expected);
}

TEST_F(CRISUsersTest, SqlDropIgnoresEveryFailure)
{
    gFailing["EXEC sp_dropuser"] = adoerr::kUnspecified;
    cris_.SQLDropUser("srv", "pds", "sa", "pw", {"a"});
    const std::vector<std::string> expected = {"open Driver={SQL Server};Server=srv;Database=pds;Uid=sa;Pwd=pw;",
                                               "EXEC sp_dropuser a", "EXEC sp_droplogin a", "close"};
    EXPECT_EQ(gSeen, expected);
}
