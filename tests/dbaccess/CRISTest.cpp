// The access object's configuration: connection kinds, the RIS client directory, the work
// directory and its removal at release.
#include "dbaccess/CRIS.h"
#include "dbaccess/NumberFormatRecord.h"

#include "dbaccess/DumpTestFiles.h"
#include "dbaccess/RegistryAside.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"
#include "platform/Process.h"
#include "platform/RegistryStore.h"
#include "platform/RunMark.h"
#include "services/AppGlobals.h"
#include "services/Registry.h"
#include "support/TestEnvironment.h"
#include "support/OtherProcesses.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <cctype>
#include <csignal>
#include <filesystem>

namespace fs = std::filesystem;
using namespace dumptest;

using testsupport::Raised;

namespace {

const std::string kRISKey = "Software\\Intergraph\\RIS";

class CRISTest : public ::testing::Test {
protected:
    void SetUp() override { gTempDir.clear(); }

    // A RIS installation folder with the given client programs in its BIN folder; returns the
    // installation folder in Windows form.
    std::string MakeInstall(const std::string& name, bool risbatch, bool risunlod)
    {
        const fs::path bin = fs::path(dir.host()) / name / "BIN";
        fs::create_directories(bin);
        if (risbatch)
            WriteHostFile((bin / "risbatch.exe").string(), "x");
        if (risunlod)
            WriteHostFile((bin / "risunlod.exe").string(), "x");
        return Win((fs::path(dir.host()) / name).string());
    }

    void Register(const std::string& version, const std::string& pathName)
    {
        ASSERT_TRUE(RegistrySetValue(HKEY_LOCAL_MACHINE, kRISKey + "\\" + version, "PathName", pathName, ""));
    }

    testsupport::ScopedDir dir{"cris"};
    // No RIS client registered unless a test registers one; the separators' tests write too.
    RegistryAside registry_;
};

} // namespace

