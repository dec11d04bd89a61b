// MicroStation installation lookup over a seeded local registry and program files.
#include "services/MstnInstall.h"

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// The registry body lists installations as (subkey, PathName, Version); PathName empty
// leaves the value out.
struct Installed {
    std::string subkey;
    std::string path;
    std::string version;
    bool fileExists;
};

class MstnInstallTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::remove_all(StandInRoot() + "/registry");
        fs::remove_all(HostPath("C:\\Bentley"));
    }

    static void Seed(const std::vector<Installed>& installations)
    {
        std::string text = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Bentley]\r\n";
        for (const Installed& i : installations) {
            text += "[HKEY_LOCAL_MACHINE\\Software\\Bentley\\MicroStation\\" + i.subkey + "]\r\n";
            if (!i.path.empty())
                text += "\"PathName\"=\" " + ReplaceAll(i.path, "\\", "\\\\") + " \"\r\n";
            text += "\"Version\"=\"" + i.version + "  \"\r\n";
            if (i.fileExists) {
                std::string host = HostPath(i.path);
                fs::create_directories(fs::path(host).parent_path());
                std::ofstream(host) << "program";
            }
        }
        fs::create_directories(StandInRoot() + "/registry");
        std::ofstream(StandInRoot() + "/registry/" + ComputerName() + ".reg", std::ios::binary) << text;
    }
};

TEST_F(MstnInstallTest, NoMicroStationKey)
{
    Seed({});
    EXPECT_TRUE(GetMSTNInstallations().empty());
    EXPECT_EQ(GetDefaultMSTNPath(), "");
}

TEST_F(MstnInstallTest, ListsExistingInstallationsInRegistryOrderAndPrefersVersion07)
{
    Seed({{"V8", "C:\\Bentley\\V8\\ustation.exe", "08.05.02.35", true},
          {"NoPath", "", "07.01", false},
          {"Gone", "C:\\Bentley\\Gone\\ustation.exe", "07.01.00.01", false},
          {"J", "C:\\Bentley\\J\\ustation.exe", "07.01.05.03", true}});
    std::vector<MSTNInstallation> list = GetMSTNInstallations();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, "C:\\Bentley\\V8\\ustation.exe");
    EXPECT_EQ(list[0].version, "08.05.02.35");
    EXPECT_EQ(list[1].path, "C:\\Bentley\\J\\ustation.exe");
    EXPECT_EQ(list[1].version, "07.01.05.03");
    EXPECT_EQ(GetDefaultMSTNPath(), "C:\\Bentley\\J\\ustation.exe");
}

TEST_F(MstnInstallTest, WithoutVersion07TheFirstInstallationIsTheDefault)
{
    // "7.0" has no leading zero and is not of major version 07.
    Seed({{"V8", "C:\\Bentley\\V8\\ustation.exe", "08.05", true},
          {"Seven", "C:\\Bentley\\Seven\\ustation.exe", "7.0", true}});
    EXPECT_EQ(GetDefaultMSTNPath(), "C:\\Bentley\\V8\\ustation.exe");
}

} // namespace
