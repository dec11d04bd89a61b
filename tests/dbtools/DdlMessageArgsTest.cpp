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

TEST(DdlMessageArgsTest, Formats)
{
    for (const FormatCase& c : kCases) {
        std::string text = c.message;
        EXPECT_EQ(ddl::ReplaceMessageArgs(text, c.removeAmpersands), c.expected) << c.name;
    }
}

} // namespace
