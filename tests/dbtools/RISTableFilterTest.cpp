// The table editor's filter row: clauses by the text's kind, captions, refused filters.
#include "dbtools/RISTableFilter.h"

#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"

#include <gtest/gtest.h>

namespace {

Recordset Models()
{
    Recordset rs;
    rs.Fields().Append("model_no", adVarChar, 21);
    rs.Fields().Append("partition_no", adSmallInt, 2);
    rs.Open();
    rs.AddNew({"model_no", "partition_no"}, {Variant("A1"), Variant(3)});
    rs.AddNew({"model_no", "partition_no"}, {Variant("A2"), Variant(1)});
    rs.AddNew({"model_no", "partition_no"}, {Variant("O'Neil"), Variant(3)});
    rs.AddNew({"model_no", "partition_no"}, {Variant("12"), Variant(2)});
    return rs;
}

TEST(RISTableFilterTest, FiltersTheRecordsetAndCaptions)
{
    const struct {
        const char* modelFilter;
        const char* partitionFilter;
        const char* caption;
    } cases[] = {{"", "", "pdtable_113 - 4 records"},
                 {"a", "", "pdtable_113 - 2 records (filtered)"},
                 {"A", "3", "pdtable_113 - 1 records (filtered)"},
                 {"O'N", "", "pdtable_113 - 1 records (filtered)"},
                 {"12", "", "pdtable_113 - 1 records (filtered)"},  // a number on a text column
                 {"", "x", "pdtable_113 - 0 records (filtered)"}}; // a word on a number column
    for (const auto& c : cases) {
        Recordset rs = Models();
        EXPECT_EQ(RISTableFilter::Apply(&rs, "pdtable_113", {{"model_no", adVarChar, c.modelFilter},
                                                             {"partition_no", adSmallInt, c.partitionFilter}}),
                  c.caption)
            << c.modelFilter << " / " << c.partitionFilter;
    }
}

TEST(RISTableFilterTest, ClearingTheCellsRemovesTheFilter)
{
    Recordset rs = Models();
    RISTableFilter::Apply(&rs, "t", {{"model_no", adVarChar, "A"}});
    EXPECT_EQ(RISTableFilter::Apply(&rs, "t", {{"model_no", adVarChar, ""}}), "t - 4 records");
    EXPECT_EQ(rs.Filter(), "");
}

TEST(RISTableFilterTest, WithoutOpenRecordset)
{
    EXPECT_EQ(RISTableFilter::Apply(nullptr, "", {}), "Please select one table");
    Recordset closed;
    EXPECT_EQ(RISTableFilter::Apply(&closed, "pdtable_113", {}), "pdtable_113 - 0 records");
}

} // namespace
