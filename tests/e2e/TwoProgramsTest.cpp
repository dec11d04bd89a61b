// Programs at once on one settings file, one registry file and one environment root, started
// together again and again with different offsets: every value a program wrote stands, or the
// program said that its write failed; a build that ends well leaves a whole root. And a run
// killed in a dump's rewrite whose id another program got since.
#include "platform/FileAttributes.h"
#include "platform/Process.h"
#include "platform/RegistryStore.h"
#include "services/IniFile.h"
#include "support/OtherProcesses.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Steps = std::vector<std::function<int()>>;
const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick\\TwoPrograms";

class TwoProgramsTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }
    void SetUp() override { fs::copy_file(testsupport::BinDir() + "/tarnwick", program.host() + "/tarnwick"); }

    // A program of the build run without a display, its output into a file; its exit code.
    static int run(const std::string& program, const std::vector<std::string>& args, const std::string& out)
    {
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> line{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", program};
        line.insert(line.end(), args.begin(), args.end());
        const long pid = Process::Start("/usr/bin/env", line, 0, {-1, fd, fd});
        ::close(fd);
        return static_cast<int>(Process::Wait(pid));
    }
    int unloadAll(int n) { return run(program.host() + "/tarnwick", {"/risunloadall"}, out(n)); }
    std::string out(int n) const { return work.host() + "/out" + std::to_string(n) + ".txt"; }
    std::string ini() const { return WinPathFromHost(program.host() + "/tarnwick.ini"); }

    // A writer of `count` keys "<prefix><n>" through `write`; exit code 1 when a write failed,
    // which the lock's wait never lets happen here.
    static std::function<int()> writer(const std::string& prefix, int count,
                                       const std::function<bool(const std::string& key)>& write)
    {
        return [=] {
            int failed = 0;
            for (int n = 0; n < count; ++n)
                failed += write(prefix + std::to_string(n)) ? 0 : 1;
            return failed > 0 ? 1 : 0;
        };
    }
    std::function<int()> settingsWriter(const std::string& prefix, int count)
    {
        return writer(prefix, count, [this](const std::string& key) { return WriteIniValue(ini(), "W", key, "v"); });
    }
    static std::function<int()> registryWriter(const std::string& prefix, int count)
    {
        return writer(prefix, count, [](const std::string& name) {
            return RegistryStore("TWOPROGS").Update(
                [&](RegistryStore& s) { return s.SetValue(kKey, name, RegistryData::Dword(1)); });
        });
    }
    static void expectWritten(const std::string& prefix, int count, const std::function<bool(const std::string&)>& there)
    {
        for (int n = 0; n < count; ++n)
            EXPECT_TRUE(there(prefix + std::to_string(n))) << prefix << n << " lost";
    }

    testsupport::ScopedDir work{"two"};
    testsupport::ScopedDir program{"prog"};
    testsupport::ScopedDir dumps{"dumps"};
};

struct TwoProgramsCase {
    const char* name;
    int rounds;
    std::function<Steps(TwoProgramsTest&, const std::string& root)> programs; // of one round
    std::function<void(TwoProgramsTest&, const std::string& root, const std::vector<int>& codes)> check;
};

class TwoPrograms : public TwoProgramsTest, public ::testing::WithParamInterface<TwoProgramsCase> {};

TEST_P(TwoPrograms, NothingOneWroteIsLostToTheOther)
{
    for (int round = 0; round < GetParam().rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string root = work.host() + "/root" + std::to_string(round);
        testsupport::WriteHostFile(HostPath(ini()), "[TARNWICK]\r\nrisdmpdir=" + WinPathFromHost(dumps.host()) + "\r\n");
        fs::remove(RegistryStore::FilePath("TWOPROGS"));
        const Steps steps = GetParam().programs(*this, root);
        std::vector<unsigned> offsets; // program i starts i * round * 1.3 ms after the others, give or take
        for (size_t i = 0; i < steps.size(); ++i)
            offsets.push_back(static_cast<unsigned>(i * static_cast<size_t>(round) * 1300 % 45000));
        GetParam().check(*this, root, testsupport::RunTogether(steps, offsets));
    }
    fs::remove(RegistryStore::FilePath("TWOPROGS"));
}

const auto settingsThere = [](TwoProgramsTest& t) {
    return [&t](const std::string& key) { return !ReadIniValue(t.ini(), "W", key, "").empty(); };
};

