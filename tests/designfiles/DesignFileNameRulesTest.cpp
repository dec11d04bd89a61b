// Design file naming rules: the name match, the split into base and extension, the refused
// characters.
#include "designfiles/DesignFileNameRules.h"

#include <gtest/gtest.h>

namespace {

struct MatchCase {
    const char* name;
    const char* spec;
    const char* number;
    bool matches;
};

class DesignFileNameRulesMatchTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(DesignFileNameRulesMatchTest, ComparesTheBaseBeforeTheFirstPoint)
{
    EXPECT_EQ(DesignFileNameRules::Matches(GetParam().spec, GetParam().number), GetParam().matches);
}

INSTANTIATE_TEST_SUITE_P(Cases, DesignFileNameRulesMatchTest,
                         ::testing::Values(MatchCase{"SameName", "P101.dgn", "P101", true},
                                           MatchCase{"OtherCase", "p101.DGN", "P101", true},
                                           MatchCase{"NoPoint", "P101", "P101", true},
                                           MatchCase{"LongerBase", "P101A.dgn", "P101", false},
                                           MatchCase{"ShorterBase", "P10.dgn", "P101", false},
                                           MatchCase{"OnlyFirstPointCounts", "P101.x.dgn", "P101", true},
                                           MatchCase{"LeadingPoint", ".dgn", "P101", false},
                                           MatchCase{"BlanksAroundBase", " P101 .dgn", "P101", true},
                                           MatchCase{"NumberWithTrailingBlank", "P101.dgn", "P101 ", false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct SplitCase {
    const char* name;
    const char* spec;
    const char* base;
    const char* extension;
};

class DesignFileNameRulesSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(DesignFileNameRulesSplitTest, SplitsAtTheFirstPoint)
{
    const DesignFileNameRules::Parts parts = DesignFileNameRules::Split(GetParam().spec);
    EXPECT_EQ(parts.base, GetParam().base);
    EXPECT_EQ(parts.extension, GetParam().extension);
}

INSTANTIATE_TEST_SUITE_P(Cases, DesignFileNameRulesSplitTest,
                         ::testing::Values(SplitCase{"Plain", "ABC.dgn", "ABC", ".dgn"},
                                           SplitCase{"TwoPoints", "A.B.dgn", "A", ".B.dgn"},
                                           SplitCase{"NoPoint", "plan", "plan", ""},
                                           SplitCase{"Blanks", " a1 . dgn ", "a1", ". dgn"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct CharCase {
    const char* name;
    const char* text;
    bool refused;
};

class DesignFileNameRulesCharsTest : public ::testing::TestWithParam<CharCase> {};

TEST_P(DesignFileNameRulesCharsTest, RefusesPathAndBlankCharacters)
{
    EXPECT_EQ(DesignFileNameRules::HasSpecialChars(GetParam().text), GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(Cases, DesignFileNameRulesCharsTest,
                         ::testing::Values(CharCase{"HyphenAndUnderscore", "P-100_a.dgn", false},
                                           CharCase{"Blank", "P 100.dgn", true},
                                           CharCase{"TrailingBlank", "P100.dgn ", true},
                                           CharCase{"Slash", "P/100.dgn", true},
                                           CharCase{"Backslash", "P\\100.dgn", true},
                                           CharCase{"Colon", "P:100.dgn", true},
                                           CharCase{"Quote", "P\"1.dgn", true},
                                           CharCase{"Pipe", "P|1.dgn", true},
                                           CharCase{"AllBlank", "   ", false},
                                           CharCase{"Empty", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
