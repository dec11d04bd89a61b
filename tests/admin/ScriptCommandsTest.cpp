// change and append_text on real files: backups, untouched bytes, failures.
#include "admin/ScriptCommands.h"

#include "AdminTestSupport.h"
#include "admin/ScriptFileEdit.h"
#include "admin/ScriptRunner.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/MessageService.h"
#include "services/ScriptedMessageService.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using admintest::HostExists;
using admintest::ReadHostFile;
using admintest::WriteHostFile;

class ScriptCommandsTest : public ::testing::Test {
protected:
    void TearDown() override { SetHostFileFault(nullptr); }

    std::string file(const std::string& content)
    {
        WriteHostFile(folder_.host("f.txt"), content);
        return folder_.win("f.txt");
    }
    std::string content() const { return ReadHostFile(folder_.host("f.txt")); }
    bool backupExists() const { return HostExists(folder_.host("f.txt.bak")); }

    admintest::AdminFolder folder_{"scriptcmd"};
    ScriptedMessageService boxes_;
};

TEST_F(ScriptCommandsTest, ChangeReplacesOnlyTheMatchesAndKeepsEveryOtherByte)
{
    // Leading blanks, LF-only and CR LF line ends and no final line end all stay as they were.
    const std::string original = "  ORCL here\nsecond orcl line\r\nnothing\r\nlast Orcl";
    const std::string f = file(original);
    ScriptCommands::changetxt("change '" + f + "', 'orcl', 'PROD'");
    EXPECT_EQ(content(), "  PROD here\nsecond PROD line\r\nnothing\r\nlast PROD");
    EXPECT_EQ(ReadHostFile(folder_.host("f.txt.bak")), original);
    EXPECT_TRUE(boxes_.asked().empty());
}

