// The [Replace] edits of a dump when a file step fails: the dump stays as it was and no
// half-made copy stays in the dump folder, where "Load all dumps" would take it for a dump.
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

std::vector<std::string> filesIn(const std::string& hostDir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(hostDir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(DumpReplacerFailureTest, AFailedStepLeavesTheDumpAndNoCopyBehind)
{
    struct Case {
        const char* name;
        const char* op;
        const char* pathEnd;  // the fault hits this operation on paths ending so
        int err;
        std::vector<std::string> files;  // the folder afterwards
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
        testsupport::WriteHostFile(dir.host() + "/dd_abc.dmp", old);
        SetHostFileFault([&c](const std::string& op, const std::string& host) {
            const std::string end = c.pathEnd;
            return op == c.op && host.size() >= end.size() && host.compare(host.size() - end.size(), end.size(), end) == 0
                       ? c.err
                       : 0;
        });
        EXPECT_THROW(ApplyReplacements(dump, {"srv1"}, {"SRV2"}), AppError);
        SetHostFileFault(nullptr);
        EXPECT_EQ(testsupport::ReadHostFile(dir.host() + "/dd_abc.dmp"), old);
        EXPECT_EQ(filesIn(dir.host()), c.files);
    }
}

TEST(DumpReplacerFailureTest, ALockedDumpIsLeftAloneAndALinkedOneIsEditedThroughItsLinkWithABackup)
{
    testsupport::ScopedDir dir{"replacelink"};
    const std::string real = dir.host() + "/real.dmp", link = dir.host() + "/dd_abc.dmp";
    const std::string old = "default schema dd_abc\r\ninsert 'SRV1' 'a'\r\nother\r\n";
    testsupport::WriteHostFile(real, old);
    std::filesystem::create_symlink("real.dmp", link);
    const std::string dump = WinPathFromHost(link);
    {
        FileLock writer(dump);
        EXPECT_THROW(ApplyReplacements(dump, {"srv1"}, {"SRV2"}), AppError);
    }
    EXPECT_EQ(testsupport::ReadHostFile(real), old);
    EXPECT_EQ(filesIn(dir.host()), (std::vector<std::string>{"dd_abc.dmp", "real.dmp"}));
    EXPECT_TRUE(ApplyReplacements(dump, {"srv1"}, {"SRV2"}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    // Every line ends in CR LF, so the line end the file ended with adds one empty line.
    EXPECT_EQ(testsupport::ReadHostFile(real), "default schema dd_abc\r\ninsert 'SRV2' 'a'\r\nother\r\n\r\n");
    EXPECT_EQ(testsupport::ReadHostFile(link + ".bak"), old);
    EXPECT_EQ(filesIn(dir.host()), (std::vector<std::string>{"dd_abc.dmp", "dd_abc.dmp.bak", "real.dmp"}));
}
