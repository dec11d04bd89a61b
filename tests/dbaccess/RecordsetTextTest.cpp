// Query results written as tab-separated text tables with their "Schema.ini" section.
#include "dbaccess/RecordsetText.h"

#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct TypeCase {
    int type;
    long size;
    const char* text;
};

std::ostream& operator<<(std::ostream& os, const TypeCase& c) { return os << c.type << "/" << c.size; }


class SchemaIniTypeTextTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(SchemaIniTypeTextTest, MapsTheFieldType)
{
    EXPECT_EQ(SchemaIniTypeText(GetParam().type, GetParam().size), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Types, SchemaIniTypeTextTest,
                         ::testing::Values(TypeCase{adSmallInt, 2, "short"}, TypeCase{adTinyInt, 1, "short"},
                                           TypeCase{adUnsignedTinyInt, 1, "short"},
                                           TypeCase{adUnsignedSmallInt, 2, "short"}, TypeCase{adInteger, 4, "long"},
                                           TypeCase{adUnsignedInt, 4, "long"}, TypeCase{adBigInt, 8, "long"},
                                           TypeCase{adUnsignedBigInt, 8, "long"}, TypeCase{adNumeric, 19, "long"},
                                           TypeCase{adSingle, 4, "double"}, TypeCase{adDouble, 8, "double"},
                                           TypeCase{adDecimal, 19, "double"}, TypeCase{adVarNumeric, 19, "double"},
                                           TypeCase{adGUID, 16, "char width 38"},
                                           TypeCase{adVarChar, 20, "char width 20"},
                                           TypeCase{adVarChar, 254, "char width 254"},
                                           TypeCase{adVarChar, 255, "char width 240"},
                                           TypeCase{adLongVarChar, 2147483647, "char width 240"}));

TEST(SchemaIniSectionTest, HeaderAndLowerCaseColumnLines)
{
    const std::vector<FieldInfo> fields{{"MODEL_NO", adVarChar, 20}, {"Partition_No", adInteger, 4}};
    EXPECT_EQ(SchemaIniSection("rad1.txt", fields),
              "[rad1.txt]\r\nColNameHeader=False\r\nFormat=TabDelimited\r\nCharacterSet=ANSI\r\n"
              "Col1=model_no char width 20\r\nCol2=partition_no long\r\n");
}

class WriteRecordsetTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        rs_.Fields().Append("n", adInteger, 4);
        rs_.Fields().Append("s", adVarChar, 40);
        rs_.Open();
    }

    std::string Write(bool replaceMinInt, long chunkRows = 10000)
    {
        const std::string path = WinPathFromHost(dir_.host()) + "\\out.txt";
        BinaryFile out;
        out.Open(path, BinaryFile::Mode::Write);
        rows_ = WriteRecordsetText(rs_, out, replaceMinInt, chunkRows);
        out.Close();
        return BinaryFile::ReadAll(path);
    }

    testsupport::ScopedDir dir_{"rstext"};
    Recordset rs_;
    long rows_ = -1;
};

TEST_F(WriteRecordsetTextTest, RowsAsTabSeparatedLinesNullAsNothingQuotesDoubled)
{
    rs_.AddNew({"n", "s"}, {Variant(1), Variant("a \"b\"")});
    rs_.AddNew({"n", "s"}, {Variant::Null(), Variant("x")});
    rs_.AddNew({"n", "s"}, {Variant(3), Variant::Null()});
    EXPECT_EQ(Write(false), "1\ta \"\"b\"\"\r\n\tx\r\n3\t\r\n");
    EXPECT_EQ(rows_, 3);
}

TEST_F(WriteRecordsetTextTest, NoRowsWritesNothing)
{
    EXPECT_EQ(Write(false), "");
    EXPECT_EQ(rows_, 0);
}

TEST_F(WriteRecordsetTextTest, MinSmallintReplacedOnlyAsWholeValue)
{
    rs_.AddNew({"n", "s"}, {Variant(-32768), Variant("-32768")});
    rs_.AddNew({"n", "s"}, {Variant(-327680), Variant("x-32768")});
    rs_.AddNew({"n", "s"}, {Variant(5), Variant("-32768")});
    EXPECT_EQ(Write(true), "0\t0\r\n-327680\tx-32768\r\n5\t0\r\n");
}

TEST_F(WriteRecordsetTextTest, MinSmallintKeptWithoutTheSwitch)
{
    rs_.AddNew({"n", "s"}, {Variant(-32768), Variant("y")});
    EXPECT_EQ(Write(false), "-32768\ty\r\n");
}

TEST_F(WriteRecordsetTextTest, LargeResultInChunksWithEventsBetween)
{
    for (int i = 0; i < 25000; ++i)
        rs_.AddNew({"n", "s"}, {Variant(i), Variant("r" + std::to_string(i))});
    int pumps = 0;
    SetEventPump([&pumps] { ++pumps; });
    const std::string text = Write(false);
    SetEventPump(nullptr);
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(rows_, 25000);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 25000);
    EXPECT_EQ(text.substr(text.size() - 14), "24999\tr24999\r\n");
}

} // namespace