// A change that cannot be made whole changes nothing and says so; one without a match is no failure.
TEST_F(ScriptCommandsTest, AChangeThatCannotBeMadeLeavesTheFileAsItWas)
{
    const auto endsWith = [](const std::string& host, const std::string& end) {
        return host.size() >= end.size() && host.compare(host.size() - end.size(), end.size(), end) == 0;
    };
    const struct {
        const char* what;
        const char* arguments; // after the file
        HostFileFault fault;
        const char* said; // in the one box; nullptr = no box
    } cases[] = {
        {"no match", "'xyz', 'q'", nullptr, nullptr},
        {"a missing argument", "'old'", nullptr, "3 arguments"},
        {"the backup fails", "'old', 'new'",
         [&](const std::string& op, const std::string& host) { return op == "copy" && endsWith(host, ".bak") ? ENOSPC : 0; },
         ".bak' is not there. "},
        // The work file in the temporary folder cannot be created.
        {"the work file fails", "'old', 'new'",
         [](const std::string& op, const std::string& host) {
             return op == "create" && host.find("f.txt") == std::string::npos ? ENOSPC : 0;
         },
         ""},
        {"the write fails", "'old', 'new'",
         [](const std::string& op, const std::string& h) { return op == "write" && h.ends_with("f.txt") ? ENOSPC : 0; },
         "was not done: Disk full; '"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string f = file("old old\r\n");
        const size_t asked = boxes_.asked().size();
        SetHostFileFault(c.fault);
        ScriptCommands::changetxt("change '" + f + "', " + c.arguments);
        SetHostFileFault(nullptr);
        EXPECT_EQ(content(), "old old\r\n");
        if (!c.fault) {
            EXPECT_FALSE(backupExists());
        }
        ASSERT_EQ(boxes_.asked().size(), asked + (c.said ? 1 : 0));
        if (c.said) {
            EXPECT_NE(boxes_.asked().back().prompt.find(c.said), std::string::npos) << boxes_.asked().back().prompt;
        }
    }
    ScriptCommands::changetxt("change '" + folder_.win("none.txt") + "', 'a', 'b'");
    EXPECT_EQ(boxes_.asked().back().prompt, "ChangeFile does not exist");
    EXPECT_EQ(boxes_.asked().back().style, MsgStyle::Critical);
}

TEST_F(ScriptCommandsTest, AppendTextAppendsOnceAndAlwaysBacksUp)
{
    const std::string f = file("first\r\n");
    ScriptCommands::append_text("append_text '" + f + "', 'second'");
    EXPECT_EQ(content(), "first\r\nsecond\r\n");
    EXPECT_EQ(ReadHostFile(folder_.host("f.txt.bak")), "first\r\n");
    ScriptCommands::append_text("append_text '" + f + "', 'second'");
    EXPECT_EQ(content(), "first\r\nsecond\r\n");
    EXPECT_EQ(ReadHostFile(folder_.host("f.txt.bak")), "first\r\nsecond\r\n");
    // The test for the text counts letter case.
    ScriptCommands::append_text("append_text '" + f + "', 'SECOND'");
    EXPECT_EQ(content(), "first\r\nsecond\r\nSECOND\r\n");
}

// A failed backup beside an older one of other content: the file is not edited, the older
// backup stays as it was, and the error says what stands.
TEST_F(ScriptCommandsTest, AppendTextWithoutAWholeBackupLeavesTheFileAndTheOlderBackup)
{
    const std::string f = file("first\r\n");
    WriteHostFile(folder_.host("f.txt.bak"), "older\r\n");
    SetHostFileFault([](const std::string& op, const std::string& host) {
        return op == "copy" && host.size() > 4 && host.compare(host.size() - 4, 4, ".bak") == 0 ? ENOSPC : 0;
    });
    std::string said;
    try {
        ScriptCommands::append_text("append_text '" + f + "', 'second'");
    } catch (const AppError& e) {
        said = e.description();
    }
    SetHostFileFault(nullptr);
    EXPECT_EQ(content(), "first\r\n");
    EXPECT_EQ(ReadHostFile(folder_.host("f.txt.bak")), "older\r\n");
    EXPECT_NE(said.find("Whether the backup of '" + f + "'"), std::string::npos) << said;
    EXPECT_NE(said.find(".bak' differs from '" + f + "' at byte 1. '" + f + "' was left unchanged."),
              std::string::npos) << said;
}

TEST_F(ScriptCommandsTest, AppendTextOnAMissingFileShowsItsMessage)
{
    const std::string missing = folder_.win("none.txt");
    ScriptCommands::append_text("append_text '" + missing + "', 'x'");
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Appendfile does not exist - " + missing);
    EXPECT_FALSE(HostExists(folder_.host("none.txt")));
}

TEST_F(ScriptCommandsTest, AppendTextWithAFailedBackupRaisesAndAppendsNothing)
{
    const std::string f = file("first\r\n");
    SetHostFileFault([](const std::string& op, const std::string&) { return op == "copy" ? EACCES : 0; });
    EXPECT_THROW(ScriptCommands::append_text("append_text '" + f + "', 'second'"), AppError);
    EXPECT_EQ(content(), "first\r\n");
}

TEST(ScriptFileEditTest, SearchFindsTextAcrossPieceBorders)
{
    testsupport::ScopedDir dir("fileedit");
    // The pieces are 4 MiB; the text straddles the first border.
    std::string big(4 * 1024 * 1024 + 100, 'a');
    big.replace(4 * 1024 * 1024 - 3, 6, "NeEdLe");
    WriteHostFile(dir.host() + "/big.txt", big);
    const std::string f = WinPathFromHost(dir.host() + "/big.txt");
    EXPECT_TRUE(FileContainsText(f, "needle", true));
    EXPECT_FALSE(FileContainsText(f, "needle", false));
    EXPECT_TRUE(FileContainsText(f, "NeEdLe", false));
    EXPECT_FALSE(FileContainsText(f, "haystack", true));
}

// An append by a script leaves the file whole, the old or the new: a full disk at the write or the
// flush, a hidden file, another program editing it, the program killed before the new content is
// in place. Each of two runs says what stands; the backup is never a part, and no part is left.
TEST_F(ScriptCommandsTest, AnAppendIsWholeOrNotAtAllAndSaysWhatStands)
{
    enum class Meets { FullDisk, Hidden, OtherProgram, Killed };
    const std::string original = "first\r\nsecond\r\n";
    const struct {
        Meets meets;
        const char* step; // of the file services where the disk is full or the program is killed
        const char* said; // in the box of each run ("%F": the file); nullptr: none
    } cases[] = {
        {Meets::FullDisk, "write", "was not done: Disk full; '%F' stands as it was, with the same bytes as its backup "
                                   "'%F.bak'."},
        {Meets::FullDisk, "flush", "stands as it was, with the same bytes as its backup"},
        {Meets::Hidden, "", "passed over - %F; nothing was appended"},
        {Meets::OtherProgram, "", "The append of 'third' to '%F' was not started: the change of '%F' (process "},
        {Meets::Killed, "flush", nullptr},
    };
    admintest::RecordingHost host;
    ScriptRunner runner(host);
    runner.escPressed = [] { return false; };
    for (const auto& c : cases) {
        SCOPED_TRACE("row " + std::to_string(&c - cases));
        testsupport::ScopedDir dir("scriptedit");
        const std::string hostFile = dir.host() + (c.meets == Meets::Hidden ? "/.f.txt" : "/f.txt");
        const std::string f = WinPathFromHost(hostFile);
        WriteHostFile(hostFile, original);
        WriteHostFile(dir.host() + "/s.scr", "append_text '" + f + "', 'third'\r\n");
        SetHostFileFault([&](const std::string& op, const std::string& at) {
            if (op == c.step && at == hostFile && c.meets == Meets::Killed)
                ::raise(SIGKILL);
            return op == c.step && at == hostFile ? ENOSPC : 0;
        });
        if (c.meets == Meets::Killed) {
            const pid_t child = ::fork();
            if (child == 0)
                ::_exit(AppendTextOnce(f, "third") ? 0 : 1);
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(ReadHostFile(hostFile), original); // the dead run left the old file
            SetHostFileFault(nullptr);
        }
        std::optional<RunMark> other; // an OFD lock: refused in this process as in another
        if (c.meets == Meets::OtherProgram) // its path spelled otherwise: one place, one mark
            other.emplace("file " + WinPathPlace(ToUpper(ReplaceAll(f, "\\", "/"))),
                          RunMark::Fields{{"what", "the change of '" + f + "'"}});
        const size_t asked = boxes_.asked().size();
        const bool fails = c.meets == Meets::FullDisk || c.meets == Meets::OtherProgram;
        for (int run = 0; run < 2; ++run)
            EXPECT_EQ(runner.Run(WinPathFromHost(dir.host() + "/s.scr")),
                      fails ? ScriptRunner::Outcome::Failed : ScriptRunner::Outcome::Finished);
        SetHostFileFault(nullptr);
        other.reset();
        EXPECT_EQ(RunMark::Look("file " + WinPathPlace(f)).state, RunMark::State::Free);
        const std::string after = original + (c.meets == Meets::Killed ? "third\r\n" : "");
        EXPECT_EQ(ReadHostFile(hostFile), after);
        const bool backedUp = c.meets == Meets::FullDisk || c.meets == Meets::Killed;
        EXPECT_EQ(HostExists(hostFile + ".bak") ? ReadHostFile(hostFile + ".bak") : "", backedUp ? after : "");
        EXPECT_EQ(std::ranges::distance(std::filesystem::directory_iterator(dir.host())), backedUp ? 3 : 2);
        ASSERT_EQ(boxes_.asked().size(), asked + (c.said ? 2 : 0));
        if (c.said) {
            const std::string& shown = boxes_.asked().back().prompt;
            EXPECT_NE(shown.find(ReplaceAll(c.said, "%F", f)), std::string::npos) << shown;
        }
    }
}

TEST_F(ScriptCommandsTest, RunnerGoesOnAfterAFailedChange)
{
    admintest::RecordingHost host;
    ScriptRunner runner(host);
    runner.escPressed = [] { return false; };
    WriteHostFile(folder_.host("s.scr"), "change '" + folder_.win("none.txt") + "', 'a', 'b'\r\ncre_schema 'pd_a'\r\n");
    EXPECT_EQ(runner.Run(folder_.win("s.scr")), ScriptRunner::Outcome::Finished);
    EXPECT_EQ(host.calls.size(), 1u);
}

} // namespace
