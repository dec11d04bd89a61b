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

struct CaptionCase {
    const char* name;
    std::string modelFilter;
    std::string partitionFilter;
    std::string caption;
};

class RISTableFilterApplyTest : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(RISTableFilterApplyTest, FiltersTheRecordsetAndCaptions)
{
    const CaptionCase& c = GetParam();
    Recordset rs = Models();
    const std::string caption = RISTableFilter::Apply(
        &rs, "pdtable_113", {{"model_no", adVarChar, c.modelFilter}, {"partition_no", adSmallInt, c.partitionFilter}});
    EXPECT_EQ(caption, c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, RISTableFilterApplyTest,
    ::testing::Values(CaptionCase{"None", "", "", "pdtable_113 - 4 records"},
                      CaptionCase{"Prefix", "a", "", "pdtable_113 - 2 records (filtered)"},
                      CaptionCase{"PrefixAndNumber", "A", "3", "pdtable_113 - 1 records (filtered)"},
                      CaptionCase{"QuoteInText", "O'N", "", "pdtable_113 - 1 records (filtered)"},
                      CaptionCase{"NumberOnTextColumn", "12", "", "pdtable_113 - 1 records (filtered)"},
                      CaptionCase{"WordOnNumberColumn", "", "x", "pdtable_113 - 0 records (filtered)"}),
    [](const auto& info) { return std::string(info.param.name); });

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
