// Start-up texts: log header, schema file lines and the command line.
#include "admin/SchemaNames.h"
#include "admin/Startup.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupTest, LogHeaderHasFourLines)
{
    const LocalTime t{2026, 3, 4, 5, 6, 7};
    auto lines = LogHeaderLines(t);
    EXPECT_EQ(lines[0], std::string(50, '*'));
    EXPECT_EQ(lines[1].substr(0, 9 + 27), " Tarnwick" + std::string(27, ' '));
    EXPECT_EQ(lines[2], " Start Logfile  am 04.03.2026  um 05:06:07");
    EXPECT_EQ(lines[3], std::string(50, '*'));
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
