// Programs at once on one settings file, one registry file and one environment root, started
// together again and again with different offsets: every value a program wrote stands, or the
// program said that its write failed; a build that ends well leaves a whole root. And a run
// killed in a dump's rewrite whose id another program got since.
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/RegistryStore.h"
#include "platform/RunMark.h"
#include "services/Registry.h"
#include "services/IniFile.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/OtherProcesses.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

using ::testing::HasSubstr;
using Steps = std::vector<std::function<int()>>;
using KeyCheck = std::function<bool(const std::string& key)>;
const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tarnwick\\TwoPrograms";
const char* const kIntl = "Control Panel\\International";

std::string separator(const char* name)
{
    return RegistryValueText(RegistryGetValue(HKEY_CURRENT_USER, kIntl, name, "", true));
}

enum class Programs { SettingsWriters, RegistryWriters, EnvironmentBuilders, UnloadAllStartsAndASettingsWriter, TableReaders,
                      LoadsOfOneSchema };

struct TwoProgramsCase {
    const char* name;
    Programs programs;
    int rounds;
};

void PrintTo(const TwoProgramsCase& c, std::ostream* os) { *os << c.name; }

class TwoProgramsTest : public ::testing::Test {
public:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }
    void SetUp() override { fs::copy_file(testsupport::BinDir() + "/tarnwick", program.host() + "/tarnwick"); }

    int unloadAll(int n) { return testsupport::RunHeadless(program.host() + "/tarnwick", {"/risunloadall"}, out(n)); }
    std::string out(int n) const { return work.host() + "/out" + std::to_string(n) + ".txt"; }
    std::string ini() const { return WinPathFromHost(program.host() + "/tarnwick.ini"); }
    void writeIni() const
    {
        testsupport::WriteHostFile(HostPath(ini()), "[TARNWICK]\r\nrisdmpdir=" + WinPathFromHost(dumps.host()) + "\r\n");
    }

    // A program that writes `count` keys "<prefix><n>": exit code 1 when a write failed, which the
    // lock's wait never lets happen here.
    static std::function<int()> writer(const std::string& prefix, int count, const KeyCheck& write)
    {
        return [=] {
            int failed = 0;
            for (int n = 0; n < count; ++n)
                failed += write(prefix + std::to_string(n)) ? 0 : 1;
            return failed > 0 ? 1 : 0;
        };
    }
    static void expectWritten(const std::string& prefix, int count, const KeyCheck& there)
    {
        for (int n = 0; n < count; ++n)
            EXPECT_TRUE(there(prefix + std::to_string(n))) << prefix << n << " lost";
    }

    // The dump of load n into pd_two: table t of its own number of rows, granted to a grantee of
    // its own.
    static long long loadRows(int n) { return n == 1 ? 2000 : 3000; }
    std::string loadDump(int n) const
    {
        const std::string path = work.host() + "/load" + std::to_string(n) + ".dmp";
        if (!fs::exists(path)) {
            std::string rows;
            for (long long k = 1; k <= loadRows(n); ++k)
                rows += std::to_string(k) + " \r\n";
            testsupport::WriteHostFile(path, "default schema pd_two\r\ncreate table t (k int)\r\n"
                                             "insert into t (k) values (?)\r\n***variable*** k \r\n" +
                                                 rows + "***RIS*** End of Table ***RIS***\r\ngrant select on t to " +
                                                 (n == 1 ? "PUBLIC" : "DBOPER") +
                                                 "\r\n***RIS*** End of Schema ***RIS***\r\n");
        }
        return path;
    }

    testsupport::ScopedDir work{"two"};
    testsupport::ScopedDir program{"prog"};
    testsupport::ScopedDir dumps{"dumps"};
};

class TwoPrograms : public TwoProgramsTest, public ::testing::WithParamInterface<TwoProgramsCase> {};

