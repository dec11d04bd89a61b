// Filter texts, captions and header-click sorting of the list grid.
#include "ui/qt/ListFilter.h"

#include "ui/qt/ListSort.h"
#include "admin/ListSources.h"
#include "platform/ado/AdoTypes.h"

#include <gtest/gtest.h>

namespace {

TEST(ListFilterTest, TextCellsArePrefixMatchesOtherCellsDates)
{
    EXPECT_EQ(ListFilter::Build({{"schema_name", adVarWChar, "PD"}}), "schema_name LIKE 'PD*'");
    EXPECT_EQ(ListFilter::Build({{"a", adVarWChar, ""}, {"b", adVarWChar, "x"}, {"c", adDate, "2024-01-31"}}),
              "b LIKE 'x*' AND c = #2024-01-31#");
    EXPECT_EQ(ListFilter::Build({{"a", adVarWChar, ""}}), "");
    // A quote in the cell stays part of the text instead of ending it.
    EXPECT_EQ(ListFilter::Build({{"a", adVarWChar, "o'r"}}), "a LIKE 'o''r*'");
}

class ListFilterApplyTest : public ::testing::Test {
protected:
    Recordset rs = ListSources::SchemaRecordset({"pd_abc", "dd_abc", "PD_xyz", "m_abc"});
};

TEST_F(ListFilterApplyTest, ARefusedFilterListsNothingAndLeavesTheRecordsetUnfiltered)
{
    ListFilter::Apply(&rs, {{"schema_name", adVarWChar, "pd"}});
    EXPECT_EQ(ListFilter::Apply(&rs, {{"no_such_field", adVarWChar, "x"}}), "0 records");
    EXPECT_EQ(rs.Filter(), "");
    EXPECT_EQ(rs.RecordCount(), 4);
}

TEST(ListFilterCaptionTest, ClosedOrMissingRecordsetsHaveNoRecords)
{
    EXPECT_EQ(ListFilter::Apply(nullptr, {}), "0 records");
    Recordset closed;
    EXPECT_EQ(ListFilter::Apply(&closed, {}), "0 records");
    Recordset empty = ListSources::SchemaRecordset({});
    EXPECT_EQ(ListFilter::Apply(&empty, {}), "0 records");
}

TEST(ListSortTest, FirstColumnStartsDescendingOthersAscending)
{
    ListSort sort;
    EXPECT_EQ(sort.Click(0, "schema_name"), "schema_name Desc");
    EXPECT_EQ(sort.Click(0, "schema_name"), "schema_name Asc");
    EXPECT_EQ(sort.Click(0, "schema_name"), "schema_name Desc");
    EXPECT_EQ(sort.Click(1, "b"), "b Asc");
    EXPECT_EQ(sort.Click(1, "b"), "b Desc");
    EXPECT_EQ(sort.Click(0, "a"), "a Asc");
    EXPECT_EQ(sort.rememberedColumn(), 0);
}

} // namespace
