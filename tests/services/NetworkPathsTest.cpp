// Network paths over seeded registries of this computer and of file servers.
#include "services/NetworkPaths.h"

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/FileOpError.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

const std::string kThisComputer = "TWHOST";

std::string RegistryFile(const std::string& computer) { return StandInRoot() + "/registry/" + computer + ".reg"; }

void SeedRegistry(const std::string& computer, const std::string& body)
{
    fs::create_directories(StandInRoot() + "/registry");
    std::ofstream(RegistryFile(computer), std::ios::binary) << "REGEDIT4\r\n\r\n" << body;
}

// A server's share key with the given value lines.
void SeedShares(const std::string& server, const std::string& values)
{
    SeedRegistry(server, "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares]\r\n" +
                             values);
}

// "Path=<path>" among the other strings a share description holds, as hex(7).
std::string ShareValue(const std::string& name, const std::string& path)
{
    const std::string data = std::string("CSCFlags=0") + '\0' + "MaxUses=4294967295" + '\0' + "Path=" + path + '\0' +
                             "Permissions=0" + '\0' + '\0';
    std::string line = "\"" + name + "\"=hex(7):";
    char buf[4];
    for (size_t i = 0; i < data.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(data[i]));
        line += (i ? "," : "") + std::string(buf);
    }
    return line + "\r\n";
}

class NetworkPathsEnvironment : public ::testing::Test {
protected:
    // Seeded for every test: other suites of this program rewrite the registry folder.
    void SetUp() override
    {
        ClearFileOpError();
        SetEnvVar("COMPUTERNAME", kThisComputer);
        SeedRegistry(kThisComputer, "[HKEY_CURRENT_USER\\Network\\Y]\r\n"
                                    "\"RemotePath\"=\"\\\\\\\\OTHER\\\\apps\"\r\n"
                                    "[HKEY_CURRENT_USER\\Network\\X]\r\n"
                                    "\"RemotePath\"=\"\\\\\\\\srvm\\\\PDS\"\r\n");
        SeedShares("SRVA", ShareValue("pds", "D:\\pds") + "\"d$\"=hex(7):\r\n" + ShareValue("users", "D:\\users"));
        SeedShares("SRVB", "\"d$\"=hex(7):\r\n");
        SeedShares("SRVC", ShareValue("pd", "D:\\pd") + "\"nopath\"=hex(7):41,3d,31,00,00\r\n" +
                               "\"empty\"=\"\"\r\n" + "\"text\"=\"Path= E:\\data \"\r\n");
        SeedShares("SRVM", ShareValue("pds", "D:\\pds") + "\"d$\"=hex(7):\r\n");
    }
};

struct UncCase {
    const char* name;
    const char* server;
    const char* path;
    bool useMappedDrive;
    const char* expected;
    const char* error; // description in the last file error, "" for success
};

class LocalPath2UNCCases : public NetworkPathsEnvironment, public ::testing::WithParamInterface<UncCase> {};

TEST_P(LocalPath2UNCCases, GivesPathOrRecordsError)
{
    const UncCase& c = GetParam();
    // A stale error must not survive a success.
    RecordFileOpError(AppError(5, "", "stale"), "Earlier");

    EXPECT_EQ(LocalPath2UNC(c.server, c.path, c.useMappedDrive), c.expected);
    if (*c.error) {
        EXPECT_EQ(gFileOpErrNumber, 1);
        EXPECT_EQ(gFileOpErrSource, "LocalPath2UNC");
        EXPECT_EQ(gFileOpErrDescription, c.error);
    } else {
        EXPECT_EQ(gFileOpErrNumber, 0) << gFileOpErrDescription;
    }
}