TEST_P(TwoPrograms, NothingOneWroteIsLostToTheOther)
{
    const Programs programs = GetParam().programs;
    const KeyCheck setting = [this](const std::string& key) { return WriteIniValue(ini(), "W", key, "v"); };
    const KeyCheck hasSetting = [this](const std::string& key) { return !ReadIniValue(ini(), "W", key, "").empty(); };
    const KeyCheck value = [](const std::string& name) {
        return RegistryStore("TWOPROGS").Update(
            [&](RegistryStore& s) { return s.SetValue(kKey, name, RegistryData::Dword(1)); });
    };
    RegistryStore userRegistry; // this computer's, as it stood before
    userRegistry.Load();
    const std::string userRegistryBefore = userRegistry.Text();
    for (int round = 0; round < GetParam().rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string root = work.host() + "/root" + std::to_string(round);
        writeIni();
        fs::remove(RegistryStore::FilePath("TWOPROGS"));
        Steps steps;
        switch (programs) {
        case Programs::SettingsWriters: steps = {writer("a", 50, setting), writer("b", 50, setting)}; break;
        case Programs::RegistryWriters: steps = {writer("a", 50, value), writer("b", 50, value)}; break;
        case Programs::EnvironmentBuilders:
            for (int n : {1, 2})
                steps.push_back([this, root, n] {
                    return testsupport::RunHeadless(testsupport::BinDir() + "/twenv", {"--root", root, "--no-second"},
                                                    out(n));
                });
            break;
        case Programs::TableReaders:
            // Each program's access object forces the separators for each read and puts them
            // back: neither takes the other's forced ones for the user's, so each of its reads
            // has them forced, and the user's stand at the end.
            RegistrySetValue(HKEY_CURRENT_USER, kIntl, "sDecimal", ",", "");
            RegistrySetValue(HKEY_CURRENT_USER, kIntl, "sThousand", ".", "");
            for (int reads : {10, 40}) // the second reads on after the first has ended
                steps.push_back([reads] {
                    int failed = 0;
                    CRIS cris;
                    for (int read = 0; read < reads; ++read) {
                        try {
                            cris.SetLanguageSettings();
                            failed += separator("sDecimal") == "." && separator("sThousand") == "," ? 0 : 1;
                            cris.RestoreLanguageSettings();
                        } catch (const AppError&) {
                            ++failed;
                        }
                    }
                    return failed > 0 ? 1 : 0;
                });
            break;
        case Programs::LoadsOfOneSchema:
            // Two clear loads of one schema, each granting its table to another grantee.
            for (int n : {1, 2})
                steps.push_back([this, n] {
                    return testsupport::RunHeadless(testsupport::BinDir() + "/rislod.exe",
                                                    {"-m", "w", "-i", WinPathFromHost(loadDump(n)), "-s", "pd_two",
                                                     "clear", "table", "with", "data", "all", "grant", "all"},
                                                    out(n));
                });
            break;
        case Programs::UnloadAllStartsAndASettingsWriter:
            steps = {writer("k", 300, setting)};
            for (int n = 0; n < 6; ++n)
                steps.push_back([this, n] { return unloadAll(n); });
            break;
        }
        std::vector<unsigned> offsets; // program i starts i * round * 1.3 ms after the others, give or take
        for (size_t i = 0; i < steps.size(); ++i)
            offsets.push_back(static_cast<unsigned>(i * static_cast<size_t>(round) * 1300 % 45000));
        std::optional<testsupport::AddedSchemasCleanup> added;
        if (programs == Programs::LoadsOfOneSchema) {
            added.emplace();
            DbServer server(StandInRoot());
            server.SetUserPassword("pd_two", "pd_two");
            RisSession session(server);
            std::string answer;
            session.Execute("create schema pd_two on database (oracle, dbname ORCL, ostype nt) user pd_two.pd_two@ORCL",
                            answer);
        }
        const std::vector<int> codes = testsupport::RunTogether(steps, offsets);

        if (programs == Programs::UnloadAllStartsAndASettingsWriter) {
            EXPECT_EQ(codes[0], 0) << "a write failed";
            expectWritten("k", 300, hasSetting);
            EXPECT_EQ(ReadIniValue(ini(), "TARNWICK", "risdmpdir", ""), WinPathFromHost(dumps.host()));
            EXPECT_NE(ReadIniValue(ini(), "TARNWICK", "scriptfile", ""), "");
            continue;
        }
        EXPECT_EQ(codes, std::vector<int>({0, 0})) << testsupport::ReadHostFile(out(2));
        if (programs == Programs::LoadsOfOneSchema) {
            // One load's table with that load's grants, never the one's rows with the other's
            // grants; each load said the rows the database took.
            for (int n : {1, 2})
                EXPECT_THAT(testsupport::ReadHostFile(out(n)),
                            HasSubstr("Table t: " + std::to_string(loadRows(n)) + " rows loaded, 0 rows rejected."));
            DbServer server(StandInRoot());
            RisSession session(server);
            const long long rows = SchemaTables(session.Database("pd_two")).RowCount("t");
            ASSERT_TRUE(rows == loadRows(1) || rows == loadRows(2)) << rows;
            EXPECT_EQ(server.GrantsOn("pd_two", "t"), std::vector<std::string>{rows == loadRows(1) ? "PUBLIC" : "DBOPER"});
        } else if (programs == Programs::SettingsWriters) {
            expectWritten("a", 50, hasSetting);
            expectWritten("b", 50, hasSetting);
        } else if (programs == Programs::TableReaders) {
            EXPECT_EQ(separator("sDecimal"), ",");
            EXPECT_EQ(separator("sThousand"), ".");
            EXPECT_TRUE(RunMark::List("number format ").empty()) << "a record stayed behind";
        } else if (programs == Programs::RegistryWriters) {
            RegistryStore store("TWOPROGS");
            ASSERT_EQ(store.Load(), RegistryStore::LoadResult::Loaded);
            const KeyCheck there = [&](const std::string& name) { return store.Value(kKey, name) != nullptr; };
            expectWritten("a", 50, there);
            expectWritten("b", 50, there);
        } else {
            // The second builder waits for the first and finds the root built.
            EXPECT_TRUE(fs::exists(root + "/" + StandInEnvironment::kBuiltMark));
            DbServer server(root);
            EXPECT_TRUE(server.FindSchema("pd_demo") && server.FindSchema("dd_demo"));
            std::error_code ec;
            EXPECT_TRUE(fs::is_empty(root + "/marks", ec)) << "a mark stayed behind";
        }
    }
    fs::remove(RegistryStore::FilePath("TWOPROGS"));
    userRegistry.SetText(userRegistryBefore);
    userRegistry.Save();
}

