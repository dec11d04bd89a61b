// Path mapping between Windows texts and host paths.
#include "platform/WinPath.h"

#include "platform/TextUtil.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

struct PathCase {
    const char* name;
    const char* cwd;        // the Windows folder to stand in first ("" to stay where the test runs)
    const char* win;
    const char* hostSuffix; // after the root, or absolute
    bool underRoot;
    const char* full;       // FullWinPath ("" when the path names no place)
};

// Every form of path: drive, drive-relative, UNC, rooted and relative, with "." and ".." that
// never leave a drive's or share's folder, also past a link inside the drive that points out.
class WinPathMapping : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override
    {
        fs::create_directories(StandInRoot() + "/drives/c/work/sub");
        fs::create_symlink(outside.host(), StandInRoot() + "/drives/c/outlink");
        madeServer = !fs::exists(StandInRoot() + "/unc/srv");
        fs::create_directories(StandInRoot() + "/unc/srv/share");
        char buf[4096];
        ASSERT_NE(::getcwd(buf, sizeof buf), nullptr);
        savedCwd = buf;
        if (const char* pwd = std::getenv("PWD"))
            savedPwd = pwd;
    }
    void TearDown() override
    {
        ASSERT_EQ(::chdir(savedCwd.c_str()), 0);
        if (savedPwd)
            ::setenv("PWD", savedPwd->c_str(), 1);
        else
            ::unsetenv("PWD");
        fs::remove(StandInRoot() + "/drives/c/outlink");
        fs::remove_all(StandInRoot() + "/drives/c/work");
        fs::remove_all(StandInRoot() + (madeServer ? "/unc/srv" : "/unc/srv/share"));
    }
    // Stands in the folder as a command interpreter enters it: by its name, PWD saying so.
    void enter(const std::string& winFolder)
    {
        const std::string host = HostPath(winFolder);
        ASSERT_EQ(::chdir(host.c_str()), 0) << host;
        ::setenv("PWD", host.c_str(), 1);
    }

    testsupport::ScopedDir outside{"outside"};
    std::string savedCwd;
    std::optional<std::string> savedPwd;
    bool madeServer = false;
};

TEST_P(WinPathMapping, MapsToHostWithinItsDriveOrShare)
{
    const PathCase& c = GetParam();
    if (*c.cwd)
        enter(c.cwd);
    const std::string expected = c.underRoot ? StandInRoot() + c.hostSuffix : std::string(c.hostSuffix);
    EXPECT_EQ(HostPath(c.win), expected);
    if (!*c.full)
        return;
    EXPECT_EQ(FullWinPath(c.win), c.full);
    // And back: the host path is the place the full path names (a host path keeps no trailing "\\").
    const std::string back = WinPathFromHost(HostPath(c.win));
    EXPECT_TRUE(EqualsNoCase(back, c.full) || EqualsNoCase(back + "\\", c.full)) << back;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WinPathMapping,
    ::testing::Values(
        PathCase{"Drive", "", "C:\\data\\x.dmp", "/drives/c/data/x.dmp", true, "C:\\data\\x.dmp"},
        PathCase{"DriveLowerSlash", "", "d:/proj/a", "/drives/d/proj/a", true, "d:\\proj\\a"},
        PathCase{"DriveAlone", "", "e:", "/drives/e", true, "e:\\"},
        PathCase{"DriveRoot", "", "e:\\", "/drives/e", true, "e:\\"},
        PathCase{"Unc", "", "\\\\srv1\\share\\dir\\f.dgn", "/unc/srv1/share/dir/f.dgn", true,
                 "\\\\srv1\\share\\dir\\f.dgn"},
        PathCase{"Rooted", "", "\\tmp\\x", "/tmp/x", false, "\\tmp\\x"},
        PathCase{"HostForm", "", "/tmp/y/z", "/tmp/y/z", false, "\\tmp\\y\\z"},
        PathCase{"AboveTheDrive", "", "C:\\..\\..\\registry\\x.reg", "/drives/c/registry/x.reg", true,
                 "C:\\registry\\x.reg"},
        PathCase{"FarAboveTheDrive", "", "C:\\a\\..\\..\\..\\..\\esc1.txt", "/drives/c/esc1.txt", true, "C:\\esc1.txt"},
        PathCase{"DriveRootUp", "", "C:\\..", "/drives/c", true, "C:\\"},
        PathCase{"DotsAndMixedSeparators", "", "C:/a/./b\\..\\c\\", "/drives/c/a/c", true, "C:\\a\\c\\"},
        PathCase{"DriveRelativeElsewhere", "", "C:..\\x", "/drives/c/x", true, "C:\\x"},
        PathCase{"DriveRelativeOnTheDrive", "C:\\work\\sub", "C:..\\x", "/drives/c/work/x", true, "C:\\work\\x"},
        PathCase{"RelativeOnTheDrive", "C:\\work\\sub", "..\\..\\..\\x", "/drives/c/x", true, "C:\\x"},
        PathCase{"RelativeDot", "C:\\work\\sub", ".\\y", "/drives/c/work/sub/y", true, "C:\\work\\sub\\y"},
        PathCase{"ThroughALinkAndBack", "", "C:\\outlink\\..\\x", "/drives/c/x", true, "C:\\x"},
        PathCase{"UpFromALinkEntered", "C:\\outlink", "..\\..\\x", "/drives/c/x", true, "C:\\x"},
        PathCase{"AboveTheShare", "", "\\\\srv\\share\\..\\..\\..\\unc-esc.txt", "/unc/srv/share/unc-esc.txt", true,
                 "\\\\srv\\share\\unc-esc.txt"},
        PathCase{"ShareUp", "", "\\\\srv\\share\\..", "/unc/srv/share", true, "\\\\srv\\share"},
        PathCase{"RelativeOnAShare", "\\\\srv\\share", "..\\x", "/unc/srv/share/x", true, "\\\\srv\\share\\x"},
        PathCase{"ServerDotDot", "", "\\\\..\\x", "/dev/null/unreachable", false, ""},
        PathCase{"ServerDot", "", "\\\\.\\x\\y", "/dev/null/unreachable", false, ""},
        PathCase{"ShareDotDot", "", "\\\\srv\\..\\x", "/dev/null/unreachable", false, ""},
        PathCase{"NoServer", "", "\\\\\\x\\y", "/dev/null/unreachable", false, ""},
        PathCase{"RootedAboveTheHostRoot", "", "\\..\\tmp\\.\\x", "/tmp/x", false, "\\tmp\\x"}),
    [](const ::testing::TestParamInfo<PathCase>& i) { return std::string(i.param.name); });

