// The [Replace] edits of a chosen dump: line edits and a checked backup; when a file step fails
// the dump stays as it was and no half-made copy stays in the dump folder, where "Load all
// dumps" would take it for a dump.
#include "admin/DumpReplacer.h"

#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

using testsupport::FilesIn;
using testsupport::ReadHostFile;
using testsupport::WriteHostFile;
using Strings = std::vector<std::string>;

TEST(ReplaceKeysInLineTest, KeysInAnyCaseValuesAsWritten)
{
    EXPECT_EQ(ReplaceKeysInLine("path \\\\OLD\\share and \\\\old\\x", {"\\\\OLDSERVER", "\\\\Old"}, {"-", "\\\\New"}),
              "path \\\\New\\share and \\\\New\\x");
    EXPECT_EQ(ReplaceKeysInLine("abcabc", {"B"}, {""}), "acac");
    EXPECT_EQ(ReplaceKeysInLine("aaa", {"a"}, {"aa"}), "aaaaaa"); // values are not searched again
    EXPECT_EQ(ReplaceKeysInLine("x1", {"x", "y"}, {"y", "z"}), "z1");   // later keys see earlier edits
}

TEST(DumpReplacerTest, AnUnchangedDumpIsNotTouchedAndAMissingOneLeavesNothing)
{
    testsupport::ScopedDir dir{"replace"};
    const std::string host = dir.host() + "/dd_abc.dmp", dump = WinPathFromHost(host);
    EXPECT_THROW(ApplyReplacements(dump, {"a"}, {"b"}), AppError);
    EXPECT_EQ(FilesIn(dir.host()), Strings{});
    WriteHostFile(host, "default schema dd_abc\r\nnothing here\r\n");
    EXPECT_FALSE(ApplyReplacements(dump, {"srv1"}, {"SRV2"}));
    EXPECT_EQ(ReadHostFile(host), "default schema dd_abc\r\nnothing here\r\n");
    EXPECT_EQ(FilesIn(dir.host()), Strings{"dd_abc.dmp"});
    // A last line without its line end is edited too; a CR in a row's value stays.
    WriteHostFile(host, "default schema dd_abc\r\n1 'a\rb' 'srv1\r' \r\nend SRV1");
    EXPECT_TRUE(ApplyReplacements(dump, {"srv1"}, {"x"}));
    EXPECT_EQ(ReadHostFile(host), "default schema dd_abc\r\n1 'a\rb' 'x\r' \r\nend x\r\n");
}

TEST(DumpReplacerFailureTest, AFailedStepLeavesTheDumpAndNoCopyBehind)
{
    struct Case {
        const char* name;
        const char* op;
        const char* pathEnd;  // the fault hits this operation on paths ending so
        int err;
        Strings files;  // the folder afterwards
    };
    const std::vector<Case> cases = {
        {"edited copy not written (disk full)", "write", "dd_abc.dmp", ENOSPC, {"dd_abc.dmp"}},
        {"backup not written", "copy", ".bak", EACCES, {"dd_abc.dmp"}},
        {"edited copy not put in place", "flush", "dd_abc.dmp", EIO, {"dd_abc.dmp", "dd_abc.dmp.bak"}},
    };
    const std::string old = "default schema dd_abc\r\ninsert 'SRV1' 'a'\r\n";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScopedDir dir{"replacefail"};
        const std::string dump = WinPathFromHost(dir.host()) + "\\dd_abc.dmp";
        WriteHostFile(dir.host() + "/dd_abc.dmp", old);
        SetHostFileFault([&c](const std::string& op, const std::string& host) {
            const std::string end = c.pathEnd;
            return op == c.op && host.size() >= end.size() && host.compare(host.size() - end.size(), end.size(), end) == 0
                       ? c.err
                       : 0;
        });
        EXPECT_THROW(ApplyReplacements(dump, {"srv1"}, {"SRV2"}), AppError);
        SetHostFileFault(nullptr);
        EXPECT_EQ(ReadHostFile(dir.host() + "/dd_abc.dmp"), old);
        EXPECT_EQ(FilesIn(dir.host()), c.files);
    }
}

// A backup copy that fails beside an older backup of another content: the dump is not edited,
// the older backup stays, and the error says what stands.
TEST(DumpReplacerFailureTest, WithoutAWholeBackupTheDumpIsNotEdited)
{
    testsupport::ScopedDir dir{"replacebak"};
    const std::string host = dir.host() + "/dd_abc.dmp", dump = WinPathFromHost(host);
    const std::string old = "default schema dd_abc\r\ninsert 'SRV1' 'a'\r\n";
    WriteHostFile(host, old);
    WriteHostFile(host + ".bak", "default schema dd_abc\r\ninsert 'SRV0' 'a'\r\n");
    SetHostFileFault([](const std::string& op, const std::string& h) {
        return op == "copy" && h.size() > 4 && h.compare(h.size() - 4, 4, ".bak") == 0 ? ENOSPC : 0;
    });
    std::string said;
    try {
        ApplyReplacements(dump, {"srv1"}, {"SRV2"});
    } catch (const AppError& e) {
        said = e.description();
    }
    SetHostFileFault(nullptr);
    EXPECT_EQ(ReadHostFile(host), old);
    EXPECT_EQ(ReadHostFile(host + ".bak"), "default schema dd_abc\r\ninsert 'SRV0' 'a'\r\n");
    EXPECT_EQ(FilesIn(dir.host()), (Strings{"dd_abc.dmp", "dd_abc.dmp.bak"}));
    EXPECT_NE(said.find("What stands: '" + dump + ".bak' differs from '" + dump + "' at byte 35"), std::string::npos)
        << said;
    EXPECT_NE(said.find("'" + dump + "' was left unchanged."), std::string::npos) << said;
}

TEST(DumpReplacerFailureTest, ALockedDumpIsLeftAloneAndALinkedOneIsEditedThroughItsLinkWithABackup)
{
    testsupport::ScopedDir dir{"replacelink"};
    const std::string real = dir.host() + "/real.dmp", link = dir.host() + "/dd_abc.dmp";
    const std::string old = "default schema dd_abc\r\ninsert 'SRV1' 'a'\r\nother\r\n";
    WriteHostFile(real, old);
    std::filesystem::create_symlink("real.dmp", link);
    const std::string dump = WinPathFromHost(link);
    {
        FileLock writer(dump);
        EXPECT_THROW(ApplyReplacements(dump, {"srv1"}, {"SRV2"}), AppError);
    }
    EXPECT_EQ(ReadHostFile(real), old);
    EXPECT_EQ(FilesIn(dir.host()), (Strings{"dd_abc.dmp", "real.dmp"}));
    EXPECT_TRUE(ApplyReplacements(dump, {"srv1"}, {"SRV2"}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    // Every line ends in CR LF, so the line end the file ended with adds one empty line.
    EXPECT_EQ(ReadHostFile(real), "default schema dd_abc\r\ninsert 'SRV2' 'a'\r\nother\r\n\r\n");
    EXPECT_EQ(ReadHostFile(link + ".bak"), old);
    EXPECT_EQ(FilesIn(dir.host()), (Strings{"dd_abc.dmp", "dd_abc.dmp.bak", "real.dmp"}));
}

} // namespace
