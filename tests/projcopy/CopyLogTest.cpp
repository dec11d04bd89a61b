// The copy log: entries with date and time, TAB and an empty line after them; the label shows
// every message, also one that cannot be written.
#include "projcopy/CopyLog.h"

#include "platform/TextUtil.h"
#include "services/FileContents.h"
#include "support/TestEnvironment.h"

#include "platform/WinPath.h"

#include <gtest/gtest.h>

TEST(CopyLog, AppendsEntriesInCallOrderAndResetEmptiesIt)
{
    CopyLog log;
    std::string label;
    log.SetLabel([&](const std::string& t) { label = t; });
    log.Reset();
    log.WriteLog("first");
    log.WriteLog("second\r\n");
    EXPECT_EQ(label, "second\r\n");
    const std::vector<std::string> lines = Split(ReadFile2String(log.Path()), "\r\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0].substr(lines[0].find('\t')), "\tfirst");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2].substr(lines[2].find('\t')), "\tsecond");
    EXPECT_EQ(lines[3] + lines[4] + lines[5], "");
    log.Reset();
    EXPECT_EQ(ReadFile2String(log.Path()), "");
}

TEST(CopyLog, ALineThatCannotBeWrittenStillShows)
{
    testsupport::ScopedDir dir("log");
    CopyLog log(WinPathFromHost(dir.host()) + "\\missing\\folder\\projcopy.log");
    std::string label;
    log.SetLabel([&](const std::string& t) { label = t; });
    EXPECT_NO_THROW(log.WriteLog("lost"));
    EXPECT_EQ(label, "lost");
}
