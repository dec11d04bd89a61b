// The stand-in server's catalogue: users, tablespaces, schemas, the schema file and the
// environment chosen by RIS_PARAMETERS.
#include "standins/dbserver/DbServer.h"

#include "StandInTestServer.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

using testsupport::ReadHostFile;

TEST(DbServer, UsersAreKeptInUpperCaseAndDroppedWithTheirTables)
{
    StandInTestServer t;
    t.AddSchema("pd_a");
    t.Batch("default schema pd_a; create table x (a int);");
    const std::string file = t.Server().UserDatabasePath("PD_A");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(t.Server().FindUser("pd_a")->name, "PD_A");
    t.Server().DropUser("pd_a");
    EXPECT_FALSE(t.Server().FindUser("PD_A"));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(t.Server().FindSchema("pd_a")); // the RIS dictionary still names it
}

TEST(DbServer, SchemaFileListsTheSchemasInOrderOfCreation)
{
    StandInTestServer t;
    t.AddSchema("pd_b");
    t.AddSchema("dd_b");
    std::string text = ReadHostFile(t.Server().SchemaFileHostPath());
    size_t pd = text.find("SCHNAME=pd_b\r\n"), dd = text.find("SCHNAME=dd_b\r\n");
    ASSERT_NE(pd, std::string::npos);
    ASSERT_NE(dd, std::string::npos);
    EXPECT_LT(pd, dd);
    t.Server().DropSchema("PD_B");
    EXPECT_EQ(ReadHostFile(t.Server().SchemaFileHostPath()).find("SCHNAME=pd_b"), std::string::npos);
}

TEST(DbServer, ASchemaFileThatCannotBeWrittenKeepsItAndTheDictionaryAsTheyWere)
{
    StandInTestServer t;
    t.AddSchema("pd_b");
    const std::string path = t.Server().SchemaFileHostPath();
    const std::string before = ReadHostFile(path);
    for (const char* op : {"write", "flush"}) {
        SetHostFileFault([&](const std::string& o, const std::string& host) {
            return o == op && host == path ? ENOSPC : 0;
        });
        EXPECT_THROW(t.Server().CreateSchema({"pd_c", "PD_C", "oracle", "ORCL", ""}), AppError) << op;
        EXPECT_THROW(t.Server().DropSchema("pd_b"), AppError) << op;
        SetHostFileFault(nullptr);
        EXPECT_EQ(ReadHostFile(path), before) << op;
        EXPECT_FALSE(t.Server().FindSchema("pd_c")) << op;
        EXPECT_TRUE(t.Server().FindSchema("pd_b")) << op;
    }
}

TEST(DbServer, FreeSpaceShrinksWithTheUsersFilesAndGrowsByItsSteps)
{
    StandInTestServer t;
    const long long mb = 1024 * 1024;
    t.Server().CreateTablespace({"SMALL", "d:\\x\\smallpds.ora", mb / 2, mb / 2, 4 * mb});
    auto ts = *t.Server().FindTablespace("SMALL");
    EXPECT_EQ(t.Server().FreeBytes(ts), mb / 2);
    t.AddSchema("pd_c");
    t.Server().SetUserTablespace("pd_c", "SMALL", false);
    t.Batch("default schema pd_c; create table big (t char(240));");
    {
        auto db = t.Server().OpenUserDatabase("PD_C");
        db->Exec("BEGIN");
        for (int i = 0; i < 3000; ++i)
            db->Run("INSERT INTO big VALUES (?1)", {std::string(200, static_cast<char>('a' + i % 26))});
        db->Exec("COMMIT");
    }
    long long used = static_cast<long long>(std::filesystem::file_size(t.Server().UserDatabasePath("PD_C")));
    ASSERT_GT(used, mb / 2);
    long long free = t.Server().FreeBytes(ts);
    EXPECT_EQ((free + used) % (mb / 2), 0); // the size grew in whole steps
    EXPECT_GT(free, 0);
}

TEST(DbServer, RisParametersSelectAnotherEnvironment)
{
    testsupport::ScopedDir other("env2");
    const std::string params = other.host() + "/ris.prm";
    testsupport::WriteHostFile(params, "# second environment\r\nROOT=" + other.host() + "/root\r\n");
    SetEnvVar("RIS_PARAMETERS", params);
    EXPECT_EQ(DbServer::EnvironmentRoot(), other.host() + "/root");
    SetEnvVar("RIS_PARAMETERS", other.host() + "/missing.prm");
    EXPECT_THROW(DbServer::EnvironmentRoot(), AppError);
    ::unsetenv("RIS_PARAMETERS");
    EXPECT_EQ(DbServer::EnvironmentRoot(), StandInRoot());
}
