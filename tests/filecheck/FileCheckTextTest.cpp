// Key patterns, replacement without regard to case and filter literals.
#include "filecheck/FileCheckText.h"

#include <gtest/gtest.h>

struct PatternCase {
    const char* pattern;
    const char* text;
    bool matches;
};

class KeyPatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(KeyPatternTest, Matches)
{
    EXPECT_EQ(MatchesKeyPattern(GetParam().pattern, GetParam().text), GetParam().matches) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Restores, KeyPatternTest,
    ::testing::Values(PatternCase{"Discipline*Model*File*", "Discipline1ModelP1FileFILE_NOT_FOUNDp.dgn", true},
                      PatternCase{"Discipline*Model*File*", "Discipline1ModelP1File", true},
                      PatternCase{"Discipline*Model*File*", "Discipline1ModelP1Errorpath_name", false},
                      PatternCase{"Discipline*Model*File*", "discipline1ModelP1File", false},
                      PatternCase{"Discipline*Model*File*", "Discipline1Area3", false},
                      PatternCase{"DrawingType*Drawing*File*", "DrawingType5DrawingA-100File\\\\s\\a.dwg", true},
                      PatternCase{"DrawingType*Drawing*File*", "DrawingType5DrawingA-100", false}));

TEST(FileCheckText, ReplaceNoCaseAndCriteriaText)
{
    EXPECT_EQ(ReplaceNoCase("P101.DGN", ".dgn", ".arc"), "P101.arc");
    EXPECT_EQ(ReplaceNoCase("a.dgn.Dgn", ".dgn", ".x"), "a.x.x");
    EXPECT_EQ(ReplaceNoCase("nodgn", ".dgn", ".x"), "nodgn");
    EXPECT_EQ(CriteriaText("Bob's"), "'Bob''s'");
}

TEST(FileCheckText, PassOnAsDescriptionPutsTheSourceInFront)
{
    const AppError inner(5, "CRIS::DBRead", "no table");
    const AppError e = PassOnAsDescription(inner, "CheckModels");
    EXPECT_EQ(e.number(), 5);
    EXPECT_EQ(e.source(), "CheckModels");
    EXPECT_EQ(e.description(), "CRIS::DBRead: no table");
    EXPECT_EQ(PassOnAsDescription(AppError(1, kAppTitle, "x"), "F").description(), "x");
}
