// The stand-in environment with the sample project for the tests that run the outside programs,
// and the removal of the schemas and users such a test made in it, so that tests sharing one
// process (and so one environment) do not see each other's. Header only: used by test programs that link
// the stand-in server.
#pragma once

#include "platform/WinPath.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/TestEnvironment.h"

#include <set>
#include <string>

namespace testsupport {

// The options of the sample environment: this build's programs and the test data's sample project.
inline StandInEnvironmentOptions SampleEnvironmentOptions()
{
    StandInEnvironmentOptions options;
    options.binDir = BinDir();
    options.dataDir = SourceDir() + "/tests/data/standins";
    return options;
}

// Builds (or completes) the environment of these options under this process's stand-in root.
inline void BuildSampleEnvironment(const StandInEnvironmentOptions& options)
{
    std::string report;
    StandInEnvironment::Build(StandInRoot(), options, report);
}

// Builds (or completes) the sample environment; the sample project is loaded once.
// secondEnvironment adds the second environment with its own project.
inline void BuildSampleEnvironment(bool secondEnvironment = false)
{
    StandInEnvironmentOptions options = SampleEnvironmentOptions();
    options.secondEnvironment = secondEnvironment;
    BuildSampleEnvironment(options);
}

// Removes, when it goes, every RIS schema and database user that came into the environment
// while it lived: a fixture holding one leaves the environment as it found it.
class AddedSchemasCleanup {
public:
    AddedSchemasCleanup() : schemas_(schemaNames()), users_(userNames()) {}
    ~AddedSchemasCleanup()
    {
        DbServer server(DbServer::EnvironmentRoot());
        for (const std::string& schema : schemaNames())
            if (!schemas_.count(schema))
                server.DropSchema(schema);
        for (const std::string& user : userNames())
            if (!users_.count(user))
                server.DropUser(user);
    }
    AddedSchemasCleanup(const AddedSchemasCleanup&) = delete;
    AddedSchemasCleanup& operator=(const AddedSchemasCleanup&) = delete;

private:
    static std::set<std::string> schemaNames()
    {
        std::set<std::string> names;
        for (const RisSchemaEntry& s : DbServer(DbServer::EnvironmentRoot()).Schemas())
            names.insert(s.name);
        return names;
    }
    static std::set<std::string> userNames()
    {
        std::set<std::string> names;
        for (const DbUser& u : DbServer(DbServer::EnvironmentRoot()).Users())
            names.insert(u.name);
        return names;
    }

    std::set<std::string> schemas_;
    std::set<std::string> users_;
};

} // namespace testsupport
