// Status line, message boxes, the error box and message-text formatting.
#include "services/Messages.h"

#include "FakeForm.h"
#include "platform/Clock.h"
#include "services/AppGlobals.h"
#include "services/CommandLineMessageService.h"
#include "services/ScriptedMessageService.h"
#include "support/TestEnvironment.h"

#include <fstream>
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using testforms::FakeForm;

class FixedClock : public Clock {
public:
    uint64_t TickMs() override { return 0; }
    LocalTime Now() override { return LocalTime{2026, 12, 6, 21, 30, 5, 470}; }
    void SleepMs(int) override {}
};

std::string readHost(const std::string& path) { return testsupport::ReadHostFile(path); }

class MessagesTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"msg"};
    FixedClock clock;
    ScriptedMessageService boxes;
    std::string savedLog = gLogFile;

    void SetUp() override
    {
        SetClock(&clock);
        gLogFile = dir.host() + "/tarnwick.log";
    }
    void TearDown() override
    {
        SetClock(nullptr);
        gLogFile = savedLog;
        gLogModuleFile.clear();
    }
};

TEST_F(MessagesTest, ShowStatusLogsExactBytesAndSetsLoadedStatusBars)
{
    FakeForm links("frmReadLinkages");
    FakeForm alter("frmAlterDBColumn");
    FakeForm upgrade("frmUpgradeCheck", /*registered=*/false);
    FakeForm main("Form1");
    std::ofstream(gLogFile, std::ios::binary) << "header\r\n";

    ShowStatus("Unloading pd_proj\r\nwith 3 tables");

    EXPECT_EQ(readHost(gLogFile), "header\r\n06.12.2026 21:30:05\tUnloading pd_proj\r\nwith 3 tables\r\n");
    EXPECT_EQ(links.status, "Unloading pd_proj with 3 tables");
    EXPECT_EQ(alter.status, "Unloading pd_proj with 3 tables");
    EXPECT_EQ(upgrade.status, "<untouched>");
    EXPECT_EQ(main.status, "<untouched>"); // not a tool window of the status line
    EXPECT_TRUE(boxes.asked().empty());
}

TEST_F(MessagesTest, AnUnwritableLogIsSaidOnceInWordsAndTheStatusGoesOn)
{
    FakeForm upgrade("frmUpgradeCheck");
    gLogFile = dir.host() + "/missing/tarnwick.log";
    ShowStatus("text");
    ShowStatus("more");
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(boxes.asked()[0].prompt, "The program log '" + gLogFile +
                                           "' cannot be written (Path not found); Tarnwick goes on without a log");
    EXPECT_EQ(boxes.asked()[0].title, "Tarnwick");
    EXPECT_EQ(upgrade.status, "more");
}

TEST_F(MessagesTest, IsFormLoadedIgnoresCaseAndBlanks)
{
    EXPECT_FALSE(IsFormLoaded("frmUpgradeCheck"));
    {
        FakeForm upgrade("frmUpgradeCheck");
        EXPECT_TRUE(IsFormLoaded("  FRMUPGRADECHECK "));
    }
    EXPECT_FALSE(IsFormLoaded("frmUpgradeCheck"));
}

TEST_F(MessagesTest, ErrorBoxShowsDescriptionAndLogsLineAndSource)
{
    gLogModuleFile = dir.host() + "/module.log";
    boxes.Answer(MsgAnswer::Ok);
    ShowErrorMessage(AppError(5, "CRIS::DBRead", "Table 'x' not found\r\nin schema"), 48, 12);
    ASSERT_EQ(boxes.asked().size(), 1u);
    EXPECT_EQ(boxes.asked()[0].prompt, "Table 'x' not found\r\nin schema");
    EXPECT_EQ(boxes.asked()[0].style, 48 | 0x2000);
    EXPECT_EQ(boxes.asked()[0].title, "Vorlant Tarnwick");
    EXPECT_EQ(readHost(gLogModuleFile),
              "2026-12-06 21:30:05.47  12:CRIS::DBRead:\r\nTable 'x' not found\r\nin schema\r\n");
}

