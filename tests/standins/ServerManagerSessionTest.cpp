// The server manager's scripts of the system and its answers as the lists read them.
#include "standins/dbserver/ServerManagerSession.h"

#include "StandInTestServer.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

namespace {
// The lines after the rule of dashes up to the first line with a lower-case letter, as the
// user list reads them.
std::vector<std::string> listed(const std::string& out)
{
    std::vector<std::string> names;
    bool rule = false;
    for (std::string l : Split(ReplaceAll(out, "\r", ""), "\n")) {
        l = Trim(l);
        if (!rule) {
            rule = l.rfind("---", 0) == 0;
            continue;
        }
        if (l.find_first_of("abcdefghijklmnopqrstuvwxyz") != std::string::npos)
            break;
        if (!l.empty())
            names.push_back(l);
    }
    return names;
}
} // namespace

class ServerManagerSessionTest : public ::testing::Test {
protected:
    std::string run(const std::string& script, int* failed = nullptr)
    {
        ServerManagerSession s(t.Server());
        std::string out;
        int n = s.RunScript(script, out);
        if (failed)
            *failed = n;
        return out;
    }
    StandInTestServer t;
};

TEST_F(ServerManagerSessionTest, CreateScriptWithOwnTablespaceMakesTheUser)
{
    int failed = 0;
    std::string out = run("connect system/manager\r\n"
                          "create tablespace pd_x datafile 'd:\\oradata\\pd_xpds.ora' size 40m autoextend on next 20m "
                          "maxsize 2000m;\r\n"
                          "grant connect to pd_x identified by pd_x;\r\n"
                          "grant create database link, create sequence, alter session, create synonym, create table, "
                          "create view to pd_x;\r\n"
                          "alter user pd_x default tablespace pd_x;\r\n"
                          "alter user pd_x temporary tablespace TEMPORARY_DATA;\r\n"
                          "alter user pd_x quota unlimited on pd_x;\r\n"
                          "GRANT CONNECT, RESOURCE TO pd_x;\r\n"
                          "exit;\r\n\r\n",
                          &failed);
    EXPECT_EQ(failed, 0) << out;
    auto user = t.Server().FindUser("PD_X");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->password, "PD_X");
    EXPECT_EQ(user->defaultTablespace, "PD_X");
    EXPECT_EQ(t.Server().FindTablespace("PD_X")->sizeBytes, 40LL * 1024 * 1024);
    EXPECT_TRUE(t.Server().HasPrivilege("PD_X", "create table"));
    EXPECT_EQ(out.find("wq4"), std::string::npos);
}

TEST_F(ServerManagerSessionTest, UserListReadsAsTheListWindowReadsIt)
{
    t.Server().SetUserPassword("dd_y", "dd_y");
    std::string out = run("connect system/manager\r\nselect username from dba_users group by username;\r\nexit;\r\n");
    EXPECT_EQ(listed(out), (std::vector<std::string>{"DD_Y", "SYSTEM"}));
    EXPECT_NE(out.find("2 rows selected."), std::string::npos);
}

TEST_F(ServerManagerSessionTest, FreeSpaceRowsCarryNameAndBytes)
{
    std::string out = run("connect system/manager\r\n"
                          "select tablespace_name,sum(bytes) from dba_free_space group by tablespace_name;\r\nexit;\r\n");
    auto rows = listed(out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].substr(0, 14), "TEMPORARY_DATA");
    EXPECT_EQ(rows[1].substr(rows[1].rfind(' ') + 1), std::to_string(100LL * 1024 * 1024));
}

// A script of the system's administrator: connected as the DBA, then the lines.
std::string asDba(const std::string& lines) { return "connect system/manager\r\n" + lines + "\r\n"; }

struct OraCase {
    const char* name;
    std::string script;
    const char* error;
    const char* noUser = nullptr;     // a user the refused script must not have made
    const char* tablespace = nullptr; // a tablespace that must still stand
};

class ServerManagerFailure : public ServerManagerSessionTest, public ::testing::WithParamInterface<OraCase> {};

