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
    const char* win;
    const char* hostSuffix; // after the root ("" root prefix) or absolute when starting with "/"
    bool underRoot;
    const char* full = ""; // FullWinPath, also of the host path mapped back ("": not checked)
    const char* cwd = "";  // the Windows folder entered first, as batchcmd's cd enters it
    const char* place = ""; // WinPathPlace ("": not checked), also of that place's own text
};

// "." and ".." never leave a drive's or a share's folder, also past a link to "/".
class WinPathMapping : public ::testing::TestWithParam<PathCase> {
protected:
    void SetUp() override
    {
        if (const char* p = std::getenv("PWD"))
            pwd = p;
        fs::create_directories(StandInRoot() + "/drives/c/work/sub");
        fs::create_directories(StandInRoot() + "/unc/srv/share");
        fs::create_symlink("/", StandInRoot() + "/drives/c/outlink");
        // A server's administrative share reaches its share's folder through a link.
        fs::create_directories(StandInRoot() + "/unc/srv/d$");
        fs::create_directory_symlink("../share", StandInRoot() + "/unc/srv/d$/pds");
    }
    void TearDown() override
    {
        fs::current_path(cwd);
        pwd ? ::setenv("PWD", pwd->c_str(), 1) : ::unsetenv("PWD");
    }

    testsupport::ScopedStandInRoot root;
    const fs::path cwd = fs::current_path();
    std::optional<std::string> pwd;
};

