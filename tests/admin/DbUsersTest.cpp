// Server-manager scripts and command lines of the database users, and the refusal of bad names.
#include "admin/DbUsers.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

struct TablespaceCase {
    const char* name;
    const char* userTablespace;
    const char* tablespaceLine; // empty: none
    const char* tablespace;     // default tablespace and quota
};

class CreateUserScriptTest : public ::testing::TestWithParam<TablespaceCase> {};

TEST_P(CreateUserScriptTest, LinesFollowTheTablespaceSetting)
{
    const TablespaceCase& c = GetParam();
    std::string expected = "connect dboper/wq4ztk9\r\n";
    if (*c.tablespaceLine)
        expected += std::string(c.tablespaceLine) + "\r\n";
    expected += "grant connect to pd_p1 identified by pd_p1;\r\n"
                "grant create database link, create sequence, alter session, create synonym, create table, "
                "create view to pd_p1;\r\n"
                "alter user pd_p1 default tablespace " + std::string(c.tablespace) + ";\r\n"
                "alter user pd_p1 temporary tablespace TEMPORARY_DATA;\r\n"
                "alter user pd_p1 quota unlimited on " + std::string(c.tablespace) + ";\r\n"
                "GRANT CONNECT, RESOURCE TO pd_p1;\r\n"
                "exit;\r\n";
    EXPECT_EQ(DbUsers::CreateUserScript("pd_p1", "dboper/wq4ztk9", c.userTablespace, "TEMPORARY_DATA"), expected);
}

const std::string kDataFileLine =
    "create tablespace pd_p1 datafile 'd:\\oradata\\pd_p1pds.ora' size 40m autoextend on next 20m maxsize 2000m;";

INSTANTIATE_TEST_SUITE_P(
    Tablespaces, CreateUserScriptTest,
    ::testing::Values(TablespaceCase{"Named", "USER_DATA", "", "USER_DATA"},
                      TablespaceCase{"DirectoryWithoutBackslash", "d:\\oradata", kDataFileLine.c_str(), "pd_p1"},
                      TablespaceCase{"DirectoryWithBackslash", "d:\\oradata\\", kDataFileLine.c_str(), "pd_p1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DbUsersTest, DropScriptDropsWithCascadeAndCommits)
{
    EXPECT_EQ(DbUsers::DropUserScript("dd_p1", "sys/x"),
              "connect sys/x\r\ndrop user dd_p1 cascade;\r\ncommit;\r\nexit;\r\n");
    EXPECT_EQ(DbUsers::DropUserScript("dd_p1", ""), "connect \r\ndrop user dd_p1 cascade;\r\ncommit;\r\nexit;\r\n");
}

TEST(DbUsersTest, ServerManagerCommandQuotesBothPaths)
{
    EXPECT_EQ(DbUsers::ServerManagerCommand("d:\\orant\\bin\\svrmgr30.exe", "C:\\My Temp\\tarnwick.sql"),
              "\"d:\\orant\\bin\\svrmgr30.exe\" @\"C:\\My Temp\\tarnwick.sql\"");
}

class DbUsersRefusalTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        gIniFile = dir.host() + "/tarnwick.ini";
        gLogFile = dir.host() + "/tarnwick.log";
    }
    testsupport::ScopedDir dir{"dbusers"};
};

TEST_P(DbUsersRefusalTest, BadNameIsNamedAndNothingRuns)
{
    DbUsers users;
    int runs = 0;
    users.onRun = [&](const ToolOutcome&) { ++runs; };
    std::string params = GetParam();
    for (auto op : {&DbUsers::Cre_DBUser, &DbUsers::Del_DBUser}) {
        try {
            (users.*op)(params);
            FAIL() << "accepted " << params;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 1);
            EXPECT_NE(e.description().find("is not a valid name"), std::string::npos) << e.description();
        }
    }
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(std::filesystem::exists(HostPath(ToolRun::ScratchFilePath())));
    EXPECT_FALSE(std::filesystem::exists(dir.host() + "/tarnwick.log"));
}

INSTANTIATE_TEST_SUITE_P(Names, DbUsersRefusalTest,
                         ::testing::Values("'pd_a b'", "'pd_x;drop'", "''", "no quotes", "' pd_p1'"));

} // namespace
