// The import statements into Access databases.
#include "dbaccess/AccessImport.h"

#include <gtest/gtest.h>

namespace {

TEST(AccessImportTest, NewTableForm)
{
    EXPECT_EQ(AccessImportStatement("models", "C:\\db\\a.mdb", "SELECT * FROM f.txt AS [t]", false),
              "SELECT * INTO [models] IN 'C:\\db\\a.mdb' FROM (SELECT * FROM f.txt AS [t]);");
}

TEST(AccessImportTest, AppendForm)
{
    EXPECT_EQ(AccessImportStatement("models", "C:\\db\\a.mdb", "SELECT * FROM f.txt AS [t]", true),
              "INSERT INTO [models] IN 'C:\\db\\a.mdb' SELECT * FROM (SELECT * FROM f.txt AS [t]);");
}

TEST(AccessImportTest, FinalSemicolonOfTheQueryLeftOut)
{
    EXPECT_EQ(AccessImportStatement("t", "a.mdb", "SELECT 1;", false),
              AccessImportStatement("t", "a.mdb", "SELECT 1", false));
}

TEST(AccessImportTest, BracketInTableAndQuoteInPathEscaped)
{
    EXPECT_EQ(AccessImportStatement("odd]name", "C:\\O'Neil\\a.mdb", "SELECT 1", false),
              "SELECT * INTO [odd]]name] IN 'C:\\O''Neil\\a.mdb' FROM (SELECT 1);");
}

} // namespace
