// The linkage line of stand-in design files and the result text of read_linkage.ma.
#include "standins/mstn/DesignFileLinkage.h"

#include <gtest/gtest.h>

namespace {

TEST(DesignFileLinkageTest, FirstLinkageLineCounts)
{
    const auto linkage = DesignFileLinkage::Read("Stand-in design file\r\n" + DesignFileLinkage::Line("1", "15") +
                                                 DesignFileLinkage::Line("2", "3"));
    ASSERT_TRUE(linkage);
    EXPECT_EQ(DesignFileLinkage::ResultText(linkage), "1 15");
}

TEST(DesignFileLinkageTest, IncompleteOrMissingLineIsNoLinkage)
{
    EXPECT_FALSE(DesignFileLinkage::Read("PDS-LINKAGE 1\r\n"));
    EXPECT_FALSE(DesignFileLinkage::Read("pds-linkage 1 2\r\nStand-in design file\r\n"));
    EXPECT_EQ(DesignFileLinkage::ResultText(DesignFileLinkage::Read("")), "0 0");
}

} // namespace
