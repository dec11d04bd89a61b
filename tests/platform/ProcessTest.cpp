// Starting child processes and reading their exit codes.
#include "platform/Process.h"

#include "platform/AppError.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(ProcessTest, WaitReturnsTheExitCode)
{
    long pid = Process::Start("/bin/sh", {"-c", "exit 3"}, 0);
    EXPECT_GT(pid, 0);
    EXPECT_EQ(Process::Wait(pid), 3);
    // Asking again after the end gives the same code.
    long code = -1;
    EXPECT_TRUE(Process::Poll(pid, code));
    EXPECT_EQ(code, 3);
}

TEST(ProcessTest, PollSaysRunningUntilTheChildEnds)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    // The child waits for a line on its input, so it is surely running at the first poll.
    long pid = Process::Start("/bin/sh", {"-c", "read x; exit 7"}, 0, Process::Streams{fds[0], -1, -1});
    ::close(fds[0]);
    long code = -1;
    EXPECT_FALSE(Process::Poll(pid, code));
    ASSERT_EQ(::write(fds[1], "go\n", 3), 3);
    ::close(fds[1]);
    while (!Process::Poll(pid, code))
        ::usleep(1000);
    EXPECT_EQ(code, 7);
}

TEST(ProcessTest, RedirectsTheOutputStream)
{
    testsupport::ScopedDir dir("proc");
    const std::string out = dir.host() + "/out.txt";
    int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    long pid = Process::Start("/bin/sh", {"-c", "echo hi; echo err >&2"}, 0, Process::Streams{-1, fd, fd});
    ::close(fd);
    EXPECT_EQ(Process::Wait(pid), 0);
    std::ifstream in(out);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "hi\nerr\n");
}

TEST(ProcessTest, AMissingProgramFailsToStart)
{
    EXPECT_THROW(Process::Start("/nonexistent/prog", {}, 0), AppError);
}

TEST(ProcessTest, PollOfAStrangerFails)
{
    long code = 0;
    EXPECT_THROW(Process::Poll(1, code), AppError);
}

} // namespace

// A process killed together with its parent stays a zombie until the system reaps it: it has
// gone. An ended child of this process has not, until it is waited for.
TEST(ProcessTest, AZombieIsGoneUnlessItIsOurOwnChild)
{
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t parent = ::fork();
    if (parent == 0) {
        const pid_t grandchild = ::fork();
        if (grandchild == 0)
            ::_exit(0);
        (void)!::write(pipeFds[1], &grandchild, sizeof grandchild);
        ::pause(); // never waits for it
        ::_exit(0);
    }
    pid_t zombie = 0;
    ASSERT_EQ(::read(pipeFds[0], &zombie, sizeof zombie), static_cast<ssize_t>(sizeof zombie));
    for (int i = 0; i < 200 && !Process::Gone(zombie); ++i)
        ::usleep(10000);
    EXPECT_TRUE(Process::Gone(zombie));
    EXPECT_FALSE(Process::Gone(parent));

    const pid_t own = ::fork();
    if (own == 0)
        ::_exit(0);
    ::usleep(100000);
    EXPECT_FALSE(Process::Gone(own));
    ::waitpid(own, nullptr, 0);
    EXPECT_TRUE(Process::Gone(own));
    ::kill(parent, SIGKILL);
    ::waitpid(parent, nullptr, 0);
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
}