TEST_P(WinPathMapping, MapsToHost)
{
    const PathCase& c = GetParam();
    if (*c.cwd) { // by its name, PWD saying so
        ASSERT_EQ(::chdir(HostPath(c.cwd).c_str()), 0) << c.cwd;
        ::setenv("PWD", HostPath(c.cwd).c_str(), 1);
    }
    std::string expected = c.underRoot ? StandInRoot() + c.hostSuffix : std::string(c.hostSuffix);
    EXPECT_EQ(HostPath(c.win), expected);
    if (*c.place) {
        EXPECT_EQ(WinPathPlace(c.win), c.place);
        EXPECT_TRUE(SameWinPlace(c.win, c.place));
        EXPECT_FALSE(SameWinPlace(c.win, std::string(c.win) + "x"));
    }
    if (!*c.full)
        return;
    EXPECT_EQ(FullWinPath(c.win), c.full);
    const std::string back = WinPathFromHost(HostPath(c.win)); // a host path keeps no trailing "\\"
    EXPECT_TRUE(EqualsNoCase(back, c.full) || EqualsNoCase(back + "\\", c.full)) << back;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WinPathMapping,
    ::testing::Values(PathCase{"Drive", "C:\\data\\x.dmp", "/drives/c/data/x.dmp", true, "", "", "C:\\DATA\\X.DMP"},
                      PathCase{"DriveLowerSlash", "d:/proj/a", "/drives/d/proj/a", true, "", "", "D:\\PROJ\\A"},
                      PathCase{"DriveAlone", "e:", "/drives/e", true},
                      PathCase{"DriveRoot", "e:\\", "/drives/e", true, "", "", "E:\\"},
                      PathCase{"Unc", "\\\\srv1\\share\\dir\\f.dgn", "/unc/srv1/share/dir/f.dgn", true, "", "",
                               "\\\\SRV1\\SHARE\\DIR\\F.DGN"},
                      // Places: one text for every spelling, also of what does not exist yet.
                      PathCase{"DoubledSeparator", "C:\\pdsdump\\\\x.dmp", "/drives/c/pdsdump/x.dmp", true,
                               "C:\\pdsdump\\x.dmp", "", "C:\\PDSDUMP\\X.DMP"},
                      PathCase{"SlashesAndCapitals", "C:/PDSDUMP/./sub/../X.dmp", "/drives/c/PDSDUMP/X.dmp", true,
                               "C:\\PDSDUMP\\X.dmp", "", "C:\\PDSDUMP\\X.DMP"},
                      PathCase{"ThroughALinkedFolder", "C:\\outlink\\tmp\\x.dmp", "/drives/c/outlink/tmp/x.dmp", true,
                               "C:\\outlink\\tmp\\x.dmp", "", "\\TMP\\X.DMP"},
                      PathCase{"AdministrativeShare", "\\\\SRV\\D$\\pds\\m\\a.dgn", "/unc/srv/d$/pds/m/a.dgn", true,
                               "", "", "\\\\SRV\\SHARE\\M\\A.DGN"},
                      PathCase{"Rooted", "\\tmp\\x", "/tmp/x", false},
                      PathCase{"HostForm", "/tmp/y/z", "/tmp/y/z", false},
                      PathCase{"AboveTheDrive", "C:\\..\\..\\reg\\x", "/drives/c/reg/x", true, "C:\\reg\\x"},
                      PathCase{"DriveRootUp", "C:\\..", "/drives/c", true, "C:\\"},
                      PathCase{"DotsAndMixedSeparators", "C:/a/./b\\..\\c\\", "/drives/c/a/c", true, "C:\\a\\c\\"},
                      PathCase{"DriveRelativeElsewhere", "C:..\\x", "/drives/c/x", true, "C:\\x"},
                      PathCase{"DriveRelativeOnTheDrive", "C:..\\x", "/drives/c/work/x", true, "C:\\work\\x",
                               "C:\\work\\sub"},
                      PathCase{"RelativeOnTheDrive", "..\\..\\..\\x", "/drives/c/x", true, "C:\\x", "C:\\work\\sub"},
                      PathCase{"ThroughALinkAndBack", "C:\\outlink\\..\\x", "/drives/c/x", true, "C:\\x"},
                      PathCase{"UpFromALinkEntered", "..\\..\\x", "/drives/c/x", true, "C:\\x", "C:\\outlink"},
                      PathCase{"AboveTheShare", "\\\\srv\\share\\..\\..\\..\\x", "/unc/srv/share/x", true,
                               "\\\\srv\\share\\x"},
                      PathCase{"RelativeOnAShare", "..\\x", "/unc/srv/share/x", true, "\\\\srv\\share\\x",
                               "\\\\srv\\share"},
                      PathCase{"ServerDotDot", "\\\\..\\x", "/dev/null/unreachable", false, "", "", "\\\\..\\X"},
                      PathCase{"ShareDotDot", "\\\\srv\\..\\x", "/dev/null/unreachable", false},
                      PathCase{"RootedAboveTheHostRoot", "\\..\\tmp\\.\\x", "/tmp/x", false, "\\tmp\\x"},
                      // A relative path from a current folder off every drive and share names no place.
                      PathCase{"DotOffTheEnvironment", ".", "/dev/null/unreachable", false},
                      PathCase{"UpOffTheEnvironment", "..\\..\\..\\x", "/dev/null/unreachable", false},
                      PathCase{"RelativeFromAHostFolder", "x", "/dev/null/unreachable", false, "", "\\tmp"},
                      PathCase{"RelativeFromAServerAlone", "share\\x", "/dev/null/unreachable", false, "",
                               "\\\\srv"},
                      PathCase{"DriveRelativeFromAHostFolder", "C:x", "/drives/c/x", true, "C:\\x", "\\tmp"}),
    [](const ::testing::TestParamInfo<PathCase>& i) { return std::string(i.param.name); });

// The test program runs in a host folder outside the environment: a relative path there is
// given back as written and said to name no place, naming the current folder.
TEST(WinPath, RelativePathOffTheEnvironmentNamesNoPlace)
{
    char buf[4096];
    ASSERT_NE(::getcwd(buf, sizeof buf), nullptr);
    EXPECT_EQ(CurrentWinFolder(), "");
    EXPECT_EQ(FullWinPath("sub\\f.txt"), "sub\\f.txt");
    EXPECT_EQ(NoPlaceWords("sub\\f.txt"), "is relative, and the current folder '" + WinPathFromHost(buf) +
                                              "' lies on no drive or share of the environment");
    EXPECT_EQ(NoPlaceWords("C:x"), "");
    EXPECT_EQ(NoPlaceWords("\\tmp\\x"), "");
    EXPECT_NE(NoPlaceWords("\\\\..\\x"), "");
    for (const char* relative : {"x", ".\\x", "..", "C:x", "c:"})
        EXPECT_TRUE(IsRelativeWinPath(relative)) << relative;
    for (const char* full : {"C:\\x", "c:/x", "\\x", "/tmp", "\\\\srv\\sh", ""})
        EXPECT_FALSE(IsRelativeWinPath(full)) << full;
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
