// The [Replace] edits of a chosen dump: line edits, checked backup, complete replacement.
#include "admin/DumpReplacer.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class DumpReplacerTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"replace"};
    std::string dump = WinPathFromHost(dir.host()) + "\\dd_abc.dmp";

    void write(const std::string& text)
    {
        BinaryFile f;
        f.Open(dump, BinaryFile::Mode::Write);
        f.Write(text);
    }
    static std::string read(const std::string& path) { return BinaryFile::ReadAll(path); }
    bool exists(const std::string& path)
    {
        try {
            BinaryFile::ReadAll(path);
            return true;
        } catch (const AppError&) {
            return false;
        }
    }
};

TEST(ReplaceKeysInLineTest, KeysInAnyCaseValuesAsWritten)
{
    EXPECT_EQ(ReplaceKeysInLine("path \\\\OLD\\share and \\\\old\\x", {"\\\\OLDSERVER", "\\\\Old"}, {"-", "\\\\New"}),
              "path \\\\New\\share and \\\\New\\x");
    EXPECT_EQ(ReplaceKeysInLine("abcabc", {"B"}, {""}), "acac");
    EXPECT_EQ(ReplaceKeysInLine("aaa", {"a"}, {"aa"}), "aaaaaa"); // values are not searched again
    EXPECT_EQ(ReplaceKeysInLine("x1", {"x", "y"}, {"y", "z"}), "z1");   // later keys see earlier edits
}

TEST_F(DumpReplacerTest, ChangedFileKeepsBackupAndGainsOneEmptyLine)
{
    const std::string old = "default schema dd_abc\r\ninsert 'SRV1' 'a'\r\nother\r\n";
    write(old);
    EXPECT_TRUE(ApplyReplacements(dump, {"srv1"}, {"SRV2"}));
    EXPECT_EQ(read(dump), "default schema dd_abc\r\ninsert 'SRV2' 'a'\r\nother\r\n\r\n");
    EXPECT_EQ(read(dump + ".bak"), old);
}

TEST_F(DumpReplacerTest, UnchangedFileIsNotTouched)
{
    write("default schema dd_abc\r\nnothing here\r\n");
    EXPECT_FALSE(ApplyReplacements(dump, {"srv1"}, {"SRV2"}));
    EXPECT_EQ(read(dump), "default schema dd_abc\r\nnothing here\r\n");
    EXPECT_FALSE(exists(dump + ".bak"));
}

TEST_F(DumpReplacerTest, LastLineWithoutLineEndIsEdited)
{
    write("default schema dd_abc\r\nend SRV1");
    EXPECT_TRUE(ApplyReplacements(dump, {"srv1"}, {"x"}));
    EXPECT_EQ(read(dump), "default schema dd_abc\r\nend x\r\n");
}

TEST_F(DumpReplacerTest, MissingDumpRaisesAndLeavesNothing)
{
    EXPECT_THROW(ApplyReplacements(dump, {"a"}, {"b"}), AppError);
    EXPECT_FALSE(exists(dump));
    EXPECT_FALSE(exists(dump + ".bak"));
}

} // namespace
