// A fresh stand-in server in its own folder for one test, with a database user and RIS schema
// ready to use.
#pragma once

#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <memory>
#include <string>

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
