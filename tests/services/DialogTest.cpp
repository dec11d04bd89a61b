// File dialogs' filter notation, results and the folder browser's start folder.
#include "services/Dialog.h"

#include "platform/AppError.h"
#include "services/FileOpError.h"
#include "services/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace {

using Filters = std::vector<FileFilter>;

struct FilterCase {
    const char* name;
    const char* filter;
    Filters expected;
};

class ParseFilterCases : public ::testing::TestWithParam<FilterCase> {};

TEST_P(ParseFilterCases, GivesDescriptionPatternPairs)
{
    EXPECT_EQ(Dialog::ParseFilter(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, ParseFilterCases,
    ::testing::Values(FilterCase{"Default", "Alle Dateien (*.*)|*.*", {{"Alle Dateien (*.*)", "*.*"}}},
                      FilterCase{"PatternList", "*.exe|*.exe;*.exe", {{"*.exe", "*.exe;*.exe"}}},
                      FilterCase{"NoBar", "*.*", {{"*.*", ""}}},
                      FilterCase{"TwoEntries", "Dumps|*.dmp|All|*.*|", {{"Dumps", "*.dmp"}, {"All", "*.*"}}},
                      FilterCase{"EndsAtEmptyDescription", "Dumps|*.dmp||*.x", {{"Dumps", "*.dmp"}}}),
    [](const ::testing::TestParamInfo<FilterCase>& i) { return std::string(i.param.name); });

TEST(DialogTest, OpenFileDefaultsAndCancel)
{
    ScriptedDialogs dialogs;
    dialogs.Answer("C:\\dumps\\pd_demo.dmp");
    EXPECT_EQ(GetDialog().OpenFile(), "C:\\dumps\\pd_demo.dmp");
    EXPECT_EQ(GetDialog().OpenFile("Dumps|*.dmp", "D:\\x"), ""); // nothing queued: cancelled
    EXPECT_EQ(GetDialog().SaveFile("a.txt"), "");
    ASSERT_EQ(dialogs.requests().size(), 3u);
    EXPECT_EQ(dialogs.requests()[0].kind, "open");
    EXPECT_EQ(dialogs.requests()[0].filters, (Filters{{"Alle Dateien (*.*)", "*.*"}}));
    EXPECT_EQ(dialogs.requests()[0].initialDir, "");
    EXPECT_EQ(dialogs.requests()[1].initialDir, "D:\\x");
    EXPECT_EQ(dialogs.requests()[2].defaultName, "a.txt");
}

TEST(DialogTest, SeveralFilesOnlyForTheCallerThatAsks)
{
    EXPECT_TRUE(ChosenFiles("").empty());
    EXPECT_EQ(ChosenFiles("C:\\d\\pd_a.dmp"), (std::vector<std::string>{"C:\\d\\pd_a.dmp"}));
    ScriptedDialogs dialogs;
    const std::string two = std::string("C:\\d") + '\0' + "pd_a.dmp" + '\0' + "dd_a.dmp";
    dialogs.Answer(two);
    dialogs.Answer("C:\\d\\pd_a.dmp");
    EXPECT_EQ(GetDialog().OpenFiles("Dumps|*.dmp"), (std::vector<std::string>{"C:\\d\\pd_a.dmp", "C:\\d\\dd_a.dmp"}));
    EXPECT_EQ(GetDialog().OpenFile("Dumps|*.dmp"), "C:\\d\\pd_a.dmp");
    EXPECT_TRUE(GetDialog().OpenFiles("Dumps|*.dmp").empty()); // cancelled
    ASSERT_EQ(dialogs.requests().size(), 3u);
    EXPECT_EQ(dialogs.requests()[0].kind, "open several");
    EXPECT_EQ(dialogs.requests()[1].kind, "open");
}

TEST(DialogTest, WithoutWindowsEveryDialogIsCancelled)
{
    EXPECT_TRUE(GetDialog().OpenFiles("*.*").empty());
    EXPECT_EQ(GetDialog().OpenFile(), "");
    EXPECT_EQ(BrowseForFolder("Pick", "C:\\"), "");
}

TEST(BrowseForFolderTest, AddsOneBackslashAndRemembersStartFolder)
{
    ScriptedDialogs dialogs;
    dialogs.Answer("C:\\Temp");
    dialogs.Answer("C:\\");
    dialogs.Answer("");
    EXPECT_EQ(BrowseForFolder("Backup folder", "  D:\\backup  "), "C:\\Temp\\");
    EXPECT_EQ(BrowseForFolder("Again", "   "), "C:\\");
    ClearFileOpError();
    RecordFileOpError(AppError(5, "", "old"), "X");
    EXPECT_EQ(BrowseForFolder("Cancel", ""), "");
    EXPECT_EQ(gFileOpErrNumber, 0); // a cancel is no failure
    ASSERT_EQ(dialogs.requests().size(), 3u);
    EXPECT_EQ(dialogs.requests()[0].title, "Backup folder");
    EXPECT_EQ(dialogs.requests()[0].initialDir, "D:\\backup");
    EXPECT_EQ(dialogs.requests()[1].initialDir, "D:\\backup");
}

TEST(BrowseForFolderTest, FailureIsKeptInLastFileError)
{
    class Failing : public ScriptedDialogs {
    public:
        std::string BrowseFolder(const std::string&, const std::string&) override
        {
            throw AppError(76, "SHBrowse", "Path not found");
        }
    } failing;
    EXPECT_EQ(BrowseForFolder("x", "C:\\"), "");
    EXPECT_EQ(gFileOpErrNumber, 76);
    EXPECT_EQ(gFileOpErrSource, "BrowseForFolder: SHBrowse");
}

} // namespace