TEST_P(ServerManagerFailure, PrintsItsOraLine)
{
    int failed = 0;
    std::string out = run(GetParam().script, &failed);
    EXPECT_GE(failed, 1);
    EXPECT_NE(out.find(GetParam().error), std::string::npos) << out.substr(0, 2000);
    EXPECT_FALSE(GetParam().noUser && t.Server().FindUser(GetParam().noUser));
    EXPECT_TRUE(!GetParam().tablespace || t.Server().FindTablespace(GetParam().tablespace));
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, ServerManagerFailure,
    ::testing::Values(OraCase{"WrongPassword", "connect system/nope\r\nexit;\r\n", "ORA-01017"},
                      OraCase{"NotConnected", "drop user x cascade;\r\n", "ORA-01012"},
                      OraCase{"DropMissingUser", "connect system/manager\r\ndrop user nobody cascade;\r\ncommit;\r\n",
                              "ORA-01918: user 'NOBODY' does not exist"},
                      OraCase{"MissingTablespace",
                              "connect system/manager\r\ngrant connect to u identified by u;\r\n"
                              "alter user u default tablespace NOTS;\r\n",
                              "ORA-00959"},
                      OraCase{"NoDba", "connect system/manager\r\ngrant connect to u identified by u;\r\nconnect u/u\r\n"
                                       "grant connect to v identified by v;\r\n",
                              "ORA-01031"},
                      OraCase{"TablespaceTwice",
                              "connect system/manager\r\ncreate tablespace a datafile 'd:\\a.ora' size 1m;\r\n"
                              "create tablespace a datafile 'd:\\b.ora' size 1m;\r\n",
                              "ORA-01543"},
                      OraCase{"TablespaceOnAMissingDrive",
                              "connect system/manager\r\ncreate tablespace a datafile 'q:\\a.ora' size 1m;\r\n",
                              "ORA-01119: error in creating database file 'q:\\a.ora'"},
                      OraCase{"UserNameTooLong",
                              "connect system/manager\r\ncreate user u234567890123456789012345678901 identified by u;\r\n",
                              "ORA-00972"},
                      OraCase{"UnknownView", "connect system/manager\r\nselect * from v$session;\r\n", "ORA-00942"},
                      OraCase{"ReservedUserName", asDba("grant connect to select identified by x;"), "ORA-00987",
                              "SELECT"},
                      OraCase{"ReservedUserNameCreated", asDba("create user table identified by x;"), "ORA-01935",
                              "TABLE"},
                      OraCase{"PasswordOfFiveMillionCharacters",
                              asDba("grant connect to pd_p identified by " + std::string(5000000, 'p') + ";"),
                              "ORA-00972", "PD_P"},
                      OraCase{"PasswordThatIsNoNameAfterACommentLine",
                              asDba("-- a user of its own\r\ncreate user pd_p identified by 9lives;"), "ORA-00988",
                              "PD_P"},
                      OraCase{"PasswordCutAtAnOddCharacter", asDba("grant connect to pd_p identified by p@ss;"),
                              "ORA-00922", "PD_P"},
                      OraCase{"QuotaOnAMissingTablespace",
                              asDba("create user pd_q identified by pd_q default tablespace USER_DATA quota 10m on "
                                    "nosuch;"),
                              "ORA-00959: tablespace 'NOSUCH' does not exist", "PD_Q"},
                      OraCase{"DropAMissingTablespace", asDba("drop tablespace nosuch;"), "ORA-00959"},
                      OraCase{"DropTheSystemTablespace", asDba("drop tablespace system including contents;"),
                              "ORA-01550", nullptr, "SYSTEM"}),
    [](const ::testing::TestParamInfo<OraCase>& i) { return std::string(i.param.name); });

TEST_F(ServerManagerSessionTest, DropScriptRemovesUserAndTables)
{
    t.AddSchema("pd_z");
    t.Batch("default schema pd_z; create table a (x int);");
    int failed = 0;
    run("connect system/manager\r\ndrop user pd_z cascade;\r\ncommit;\r\nexit;\r\n", &failed);
    EXPECT_EQ(failed, 0);
    EXPECT_FALSE(t.Server().FindUser("PD_Z"));
}

TEST_F(ServerManagerSessionTest, ATablespaceThatHoldsTablesIsDroppedWithThemOnlyWhenToldSo)
{
    t.AddSchema("pd_r");
    t.Batch("default schema pd_r; create table a (x int);");
    int failed = 0;
    std::string out =
        run(asDba("alter user pd_r default tablespace USER_DATA;\r\ndrop tablespace USER_DATA;"), &failed);
    EXPECT_NE(out.find("ORA-01549: tablespace not empty, use INCLUDING CONTENTS option"), std::string::npos) << out;
    EXPECT_TRUE(t.Server().FindTablespace("USER_DATA"));
    out = run(asDba("drop tablespace USER_DATA including contents and datafiles;"), &failed);
    EXPECT_EQ(failed, 0) << out;
    EXPECT_FALSE(t.Server().FindTablespace("USER_DATA"));
    EXPECT_NE(t.Batch("default schema pd_r; select x from a;").find("RIS_E_UNKNOWN_RELATION"), std::string::npos);
}
