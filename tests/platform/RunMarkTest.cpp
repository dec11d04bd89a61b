// Marks of changes under way: held by one program at a time, left by a dead one.
#include "platform/RunMark.h"

#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using State = RunMark::State;

enum class Other { None, Holds, Died, DiedWithClientRunning, SameProgram };

// A second program: a child that takes the mark and then holds it until killed, or dies at once
// without taking it out (while an outside program it started still runs, when asked). Returns
// its process id once it holds the mark, and the client's id in client.
pid_t otherProgramTakes(const std::string& object, Other how, pid_t& client)
{
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        RunMark mark(object, {{"what", "the other's change"}});
        pid_t started = 0;
        if (how == Other::DiedWithClientRunning) {
            started = static_cast<pid_t>(Process::Start("/bin/sleep", {"60"}, 0));
            RunMark::ClientStarted(started);
        }
        const pid_t answer = mark.held() ? started : -1;
        (void)!::write(ready[1], &answer, sizeof answer);
        if (how != Other::Holds)
            ::_exit(0); // no destructor: the mark stays as a dead run's
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    client = -1;
    EXPECT_EQ(::read(ready[0], &client, sizeof client), static_cast<ssize_t>(sizeof client));
    ::close(ready[0]);
    EXPECT_GE(client, 0);
    if (how != Other::Holds)
        ::waitpid(pid, nullptr, 0);
    return pid;
}

void endProgram(pid_t pid, bool child = true)
{
    ::kill(pid, SIGKILL);
    if (child)
        ::waitpid(pid, nullptr, 0);
    else
        while (!Process::Gone(pid))
            ::usleep(1000);
}

TEST(RunMarkTest, OneHolderAtATimeAndADeadRunsMarkIsFound)
{
    testsupport::ScopedStandInRoot root;
    struct Case {
        const char* name;
        Other other;
        State seen;        // before we try
        bool refused;      // our taker is refused, naming the other
    };
    const Case cases[] = {
        {"free", Other::None, State::Free, false},
        {"held by a running program", Other::Holds, State::Held, true},
        {"left by a dead run", Other::Died, State::Left, false},
        {"left by a dead run whose client still runs", Other::DiedWithClientRunning, State::Held, true},
        {"held by this program already", Other::SameProgram, State::Held, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string object = std::string("schema DD_Demo ") + c.name;
        pid_t other = 0, client = 0;
        if (c.other != Other::None && c.other != Other::SameProgram)
            other = otherProgramTakes(object, c.other, client);
        std::optional<RunMark> first;
        if (c.other == Other::SameProgram)
            first.emplace(object, RunMark::Fields{{"what", "first"}});

        EXPECT_EQ(RunMark::Look(object).state, c.seen);
        {
            RunMark mark(ToLower(object), {{"what", "ours"}});
            EXPECT_EQ(mark.held(), !c.refused);
            if (c.refused) {
                EXPECT_EQ(RunMark::Field(mark.Holder(), "what"), first ? "first" : "the other's change");
                EXPECT_NE(RunMark::WhoText(mark.Holder()).find("process "), std::string::npos);
                EXPECT_EQ(RunMark::WhoText(mark.Holder()).find("still runs") != std::string::npos, client > 0);
            } else {
                EXPECT_EQ(RunMark::Field(mark.Left(), "what"), other ? "the other's change" : "");
                EXPECT_EQ(RunMark::Look(object).state, State::Held);
                EXPECT_EQ(RunMark::Field(RunMark::Look(object).fields, "what"), "ours");
            }
        }
        if (c.refused && !first) {
            EXPECT_EQ(RunMark::Look(object).state, State::Held); // a refused taker takes nothing out
            EXPECT_FALSE(RunMark::RemoveLeft(object));
            endProgram(client > 0 ? client : other, client <= 0);
            EXPECT_EQ(RunMark::Look(object).state, State::Left);
            EXPECT_TRUE(RunMark::RemoveLeft(object));
        }
        first.reset();
        EXPECT_EQ(RunMark::Look(object).state, State::Free);
    }
}

TEST(RunMarkTest, KeptMarksAreListedUntilRemoved)
{
    testsupport::ScopedStandInRoot root;
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
