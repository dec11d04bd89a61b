// Scripted stand-ins for the four RIS clients, for the failure paths the real stand-ins do not
// produce on request: each records its arguments and input files and answers with canned
// files put in place by the test. Also a clock that runs the waits of the launcher at once.
#pragma once

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpTestFiles.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
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

// One script for all four clients, told apart by its name:
//   <name>.args     each run's arguments, one line per run
//   <name>.input    a copy of the -i file;  <name>.param  a copy of the -f file
//   <name>.o        when present, copied to the -o file;  <name>.b  likewise to the -b file
//                   (the -b and -l files are always created)
//   <name>.console  when present, the console output; else "<name> done"
inline const char* kScript = R"SH(#!/bin/sh
d=$(dirname "$0")
n=$(basename "$0" .exe)
printf '%s\n' "$*" >> "$d/$n.args"
h() { printf '%s' "$1" | tr '\\' '/'; }
while [ $# -gt 0 ]; do
  case "$1" in
    -i) cp "$(h "$2")" "$d/$n.input"; shift ;;
    -f) cp "$(h "$2")" "$d/$n.param"; shift ;;
    -o) if [ -f "$d/$n.o" ]; then cp "$d/$n.o" "$(h "$2")"; fi; shift ;;
    -b) if [ -f "$d/$n.b" ]; then cp "$d/$n.b" "$(h "$2")"; else : > "$(h "$2")"; fi; shift ;;
    -l) : > "$(h "$2")"; shift ;;
  esac
  shift
done
if [ -f "$d/$n.console" ]; then cat "$d/$n.console"; else echo "$n done"; fi
)SH";

class FakeRisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        namespace fs = std::filesystem;
        bin_ = fs::path(dir_.host()) / "BIN";
        fs::create_directories(bin_);
        for (const char* name : {"risbatch", "risunlod", "rislod", "risclnsr"}) {
            const fs::path p = bin_ / (std::string(name) + ".exe");
            dumptest::WriteHostFile(p.string(), kScript);
            fs::permissions(p, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
        }
        SetClock(&clock_);
        cris_.SetUseRIS(RisPath());
    }

    void TearDown() override
    {
        EXPECT_TRUE(WorkFilesLeft().empty()) << WorkFilesLeft().front();
        SetClock(nullptr);
    }

    std::string RisPath() const { return dumptest::Win(bin_.string()) + "\\"; }
    std::string Host(const std::string& file) const { return (bin_ / file).string(); }
    void Put(const std::string& file, const std::string& text) const { dumptest::WriteHostFile(Host(file), text); }
    std::string Got(const std::string& file) const { return dumptest::ReadHostFile(Host(file)); }
    bool Ran(const std::string& client) const { return std::filesystem::exists(Host(client + ".args")); }
    int Runs(const std::string& client) const
    {
        const std::string args = Got(client + ".args");
        return static_cast<int>(std::count(args.begin(), args.end(), '\n'));
    }

    // The files in the object's work directory (it exists once an operation asked for it).
    std::vector<std::string> WorkFilesLeft()
    {
        std::vector<std::string> left;
        const std::string work = HostPath(cris_.GetTempDir());
        for (const auto& e : std::filesystem::directory_iterator(work))
            left.push_back(e.path().string());
        return left;
    }

    // A RIS error block as the clients frame it.
    static std::string ErrorBlock(const std::string& error, const std::string& detail)
    {
        auto frame = [](const std::string& inner) {
            std::string line = "*" + inner;
            line.resize(78, inner.empty() ? '*' : ' ');
            return line + "*\r\n";
        };
        return frame("") + frame(" RIS Error: " + error) + frame(" " + detail) + frame("");
    }

    testsupport::ScopedDir dir_{"fakeris"};
    std::filesystem::path bin_;
    QuickClock clock_;
    CRIS cris_;
};

using testsupport::Raised;

} // namespace fakeris
