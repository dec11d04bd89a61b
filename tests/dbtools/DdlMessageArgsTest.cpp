// The DDL check window's message template formatting.
#include "dbtools/DdlMessageArgs.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char* name;
    const char* message;
    bool removeAmpersands;
    const char* expected;
};

const FormatCase kCases[] = {
    {"ArgumentsFillTheirPlaceholders", "Column: '%0%' has wrong number: %1%.|||id|||7", true,
     "Column: 'id' has wrong number: 7."},
    {"PlainTextTrimmedWithoutAmpersands", "  Save & exit  ", true, "Save  exit"},
    {"AmpersandsKeptWhenNotAsked", "Save & exit", false, "Save & exit"},
    {"NothingAfterTheSeparatorIsOneEmptyArgument", "Value: %0% |||", true, "Value: "},
    {"SurplusArgumentsIgnoredMissingOnesLeft", "%0% and %1%|||a", true, "a and %1%"},
    {"LaterPlaceholderInAnArgumentIsReplacedToo", "%0% %1%|||%1%|||x", true, "x x"},
    {"BlanksAroundInnerArgumentsStay", " <%0%><%1%><%2%> ||| a ||| b ||| c ", true, "<a >< b >< c>"},
    {"EmptyInnerArgumentsStay", "[%0%][%1%][%2%]|||a||||||c", true, "[a][][c]"},
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class DdlMessageArgsTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(DdlMessageArgsTest, Formats)
{
    std::string text = GetParam().message;
    EXPECT_EQ(ddl::ReplaceMessageArgs(text, GetParam().removeAmpersands), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Templates, DdlMessageArgsTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
