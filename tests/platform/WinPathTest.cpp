// Path mapping between Windows texts and host paths.
#include "platform/WinPath.h"

#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

struct PathCase {
    const char* name;
    const char* win;
    const char* hostSuffix; // after the root ("" root prefix) or absolute when starting with "/"
    bool underRoot;
};

class WinPathMapping : public ::testing::TestWithParam<PathCase> {};

TEST_P(WinPathMapping, MapsToHost)
{
    const PathCase& c = GetParam();
    std::string expected = c.underRoot ? StandInRoot() + c.hostSuffix : std::string(c.hostSuffix);
    EXPECT_EQ(HostPath(c.win), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, WinPathMapping,
    ::testing::Values(PathCase{"Drive", "C:\\data\\x.dmp", "/drives/c/data/x.dmp", true},
                      PathCase{"DriveLowerSlash", "d:/proj/a", "/drives/d/proj/a", true},
                      PathCase{"DriveAlone", "e:", "/drives/e", true},
                      PathCase{"DriveRoot", "e:\\", "/drives/e", true},
                      PathCase{"Unc", "\\\\srv1\\share\\dir\\f.dgn", "/unc/srv1/share/dir/f.dgn", true},
                      PathCase{"Rooted", "\\tmp\\x", "/tmp/x", false},
                      PathCase{"HostForm", "/tmp/y/z", "/tmp/y/z", false}),
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
