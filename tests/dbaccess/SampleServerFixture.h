// The fixture of the access object's tests on the sample environment: the stand-in server with
// the sample project, an output folder of the test's own, and the check that no work file is left.
#pragma once

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpTestFiles.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class SampleServerFixture : public ::testing::Test {
protected:
    explicit SampleServerFixture(const std::string& outName) : out(outName) {}

    void SetUp() override
    {
        testsupport::BuildSampleEnvironment();
        gTempDir.clear();
        added.emplace();
    }

    // Every operation cleans up after itself: the object's work directory is empty afterwards.
    void TearDown() override
    {
        added.reset();
        const std::vector<std::string> left = testsupport::FilesIn(HostPath(cris.GetTempDir()));
        EXPECT_TRUE(left.empty()) << left.front();
    }

    // Rows of a query on a schema's tables, straight from the server.
    std::vector<std::vector<std::optional<std::string>>> Rows(const std::string& schema, const std::string& sql)
    {
        DbServer server(DbServer::EnvironmentRoot());
        RisSession session(server);
        return session.Database(schema).QueryRows(sql);
    }

    // A new RIS schema over a new database user of the same name, straight on the server.
    void CreateSchema(const std::string& name)
    {
        DbServer server(DbServer::EnvironmentRoot());
        server.SetUserPassword(name, name);
        RisSession session(server);
        std::string out;
        session.Execute("create schema " + name + " on database (oracle, dbname ORCL, ostype nt) user " + name + "." +
                            name + "@ORCL",
                        out);
    }

    // A file in the test's output folder, in Windows and in host form.
    std::string Out(const std::string& name) const { return dumptest::Win(out.host()) + "\\" + name; }
    std::string OutHost(const std::string& name) const { return out.host() + "/" + name; }

    testsupport::ScopedDir out;
    CRIS cris;
    // Taken once the environment is complete: the schemas and users a test adds go again.
    std::optional<testsupport::AddedSchemasCleanup> added;
};
