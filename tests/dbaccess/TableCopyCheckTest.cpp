// What stands of a table copy after its load, from the rows' values before and after.
#include "dbaccess/TableCopyCheck.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

struct Case {
    const char* name;
    int32_t mode;
    bool loadFailed;
    std::vector<CopiedTable> before;
    std::vector<CopiedTable> after;
    ChangeState state;
    std::string seen;
};

class CompareCopiedTablesTest : public ::testing::TestWithParam<Case> {};

// Row hashes stand for the rows' values: the dump's tube holds the rows 1 and 2.
const std::vector<CopiedTable> kDumped = {{"tube", true, 2, {1, 2}}, {"valve", true, 0, {}}};

TEST_P(CompareCopiedTablesTest, SaysWhatStands)
{
    const Case& c = GetParam();
    std::string seen;
    EXPECT_EQ(CompareCopiedTables(kDumped, c.before, c.after, c.mode, c.loadFailed, seen), c.state);
    EXPECT_EQ(seen, c.seen);
}

const std::vector<CopiedTable> kNoneBefore = {{"tube", false, 0, {}}, {"valve", false, 0, {}}};
const std::vector<CopiedTable> kOldRows = {{"tube", true, 2, {7, 8}}, {"valve", true, 0, {}}};
const std::vector<CopiedTable> kOneRowEach = {{"tube", true, 1, {5}}, {"valve", true, 1, {9}}};

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareCopiedTablesTest,
    ::testing::Values(
        Case{"OnlyAnEmptyTableMade", 1, true, kNoneBefore, {{"tube", false, 0, {}}, {"valve", true, 0, {}}},
             ChangeState::NotKnown, "table 'tube' is not there, table 'valve' holds 0 rows (the 0 copied)"},
        Case{"AppendDone", 2, false, kOneRowEach, {{"tube", true, 3, {1, 2, 5}}, {"valve", true, 1, {9}}},
             ChangeState::Done,
             "table 'tube' holds 3 rows (its 1 from before the load and the 2 copied), table 'valve' holds 1 row (the "
             "same as before the load, which are also the 0 copied)"},
        Case{"AppendNotDone", 2, true, kOneRowEach, kOneRowEach, ChangeState::NotDone,
             "table 'tube' holds 1 row (the same as before the load), table 'valve' holds 1 row (the same as before "
             "the load, which are also the 0 copied)"},
        // As many rows before and after: the values tell the old rows from the copy's.
        Case{"ClearOverAsManyOldRowsLeftThem", 0, false, kOldRows, kOldRows, ChangeState::NotDone,
             "table 'tube' holds 2 rows (the same as before the load), table 'valve' holds 0 rows (the same as before "
             "the load, which are also the 0 copied)"},
        // Old rows that are the copy's own: the load's end decides, a failure stands.
        Case{"RefusedOverTheCopysOwnRows", 1, true, kDumped, kDumped, ChangeState::NotDone,
             "table 'tube' holds 2 rows (the same as before the load, which are also the 2 copied), table 'valve' "
             "holds 0 rows (the same as before the load, which are also the 0 copied)"},
        // A table the load dropped and did not make again.
        Case{"ClearedAwayAndNotMade", 0, true, {{"tube", true, 4, {1, 2, 3, 4}}, {"valve", false, 0, {}}},
             kNoneBefore, ChangeState::NotKnown,
             "table 'tube' is not there (it held 4 rows before the load), table 'valve' is not there"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

namespace {

struct ValueCase {
    const char* name;
    std::optional<std::string> value;
    bool charColumn;
    std::optional<std::string> compared;
};

class ComparedValueTest : public ::testing::TestWithParam<ValueCase> {};

// A char value compares blank-padded, from either layout: the fixed one's reading already made
// a field of blanks NULL where the column takes NULL.
TEST_P(ComparedValueTest, ComparesAsTheServerDoes)
{
    const ValueCase& c = GetParam();
    EXPECT_EQ(ComparedValue(c.value, c.charColumn), c.compared);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComparedValueTest,
    ::testing::Values(ValueCase{"TrailingBlanksOfACharValue", "ab  ", true, "ab"},
                      ValueCase{"LeadingBlanksCount", "  ab", true, "  ab"},
                      ValueCase{"OtherWhiteSpaceCounts", "ab\t", true, "ab\t"},
                      ValueCase{"BlanksOnlyStayAText", "   ", true, ""},
                      ValueCase{"OneBlankIsTheSameText", " ", true, ""},
                      ValueCase{"NullStaysNull", std::nullopt, true, std::nullopt},
                      ValueCase{"ANumberAsItStands", "2.50", false, "2.50"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
