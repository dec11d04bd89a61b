// The stand-in RIS clients run as programs against a test server of their own: the fixture
// that starts them with RIS_PARAMETERS naming that server, and the readers of their answers.
#pragma once

#include "StandInTestServer.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

struct ClientRun {
    long exitCode = -1;
    std::string console;
};

// The dump without its schema line, which names the schema.
inline std::string body(const std::string& dump) { return dump.substr(dump.find("\r\n")); }

// The words of a console's error blocks without their frames, so that a message wrapped over
// lines of the box is found whole.
inline std::string messageOf(const std::string& console)
{
    std::string message;
    for (const std::string& word : Split(ReplaceAll(RISErrorText(console), "\r\n", " "), " "))
        if (!word.empty() && word != "*")
            message += word + " ";
    return message;
}

class RisClientsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.AddSchema("pd_c");
        t.AddSchema("pd_d");
        int failed = 0;
        t.Batch("default schema pd_c;\n"
                "create table t (id int, name char(10), note char(10));\n"
                "insert into t values (1, 'one', 'a');\n"
                "insert into t values (2, 'two''s', null);\n"
                "insert into t values (3, 'three', 'c');\n"
                "insert into t values (4, 'four', 'd');\n"
                "create unique index ut on t (id);\n"
                "create index it_name on t (name);\n"
                "create table t2 (k smallint);\n"
                "insert into t2 values (7);\n"
                "grant all on t to public;\n",
                &failed);
        ASSERT_EQ(failed, 0);
        testsupport::WriteHostFile(host("ris.parms"), "ROOT=" + WinPathFromHost(t.Root()) + "\r\n");
        good = unloadAll("pd_c");
    }

    std::string host(const std::string& name) const { return dir.host() + "/" + name; }
    std::string win(const std::string& name) const { return WinPathFromHost(host(name)); }

    // Runs the stand-in program (or a host program given by its full path) with RIS_PARAMETERS
    // naming the test server (or the server the parameter file names). The console holds the
    // standard output and error, or the standard error alone when the output goes to the host
    // file stdoutFile.
    ClientRun run(const std::string& program, const std::vector<std::string>& args,
                  const std::string& parms = "ris.parms", const std::string& stdoutFile = "")
    {
        const std::string consoleFile = host("console.txt");
        const int fd = ::open(consoleFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int out = stdoutFile.empty() ? fd : ::open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string saved = GetEnvVar("RIS_PARAMETERS");
        SetEnvVar("RIS_PARAMETERS", win(parms));
        long pid = -1;
        try {
            pid = Process::Start(program.front() == '/' ? program : testsupport::BinDir() + "/" + program, args, 0,
                                 {-1, out, fd});
        } catch (...) {
        }
        SetEnvVar("RIS_PARAMETERS", saved);
        if (out != fd)
            ::close(out);
        ::close(fd);
        ClientRun r;
        if (pid > 0)
            r.exitCode = Process::Wait(pid);
        r.console = testsupport::ReadHostFile(consoleFile);
        return r;
    }

    // Into the test server, or the server the parameter file names.
    ClientRun load(const std::string& dumpName, const std::string& schema, const std::string& mode = "clear",
                   const std::string& parms = "ris.parms")
    {
        return run("rislod.exe", {"-m", "w", "-i", win(dumpName), "-l", win("load.log"), "-b", win("load.bad"), "-c",
                                  "25", "-s", schema, mode, "table", "with", "data", "all", "view", "all", "index",
                                  "all", "grant", "all"},
                   parms);
    }

    // The whole schema as the unload client writes it.
    std::string unloadAll(const std::string& schema)
    {
        ClientRun r = run("risunlod.exe", {"-m", "w", "-o", win("all.dmp"), "-s", schema, "table", "with", "var",
                                           "data", "all", "view", "all", "index", "all", "grant", "all"});
        EXPECT_EQ(r.exitCode, 0) << r.console;
        return testsupport::ReadHostFile(host("all.dmp"));
    }

    // The failure every faulty run must end in.
    void expectRisFailure(const ClientRun& r, const std::string& what)
    {
        EXPECT_EQ(r.exitCode, 1) << what << "\n" << r.console;
        EXPECT_NE(RISErrorText(r.console), "") << what << "\n" << r.console;
    }

    StandInTestServer t;
    testsupport::ScopedDir dir{"clients"};
    std::string good; // the dump of pd_c before each test changes anything
};

