// Unload and load requests as the clients take them from their command lines.
#include "standins/dbserver/RisTransferRequest.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {
RisTransferRequest parse(const std::string& line)
{
    return RisTransferRequest::Parse(RisTransferRequest::SplitWords(line));
}
} // namespace

TEST(RisTransferRequest, MainWindowUnload)
{
    auto r = parse("pd_abc table with var data all index all grant all view all");
    EXPECT_EQ(r.schema, "pd_abc");
    EXPECT_TRUE(r.withData);
    EXPECT_TRUE(r.variable);
    EXPECT_TRUE(r.tables.all);
    EXPECT_TRUE(r.indexes.all && r.grants.all && r.views.all);
}

TEST(RisTransferRequest, ListingOfOneTable)
{
    auto r = parse("pd_abc table pdtable_113");
    EXPECT_FALSE(r.withData);
    EXPECT_FALSE(r.tables.all);
    ASSERT_EQ(r.tables.names.size(), 1u);
    EXPECT_TRUE(r.tables.Contains("PDTABLE_113"));
    EXPECT_FALSE(r.indexes.given);
}

TEST(RisTransferRequest, ParameterFileWithConditions)
{
    auto r = parse("pd_abc table with data pdtable_113 where \" model_index_no = 5 \" pdtable_114 view all index "
                   "pdtable_113 pdtable_114 grant pdtable_113 pdtable_114");
    EXPECT_FALSE(r.variable);
    ASSERT_EQ(r.tables.names.size(), 2u);
    EXPECT_EQ(r.tables.ConditionFor("pdtable_113"), "model_index_no = 5");
    EXPECT_EQ(r.tables.ConditionFor("pdtable_114"), "");
    EXPECT_TRUE(r.views.all);
    EXPECT_TRUE(r.indexes.Contains("pdtable_114"));
    EXPECT_FALSE(r.grants.Contains("pdtable_115"));
}

TEST(RisTransferRequest, LoadModes)
{
    EXPECT_EQ(parse("pd_abc clear table with data all view all index all grant all").mode, "clear");
    EXPECT_EQ(parse("pd_abc new table with data all").mode, "new");
    EXPECT_EQ(parse("pd_abc table with data all").mode, "");
}

TEST(RisTransferRequest, RefusesIncompleteRequests)
{
    for (const char* bad : {"", "pd_abc", "pd_abc table", "pd_abc table with all", "pd_abc table all index"})
        EXPECT_THROW(parse(bad), AppError) << bad;
}
