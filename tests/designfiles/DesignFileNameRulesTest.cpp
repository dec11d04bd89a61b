// Design file naming rules: the name match, the split into base and extension, the refused
// characters.
#include "designfiles/DesignFileNameRules.h"

#include <gtest/gtest.h>

namespace {

TEST(DesignFileNameRules, MatchComparesTheTrimmedBaseBeforeTheFirstPoint)
{
    for (const char* spec : {"p101.DGN", "P101", "P101.x.dgn", " P101 .dgn"})
        EXPECT_TRUE(DesignFileNameRules::Matches(spec, "P101")) << spec;
    for (const char* spec : {"P101A.dgn", "P10.dgn", ".dgn"})
        EXPECT_FALSE(DesignFileNameRules::Matches(spec, "P101")) << spec;
    EXPECT_FALSE(DesignFileNameRules::Matches("P101.dgn", "P101 "));
}

TEST(DesignFileNameRules, SplitsAtTheFirstPoint)
{
    const struct {
        const char* spec;
        const char* base;
        const char* extension;
    } cases[] = {{"A.B.dgn", "A", ".B.dgn"}, {"plan", "plan", ""}, {" a1 . dgn ", "a1", ". dgn"}};
    for (const auto& c : cases) {
        EXPECT_EQ(DesignFileNameRules::Split(c.spec).base, c.base) << c.spec;
        EXPECT_EQ(DesignFileNameRules::Split(c.spec).extension, c.extension) << c.spec;
    }
}

TEST(DesignFileNameRules, RefusesPathAndBlankCharacters)
{
    for (const char* refused : {"P 100.dgn", "P100.dgn ", "P/1", "P\\1", "P:1", "P?1", "P\"1", "P<1", "P>1", "P|1"})
        EXPECT_TRUE(DesignFileNameRules::HasSpecialChars(refused)) << refused;
    for (const char* passed : {"P-100_a.dgn", "   ", ""})
        EXPECT_FALSE(DesignFileNameRules::HasSpecialChars(passed)) << passed;
}

} // namespace
