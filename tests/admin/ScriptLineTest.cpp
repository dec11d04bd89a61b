// Script line grammar: comments, command words, argument cutting, change quoting, placeholders.
#include "admin/ScriptLine.h"

#include "platform/AppError.h"
#include "support/Raised.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"

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

struct WordCase {
    const char* word;
    ScriptCommand command;
    int arguments;
};

class CommandWords : public ::testing::TestWithParam<WordCase> {};

TEST_P(CommandWords, AreLookedUpExactly)
{
    EXPECT_EQ(LookupScriptCommand(GetParam().word), GetParam().command);
    EXPECT_EQ(ScriptArgumentCount(GetParam().command), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandWords,
    ::testing::Values(WordCase{"change", ScriptCommand::Change, 3}, WordCase{"doscmd", ScriptCommand::Doscmd, 1},
                      WordCase{"risunload", ScriptCommand::RisUnload, 2},
                      WordCase{"risload", ScriptCommand::RisLoad, 1}, WordCase{"edrisdmp", ScriptCommand::Edrisdmp, 1},
                      WordCase{"cre_dbuser", ScriptCommand::CreDbUser, 1},
                      WordCase{"del_dbuser", ScriptCommand::DelDbUser, 1},
                      WordCase{"cre_schema", ScriptCommand::CreSchema, 1},
                      WordCase{"del_schema", ScriptCommand::DelSchema, 1},
                      WordCase{"append_text", ScriptCommand::AppendText, 2},
                      WordCase{"message", ScriptCommand::Message, 1}, WordCase{"Message", ScriptCommand::Unknown, 0},
                      WordCase{"RISLOAD", ScriptCommand::Unknown, 0}, WordCase{"message'x'", ScriptCommand::Unknown, 0}),
    [](const ::testing::TestParamInfo<WordCase>& i) {
        std::string n;
        for (char c : std::string(i.param.word))
            n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return n + "_" + std::to_string(i.index);
    });

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

struct ChangeCase {
    const char* name;
    std::string line;
    Strings expected;
};

class ChangeLines : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeLines, CutWithQuotesAndEmptyTexts)
{
    EXPECT_EQ(CutChangeArguments(GetParam().line), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ChangeLines,
    ::testing::Values(ChangeCase{"Plain", "change 'f.txt', 'old', 'new'", {"f.txt", "old", "new"}},
                      ChangeCase{"DoubledQuoteIsOneQuote", "change 'f', 'it''s', 'its'", {"f", "it's", "its"}},
                      ChangeCase{"EmptyStringDeletes", "change 'f', 'x', 'EMPTY_STRING'", {"f", "x", ""}},
                      ChangeCase{"EmptyStringInside", "change 'f', 'aEMPTY_STRINGb', 'c'", {"f", "ab", "c"}},
                      ChangeCase{"BlanksKept", "change ' f ', ' a ', ' b '", {" f ", " a ", " b "}}),
    [](const ::testing::TestParamInfo<ChangeCase>& i) { return std::string(i.param.name); });

TEST(ScriptLineTest, ChangeWithTooFewArgumentsIsAnError)
{
    // Once replaced every "x" by "change " (the command word as the third argument).
    EXPECT_EQ(testsupport::Raised([] { CutChangeArguments("change 'f', 'x'"); }).number(), 450);
    // Two adjacent quotes alone are one quote inside an argument, not an empty argument.
    EXPECT_EQ(testsupport::Raised([] { CutChangeArguments("change 'f', 'x', ''"); }).number(), 450);
}

class PlaceholderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedIni_ = gIniFile;
        gIniFile = WinPathFromHost(dir_.host() + "/tarnwick.ini");
        WriteIniValue(gIniFile, "TARNWICK", "uservar1", "C:\\dumps");
        WriteIniValue(gIniFile, "TARNWICK", "projname", "abc");
    }
    void TearDown() override { gIniFile = savedIni_; }

    testsupport::ScopedDir dir_{"scriptline"};
    std::string savedIni_;
};

TEST_F(PlaceholderTest, KeysOfTarnwickAreFilledWithoutRegardToCase)
{
    EXPECT_EQ(SubstituteScriptPlaceholders("\xA7uservar1\xA7\\pd_\xA7PROJNAME\xA7.dmp"), "C:\\dumps\\pd_abc.dmp");
    EXPECT_EQ(SubstituteScriptPlaceholders("\xC2\xA7projname\xC2\xA7"), "abc");
    EXPECT_EQ(SubstituteScriptPlaceholders("\xA7nokey\xA7 stays"), "\xA7nokey\xA7 stays");
    EXPECT_EQ(SubstituteScriptPlaceholders(""), "");
}

} // namespace