INSTANTIATE_TEST_SUITE_P(
    Programs, TwoPrograms,
    ::testing::Values(TwoProgramsCase{"SettingsWriters", Programs::SettingsWriters, 6},
                      TwoProgramsCase{"RegistryWriters", Programs::RegistryWriters, 4},
                      TwoProgramsCase{"EnvironmentBuilders", Programs::EnvironmentBuilders, 8},
                      TwoProgramsCase{"UnloadAllStartsAndASettingsWriter", Programs::UnloadAllStartsAndASettingsWriter, 2},
                      TwoProgramsCase{"TableReaders", Programs::TableReaders, 6},
                      TwoProgramsCase{"LoadsOfOneSchema", Programs::LoadsOfOneSchema, 6}),
    [](const auto& i) { return std::string(i.param.name); });

// The old content of a hard-linked dump whose rewrite was cut, its run's id now a sleeping
// program's that started later: written back and said by the next run, or, while the dump is
// in use, named where it waits.
TEST_F(TwoProgramsTest, TheOldDumpOfAReusedIdIsWrittenBackOrNamed)
{
    writeIni();
    const std::string dump = dumps.host() + "/pd_demo.dmp", link = work.host() + "/pd_demo_link.dmp";
    testsupport::WriteHostFile(dump, "default schema pd_demo\r\nthe old dump cut by the ne");
    fs::create_hard_link(dump, link);
    testsupport::LiveProcess sleeper(testsupport::LiveProcess::Program::Foreign);
    const std::string former = dumps.host() + "/.pd_demo.dmp.~" + sleeper.id() + ".0a1b2c.former";
    testsupport::WriteHostFile(former, "default schema pd_demo\r\nthe old dump\r\n");
    testsupport::AgeHostFile(former);
    {
        FileLock inUse(WinPathFromHost(dump), false);
        EXPECT_EQ(unloadAll(0), 1);
        EXPECT_THAT(testsupport::ReadHostFile(out(0)),
                    HasSubstr("'" + WinPathFromHost(dump) + "' was cut in its rewrite by process " + sleeper.id() +
                              ", which has ended: its former content waits in '" + WinPathFromHost(former) + "'"));
    }
    EXPECT_EQ(unloadAll(1), 0) << testsupport::ReadHostFile(out(1));
    EXPECT_FALSE(fs::exists(former));
    const std::string fresh = testsupport::ReadHostFile(link);
    EXPECT_NE(fresh.find("End of Schema"), std::string::npos);
    EXPECT_EQ(testsupport::ReadHostFile(dump), fresh);
}

} // namespace
