// Programs at once on one settings file, one registry file and one environment root, started
// together again and again with different offsets: every value a program wrote stands, or the
// program said that its write failed; a build that ends well leaves a whole root.
#include "platform/ProfileFile.h"
#include "platform/RegistryStore.h"
#include "platform/WinPath.h"
#include "services/IniFile.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/OtherProcesses.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace fs = std::filesystem;

namespace {

class TwoProgramsTest;
using Steps = std::vector<std::function<int()>>;

struct TwoProgramsCase {
    const char* name;
    int rounds;
    // The programs of one round, each a step that ends with its exit code or runs a program.
    std::function<Steps(TwoProgramsTest&, int round)> programs;
    // What must stand after a round, given every program's exit code.
    std::function<void(TwoProgramsTest&, int round, const std::vector<int>& codes)> check;
};

class TwoProgramsTest : public ::testing::TestWithParam<TwoProgramsCase> {
public:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    testsupport::ScopedDir work{"two"};
    testsupport::ScopedDir program{"prog"};
    testsupport::ScopedDir dumps{"dumps"};

    std::string ini() const { return WinPathFromHost(work.host() + "/tarnwick.ini"); }
    std::string programIni() const { return WinPathFromHost(program.host() + "/tarnwick.ini"); }
    std::string failedList(const std::string& writer) const { return work.host() + "/failed-" + writer + ".txt"; }

    // A writer of `count` keys "<prefix><n>" into [section] of the file. A write that fails must
    // say so; the keys it could not write are listed. Exit code: the failures that said nothing.
    std::function<int()> settingsWriter(const std::string& file, const std::string& section, const std::string& prefix,
                                        int count)
    {
        return [=] {
            int silent = 0;
            std::ofstream failed(failedList(prefix));
            for (int n = 0; n < count; ++n) {
                const std::string key = prefix + std::to_string(n);
                if (WriteIniValue(file, section, key, "v" + std::to_string(n)))
                    continue;
                failed << key << "\n";
                silent += ProfileFile::LastLockFailure().empty() ? 1 : 0;
            }
            return silent;
        };
    }
    // The same for values of the registry of the computer "TWOPROGS".
    std::function<int()> registryWriter(const std::string& prefix, int count)
    {
        return [=] {
            int silent = 0;
            std::ofstream failed(failedList(prefix));
            for (int n = 0; n < count; ++n) {
                RegistryStore store("TWOPROGS");
                const std::string name = prefix + std::to_string(n);
                if (store.Update([&](RegistryStore& s) { return s.SetValue(kKey, name, RegistryData::Dword(n)); }))
                    continue;
                failed << name << "\n";
                silent += store.LockFailure().empty() ? 1 : 0;
            }
            return silent;
        };
    }
    // Every key a writer wrote is there, or listed as failed by a writer that said so.
    void expectWritten(const std::function<bool(const std::string&)>& there, const std::string& prefix, int count)
    {
        const std::string failed = testsupport::ReadHostFile(failedList(prefix));
        for (int n = 0; n < count; ++n) {
            const std::string key = prefix + std::to_string(n);
            EXPECT_TRUE(there(key) || failed.find(key + "\n") != std::string::npos) << key << " lost";
        }
    }

