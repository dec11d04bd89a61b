// Starting child processes and reading their exit codes.
#include "platform/Process.h"

#include "platform/AppError.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
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