TEST_F(MessagesTest, ErrorBoxFormatsTextAndFallsBackToUnknownError)
{
    ShowErrorMessage("File '%0%' in &use|||c:\\a.dgn", 48);
    ShowErrorMessage("|||c:\\a.dgn", 48);
    ShowErrorMessage(AppError(1, kAppTitle, "   "), 48);
    ASSERT_EQ(boxes.asked().size(), 3u);
    EXPECT_EQ(boxes.asked()[0].prompt, "File 'c:\\a.dgn' in use");
    EXPECT_EQ(boxes.asked()[1].prompt, "Unknown error.");
    EXPECT_EQ(boxes.asked()[2].prompt, "Unknown error.");
    // Without a module log path nothing is written.
    EXPECT_FALSE(std::ifstream(dir.host() + "/module.log").good());
}

TEST_F(MessagesTest, ErrorBoxLowersVisibleTopMostWindowsWhileShown)
{
    FakeForm shown("frmUpgradeCheck");
    shown.topMost = true;
    FakeForm minimised("frmReadLinkages");
    minimised.topMost = true;
    minimised.minimized = true;
    FakeForm hidden("frmFileSpecCheck");
    hidden.topMost = true;
    hidden.visible = false;
    ShowErrorMessage("Oops", 48);
    EXPECT_EQ(shown.topMostCalls, (std::vector<bool>{false, true}));
    EXPECT_TRUE(shown.topMost);
    EXPECT_TRUE(minimised.topMostCalls.empty());
    EXPECT_TRUE(hidden.topMostCalls.empty());
}

struct SplitCase {
    const char* name;
    const char* text;
    const char* templ;
    std::vector<std::string> args;
};

class SplitMessageArgsCases : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitMessageArgsCases, CutsArgumentsOff)
{
    std::string text = GetParam().text;
    EXPECT_EQ(SplitMessageArgs(text), GetParam().args);
    EXPECT_EQ(text, GetParam().templ);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitMessageArgsCases,
    ::testing::Values(SplitCase{"OneArgument", "File: '%0%' not found|||c:\\x", "File: '%0%' not found", {"c:\\x"}},
                      SplitCase{"NoSeparator", "plain text", "plain text", {}},
                      SplitCase{"EndsWithSeparator", "a %0% b|||", "a %0% b", {""}},
                      SplitCase{"TwoArguments", "%0% to %1%|||x|||y", "%0% to %1%", {"x", "y"}},
                      SplitCase{"EmptyPiecesKept", "t||||||y", "t", {"", "y"}}),
    [](const ::testing::TestParamInfo<SplitCase>& i) { return std::string(i.param.name); });

TEST(TranslateMessageTest, FillsArgumentsAndRemovesAmpersandsOnlyFromResult)
{
    std::string text = "Copy &%0% to %1%? (%0%)|||a.dgn|||b.dgn";
    EXPECT_EQ(TranslateMessage(text, true, true), "Copy a.dgn to b.dgn? (a.dgn)");
    EXPECT_EQ(text, "Copy &a.dgn to b.dgn? (a.dgn)");
    std::string plain = "R&D";
    EXPECT_EQ(TranslateMessage(plain, false, false), "R&D");
}

// Without a window the default button answers: a wrong one would confirm what the user was
// meant to be asked about.
TEST(MessageServiceTest, DefaultAnswersFollowTheDefaultButton)
{
    EXPECT_EQ(MessageService::DefaultAnswer(0), MsgAnswer::Ok);
    EXPECT_EQ(MessageService::DefaultAnswer(292), MsgAnswer::No);
    EXPECT_EQ(MessageService::DefaultAnswer(36), MsgAnswer::Yes);
    EXPECT_EQ(MessageService::DefaultAnswer(3 | 512), MsgAnswer::Cancel);
    EXPECT_EQ(MessageService::DefaultAnswer(1 | 512), MsgAnswer::Cancel); // beyond the set: its last
}

TEST_F(MessagesTest, CommandLineModeLogsAndAnswersWithoutBlocking)
{
    CommandLineMessageService cli;
    MessageService::Set(&cli);
    testing::internal::CaptureStderr();
    const int answer = ShowMessage("Delete schema?", 292);
    const std::string err = testing::internal::GetCapturedStderr();
    MessageService::Set(&boxes);
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(err, "Tarnwick: Delete schema?\n");
    EXPECT_EQ(readHost(gLogFile), "06.12.2026 21:30:05\tTarnwick: Delete schema?\r\n");

    MessageService::Set(&cli);
    testing::internal::CaptureStderr();
    ShowMessage("Unload failed\r\nSee Logfile 'x.log'", 0);
    const std::string twoLines = testing::internal::GetCapturedStderr();
    MessageService::Set(&boxes);
    EXPECT_EQ(twoLines, "Tarnwick: Unload failed See Logfile 'x.log'\n");
}

} // namespace
