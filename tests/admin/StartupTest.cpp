// The schema file read at start-up: its lines, whatever ends them, and the names they give.
#include "admin/SchemaNames.h"
#include "admin/TextLines.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupTest, CrLfCrAndLfEachEndALine)
{
    using Strings = std::vector<std::string>;
    EXPECT_EQ(TextLines("SCHNAME=a\rSCHNAME=b\r\n\nSCHNAME=c"), (Strings{"SCHNAME=a", "SCHNAME=b", "", "SCHNAME=c"}));
    EXPECT_TRUE(TextLines("").empty());
}

TEST(StartupTest, SchemaFileLines)
{
    std::string longName(120, 'x');
    std::vector<std::string> lines{"SCHNAME=pd_abc", "SCHNAME=   dd_abc   ", "schname=pd_lower", "OTHER=1",
                                   "SCHNAME=" + longName, " SCHNAME=indented"};
    EXPECT_EQ(SchemaNamesOfLines(lines), (std::vector<std::string>{"pd_abc", "dd_abc", std::string(99, 'x')}));
}

TEST(StartupTest, SchemaFileOfMoreThan9999NamesRaises)
{
    std::vector<std::string> lines(9999, "SCHNAME=s");
    EXPECT_EQ(SchemaNamesOfLines(lines).size(), 9999u);
    lines.push_back("SCHNAME=t");
    EXPECT_THROW(SchemaNamesOfLines(lines), AppError);
}

} // namespace
