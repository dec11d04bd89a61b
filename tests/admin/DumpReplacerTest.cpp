// The [Replace] edits of a chosen dump: line edits, checked backup, complete replacement.
#include "admin/DumpReplacer.h"

#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

class DumpReplacerTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"replace"};
    std::string host = dir.host() + "/dd_abc.dmp";
    std::string dump = WinPathFromHost(host);

    void write(const std::string& text) { testsupport::WriteHostFile(host, text); }
    std::string read(const std::string& suffix = "") const { return testsupport::ReadHostFile(host + suffix); }
    bool exists(const std::string& suffix = "") const { return std::filesystem::exists(host + suffix); }
};

TEST(ReplaceKeysInLineTest, KeysInAnyCaseValuesAsWritten)
{
    EXPECT_EQ(ReplaceKeysInLine("path \\\\OLD\\share and \\\\old\\x", {"\\\\OLDSERVER", "\\\\Old"}, {"-", "\\\\New"}),
              "path \\\\New\\share and \\\\New\\x");
    EXPECT_EQ(ReplaceKeysInLine("abcabc", {"B"}, {""}), "acac");
    EXPECT_EQ(ReplaceKeysInLine("aaa", {"a"}, {"aa"}), "aaaaaa"); // values are not searched again
    EXPECT_EQ(ReplaceKeysInLine("x1", {"x", "y"}, {"y", "z"}), "z1");   // later keys see earlier edits
}

TEST_F(DumpReplacerTest, UnchangedFileIsNotTouched)
{
    write("default schema dd_abc\r\nnothing here\r\n");
    EXPECT_FALSE(ApplyReplacements(dump, {"srv1"}, {"SRV2"}));
    EXPECT_EQ(read(), "default schema dd_abc\r\nnothing here\r\n");
    EXPECT_FALSE(exists(".bak"));
}

TEST_F(DumpReplacerTest, LastLineWithoutLineEndIsEdited)
{
    write("default schema dd_abc\r\nend SRV1");
    EXPECT_TRUE(ApplyReplacements(dump, {"srv1"}, {"x"}));
    EXPECT_EQ(read(), "default schema dd_abc\r\nend x\r\n");
}

TEST_F(DumpReplacerTest, MissingDumpRaisesAndLeavesNothing)
{
    EXPECT_THROW(ApplyReplacements(dump, {"a"}, {"b"}), AppError);
    EXPECT_FALSE(exists());
    EXPECT_FALSE(exists(".bak"));
}

} // namespace
