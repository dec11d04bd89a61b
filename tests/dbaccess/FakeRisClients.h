// Scripted stand-ins for the four RIS clients, for the answers the real stand-ins do not give on
// request: each records its arguments and input files and answers with what the test put. Also
// a clock that runs the waits of the launcher at once.
#pragma once

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpTestFiles.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"
#include "support/WrapperClients.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <thread>

namespace fakeris {

// Time passes only by sleeping, and a sleep lasts a millisecond: a 120 s wait ends at once.
class QuickClock : public Clock {
public:
    uint64_t TickMs() override { return tick_; }
    LocalTime Now() override { return LocalTime{}; }
    void SleepMs(int ms) override
    {
        tick_ += static_cast<uint64_t>(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

private:
    uint64_t tick_ = 1;
};

// The four RIS clients scripted (testsupport::WrapperClients with scripted rules): nothing real
// runs; each run's arguments and input files are kept, and it answers with what the test put:
//   Put("<client>.o", text)        the -o file it writes (none without)
//   Put("<client>.console", text)  its console output ("<client> done" without)
//   Put("<client>.b", text)        the -b file it writes (an empty one without)
//   Forget("<client>.o") and so on take an answer back.
//   Got("<client>.args")   each run's arguments, one line per run
//   Got("<client>.input")  the last -i file;  Got("<client>.param")  the last -f file
class FakeRisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"risbatch", "risunlod", "rislod", "risclnsr"})
            Rescript(name);
        SetClock(&clock_);
        cris_.SetUseRIS(RisPath());
    }

    void TearDown() override
    {
        EXPECT_TRUE(WorkFilesLeft().empty()) << WorkFilesLeft().front();
        SetClock(nullptr);
    }

    std::string RisPath() const { return clients_.WinFolder(); }
    void Put(const std::string& file, const std::string& text) { Answer(file) = text; Rescript(ClientOf(file)); }
    void Forget(const std::string& file) { Answer(file).reset(); Rescript(ClientOf(file)); }
    std::string Got(const std::string& file) const
    {
        const std::string client = ClientOf(file);
        const std::string kind = file.substr(client.size() + 1);
        if (kind == "input")
            return clients_.Input(client);
        if (kind == "param")
            return clients_.Parameters(client);
        const auto earlier = arguments_.find(client);
        return (earlier == arguments_.end() ? std::string() : earlier->second) + clients_.Arguments(client);
    }
    bool Ran(const std::string& client) const { return Runs(client) > 0; }
    int Runs(const std::string& client) const
    {
        const std::string args = Got(client + ".args");
        return static_cast<int>(std::count(args.begin(), args.end(), '\n'));
    }

    // The files in the object's work directory (it exists once an operation asked for it).
    std::vector<std::string> WorkFilesLeft() { return testsupport::FilesIn(HostPath(cris_.GetTempDir())); }

    // A RIS error block as the clients frame it.
    static std::string ErrorBlock(const std::string& error, const std::string& detail)
    {
        return testsupport::WrapperClients::ErrorBlock(error, detail);
    }

    testsupport::ScopedDir dir_{"fakeris"};
    QuickClock clock_;
    CRIS cris_;

private:
    struct Answers {
        std::optional<std::string> output, console, badRows;
    };
    static std::string ClientOf(const std::string& file) { return file.substr(0, file.find('.')); }
    std::optional<std::string>& Answer(const std::string& file)
    {
        Answers& a = answers_[ClientOf(file)];
        const std::string kind = file.substr(file.find('.') + 1);
        return kind == "o" ? a.output : kind == "console" ? a.console : a.badRows;
    }
    // A new rule starts the client's record of runs again: the earlier runs are kept here.
    void Rescript(const std::string& client)
    {
        arguments_[client] += clients_.Arguments(client);
        const Answers& a = answers_[client];
        clients_.Set(client, testsupport::ClientRule::Scripted(a.output, a.console, a.badRows));
    }

    testsupport::WrapperClients clients_;
    std::map<std::string, Answers> answers_;
    std::map<std::string, std::string> arguments_;
};

using testsupport::Raised;

} // namespace fakeris