INSTANTIATE_TEST_SUITE_P(
    Programs, TwoPrograms,
    ::testing::Values(
        TwoProgramsCase{"SettingsWriters", 6,
                        [](TwoProgramsTest& t, const std::string&) {
                            return Steps{t.settingsWriter("a", 50), t.settingsWriter("b", 50)};
                        },
                        [](TwoProgramsTest& t, const std::string&, const std::vector<int>& codes) {
                            EXPECT_EQ(codes, std::vector<int>({0, 0})) << "a write failed";
                            t.expectWritten("a", 50, settingsThere(t));
                            t.expectWritten("b", 50, settingsThere(t));
                        }},
        TwoProgramsCase{"RegistryWriters", 4,
                        [](TwoProgramsTest& t, const std::string&) {
                            return Steps{t.registryWriter("a", 50), t.registryWriter("b", 50)};
                        },
                        [](TwoProgramsTest& t, const std::string&, const std::vector<int>& codes) {
                            EXPECT_EQ(codes, std::vector<int>({0, 0})) << "a write failed";
                            RegistryStore store("TWOPROGS");
                            ASSERT_EQ(store.Load(), RegistryStore::LoadResult::Loaded);
                            const auto there = [&](const std::string& name) { return store.Value(kKey, name) != nullptr; };
                            t.expectWritten("a", 50, there);
                            t.expectWritten("b", 50, there);
                        }},
        TwoProgramsCase{"EnvironmentBuilders", 8,
                        [](TwoProgramsTest& t, const std::string& root) {
                            const std::vector<std::string> args{"--root", root, "--no-second"};
                            return Steps{[=, &t] { return TwoProgramsTest::run(testsupport::BinDir() + "/twenv", args, t.out(1)); },
                                         [=, &t] { return TwoProgramsTest::run(testsupport::BinDir() + "/twenv", args, t.out(2)); }};
                        },
                        [](TwoProgramsTest& t, const std::string& root, const std::vector<int>& codes) {
                            // The second waits for the first and finds the root built.
                            EXPECT_EQ(codes, std::vector<int>({0, 0})) << testsupport::ReadHostFile(t.out(2));
                            EXPECT_TRUE(fs::exists(root + "/" + StandInEnvironment::kBuiltMark));
                            DbServer server(root);
                            EXPECT_TRUE(server.FindSchema("pd_demo") && server.FindSchema("dd_demo"));
                            std::error_code ec;
                            EXPECT_TRUE(fs::is_empty(root + "/marks", ec)) << "a mark stayed behind";
                        }},
        TwoProgramsCase{"UnloadAllStartsAndASettingsWriter", 2,
                        [](TwoProgramsTest& t, const std::string&) {
                            Steps steps{t.settingsWriter("k", 300)};
                            for (int n = 0; n < 6; ++n)
                                steps.push_back([&t, n] { return t.unloadAll(n); });
                            return steps;
                        },
                        [](TwoProgramsTest& t, const std::string&, const std::vector<int>& codes) {
                            EXPECT_EQ(codes[0], 0) << "a write failed";
                            t.expectWritten("k", 300, settingsThere(t));
                            EXPECT_EQ(ReadIniValue(t.ini(), "TARNWICK", "risdmpdir", ""), WinPathFromHost(t.dumps.host()));
                            EXPECT_NE(ReadIniValue(t.ini(), "TARNWICK", "scriptfile", ""), "");
                        }}),
    [](const ::testing::TestParamInfo<TwoProgramsCase>& i) { return std::string(i.param.name); });

// The old content of a hard-linked dump whose rewrite was cut, its run's id now a sleeping
// program's that started later: written back and said by the next run, or, while the dump is
// in use, named where it waits.
TEST_F(TwoProgramsTest, TheOldDumpOfAReusedIdIsWrittenBackOrNamed)
{
    testsupport::WriteHostFile(HostPath(ini()), "[TARNWICK]\r\nrisdmpdir=" + WinPathFromHost(dumps.host()) + "\r\n");
    const std::string dump = dumps.host() + "/pd_demo.dmp", link = work.host() + "/pd_demo_link.dmp";
    testsupport::WriteHostFile(dump, "default schema pd_demo\r\nthe old dump cut by the ne");
    fs::create_hard_link(dump, link);
    testsupport::LiveProcess sleeper(testsupport::LiveProcess::Program::Foreign);
    const std::string former = dumps.host() + "/.pd_demo.dmp.~" + sleeper.id() + ".0a1b2c.former";
    testsupport::WriteHostFile(former, "default schema pd_demo\r\nthe old dump\r\n");
    testsupport::AgeHostFile(former);
    const std::string named = "'" + WinPathFromHost(dump) + "' was cut in its rewrite by process " + sleeper.id() +
                              ", which has ended: its former content ";
    {
        FileLock inUse(WinPathFromHost(dump), false);
        EXPECT_EQ(unloadAll(0), 1);
        EXPECT_NE(testsupport::ReadHostFile(out(0)).find(named + "waits in '" + WinPathFromHost(former) + "'"),
                  std::string::npos)
            << testsupport::ReadHostFile(out(0));
    }
    EXPECT_EQ(unloadAll(1), 0) << testsupport::ReadHostFile(out(1));
    EXPECT_FALSE(fs::exists(former));
    const std::string fresh = testsupport::ReadHostFile(link);
    EXPECT_NE(fresh.find("End of Schema"), std::string::npos);
    EXPECT_EQ(testsupport::ReadHostFile(dump), fresh);
}

} // namespace
