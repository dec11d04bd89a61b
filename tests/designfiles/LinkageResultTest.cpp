// The result file of read_linkage.ma read into the report's discipline and partition texts.
#include "designfiles/LinkageResult.h"

#include <gtest/gtest.h>

TEST(LinkageResult, ReadsDisciplineCodeAndPartition)
{
    const struct {
        const char* content;
        const char* discipline;
        const char* partition;
    } cases[] = {{"1 15", "Piping", "15"},
                 {"2 15", "Equipment", "No partition_no found"},
                 {"3 4", "Unknown", "No partition_no found"},
                 {"", "Unknown", "No partition_no found"},
                 {"1 15\r\n", "Piping", "15\r\n"},
                 {"1\r\n15", "Unknown", "No partition_no found"},
                 {"1 7 x", "Piping", "7"}};
    for (const auto& c : cases) {
        const LinkageResult r = LinkageResult::Parse(c.content);
        EXPECT_EQ(r.discipline, c.discipline) << c.content;
        EXPECT_EQ(r.partition, c.partition) << c.content;
    }
}
