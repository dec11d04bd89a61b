// A fresh stand-in server in its own folder for one test, with a database user and RIS schema
// ready to use.
#pragma once

#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>

// Each view of the schema with its definition and the grants the server keeps on it, as
// "<definition>; <GRANTEE>: <privileges>; ...".
inline std::map<std::string, std::string> ViewsWithGrants(DbServer& server, const std::string& schema)
{
    RisSession session(server);
    const std::string owner = server.FindSchema(schema)->dbUser;
    std::map<std::string, std::string> views;
    for (const RisView& v : SchemaTables(session.Database(schema)).Views()) {
        std::string& text = views[v.name] = v.definition;
        for (const std::string& grantee : server.GrantsOn(owner, v.name))
            text += "; " + grantee + ": " + server.GrantedPrivileges(owner, v.name, grantee);
    }
    return views;
}

class StandInTestServer {
public:
    // The server's computer has the drives C: and D: (for data files), no other.
    StandInTestServer() : StandInTestServer(std::string()) {}
    // The server kept under the given host folder (empty: a folder of its own).
    explicit StandInTestServer(const std::string& root)
        : dir_("server"), server_(std::make_unique<DbServer>(root.empty() ? dir_.host() + "/root" : root))
    {
        for (const char* drive : {"c", "d"})
            std::filesystem::create_directories(Root() + "/drives/" + drive);
    }

    const std::string& Root() const { return server_->Root(); }
    DbServer& Server() { return *server_; }

    // The database user (password = name) and the RIS schema of that name.
    void AddSchema(const std::string& name)
    {
        server_->SetUserPassword(name, name);
        RisSession session(*server_);
        std::string out;
        session.Execute("create schema " + name + " on database (oracle, dbname ORCL, ostype nt) user " + name + "." +
                            name + "@ORCL",
                        out);
    }

    // Runs a batch in a new session; returns the answers.
    std::string Batch(const std::string& text, int* failed = nullptr)
    {
        RisSession session(*server_);
        std::string out;
        int n = session.RunBatch(text, out);
        if (failed)
            *failed = n;
        return out;
    }

private:
    testsupport::ScopedDir dir_;
    std::unique_ptr<DbServer> server_;
};
