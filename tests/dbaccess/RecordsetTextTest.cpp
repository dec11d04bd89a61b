// Query results written as tab-separated text tables: the widest text the driver takes, the
// whole-value replacement of the smallest small integer, and long results in chunks. The plain
// rows and the "Schema.ini" section are checked through the server extraction.
#include "dbaccess/RecordsetText.h"

#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(SchemaIniTypeTextTest, TextsWiderThan254AreCutTo240)
{
    EXPECT_EQ(SchemaIniTypeText(adVarChar, 254), "char width 254");
    EXPECT_EQ(SchemaIniTypeText(adVarChar, 255), "char width 240");
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

TEST_F(WriteRecordsetTextTest, MinSmallintReplacedOnlyAsWholeValue)
{
    rs_.AddNew({"n", "s"}, {Variant(-32768), Variant("-32768")});
    rs_.AddNew({"n", "s"}, {Variant(-327680), Variant("x-32768")});
    rs_.AddNew({"n", "s"}, {Variant(5), Variant("-32768")});
    rs_.AddNew({"n", "s"}, {Variant(6), Variant("x\r-32768")}); // a CR ends no field
    EXPECT_EQ(Write(true), "0\t0\r\n-327680\tx-32768\r\n5\t0\r\n6\tx\r-32768\r\n");
    EXPECT_EQ(Write(false), "-32768\t-32768\r\n-327680\tx-32768\r\n5\t-32768\r\n6\tx\r-32768\r\n");
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
