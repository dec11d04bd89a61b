// Marks of changes under way: held by one program at a time, left by a dead one.
#include "platform/RunMark.h"

#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "support/OtherProcesses.h"
#include "support/TestFiles.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <optional>
#include <unistd.h>

namespace {

using State = RunMark::State;

enum class Other { None, Holds, Died, DiedWithClientRunning, DiedRewriting, SameProgram };

// The temporary files of marks in the marks folder: a killed rewrite's is taken out by the next taker.
size_t TempFilesInMarks()
{
    size_t n = 0;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(RunMark::Folder(), ec))
        n += e.path().filename().string().find(".mark.~") != std::string::npos ? 1 : 0;
    return n;
}

TEST(RunMarkTest, OneHolderAtATimeAndADeadRunsMarkIsFound)
{
    testsupport::ScopedStandInRoot root;
    const struct {
        const char* name;
        Other other;
        State seen;   // before we try
        bool refused; // our taker is refused, naming the other
    } cases[] = {
        {"free", Other::None, State::Free, false},
        {"held by a running program", Other::Holds, State::Held, true},
        {"left by a dead run", Other::Died, State::Left, false},
        {"left by a dead run whose client still runs", Other::DiedWithClientRunning, State::Held, true},
        // Killed between the write of its new text and the rename: the name holds the old text whole.
        {"left by a run killed in its rewrite", Other::DiedRewriting, State::Left, false},
        {"held by this program already", Other::SameProgram, State::Held, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string object = std::string("schema DD_Demo ") + c.name;
        std::optional<testsupport::ForkedProgram> other;
        std::optional<RunMark> first;
        if (c.other == Other::SameProgram)
            first.emplace(object, RunMark::Fields{{"what", "first"}});
        else if (c.other != Other::None) {
            const bool holds = c.other == Other::Holds, rewriting = c.other == Other::DiedRewriting;
            const testsupport::FileOpMatch inRewrite = [](const std::string& op, const std::string& host) {
                return op == "flush" && host.find("/marks/") != std::string::npos &&
                       testsupport::ReadHostFile(host).find("step=two") != std::string::npos;
            };
            other.emplace(
                [&]() -> int {
                    RunMark mark(object, {{"what", "the other's change"}});
                    if (c.other == Other::DiedWithClientRunning)
                        RunMark::ClientStarted(Process::Start("/bin/sleep", {"60"}, 0));
                    if (rewriting)
                        mark.Update({{"what", "the other's change"}, {"step", "two"}});
                    ::_exit(mark.held() ? 0 : 1); // no destructor: the mark stays as a dead run's
                },
                holds ? testsupport::MarkWritten() : rewriting ? inRewrite : testsupport::FileOpMatch{},
                rewriting ? testsupport::ForkedProgram::AtStop::Kill : testsupport::ForkedProgram::AtStop::Hold);
            if (holds || rewriting) {
                ASSERT_TRUE(other->Reached());
            }
            if (!holds) {
                ASSERT_EQ(other->Wait(), rewriting ? -SIGKILL : 0);
            }
            EXPECT_EQ(TempFilesInMarks(), rewriting ? 1u : 0u);
        }
        const long client = std::atol(RunMark::Field(RunMark::Look(object).fields, "client").c_str());

        EXPECT_EQ(RunMark::Look(object).state, c.seen);
        // A mark this program holds is its own, whoever else holds one.
        EXPECT_EQ(RunMark::HeldHere(object) != nullptr, c.other == Other::SameProgram);
        {
            RunMark mark(ToLower(object), {{"what", "ours"}});
            EXPECT_EQ(mark.held(), !c.refused);
            if (c.refused) {
                EXPECT_EQ(RunMark::Field(mark.Holder(), "what"), first ? "first" : "the other's change");
                EXPECT_NE(RunMark::WhoText(mark.Holder()).find("process "), std::string::npos);
                EXPECT_EQ(RunMark::WhoText(mark.Holder()).find("still runs") != std::string::npos, client > 0);
            } else {
                EXPECT_EQ(RunMark::Field(mark.Left(), "what"), other ? "the other's change" : "");
                EXPECT_EQ(RunMark::Field(mark.Left(), "step"), "");
                EXPECT_EQ(TempFilesInMarks(), 0u);
                EXPECT_EQ(RunMark::Look(object).state, State::Held);
                EXPECT_EQ(RunMark::Field(RunMark::Look(object).fields, "what"), "ours");
            }
        }
        if (c.refused && !first) {
            EXPECT_EQ(RunMark::Look(object).state, State::Held); // a refused taker takes nothing out
            EXPECT_FALSE(RunMark::RemoveLeft(object));
            if (client > 0) {
                ::kill(static_cast<pid_t>(client), SIGKILL);
                while (!Process::Gone(client))
                    ::usleep(1000);
            }
            other.reset(); // killed where it holds the mark
            EXPECT_EQ(RunMark::Look(object).state, State::Left);
            EXPECT_TRUE(RunMark::RemoveLeft(object));
        }
        first.reset();
        EXPECT_EQ(RunMark::Look(object).state, State::Free);
    }
}

// A mark file that is no mark is named with how it goes, and left as it is: no taker follows a
// link (its target, the user's file, stays unchanged), nor takes an empty or garbled file for
// none, nor removes it.
TEST(RunMarkTest, AMarkFileThatIsNoMarkIsNamedAndLeftAsItIs)
{
    testsupport::ScopedStandInRoot root;
    testsupport::ScopedDir outside{"outside"};
    const std::string users = outside.host() + "/users_file.txt";
    const struct {
        const char* name;
        const char* content; // null: a link to the user's file; "fifo": a FIFO
        const char* fault;
    } cases[] = {
        {"a link to a user's file", nullptr, "is a symbolic link, which no program follows"},
        {"a FIFO", "fifo", "is no regular file"},
        {"empty", "", "is empty"},
        {"garbage", "\x01\x02 no mark\r\n", "holds no mark that a program of this system wrote"},
        {"half a mark", "object=schema dd_demo\nprogram=tarnwick\nprocess=12", "holds no mark"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::WriteHostFile(users, "the user's own text\n");
        const std::string object = "schema dd_demo";
        {
            RunMark made(object, {});
            made.Keep();
        }
        std::string file;
        for (const auto& e : std::filesystem::directory_iterator(RunMark::Folder()))
            file = e.path().string();
        std::filesystem::remove(file);
        if (!c.content)
            std::filesystem::create_symlink(users, file);
        else if (std::string(c.content) == "fifo")
            ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
        else
            testsupport::WriteHostFile(file, c.content);

        const RunMark::Seen seen = RunMark::Look(object);
        EXPECT_EQ(seen.state, State::Held);
        const std::string named = "The mark file '" + WinPathFromHost(file) + "' of ";
        EXPECT_NE(RunMark::RunningText(seen.fields).find(named), std::string::npos) << RunMark::RunningText(seen.fields);
        ASSERT_EQ(RunMark::List("schema ").size(), 1u);
        std::string said;
        try {
            RunMark taker(object, {{"what", "ours"}});
            ADD_FAILURE() << "taken";
        } catch (const AppError& e) {
            said = e.description();
        }
        EXPECT_NE(said.find(named + object + " " + c.fault), std::string::npos) << said;
        EXPECT_NE(said.find("remove that file"), std::string::npos) << said;
        EXPECT_FALSE(RunMark::RemoveLeft(object));
        EXPECT_EQ(testsupport::ReadHostFile(users), "the user's own text\n");
        EXPECT_TRUE(std::filesystem::is_symlink(file) || std::filesystem::exists(file));
        if (c.content && std::string(c.content) != "fifo") {
            EXPECT_EQ(testsupport::ReadHostFile(file), c.content);
        }
        std::filesystem::remove(file);
    }
}

// A marks folder that is a file is named by a look and by a taker alike (a full disk is a row of
// the load roads).
TEST(RunMarkTest, AMarksFolderThatIsAFileIsNamed)
{
    testsupport::ScopedStandInRoot root;
    const std::string object = "load pd_demo C:\\PDSDUMP\\X.DMP", folder = RunMark::Folder();
    const std::string named = "the marks folder '" + WinPathFromHost(folder) + "' is a file, not a folder";
    testsupport::WriteHostFile(folder, "not a folder");
    EXPECT_NE(RunMark::RunningText(RunMark::Look(object).fields).find(named), std::string::npos);
    try {
        RunMark mark(object, {{"what", "ours"}});
        ADD_FAILURE() << "taken";
    } catch (const AppError& e) {
        EXPECT_EQ(RunMark::WriteFailureText(object, e), named + ", so no mark can be written in it");
    }
    std::filesystem::remove(folder);
}

// A mark that cannot be written is refused naming the marks folder and why; nothing is taken, a
// dead run's mark that stood stays as it was, and no temporary file is left.
TEST(RunMarkTest, AMarkThatCannotBeWrittenNamesTheMarksFolder)
{
    testsupport::ScopedStandInRoot root;
    const struct {
        const char* name;
        const char* op; // the injected fault; nullptr: the marks folder is a file
        int err;
        const char* why;
        bool deadRunsMark; // a mark a dead run left stands there
    } cases[] = {
        {"permission denied", "mark", EACCES, "Permission denied", false},
        {"permission denied over a dead run's mark", "mark", EACCES, "Permission denied", true},
        {"disk full in the write", "write", ENOSPC, "Disk full", true},
        {"the marks folder is a file", nullptr, 0, "", false},
    };
    const std::string object = "schema dd_demo";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.deadRunsMark) {
            RunMark dead(object, {{"what", "the dead run's change"}});
            dead.Keep();
        }
        const std::string folder = RunMark::Folder();
        if (!c.op) {
            std::filesystem::remove_all(folder);
            testsupport::WriteHostFile(folder, "not a folder");
        }
        SetHostFileFault([&](const std::string& op, const std::string& host) {
            return c.op && op == c.op && host.find("/marks/") != std::string::npos ? c.err : 0;
        });
        std::string said;
        try {
            RunMark mark(object, {{"what", "ours"}});
            ADD_FAILURE() << "taken";
        } catch (const AppError& e) {
            said = e.description();
        }
        SetHostFileFault(nullptr);
        const std::string where = c.op ? "the mark file '" + WinPathFromHost(folder) + "\\"
                                       : "the marks folder '" + WinPathFromHost(folder) + "' is a file, not a folder";
        EXPECT_EQ(said.rfind("The mark of " + object + " was not taken: " + where, 0), 0u) << said;
        if (c.op) {
            EXPECT_NE(said.find(std::string("' could not be written (") + c.why + ")"), std::string::npos) << said;
        }
        EXPECT_NE(said.find("nothing that needs it began, and a mark that stood there stays as it was"),
                  std::string::npos)
            << said;
        if (!c.op) {
            std::filesystem::remove(folder);
            continue;
        }
        EXPECT_EQ(TempFilesInMarks(), 0u);
        const RunMark::Seen seen = RunMark::Look(object);
        EXPECT_EQ(seen.state, c.deadRunsMark ? State::Left : State::Free);
        EXPECT_EQ(RunMark::Field(seen.fields, "what"), c.deadRunsMark ? "the dead run's change" : "");
        RunMark::RemoveLeft(object);
    }
}

