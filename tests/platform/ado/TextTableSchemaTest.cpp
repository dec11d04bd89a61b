// "Schema.ini" sections and the splitting of delimited lines.
#include "platform/ado/TextTableSchema.h"

#include "platform/ado/AdoTypes.h"
#include "platform/ado/TextTableLoader.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTableSchemaTest, ReadsTheSectionOfTheFile)
{
    const std::string ini =
        "[other.txt]\r\nFormat=TabDelimited\r\nCol1=x long\r\n"
        "[ABC.TXT]\r\nColNameHeader=False\r\nFormat=Delimited(\x01)\r\nCharacterSet=ANSI\r\n"
        "Col1=a short\r\nCol2=b long\r\nCol3=c double\r\nCol4=d char width 21\r\nCol5=e char width 240\r\nCol6=f char\r\n"
        "Col7=g char width 38\r\n"
        "[next.txt]\r\nCol1=y long\r\n";
    const TextTableSchema s = TextTableSchema::FromIni(ini, "abc.txt");
    EXPECT_EQ(s.format, TextTableSchema::Format::Delimited);
    EXPECT_EQ(s.delimiter, '\x01');
    EXPECT_FALSE(s.colNameHeader);
    ASSERT_EQ(s.columns.size(), 7u);
    const std::pair<int, long> expected[] = {{adSmallInt, 2}, {adInteger, 4},   {adDouble, 8},  {adVarChar, 21},
                                             {adVarChar, 240}, {adVarChar, 255}, {adVarChar, 38}};
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(s.columns[i].adoType, expected[i].first) << s.columns[i].name;
        EXPECT_EQ(s.columns[i].definedSize, expected[i].second) << s.columns[i].name;
    }
    EXPECT_EQ(s.columns[3].name, "d");
}

TEST(TextTableSchemaTest, FormatsAndDefaults)
{
    const TextTableSchema fixed =
        TextTableSchema::FromIni("[f.txt]\nFormat=FixedLength\nCol1=\"a b\" long width 5\n", "f.txt");
    EXPECT_EQ(fixed.format, TextTableSchema::Format::FixedLength);
    ASSERT_EQ(fixed.columns.size(), 1u);
    EXPECT_EQ(fixed.columns[0].name, "a b");
    EXPECT_EQ(fixed.columns[0].width, 5);
    EXPECT_TRUE(fixed.colNameHeader);   // the driver's default

    const TextTableSchema none = TextTableSchema::FromIni("[x.txt]\nFormat=TabDelimited\n", "y.txt");
    EXPECT_EQ(none.format, TextTableSchema::Format::CsvDelimited);
    EXPECT_TRUE(none.columns.empty());
}

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> fields;
};

class SplitDelimitedTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitDelimitedTest, Splits)
{
    EXPECT_EQ(TextTableLoader::SplitDelimited(GetParam().line, '\t'), GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitDelimitedTest,
    ::testing::Values(SplitCase{"Plain", "a\tb\tc", {"a", "b", "c"}},
                      SplitCase{"EmptyFields", "\tb\t", {"", "b", ""}},
                      SplitCase{"DoubledQuotes", "say \"\"hi\"\"\tx", {"say \"hi\"", "x"}},
                      SplitCase{"LeadingDoubledQuote", "\"\"x\"\" y", {"\"x\" y"}},
                      SplitCase{"QuotedWithDelimiter", "\"a\tb\"\tc", {"a\tb", "c"}},
                      SplitCase{"BlanksKept", " a \t", {" a ", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
