// SQL quoting helpers.
#include "dbaccess/SqlLiteral.h"

#include <gtest/gtest.h>

TEST(SqlLiteralTest, StringLiteralDoublesQuotes)
{
    EXPECT_EQ(SqlStringLiteral("O'Neil"), "'O''Neil'");
    EXPECT_EQ(SqlStringLiteral(""), "''");
    EXPECT_EQ(SqlStringLiteral("''"), "''''''");
    EXPECT_EQ(SqlStringLiteral(" a "), "' a '");
}

TEST(SqlLiteralTest, QuoteAndEscapeAlone)
{
    EXPECT_EQ(SqlQuote("O'Neil"), "'O'Neil'");
    EXPECT_EQ(SqlEscapeQuotes("a'b'"), "a''b''");
}

TEST(SqlLiteralTest, TextTypes)
{
    for (int16_t t : {8, 72, 129, 130, 200, 201, 202, 203})
        EXPECT_TRUE(IsAdoDataTypeString(t)) << t;
    for (int16_t t : {0, 2, 3, 5, 131, 135, 204})
        EXPECT_FALSE(IsAdoDataTypeString(t)) << t;
}
