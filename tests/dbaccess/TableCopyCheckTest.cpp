// What stands of a table copy after its load failed, from the rows before and after.
#include "dbaccess/TableCopyCheck.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    int32_t mode;
    std::vector<CopiedTable> before;
    std::vector<CopiedTable> after;
    ChangeState state;
    std::string seen;
};

class CompareCopiedTablesTest : public ::testing::TestWithParam<Case> {};

const std::vector<DumpTableCount> kDumped = {{"tube", 2}, {"valve", 0}};

TEST_P(CompareCopiedTablesTest, SaysWhatStands)
{
    const Case& c = GetParam();
    std::string seen;
    EXPECT_EQ(CompareCopiedTables(kDumped, c.before, c.after, c.mode, seen), c.state);
    EXPECT_EQ(seen, c.seen);
}

const std::vector<CopiedTable> kNoneBefore = {{"tube", false, 0}, {"valve", false, 0}};

INSTANTIATE_TEST_SUITE_P(
    Cases, CompareCopiedTablesTest,
    ::testing::Values(
        Case{"OnlyAnEmptyTableMade", 1, kNoneBefore, {{"tube", false, 0}, {"valve", true, 0}}, ChangeState::NotKnown,
             "table 'tube' is not there, table 'valve' holds 0 rows of the 0 copied"},
        Case{"AppendDone", 2, {{"tube", true, 3}, {"valve", true, 1}}, {{"tube", true, 5}, {"valve", true, 1}},
             ChangeState::Done,
             "table 'tube' holds 5 rows of the 2 copied (3 rows before the load), table 'valve' holds 1 row of the 0 "
             "copied (1 row before the load)"},
        Case{"AppendNotDone", 2, {{"tube", true, 3}, {"valve", true, 1}}, {{"tube", true, 3}, {"valve", true, 1}},
             ChangeState::NotDone,
             "table 'tube' holds 3 rows of the 2 copied (3 rows before the load), table 'valve' holds 1 row of the 0 "
             "copied (1 row before the load)"},
        // Clearing a table whose old rows number the copy's counts as done: nothing tells them apart.
        Case{"ClearOverAsManyRows", 0, {{"tube", true, 2}, {"valve", true, 0}}, {{"tube", true, 2}, {"valve", true, 0}},
             ChangeState::Done,
             "table 'tube' holds 2 rows of the 2 copied (2 rows before the load), table 'valve' holds 0 rows of the 0 "
             "copied (0 rows before the load)"},
        // A table the load dropped and did not make again.
        Case{"ClearedAwayAndNotMade", 0, {{"tube", true, 4}, {"valve", false, 0}}, kNoneBefore, ChangeState::NotKnown,
             "table 'tube' is not there (4 rows before the load), table 'valve' is not there"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
