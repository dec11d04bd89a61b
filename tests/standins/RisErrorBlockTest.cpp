// The framed RIS error block, as the system's error reader finds it.
#include "standins/dbserver/RisErrorBlock.h"

#include "dbaccess/RISErrorReader.h"
#include "platform/TextUtil.h"

#include <gtest/gtest.h>

namespace {
std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> l = Split(ReplaceAll(text, "\r", ""), "\n");
    if (!l.empty() && l.back().empty())
        l.pop_back();
    return l;
}
} // namespace

TEST(RisErrorBlock, EveryLineEndsWithAStarInColumn79)
{
    const std::string block = FormatRisErrorBlock("RIS_E_UNKNOWN_RELATION",
                                                  std::string(200, 'x') + " and a tail that must wrap onto more lines");
    const auto l = lines(block);
    ASSERT_GE(l.size(), 5u);
    EXPECT_EQ(l.front(), std::string(79, '*'));
    EXPECT_EQ(l.back(), std::string(79, '*'));
    for (const std::string& line : l) {
        EXPECT_EQ(line.size(), 79u) << line;
        EXPECT_EQ(line.front(), '*');
        EXPECT_EQ(line.find_last_of('*'), 78u);
    }
    EXPECT_NE(l[1].find("RIS Error: RIS_E_UNKNOWN_RELATION"), std::string::npos);
    EXPECT_NE(block.find("\r\n"), std::string::npos);
}

TEST(RisErrorBlock, TheSystemsReaderTakesTheBlockAndPassesOverIndexFailures)
{
    const std::string failure = FormatRisErrorBlock("RIS_E_UNKNOWN_SCHEMA", "Schema 'x' is not defined.");
    const std::string index = FormatRisErrorBlock("RIS_E_CREATE_INDEX", "Cannot create index.");
    EXPECT_EQ(RISErrorText("some progress\r\n" + failure + "done\r\n"), TrimWhite(failure));
    EXPECT_EQ(RISErrorText("Load complete\r\n" + index), "");
    EXPECT_EQ(RISErrorText(index + failure), TrimWhite(failure));
}

TEST(RisErrorBlock, AnErrorOfTheStandInItselfStillHasARisName)
{
    EXPECT_EQ(RisErrorName(AppError(5, "SqliteDb", "disk full")), "RIS_E_INTERNAL_ERROR");
    try {
        RaiseRisError("RIS_E_INV_VALUE", "bad");
    } catch (const AppError& e) {
        EXPECT_EQ(RisErrorName(e), "RIS_E_INV_VALUE");
        EXPECT_EQ(e.description(), "bad");
    }
}
