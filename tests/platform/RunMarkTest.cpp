// Marks of changes under way: held by one program at a time, left by a dead one.
#include "platform/RunMark.h"

#include "platform/TextUtil.h"
#include "tests/support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using State = RunMark::State;

// A second program: a child that takes the mark and then either holds it until killed or dies
// at once without taking it out. Returns its process id once it holds the mark.
pid_t otherProgramTakes(const std::string& object, bool dieHolding)
{
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        RunMark mark(object, {{"what", "the other's change"}});
        char c = mark.held() ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        if (dieHolding)
            ::_exit(0); // no destructor: the mark stays as a dead run's
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char c = 0;
    EXPECT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(c, 'y');
    if (dieHolding)
        ::waitpid(pid, nullptr, 0);
    return pid;
}

void endProgram(pid_t pid)
{
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

TEST(RunMarkTest, OneHolderAtATimeAndADeadRunsMarkIsFound)
{
    testsupport::ScopedStandInRoot root;
    struct Case {
        const char* name;
        bool otherHolds;   // another program holds the mark while we try
        bool otherDied;    // another program died holding it
        bool sameProgram;  // a second taker in this very program
    };
    const Case cases[] = {
        {"free", false, false, false},
        {"held by a running program", true, false, false},
        {"left by a dead run", false, true, false},
        {"held by this program already", false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string object = std::string("schema DD_Demo ") + c.name;
        pid_t other = 0;
        if (c.otherHolds || c.otherDied)
            other = otherProgramTakes(object, c.otherDied);
        std::optional<RunMark> first;
        if (c.sameProgram)
            first.emplace(object, RunMark::Fields{{"what", "first"}});

        EXPECT_EQ(RunMark::Look(object).state,
                  c.otherHolds || c.sameProgram ? State::Held : c.otherDied ? State::Left : State::Free);
        {
            RunMark mark(ToLower(object), {{"what", "ours"}});
            const bool refused = c.otherHolds || c.sameProgram;
            EXPECT_EQ(mark.held(), !refused);
            if (refused) {
                EXPECT_EQ(RunMark::Field(mark.Holder(), "what"), c.sameProgram ? "first" : "the other's change");
                EXPECT_NE(RunMark::WhoText(mark.Holder()).find("process "), std::string::npos);
            } else {
                EXPECT_EQ(RunMark::Field(mark.Left(), "what"), c.otherDied ? "the other's change" : "");
                EXPECT_EQ(RunMark::Look(object).state, State::Held);
                EXPECT_EQ(RunMark::Field(RunMark::Look(object).fields, "what"), "ours");
            }
        }
        if (c.otherHolds) {
            EXPECT_EQ(RunMark::Look(object).state, State::Held); // a refused taker takes nothing out
            endProgram(other);
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