TEST_F(CRISTest, FirstUseWithoutClientFailsOnceThenAnswersRIS)
{
    CRIS cris;
    const AppError e = Raised([&] { cris.GetDBConType(); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.description(), "RIS client not found or not correctly installed");
    EXPECT_EQ(e.source(), "CRIS::SetUseRIS: CRIS::SetRISPath");
    EXPECT_EQ(cris.GetDBConType(), CRIS::kConRIS);
    // The directory is searched again when asked for.
    EXPECT_EQ(Raised([&] { cris.GetRISPath(); }).source(), "CRIS::SetRISPath");
}

TEST_F(CRISTest, FindRISPathTakesTheLastQualifyingVersion)
{
    const std::string a = MakeInstall("A", true, true);
    const std::string b = MakeInstall("B", true, true);
    const std::string c = MakeInstall("C", false, true);
    Register("1", a);
    Register("2", b + "\\");
    Register("3", c);
    Register("4", "");
    CRIS cris;
    EXPECT_EQ(cris.FindRISPath(), b + "\\BIN\\");
    // The first use takes it.
    EXPECT_EQ(cris.GetDBConType(), CRIS::kConRIS);
    EXPECT_EQ(cris.GetRISPath(), b + "\\BIN\\");
}

TEST_F(CRISTest, SetUseRISNamesTheMissingClient)
{
    const std::string bin = MakeInstall("E", true, false) + "\\BIN";
    CRIS cris;
    AppError e = Raised([&] { cris.SetUseRIS(bin); });
    EXPECT_EQ(e.description(), "RIS client (risunlod) not found in '" + bin + "\\'");
    EXPECT_EQ(e.source(), "CRIS::SetUseRIS: CRIS::SetRISPath");
    EXPECT_EQ(cris.GetDBConType(), CRIS::kConRIS);

    const std::string none = MakeInstall("F", false, true) + "\\BIN\\";
    e = Raised([&] { cris.SetUseRIS(none); });
    EXPECT_EQ(e.description(), "RIS client (risbatch) not found in '" + none + "'");
}

TEST_F(CRISTest, SetUseOraChecksBeforeChangingAnything)
{
    Register("1", MakeInstall("G", true, true));
    CRIS cris;
    AppError e = Raised([&] { cris.SetUseOra(" ", "u", "p"); });
    EXPECT_EQ(e.description(), "Database server name not defined");
    EXPECT_EQ(e.source(), "CRIS::SetUseOra");
    e = Raised([&] { cris.SetUseOra("orcl", "  ", "p"); });
    EXPECT_EQ(e.description(), "Database user name not defined");
    EXPECT_EQ(cris.GetDBServerName(), "");
    // Still unset: the first question selects RIS.
    EXPECT_EQ(cris.GetDBConType(), CRIS::kConRIS);

    cris.SetUseOra("orcl", "scott", "tiger");
    EXPECT_EQ(cris.GetDBConType(), CRIS::kConOracle);
    EXPECT_EQ(cris.GetDBServerName(), "orcl");
    EXPECT_EQ(cris.GetDBUserName(), "scott");
}

TEST_F(CRISTest, WorkDirectoryUnderTempWhenTheProgramFolderIsMissing)
{
    gTempDir = Win(dir.host()) + "\\missing\\";
    std::string work;
    {
        CRIS cris;
        work = cris.GetTempDir();
        EXPECT_EQ(cris.GetTempDir(), work);
        const std::string temp = Win(GetEnvVar("TEMP")) + "\\";
        ASSERT_EQ(work.rfind(temp, 0), 0u) << work;
        const std::string name = work.substr(temp.size(), work.size() - temp.size() - 1);
        EXPECT_FALSE(name.empty());
        for (char c : name)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << work;
        EXPECT_TRUE(fs::is_directory(HostPath(work)));
    }
}

TEST_F(CRISTest, WorkDirectoryUnderTheProgramsTemporaryFolder)
{
    gTempDir = Win(dir.host()) + "\\";
    CRIS cris;
    EXPECT_EQ(cris.GetTempDir().rfind(gTempDir, 0), 0u);
}

TEST_F(CRISTest, NoTemporaryFolderAtAll)
{
    const std::string temp = GetEnvVar("TEMP");
    gTempDir = Win(dir.host()) + "\\missing\\";
    SetEnvVar("TEMP", Win(dir.host()) + "\\gone");
    CRIS cris;
    const AppError e = Raised([&] { cris.GetTempDir(); });
    SetEnvVar("TEMP", temp);
    EXPECT_EQ(e.source(), "CRIS::SetTempDir");
    EXPECT_EQ(e.description().rfind("TEMP directory not defined or not existing.", 0), 0u);
    // The next call tries again.
    EXPECT_FALSE(cris.GetTempDir().empty());
}

// --- number separators ---

namespace {

const std::string kIntl = "HKEY_CURRENT_USER\\Control Panel\\International";

struct SeparatorCase {
    const char* name;
    std::optional<std::string> decimal;
    std::optional<std::string> thousand;
};

class CRISSeparatorTest : public CRISTest, public ::testing::WithParamInterface<SeparatorCase> {
protected:
    static std::optional<std::string> Read(const std::string& name)
    {
        RegistryStore store;
        store.Load();
        const RegistryData* d = store.Value(kIntl, name);
        if (!d)
            return std::nullopt;
        std::string s(d->bytes.begin(), d->bytes.end());
        return s.substr(0, s.find('\0'));
    }
};

} // namespace

TEST_P(CRISSeparatorTest, ForcedAndRestoredExactly)
{
    const SeparatorCase& c = GetParam();
    {
        RegistryStore store;
        store.Load();
        store.CreateKey(kIntl);
        if (c.decimal)
            store.SetValue(kIntl, "sDecimal", RegistryData::Text(*c.decimal));
        if (c.thousand)
            store.SetValue(kIntl, "sThousand", RegistryData::Text(*c.thousand));
        ASSERT_TRUE(store.Save());
    }
    CRIS cris;
    cris.SetLanguageSettings();
    EXPECT_EQ(Read("sDecimal"), std::optional<std::string>("."));
    EXPECT_EQ(Read("sThousand"), std::optional<std::string>(","));
    // A second forcing does not take the forced values for the user's own.
    cris.SetLanguageSettings();
    cris.RestoreLanguageSettings();
    EXPECT_EQ(Read("sDecimal"), c.decimal);
    EXPECT_EQ(Read("sThousand"), c.thousand);
}

INSTANTIATE_TEST_SUITE_P(Cases, CRISSeparatorTest,
                         ::testing::Values(SeparatorCase{"German", ",", "."}, SeparatorCase{"Plain", ".", ","},
                                           SeparatorCase{"BlankThousands", ",", " "},
                                           SeparatorCase{"Missing", std::nullopt, std::nullopt},
                                           SeparatorCase{"EmptyDecimal", "", ","}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CRISSeparatorTest, PlainSettingsAreNotWritten)
{
    {
        RegistryStore store;
        store.SetValue(kIntl, "sDecimal", RegistryData::Text("."));
        store.SetValue(kIntl, "sThousand", RegistryData::Text(","));
        ASSERT_TRUE(store.Save());
    }
    const std::string file = RegistryStore::FilePath("");
    const auto before = fs::last_write_time(file);
    const std::string text = ReadHostFile(file);
    CRIS cris;
    cris.SetLanguageSettings();
    cris.RestoreLanguageSettings();
    EXPECT_EQ(ReadHostFile(file), text);
    EXPECT_EQ(fs::last_write_time(file), before);
}

// The forced separators are read back after their write: another program that replaced the
// registry file meanwhile leaves the key holding the user's values, which is said, and the read
// is not made; the clean-up then changes nothing of what stands.
TEST_F(CRISSeparatorTest, ForcedSeparatorsThatDidNotTakeAreSaid)
{
    const std::string file = RegistryStore::FilePath("");
    const std::string ours = dir.host() + "/ours.reg", theirs = dir.host() + "/theirs.reg";
    const std::string user = "REGEDIT4\r\n\r\n[" + kIntl + "]\r\n\"sDecimal\"=\",\"\r\n\"sThousand\"=\".\"\r\n";
    WriteHostFile(ours, user);
    WriteHostFile(theirs, user);
    fs::create_directories(fs::path(file).parent_path());
    fs::create_symlink(ours, file);
    SetHostFileFault([&](const std::string& op, const std::string& host) {
        if (op == "flush" && host.ends_with("/ours.reg")) {
            fs::remove(file);
            fs::create_symlink(theirs, file);
        }
        return 0;
    });
    CRIS cris;
    const AppError e = Raised([&] { cris.SetLanguageSettings(); });
    SetHostFileFault(nullptr);
    EXPECT_EQ(e.source(), "CRIS::SetLanguageSettings");
    EXPECT_EQ(e.description(), "The number separators a table read needs (decimal separator '.' and thousands "
                               "separator ',') did not take in the registry key '" + kIntl + "' of '" +
                                   WinPathFromHost(file) + "': it holds decimal separator ',' and thousands "
                                   "separator '.' after their write. The table read was not made");
    cris.RestoreLanguageSettings();
    EXPECT_EQ(ReadHostFile(theirs), user);
    EXPECT_TRUE(RunMark::List("number format ").empty());
}

TEST_F(CRISTest, ConnectionTestsCheckTheServerAndChangeNothing)
{
    CRIS cris;
    AppError e = Raised([&] { cris.ORAConnTest(" ", "u", "p"); });
    EXPECT_EQ(e.description(), "Oracle Server name not defined");
    EXPECT_EQ(e.source(), "CRIS::ORAConnTest");
    e = Raised([&] { cris.SQLConnTest("", "db", "u", "p"); });
    EXPECT_EQ(e.description(), "SQL Server name not defined");
    EXPECT_EQ(e.source(), "CRIS::SQLConnTest");
    // A server that cannot be reached: the components' error, without line feeds.
    e = Raised([&] { cris.ORAConnTest("nowhere", "u", "p"); });
    EXPECT_NE(e.number(), 0);
    EXPECT_EQ(e.source().rfind("CRIS::ORAConnTest: ", 0), 0u) << e.source();
    EXPECT_EQ(e.description().find('\n'), std::string::npos);
    EXPECT_EQ(cris.GetDBServerName(), "");
}

// A table read killed around its forcing of the separators (killed at the registry's first
// write: before the forced values stand; at its second: before the user's go back), then the
// start's mending: the user's values stand again, a value the user set since stays, and the
// record goes.
TEST_F(CRISSeparatorTest, AReadKilledMidWayLeavesTheUsersSeparatorsToTheNextStart)
{
    const struct {
        const char* name;
        int killedAtWrite;
        std::optional<std::string> decimalSince; // set by the user after the kill
        std::string decimal, thousand;           // after the start
        const char* said;
    } rows[] = {
        {"before forcing", 1, std::nullopt, ",", ".", "the user's own stand (decimal separator ',' and thousands "
                                                      "separator '.')"},
        {"before putting back", 2, std::nullopt, ",", ".", "the user's own were put back (decimal separator ',' "
                                                           "and thousands separator '.')"},
        {"before putting back, the user set another since", 2, ";", ";", ".",
         "the user has set others since, which stand (decimal separator ';' and thousands separator '.'); the "
         "user's own before that read were decimal separator ',' and thousands separator '.'"},
    };
    const std::string registry = RegistryStore::FilePath("");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(RegistryStore().Update([](RegistryStore& s) {
            s.SetValue(kIntl, "sDecimal", RegistryData::Text(","));
            return s.SetValue(kIntl, "sThousand", RegistryData::Text("."));
        }));
        testsupport::ForkedProgram read(
            [] {
                CRIS cris;
                cris.SetLanguageSettings();
                cris.RestoreLanguageSettings();
                return 0;
            },
            [&, writes = 0](const std::string& op, const std::string& host) mutable {
                return op == "flush" && host == registry && ++writes == row.killedAtWrite;
            },
            testsupport::ForkedProgram::AtStop::Kill);
        ASSERT_TRUE(read.Reached());
        EXPECT_EQ(read.Wait(), -SIGKILL);
        if (row.decimalSince) {
            ASSERT_TRUE(RegistrySetValue(HKEY_CURRENT_USER, "Control Panel\\International", "sDecimal",
                                         *row.decimalSince, ""));
        }

        const std::vector<NumberFormatRecord::Left> said = NumberFormatRecord::MendLeft();
        ASSERT_EQ(said.size(), 1u);
        EXPECT_EQ(said[0].text, "A table read of process " + std::to_string(read.pid()) + " (" +
                                    fs::path(Process::ExecutablePath()).filename().string() + ") on " +
                                    ComputerName() + said[0].text.substr(said[0].text.find(", started")));
        EXPECT_NE(said[0].text.find(row.said), std::string::npos) << said[0].text;
        EXPECT_EQ(said[0].mended, !row.decimalSince);
        EXPECT_EQ(Read("sDecimal"), row.decimal);
        EXPECT_EQ(Read("sThousand"), row.thousand);
        EXPECT_TRUE(RunMark::List("number format ").empty());
        // A read after the start takes the values that stand for the user's own.
        CRIS cris;
        cris.SetLanguageSettings();
        cris.RestoreLanguageSettings();
        EXPECT_EQ(Read("sDecimal"), row.decimal);
    }
}