INSTANTIATE_TEST_SUITE_P(
    SeededRegistry, LocalPath2UNCCases,
    ::testing::Values(
        UncCase{"ShareCoversPath", "SRVA", "D:\\pds\\proj\\", false, "\\\\SRVA\\pds\\proj\\", ""},
        UncCase{"ShareInOtherCaseAndSlashes", "SRVA", "d:/PDS/proj", false, "\\\\SRVA\\pds\\proj\\", ""},
        UncCase{"ShareRootItself", "SRVA", "D:\\users", false, "\\\\SRVA\\users\\", ""},
        UncCase{"AdminShareWhenNoOtherCovers", "SRVA", "D:\\other\\x", false, "\\\\SRVA\\d$\\other\\x\\", ""},
        UncCase{"AdminShareOnly", "SRVB", "D:\\pds\\proj", false, "\\\\SRVB\\d$\\pds\\proj\\", ""},
        UncCase{"ThisComputerInOtherCase", "twHost", "D:/pds/proj", false, "D:\\pds\\proj\\", ""},
        UncCase{"RelativePath", "srv01", "pds\\proj", false, "\\\\srv01\\pds\\proj\\", ""},
        UncCase{"RootedRelativePath", "srv01", "\\pds\\proj", false, "\\\\srv01\\pds\\proj\\", ""},
        UncCase{"UncPathStaysItself", "srv01", "\\\\srv02\\pds\\proj", false, "\\\\srv02\\pds\\proj\\", ""},
        UncCase{"TextShareValueTrimmed", "SRVC", "E:\\data\\x", false, "\\\\SRVC\\text\\x\\", ""},
        UncCase{"MappedDrive", "SRVM", "D:\\pds\\proj", true, "X:\\proj\\", ""},
        UncCase{"MappedDriveNotAsked", "SRVM", "D:\\pds\\proj", false, "\\\\SRVM\\pds\\proj\\", ""},
        UncCase{"NoCoveringShare", "SRVC", "D:\\pds\\proj", false, "",
                "Directory 'D:\\pds\\proj\\' on server 'SRVC' not existing or not accessible"},
        UncCase{"UnreachableServer", "NOSUCHSRV", "D:\\pds", false, "",
                "Directory 'D:\\pds\\' on server 'NOSUCHSRV' not existing or not accessible"},
        UncCase{"BlankServer", "  ", "D:\\pds", false, "", "Server name not defined"},
        UncCase{"BlankServerBeforePath", "", "", false, "", "Server name not defined"},
        UncCase{"BlankPath", "SRVA", " ", false, "", "Path name not defined"}),
    [](const ::testing::TestParamInfo<UncCase>& i) { return std::string(i.param.name); });

// Fresh server names each run, as the cache outlives a test.
std::string FreshServer(const std::string& stem)
{
    static int run = 0;
    return stem + std::to_string(++run);
}

TEST_F(NetworkPathsEnvironment, SecondCallIsAnsweredFromTheCache)
{
    const std::string server = FreshServer("CACHESRV");
    SeedShares(server, ShareValue("pds", "D:\\pds"));
    EXPECT_EQ(LocalPath2UNC(server, "D:\\pds\\a", false), "\\\\" + server + "\\pds\\a\\");

    // Without its registry the server can only be answered from the cache.
    fs::remove(RegistryFile(server));
    const std::string otherCase = ToLower(server);
    EXPECT_EQ(LocalPath2UNC(otherCase, "D:\\pds\\b", false), "\\\\" + otherCase + "\\pds\\b\\");
    ASSERT_EQ(GetLocalShares(server).size(), 1u);
}

TEST_F(NetworkPathsEnvironment, ServerWithoutSharesIsAskedAgain)
{
    const std::string server = FreshServer("LATESRV");
    EXPECT_EQ(LocalPath2UNC(server, "D:\\pds", false), "");
    SeedShares(server, ShareValue("pds", "D:\\pds"));
    EXPECT_EQ(LocalPath2UNC(server, "D:\\pds", false), "\\\\" + server + "\\pds\\");
}

struct MappedCase {
    const char* name;
    const char* unc;
    const char* expected;
};

class UNC2MappedPathCases : public NetworkPathsEnvironment, public ::testing::WithParamInterface<MappedCase> {};

TEST_P(UNC2MappedPathCases, FindsTheConnectedDrive)
{
    EXPECT_EQ(UNC2MappedPath(GetParam().unc), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    ConnectedDrives, UNC2MappedPathCases,
    ::testing::Values(MappedCase{"ShareItself", "\\\\srvm\\pds", "X:\\"},
                      MappedCase{"BelowShareOtherCase", "\\\\SRVM\\Pds\\proj\\a", "X:\\proj\\a\\"},
                      MappedCase{"FirstDriveInOrder", "\\\\other\\APPS\\bin", "Y:\\bin\\"},
                      MappedCase{"LongerShareName", "\\\\srvm\\pdsx\\a", ""},
                      MappedCase{"NotConnected", "\\\\srv9\\pds", ""}),
    [](const ::testing::TestParamInfo<MappedCase>& i) { return std::string(i.param.name); });

} // namespace