TEST(RunMarkTest, KeptMarksAreListedUntilRemoved)
{
    testsupport::ScopedStandInRoot root;
    {
        // A new environment's first mark makes the root and its parents.
        const std::string made = StandInRoot();
        SetEnvVar("TARNWICK_ROOT", made + "/new/root");
        EXPECT_TRUE(RunMark("root", {}).held());
        SetEnvVar("TARNWICK_ROOT", made);
    }
    {
        RunMark a("load C:\\pdsdump\\pd_demo.dmp", {{"schema", "pd_demo"}});
        a.Update({{"schema", "pd_demo"}, {"step", "rislod"}});
        a.Keep();
        RunMark b("load C:\\pdsdump\\dd_demo.dmp", {{"schema", "dd_demo"}});
        RunMark c("schema pd_demo", {});
        const auto loads = RunMark::List("LOAD ");
        ASSERT_EQ(loads.size(), 2u);
        EXPECT_EQ(loads[0].second.state == State::Left ? loads[0].first : loads[1].first,
                  "load C:\\pdsdump\\pd_demo.dmp");
        EXPECT_FALSE(RunMark::RemoveLeft("load C:\\pdsdump\\dd_demo.dmp")); // held: it stays
    }
    const auto left = RunMark::List("load ");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(RunMark::Field(left[0].second.fields, "step"), "rislod");
    EXPECT_EQ(RunMark::Field(left[0].second.fields, "process"), std::to_string(::getpid()));
    EXPECT_TRUE(RunMark::RemoveLeft(left[0].first));
    EXPECT_TRUE(RunMark::List("").empty());
}

} // namespace
