// change and append_text on real files: backups, untouched bytes, failures.
#include "admin/ScriptCommands.h"

#include "AdminTestSupport.h"
#include "admin/ScriptFileEdit.h"
#include "admin/ScriptRunner.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "services/MessageService.h"
#include "services/ScriptedMessageService.h"

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
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
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string f = file("old old\r\n");
        const size_t asked = boxes_.asked().size();
        SetHostFileFault(c.fault);
        ScriptCommands::changetxt("change '" + f + "', " + c.arguments);
        SetHostFileFault(nullptr);
        EXPECT_EQ(content(), "old old\r\n");
        if (!c.fault)
            EXPECT_FALSE(backupExists());
        ASSERT_EQ(boxes_.asked().size(), asked + (c.said ? 1 : 0));
        if (c.said)
            EXPECT_NE(boxes_.asked().back().prompt.find(c.said), std::string::npos) << boxes_.asked().back().prompt;
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

// A script edit leaves the file whole, the old or the new, whatever meets it on the way: a full
// disk at the write or the flush (run twice, as a user would), a hidden file the file services
// pass over, another program editing the same file, the program killed before the new content is
// in place. The box names the file and what stands; the backup is never replaced by a part.
TEST_F(ScriptCommandsTest, AnEditIsWholeOrNotAtAllAndSaysWhatStands)
{
    enum class Meets { FullAtWrite, FullAtFlush, Nothing, OtherProgramEdits, KilledAtFlush };
    const std::string original = "first\r\nsecond\r\n";
    const struct {
        const char* what;
        const char* name;    // of the file
        const char* line;    // "%F" stands for the file
        Meets meets;
        int runs;
        ScriptRunner::Outcome outcome; // of every run
        const char* said;    // the end of the last box; nullptr = no box
        const char* content; // afterwards
        bool backedUp;       // the backup holds the original
    } cases[] = {
        {"append, disk full at the write", "f.txt", "append_text '%F', 'third'", Meets::FullAtWrite, 2,
         ScriptRunner::Outcome::Failed,
         "was not done: Disk full; '%F' stands as it was, with the same bytes as its backup '%F.bak'.", nullptr, true},
        {"append, disk full at the flush", "f.txt", "append_text '%F', 'third'", Meets::FullAtFlush, 1,
         ScriptRunner::Outcome::Failed, "stands as it was, with the same bytes as its backup '%F.bak'.", nullptr, true},
        {"change, disk full at the write", "f.txt", "change '%F', 'second', 'other'", Meets::FullAtWrite, 2,
         ScriptRunner::Outcome::Finished,
         "The change of '%F' was not done: Disk full; '%F' stands as it was, with the same bytes as its backup '%F.bak'.",
         nullptr, true},
        {"append to a hidden file", ".f.txt", "append_text '%F', 'third'", Meets::Nothing, 1,
         ScriptRunner::Outcome::Finished, "passed over - %F; nothing was appended, the file was left unchanged", nullptr,
         false},
        {"append while another program edits the file", "f.txt", "append_text '%F', 'third'",
         Meets::OtherProgramEdits, 1, ScriptRunner::Outcome::Failed,
         "The append of 'third' to '%F' was not started: the change of '%F' (process ", nullptr, false},
        {"append killed at the flush, then run again", "f.txt", "append_text '%F', 'third'", Meets::KilledAtFlush, 1,
         ScriptRunner::Outcome::Finished, nullptr, "first\r\nsecond\r\nthird\r\n", true},
    };
    admintest::RecordingHost host;
    ScriptRunner runner(host);
    runner.escPressed = [] { return false; };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ScopedDir dir("scriptedit");
        const std::string hostFile = dir.host() + "/" + c.name;
        const std::string f = WinPathFromHost(hostFile);
        const auto filled = [&](const std::string& text) { return ReplaceAll(text, "%F", f); };
        WriteHostFile(hostFile, original);
        WriteHostFile(dir.host() + "/s.scr", filled(c.line) + "\r\n");
        const auto faultAt = [&](const char* step) {
            return [&hostFile, step](const std::string& op, const std::string& host) {
                return op == step && host == hostFile ? ENOSPC : 0;
            };
        };
        pid_t other = 0;
        int ready[2] = {-1, -1};
        switch (c.meets) {
        case Meets::FullAtWrite: SetHostFileFault(faultAt("write")); break;
        case Meets::FullAtFlush: SetHostFileFault(faultAt("flush")); break;
        case Meets::Nothing: break;
        case Meets::OtherProgramEdits:
            ASSERT_EQ(::pipe(ready), 0);
            other = ::fork();
            if (other == 0) {
                RunMark mark("file " + HostPath(f), {{"what", "the change of '" + f + "'"}});
                (void)!::write(ready[1], "y", 1);
                ::pause();
                ::_exit(0);
            }
            char c1;
            ASSERT_EQ(::read(ready[0], &c1, 1), 1);
            break;
        case Meets::KilledAtFlush: {
            const pid_t child = ::fork();
            if (child == 0) {
                SetHostFileFault([&hostFile](const std::string& op, const std::string& host) {
                    if (op == "flush" && host == hostFile)
                        ::raise(SIGKILL);
                    return 0;
                });
                AppendTextOnce(f, "third");
                ::_exit(0);
            }
            int status = 0;
            ::waitpid(child, &status, 0);
            ASSERT_TRUE(WIFSIGNALED(status));
            EXPECT_EQ(ReadHostFile(hostFile), original); // the dead run left the old file
            break;
        }
        }
        const size_t asked = boxes_.asked().size();
        for (int run = 0; run < c.runs; ++run)
            EXPECT_EQ(runner.Run(WinPathFromHost(dir.host() + "/s.scr")), c.outcome) << "run " << run + 1;
        SetHostFileFault(nullptr);
        if (other) {
            ::kill(other, SIGKILL);
            ::waitpid(other, nullptr, 0);
            EXPECT_TRUE(RunMark::RemoveLeft("file " + HostPath(f)));
        }
        EXPECT_EQ(RunMark::Look("file " + HostPath(f)).state, RunMark::State::Free);
        EXPECT_EQ(ReadHostFile(hostFile), c.content ? c.content : original);
        EXPECT_EQ(HostExists(hostFile + ".bak"), c.backedUp);
        if (c.backedUp)
            EXPECT_EQ(ReadHostFile(hostFile + ".bak"), original);
        // Nothing but the file, its backup and the script: no part of a new content is left.
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.host()))
            files += entry.path().filename() != "tarnwick.log" ? 1 : 0;
        EXPECT_EQ(files, c.backedUp ? 3u : 2u);
        ASSERT_EQ(boxes_.asked().size(), asked + (c.said ? c.runs : 0));
        if (c.said)
            EXPECT_NE(boxes_.asked().back().prompt.find(filled(c.said)), std::string::npos)
                << boxes_.asked().back().prompt;
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
