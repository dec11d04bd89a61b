// Token splitting and placeholder substitution from the settings file.
#include "services/Tokens.h"

#include "support/Raised.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

struct TokenizeCase {
    const char* name;
    std::string text;
    std::string separators;
    Strings expected;
};

class TokenizeCases : public ::testing::TestWithParam<TokenizeCase> {};

TEST_P(TokenizeCases, Splits)
{
    EXPECT_EQ(Tokenize(GetParam().text, GetParam().separators), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TokenizeCases,
    ::testing::Values(TokenizeCase{"Single", "a", ",", {"a"}},
                      TokenizeCase{"Empty", "", ",", {""}},
                      TokenizeCase{"LoneSeparator", ",", ",", {","}},
                      TokenizeCase{"OnlySeparators", ",,", ",", {}},
                      TokenizeCase{"RunsAndEnds", ",a,,b,", ",", {"a", "b"}},
                      TokenizeCase{"SeveralSeparators", "a;b,c", ",;", {"a", "b", "c"}},
                      TokenizeCase{"NulJoinedSelection", "C:\\dir\0a.dmp\0b.dmp"s, "\0"s, {"C:\\dir", "a.dmp", "b.dmp"}}),
    [](const ::testing::TestParamInfo<TokenizeCase>& i) { return std::string(i.param.name); });

TEST(GetTokensTest, TakesQuotedArguments)
{
    Strings t = GetTokens("unload 'a' to 'b c'", "'", 2);
    ASSERT_EQ(t.size(), 100u);
    EXPECT_EQ(t[0], "");
    EXPECT_EQ(t[1], "a");
    EXPECT_EQ(t[2], "b c");
    for (size_t i = 3; i < 100; ++i)
        EXPECT_EQ(t[i], "");
    EXPECT_EQ(GetTokens("x '' 'y'", "'", 2)[2], "y");
}

TEST(GetTokensTest, MissingPairsGiveEmptyTokensNotTheCommandWord)
{
    Strings t = GetTokens("load 'only'", "'", 3);
    EXPECT_EQ(t[1], "only");
    EXPECT_EQ(t[2], "");
    EXPECT_EQ(t[3], "");
    EXPECT_EQ(GetTokens("load 'unclosed", "'", 1)[1], "");
    EXPECT_EQ(GetTokens("no quotes at all", "'", 1)[1], "");
}

TEST(GetTokensTest, CountOfHundredIsOutOfRange)
{
    EXPECT_NO_THROW(GetTokens("'a'", "'", 99));
    EXPECT_EQ(testsupport::Raised([] { GetTokens("'a'", "'", 100); }).number(), 9);
}

class ReplaceTokensTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"tokens"};
    std::string ini = dir.host() + "/tarnwick.ini";
    const std::string sign = "\xC2\xA7"; // "§" as written in this source file

    void SetUp() override
    {
        std::ofstream(ini, std::ios::binary) << "[TARNWICK]\r\n"
                                                "risdmpdir=d:\\dumps\\\r\n"
                                                "Project=demo\r\n"
                                                "nullish=NULL\r\n"
                                                "lower=null\r\n"
                                                "nested=\xA7project\xA7_x\r\n"
                                                "selfref=a\xA7selfref\xA7\r\n"
                                                "ping=\xA7pong\xA7\r\n"
                                                "pong=\xA7ping\xA7\r\n";
    }
    Strings run(Strings t) { return ReplaceTokensFromIni(t, ini, "TARNWICK", sign); }
};

TEST_F(ReplaceTokensTest, ReplacesTheKeysOfTheSectionAndLeavesWhatItCannotReplace)
{
    const std::string latin1 = "\xA7";
    const std::vector<std::pair<std::string, std::string>> cases{
        {sign + "risdmpdir" + sign + "pd_demo.dmp", "d:\\dumps\\pd_demo.dmp"},
        {latin1 + "risdmpdir" + latin1 + "x", "d:\\dumps\\x"},
        {latin1 + "risdmpdir" + sign + "x", "d:\\dumps\\x"},
        {sign + "nokey" + sign + "\\" + sign + "PROJECT" + sign + "\\" + sign + "Project" + sign,
         sign + "nokey" + sign + "\\demo\\demo"},
        {sign + "nullish" + sign, sign + "nullish" + sign}, // NULL counts as missing
        {sign + "lower" + sign, "null"},
        {sign + "nested" + sign, "demo_x"},
        {sign + " project " + sign + "/" + sign + "project" + sign, sign + " project " + sign + "/demo"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(run({"", in})[1], out) << in;
    Strings latin1Delimiter{"", sign + "project" + sign};
    EXPECT_EQ(ReplaceTokensFromIni(latin1Delimiter, ini, "TARNWICK", latin1)[1], "demo");
    // The command word (element 0) is left, and the first empty element ends the list.
    const std::string p = sign + "project" + sign;
    EXPECT_EQ(run({p, p, "", p}), (Strings{p, "demo", "", p}));
}

TEST_F(ReplaceTokensTest, UnclosedPlaceholderRaisesInvalidArgument)
{
    Strings t{"", sign + "project" + sign + " and " + sign + "open"};
    EXPECT_EQ(testsupport::Raised([&] { ReplaceTokensFromIni(t, ini, "TARNWICK", sign); }).number(), 5);
    EXPECT_EQ(t[1], "demo and " + sign + "open");
}

TEST_F(ReplaceTokensTest, SelfReferenceEndsWithErrorInsteadOfLoopingForever)
{
    for (const char* key : {"selfref", "ping"}) {
        Strings t{"", sign + key + sign};
        const AppError e = testsupport::Raised([&] { ReplaceTokensFromIni(t, ini, "TARNWICK", sign); });
        EXPECT_EQ(e.number(), 1) << key;
        EXPECT_EQ(e.source(), "ReplaceTokensFromIni") << key;
    }
}

} // namespace
