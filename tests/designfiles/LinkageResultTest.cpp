// The result file of read_linkage.ma read into the report's discipline and partition texts.
#include "designfiles/LinkageResult.h"

#include <gtest/gtest.h>

namespace {

struct ResultCase {
    const char* name;
    const char* content;
    const char* discipline;
    const char* partition;
};

class LinkageResultTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(LinkageResultTest, ReadsDisciplineCodeAndPartition)
{
    const LinkageResult r = LinkageResult::Parse(GetParam().content);
    EXPECT_EQ(r.discipline, GetParam().discipline);
    EXPECT_EQ(r.partition, GetParam().partition);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkageResultTest,
    ::testing::Values(ResultCase{"Piping", "1 15", "Piping", "15"},
                      ResultCase{"EquipmentHasNoPartition", "2 15", "Equipment", "No partition_no found"},
                      ResultCase{"OtherCode", "3 4", "Unknown", "No partition_no found"},
                      ResultCase{"Empty", "", "Unknown", "No partition_no found"},
                      ResultCase{"LineBreakKept", "1 15\r\n", "Piping", "15\r\n"},
                      ResultCase{"TwoLinesAreOneField", "1\r\n15", "Unknown", "No partition_no found"},
                      ResultCase{"PipingWithoutPartition", "1", "Piping", "No partition_no found"},
                      ResultCase{"FurtherFieldsIgnored", "1 7 x", "Piping", "7"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