    static constexpr const char* kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick\\TwoPrograms";
};

// Program i of a round starts (i * round) milliseconds, give or take, after the gate opens.
std::vector<useconds_t> offsets(size_t programs, int round)
{
    std::vector<useconds_t> us;
    for (size_t i = 0; i < programs; ++i)
        us.push_back(static_cast<useconds_t>((i * static_cast<size_t>(round) * 1300) % 45000));
    return us;
}

TEST_P(TwoProgramsTest, NothingOneWroteIsLostToTheOther)
{
    const TwoProgramsCase& c = GetParam();
    for (int round = 0; round < c.rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Steps steps = c.programs(*this, round);
        const std::vector<int> codes = testsupport::RunTogether(steps, offsets(steps.size(), round));
        c.check(*this, round, codes);
    }
}

std::string rootOf(TwoProgramsTest& t, int round) { return t.work.host() + "/root" + std::to_string(round); }

// tarnwick with a command line, without a display, from the folder of its own settings.
std::function<int()> tarnwickRun(TwoProgramsTest& t, const std::string& commandLine, int n)
{
    const auto exec = testsupport::ExecStep(t.program.host() + "/tarnwick", {commandLine},
                                            t.work.host() + "/tarnwick" + std::to_string(n) + ".out");
    return [exec] {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            ::unsetenv(name);
        return exec();
    };
}

INSTANTIATE_TEST_SUITE_P(
    Programs, TwoProgramsTest,
    ::testing::Values(
        TwoProgramsCase{"SettingsWriters", 6,
                        [](TwoProgramsTest& t, int) {
                            fs::remove(HostPath(t.ini()));
                            return Steps{t.settingsWriter(t.ini(), "TWO", "a", 50),
                                         t.settingsWriter(t.ini(), "TWO", "b", 50)};
                        },
                        [](TwoProgramsTest& t, int, const std::vector<int>& codes) {
                            EXPECT_EQ(codes, std::vector<int>({0, 0})) << "a write failed without a word";
                            const auto there = [&](const std::string& key) {
                                return !ReadIniValue(t.ini(), "TWO", key, "").empty();
                            };
                            t.expectWritten(there, "a", 50);
                            t.expectWritten(there, "b", 50);
                        }},
        TwoProgramsCase{"RegistryWriters", 4,
                        [](TwoProgramsTest& t, int) {
                            fs::remove(RegistryStore::FilePath("TWOPROGS"));
                            return Steps{t.registryWriter("a", 50), t.registryWriter("b", 50)};
                        },
                        [](TwoProgramsTest& t, int, const std::vector<int>& codes) {
                            EXPECT_EQ(codes, std::vector<int>({0, 0})) << "a write failed without a word";
                            RegistryStore store("TWOPROGS");
                            ASSERT_EQ(store.Load(), RegistryStore::LoadResult::Loaded);
                            const auto there = [&](const std::string& name) {
                                return store.Value(TwoProgramsTest::kKey, name) != nullptr;
                            };
                            t.expectWritten(there, "a", 50);
                            t.expectWritten(there, "b", 50);
                            fs::remove(RegistryStore::FilePath("TWOPROGS"));
                        }},
        TwoProgramsCase{"EnvironmentBuilders", 8,
                        [](TwoProgramsTest& t, int round) {
                            const std::string twenv = testsupport::BinDir() + "/twenv";
                            const std::vector<std::string> args{"--root", rootOf(t, round), "--no-second"};
                            return Steps{testsupport::ExecStep(twenv, args, rootOf(t, round) + ".1.out"),
                                         testsupport::ExecStep(twenv, args, rootOf(t, round) + ".2.out")};
                        },
                        [](TwoProgramsTest& t, int round, const std::vector<int>& codes) {
                            // The second waits for the first and finds the root built.
                            EXPECT_EQ(codes, std::vector<int>({0, 0})) << testsupport::ReadHostFile(rootOf(t, round) + ".2.out");
                            const std::string root = rootOf(t, round);
                            EXPECT_TRUE(fs::exists(root + "/" + StandInEnvironment::kBuiltMark));
                            DbServer server(root);
                            for (const char* schema : {"pd_demo", "dd_demo"})
                                EXPECT_TRUE(server.FindSchema(schema)) << schema;
                            EXPECT_TRUE(fs::exists(server.SchemaFileHostPath()));
                            std::error_code ec;
                            EXPECT_TRUE(fs::is_empty(root + "/marks", ec)) << "a mark stayed behind";
                        }},
        TwoProgramsCase{"UnloadAllStartsAndASettingsWriter", 2,
                        [](TwoProgramsTest& t, int round) {
                            if (round == 0) {
                                fs::copy_file(testsupport::BinDir() + "/tarnwick", t.program.host() + "/tarnwick");
                            }
                            testsupport::WriteHostFile(HostPath(t.programIni()),
                                                       "[TARNWICK]\r\nrisdmpdir=" + WinPathFromHost(t.dumps.host()) + "\r\n");
                            Steps steps{t.settingsWriter(t.programIni(), "W", "k", 300)};
                            for (int n = 0; n < 6; ++n)
                                steps.push_back(tarnwickRun(t, "/risunloadall", n));
                            return steps;
                        },
                        [](TwoProgramsTest& t, int, const std::vector<int>& codes) {
                            EXPECT_EQ(codes[0], 0) << "a write failed without a word";
                            const auto there = [&](const std::string& key) {
                                return !ReadIniValue(t.programIni(), "W", key, "").empty();
                            };
                            t.expectWritten(there, "k", 300);
                            EXPECT_EQ(ReadIniValue(t.programIni(), "TARNWICK", "risdmpdir", ""),
                                      WinPathFromHost(t.dumps.host()));
                            EXPECT_NE(ReadIniValue(t.programIni(), "TARNWICK", "scriptfile", ""), "");
                        }}),
    [](const ::testing::TestParamInfo<TwoProgramsCase>& i) { return std::string(i.param.name); });

} // namespace
