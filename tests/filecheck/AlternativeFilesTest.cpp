// The directory listing through "dir /S /B" and the pick of alternatives from it.
#include "filecheck/AlternativeFiles.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class AlternativeFilesTest : public ::testing::Test {
protected:
    // A file below the test folder with its modification year.
    std::string file(const std::string& rel, int year)
    {
        const std::string host = dir.host() + "/" + rel;
        testsupport::WriteHostFile(host, std::string(static_cast<size_t>(year - 1990), 'x'));
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = 5;
        tm.tm_mday = 1;
        tm.tm_hour = 12;
        const auto when = std::chrono::system_clock::from_time_t(std::mktime(&tm));
        fs::last_write_time(host, fs::file_time_type::clock::from_sys(when));
        return WinPathFromHost(host);
    }
    std::string root() const { return WinPathFromHost(dir.host()); }

    static Strings paths(const std::vector<AlternativeFile>& files)
    {
        Strings p;
        for (const auto& f : files)
            p.push_back(f.path);
        return p;
    }

    testsupport::ScopedDir dir{"altfiles"};
};

TEST_F(AlternativeFilesTest, ListingOfTwoDirectoriesFindsCopiesNewestFirst)
{
    const std::string a = file("one/p101.dgn", 2001);
    const std::string b = file("one/sub/P101.DGN", 2003);
    const std::string c = file("two/p101.dgn", 2002);
    file("two/xp101.dgn", 2004);
    file("two/p101.dgn.bak", 2004);
    const FileListing listing(FindInit({root() + "\\one", root() + "\\two"}));

    const auto found = FindMissingFiles(listing, "P101.dgn");
    EXPECT_EQ(paths(found), (Strings{b, c, a}));
    EXPECT_EQ(found[0].size, 13);
    EXPECT_EQ(found[0].lastModified.year, 2003);
    EXPECT_EQ(AlternativeDescription(found[2]), "File: " + a + "; Last Modified Date: 01.06.2001 12:00:00; Size: 11");
    EXPECT_FALSE(fs::exists(dir.host() + "/listing")); // nothing stray next to the files
}

TEST_F(AlternativeFilesTest, OverlappingDirectoriesListAFileTwiceAndFolderOfTheNameSortsLast)
{
    file("outer/inner/m.dgn", 2005);
    fs::create_directories(dir.host() + "/outer/m.dgn");
    const FileListing listing(FindInit({root() + "\\outer", root() + "\\outer\\inner"}));
    const auto found = FindMissingFiles(listing, "m.dgn");
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].path, found[1].path);
    EXPECT_EQ(found[2].path, root() + "\\outer\\m.dgn");
    EXPECT_EQ(found[2].size, 0);
    EXPECT_EQ(DateTimeText(found[2].lastModified), "00:00:00");
}

TEST_F(AlternativeFilesTest, ListingEdgeCases)
{
    EXPECT_EQ(FindInit({}), "");
    EXPECT_TRUE(FindMissingFiles(FileListing(""), "a.dgn").empty());
    // A directory that vanished lists nothing and is no error.
    EXPECT_TRUE(FindMissingFiles(FileListing(FindInit({root() + "\\gone"})), "a.dgn").empty());
}

// One listing answers many searches; a line counts when it ends in "\" and the name, letter
// case ignored, with nothing after the name.
TEST(FileListing, LinesEndingInTheName)
{
    const FileListing listing("C:\\x\\a.dgn\r\nC:\\y\\b.dgn\r\nC:\\y\\xa.dgn\r\nC:\\y\\a.dgn \r\n"
                              "a.dgn\r\n\r\nC:\\q\\sub\\A.dgn\r\nC:\\z\\A.DGN");
    EXPECT_EQ(listing.LinesEndingIn("a.dgn"), (Strings{"C:\\x\\a.dgn", "C:\\q\\sub\\A.dgn", "C:\\z\\A.DGN"}));
    EXPECT_EQ(listing.LinesEndingIn("B.DGN"), (Strings{"C:\\y\\b.dgn"}));
    EXPECT_EQ(listing.LinesEndingIn("SUB\\a.dgn"), (Strings{"C:\\q\\sub\\A.dgn"}));
    EXPECT_TRUE(listing.LinesEndingIn("dgn").empty());
    EXPECT_TRUE(listing.LinesEndingIn("").empty());
}
