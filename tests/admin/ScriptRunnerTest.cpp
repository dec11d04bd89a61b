// The script runner over a recording host: line numbers, dispatch, bad lines, Esc, unknown words
// (a failing command and a message are proved through the main window);
// the command host that leaves no operation silently undone.
#include "admin/ScriptRunner.h"

#include "AdminTestSupport.h"
#include "admin/CommandScriptHost.h"
#include "admin/DumpCommands.h"
#include "support/Raised.h"
#include "platform/AppError.h"
#include "services/MessageService.h"
#include "services/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace {

using admintest::ReadHostFile;
using admintest::WriteHostFile;
using Strings = std::vector<std::string>;

class ScriptRunnerTest : public ::testing::Test {
protected:
    ScriptRunnerTest()
    {
        runner_.showLine = [this](const std::string& s) { shown_.push_back(s); };
        runner_.escPressed = [] { return false; };
    }

    ScriptRunner::Outcome run(const std::string& script)
    {
        WriteHostFile(folder_.host("test.scr"), script);
        return runner_.Run(folder_.win("test.scr"));
    }

    admintest::AdminFolder folder_{"scriptrunner"};
    ScriptedMessageService boxes_;
    admintest::RecordingHost host_;
    ScriptRunner runner_{host_};
    Strings shown_;
};

TEST_F(ScriptRunnerTest, ShownLineNumbersCountCommentLinesWhichRunNothing)
{
    EXPECT_EQ(run("! one\r\n\r\n!risunload 'a', 'b'\r\nrisload 'x.dmp'\rdel_schema 'pd_a'\ncre_schema 'pd_a'"),
              ScriptRunner::Outcome::Finished);
    EXPECT_EQ(shown_, (Strings{"Actual Script Line: 4  =  risload 'x.dmp'", "Actual Script Line: 5  =  del_schema 'pd_a'",
                               "Actual Script Line: 6  =  cre_schema 'pd_a'", "Finished, see log file"}));
    EXPECT_EQ(host_.calls, (Strings{"RISLoad|risload 'x.dmp'", "Del_Schema|del_schema 'pd_a'", "cre_schema|cre_schema 'pd_a'"}));
    EXPECT_TRUE(boxes_.asked().empty());
}

// Each bad line stops the run at that line without calling its command.
TEST_F(ScriptRunnerTest, ABadLineStopsTheRunAtThatLine)
{
    const std::pair<std::string, std::string> cases[] = {
        {"risunload 'pd_a'", "2 arguments"},
        {"risload 'C:\\d\\x.dmp", "closing quote"},
        {"message", "no blank"},
        {"append_text 'C:\\f.txt'", "append_text"},
    };
    for (const auto& [line, textInMessage] : cases) {
        SCOPED_TRACE(line);
        host_.calls.clear();
        const size_t asked = boxes_.asked().size();
        EXPECT_EQ(run("cre_schema 'pd_a'\r\n" + line + "\r\ndel_schema 'pd_a'\r\n"), ScriptRunner::Outcome::Failed);
        EXPECT_EQ(host_.calls, (Strings{"cre_schema|cre_schema 'pd_a'"}));
        EXPECT_EQ(runner_.lineNumber(), 2);
        ASSERT_EQ(boxes_.asked().size(), asked + 1);
        EXPECT_NE(boxes_.asked().back().prompt.find(textInMessage), std::string::npos) << boxes_.asked().back().prompt;
        EXPECT_EQ(boxes_.asked().back().style, MsgStyle::OkOnly);
        // The line stays shown; the run did not finish.
        EXPECT_EQ(shown_.back(), "Actual Script Line: 2  =  " + line);
    }
    EXPECT_NE(folder_.log().find("Script stopped at line 2"), std::string::npos);
}

TEST_F(ScriptRunnerTest, UnknownWordsAreLoggedAndPassedOver)
{
    EXPECT_EQ(run("Message 'hi'\r\nunloadall 'x'\r\ncre_schema 'pd_a'\r\n"), ScriptRunner::Outcome::Finished);
    EXPECT_EQ(host_.calls, (Strings{"cre_schema|cre_schema 'pd_a'"}));
    EXPECT_TRUE(boxes_.asked().empty());
    const std::string log = folder_.log();
    EXPECT_NE(log.find("Script line 1: unknown command 'Message' passed over"), std::string::npos) << log;
    EXPECT_NE(log.find("Script line 2: unknown command 'unloadall' passed over"), std::string::npos) << log;
}

TEST_F(ScriptRunnerTest, EscEndsTheRunAfterTheLineThatRan)
{
    int tests = 0;
    runner_.escPressed = [&tests] { return ++tests >= 1; };
    EXPECT_EQ(run("cre_schema 'pd_a'\r\ncre_schema 'pd_b'\r\n"), ScriptRunner::Outcome::Stopped);
    EXPECT_EQ(host_.calls, (Strings{"cre_schema|cre_schema 'pd_a'"}));
    EXPECT_TRUE(boxes_.asked().empty());
    EXPECT_NE(shown_.back(), "Finished, see log file");
}

TEST_F(ScriptRunnerTest, AMissingScriptFileIsReported)
{
    EXPECT_EQ(runner_.Run(folder_.win("nothere.scr")), ScriptRunner::Outcome::Failed);
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Sciptfile does not exist");
}

TEST_F(ScriptRunnerTest, StartAsksFirstAndNoRunsNothing)
{
    WriteHostFile(folder_.host("s.scr"), "cre_schema 'pd_a'\r\n");
    boxes_.Answer(MsgAnswer::No);
    EXPECT_EQ(runner_.SCRstart(folder_.win("s.scr")), ScriptRunner::Outcome::Cancelled);
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Are you sure?");
    EXPECT_EQ(boxes_.asked()[0].style, MsgStyle::YesNo | MsgStyle::DefaultButton2);
    EXPECT_TRUE(host_.calls.empty());

    boxes_.Answer(MsgAnswer::Yes);
    EXPECT_EQ(runner_.SCRstart(folder_.win("s.scr")), ScriptRunner::Outcome::Finished);
    EXPECT_EQ(host_.calls.size(), 1u);
}

TEST(CommandScriptHostTest, AnOperationLeftUnsetIsAnError)
{
    DumpCommands dump;
    CommandScriptHost host(dump, {});
    const AppError e = testsupport::Raised([&] { host.Del_Schema("del_schema 's'"); });
    EXPECT_NE(e.description().find("del_schema"), std::string::npos);
}

} // namespace
