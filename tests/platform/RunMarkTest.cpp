// Marks of changes under way: held by one program at a time, left by a dead one.
#include "platform/RunMark.h"

#include "platform/Environment.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "support/OtherProcesses.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <unistd.h>

namespace {

using State = RunMark::State;

enum class Other { None, Holds, Died, DiedWithClientRunning, SameProgram };

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
            const bool holds = c.other == Other::Holds;
            other.emplace(
                [&]() -> int {
                    RunMark mark(object, {{"what", "the other's change"}});
                    if (c.other == Other::DiedWithClientRunning)
                        RunMark::ClientStarted(Process::Start("/bin/sleep", {"60"}, 0));
                    ::_exit(mark.held() ? 0 : 1); // no destructor: the mark stays as a dead run's
                },
                holds ? testsupport::MarkWritten() : testsupport::FileOpMatch{});
            if (holds)
                ASSERT_TRUE(other->Reached());
            else
                ASSERT_EQ(other->Wait(), 0);
        }
        const long client = std::atol(RunMark::Field(RunMark::Look(object).fields, "client").c_str());

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
