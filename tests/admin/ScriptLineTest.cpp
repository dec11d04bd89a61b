// Script line grammar: comments, command words, argument cutting, change quoting, placeholders.
#include "admin/ScriptLine.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "services/IniFile.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

TEST(ScriptLineTest, CommentAndEmptyLinesArePassedOver)
{
    EXPECT_TRUE(IsScriptCommentLine(""));
    EXPECT_TRUE(IsScriptCommentLine("!message 'x'"));
    EXPECT_TRUE(IsScriptCommentLine("!"));
    EXPECT_FALSE(IsScriptCommentLine(" !message 'x'"));
    EXPECT_FALSE(IsScriptCommentLine("message 'x'"));
}

TEST(ScriptLineTest, CommandWordIsTheTextBeforeTheFirstBlank)
{
    EXPECT_EQ(ScriptCommandWord("message 'x'"), "message");
    EXPECT_EQ(ScriptCommandWord("message'x' 'y'"), "message'x'");
    EXPECT_EQ(testsupport::Raised([] { ScriptCommandWord("message"); }).number(), 5);
    EXPECT_EQ(testsupport::Raised([] { ScriptCommandWord("message'x'"); }).number(), 5);
}

TEST(ScriptLineTest, CommandWordsAreLookedUpExactly)
{
    const struct {
        const char* word;
        ScriptCommand command;
        int arguments;
    } cases[] = {
        {"change", ScriptCommand::Change, 3},         {"doscmd", ScriptCommand::Doscmd, 1},
        {"risunload", ScriptCommand::RisUnload, 2},   {"risload", ScriptCommand::RisLoad, 1},
        {"edrisdmp", ScriptCommand::Edrisdmp, 1},     {"cre_dbuser", ScriptCommand::CreDbUser, 1},
        {"del_dbuser", ScriptCommand::DelDbUser, 1},  {"cre_schema", ScriptCommand::CreSchema, 1},
        {"del_schema", ScriptCommand::DelSchema, 1},  {"append_text", ScriptCommand::AppendText, 2},
        {"message", ScriptCommand::Message, 1},       {"Message", ScriptCommand::Unknown, 0},
        {"RISLOAD", ScriptCommand::Unknown, 0},       {"message'x'", ScriptCommand::Unknown, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LookupScriptCommand(c.word), c.command) << c.word;
        EXPECT_EQ(ScriptArgumentCount(c.command), c.arguments) << c.word;
    }
}

TEST(ScriptLineTest, ArgumentsAreTheTextsBetweenQuotePairs)
{
    EXPECT_EQ(CutScriptArguments("risunload 'pd_abc', 'C:\\d\\pd_abc.dmp'", 2, "risunload"),
              (Strings{"pd_abc", "C:\\d\\pd_abc.dmp"}));
    EXPECT_EQ(CutScriptArguments("risunload'a'x'b' trailing 'c'", 2, "risunload"), (Strings{"a", "b"}));
    EXPECT_EQ(CutScriptArguments("message ''", 1, "message"), (Strings{""}));
    // Arguments the command does not read are not looked at.
    EXPECT_EQ(CutScriptArguments("cre_dbuser 'u', 'extra", 1, "cre_dbuser"), (Strings{"u"}));
}

TEST(ScriptLineTest, AMissingArgumentIsAnErrorNeverTheCommandWord)
{
    const AppError e = testsupport::Raised([] { CutScriptArguments("risunload 'pd_abc'", 2, "risunload"); });
    EXPECT_EQ(e.number(), 450);
    EXPECT_NE(e.description().find("risunload"), std::string::npos);
    EXPECT_NE(e.description().find("2 arguments"), std::string::npos);
    EXPECT_EQ(testsupport::Raised([] { CutScriptArguments("message without quotes", 1, "message"); }).number(), 450);
    EXPECT_EQ(testsupport::Raised([] { CutScriptArguments("message 'unclosed", 1, "message"); }).number(), 5);
    EXPECT_EQ(testsupport::Raised([] { CutScriptArguments("risunload 'a', 'b", 2, "risunload"); }).number(), 5);
}

TEST(ScriptLineTest, ChangeArgumentsAreCutWithQuotesAndEmptyTexts)
{
    const std::pair<const char*, Strings> cases[] = {
        {"change 'f.txt', 'old', 'new'", {"f.txt", "old", "new"}},
        {"change 'f', 'it''s', 'its'", {"f", "it's", "its"}},       // a doubled quote is one quote
        {"change 'f', 'x', 'EMPTY_STRING'", {"f", "x", ""}},        // the empty text deletes
        {"change 'f', 'aEMPTY_STRINGb', 'c'", {"f", "ab", "c"}},
        {"change ' f ', ' a ', ' b '", {" f ", " a ", " b "}},      // blanks are kept
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(CutChangeArguments(line), expected) << line;
}

TEST(ScriptLineTest, ChangeWithTooFewArgumentsIsAnError)
{
    // Once replaced every "x" by "change " (the command word as the third argument).
    EXPECT_EQ(testsupport::Raised([] { CutChangeArguments("change 'f', 'x'"); }).number(), 450);
    // Two adjacent quotes alone are one quote inside an argument, not an empty argument.
    EXPECT_EQ(testsupport::Raised([] { CutChangeArguments("change 'f', 'x', ''"); }).number(), 450);
}

TEST(PlaceholderTest, KeysOfTarnwickAreFilledWithoutRegardToCase)
{
    admintest::AdminFolder folder{"scriptline"};
    WriteIniValue(gIniFile, "TARNWICK", "uservar1", "C:\\dumps");
    WriteIniValue(gIniFile, "TARNWICK", "projname", "abc");
    EXPECT_EQ(SubstituteScriptPlaceholders("\xA7uservar1\xA7\\pd_\xA7PROJNAME\xA7.dmp"), "C:\\dumps\\pd_abc.dmp");
    EXPECT_EQ(SubstituteScriptPlaceholders("\xC2\xA7projname\xC2\xA7"), "abc");
    EXPECT_EQ(SubstituteScriptPlaceholders("\xA7nokey\xA7 stays"), "\xA7nokey\xA7 stays");
    EXPECT_EQ(SubstituteScriptPlaceholders(""), "");
}

} // namespace