TEST(WinPath, RelativePathIsBelowCurrentFolder)
{
    char buf[4096];
    ASSERT_NE(::getcwd(buf, sizeof buf), nullptr);
    EXPECT_EQ(HostPath("sub\\f.txt"), std::string(buf) + "/sub/f.txt");
}

TEST(WinPath, FindsComponentsWithoutRegardToCase)
{
    fs::create_directories(StandInRoot() + "/drives/c/Projects/Alpha");
    std::ofstream(StandInRoot() + "/drives/c/Projects/Alpha/Model.DGN") << "x";
    EXPECT_EQ(HostPath("C:\\PROJECTS\\alpha\\model.dgn"), StandInRoot() + "/drives/c/Projects/Alpha/Model.DGN");
    // A missing component keeps the given spelling from there on.
    EXPECT_EQ(HostPath("c:\\projects\\beta\\X"), StandInRoot() + "/drives/c/Projects/beta/X");
}

TEST(WinPath, ReverseMapping)
{
    EXPECT_EQ(WinPathFromHost(StandInRoot() + "/drives/c/data/x.dmp"), "C:\\data\\x.dmp");
    EXPECT_EQ(WinPathFromHost(StandInRoot() + "/drives/c"), "C:\\");
    EXPECT_EQ(WinPathFromHost(StandInRoot() + "/unc/srv/sh/a.dgn"), "\\\\srv\\sh\\a.dgn");
    EXPECT_EQ(WinPathFromHost("/tmp/a b"), "\\tmp\\a b");
    // Only a one-letter folder below drives is a drive, and ".." can take a path off it.
    EXPECT_EQ(WinPathFromHost(StandInRoot() + "/drives/c/../../registry/x.reg"),
              ReplaceAll(StandInRoot(), "/", "\\") + "\\registry\\x.reg");
    EXPECT_EQ(WinPathFromHost(StandInRoot() + "/drives/cx/y"), ReplaceAll(StandInRoot(), "/", "\\") + "\\drives\\cx\\y");
    EXPECT_EQ(HostPath(WinPathFromHost("/tmp/a b")), "/tmp/a b");
}

struct WildCase {
    const char* pattern;
    const char* name;
    bool match;
};

class WildcardCases : public ::testing::TestWithParam<WildCase> {};

TEST_P(WildcardCases, Matches)
{
    EXPECT_EQ(WildcardMatch(GetParam().pattern, GetParam().name), GetParam().match)
        << GetParam().pattern << " vs " << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Patterns, WildcardCases,
                         ::testing::Values(WildCase{"*.dgn", "X.DGN", true}, WildCase{"*.dgn", "x.dgn.bak", false},
                                           WildCase{"*.*", "noext", true}, WildCase{"p?.dmp", "P1.dmp", true},
                                           WildCase{"p?.dmp", "p12.dmp", false}, WildCase{"a*b*c", "aXXbYc", true},
                                           WildCase{"a*b*c", "aXXbY", false}, WildCase{"model.*", "model", true}));
