// The backup before a file edit: whatever the copy says, the backup counts only when it holds
// the file's bytes, and a failed copy is followed by a look that says what stands.
#include "services/WholeBackup.h"

#include "platform/WinPath.h"
#include "services/FileOpError.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace {

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

const std::string kContent = "default schema dd_abc\r\ninsert 'SRV1' 'a'\r\n";

struct Case {
    const char* name;
    std::optional<std::string> olderBackup;                // a backup there before the run
    std::function<bool(const std::string& host)> copy;      // the copy step, given the backup's host path
    ChangeState state;
    bool callFailed;
    const char* seen;     // part of what the look says; "" when no look ran
    std::optional<std::string> backupAfter;  // nullopt: no backup afterwards
};

bool failWith(const char* what)
{
    RestoreFileOpError({61, "CopyFileA", what});
    return false;
}

TEST(WholeBackupTest, TheBackupCountsOnlyWhenItHoldsTheFilesBytes)
{
    const std::string other = std::string(kContent.size() - 3, 'x') + "\r\n.";
    const Case cases[] = {
        {"the copy works", std::nullopt, [](const std::string& h) { WriteHostFile(h, kContent); return true; },
         ChangeState::Done, false, "", kContent},
        {"the copy does its work and then fails", std::nullopt,
         [](const std::string& h) { WriteHostFile(h, kContent); return failWith("Disk full"); }, ChangeState::Done,
         true, "holds the same 42 bytes", kContent},
        {"the copy fails before writing", std::nullopt, [](const std::string&) { return failWith("Disk full"); },
         ChangeState::NotDone, true, "is not there", std::nullopt},
        {"the copy leaves half a file and says it worked", std::nullopt,
         [](const std::string& h) { WriteHostFile(h, kContent.substr(0, 10)); return true; }, ChangeState::NotKnown,
         true, "holds 10 bytes", kContent.substr(0, 10)},
        {"the copy fails and an older backup of another content stands", other,
         [](const std::string&) { return failWith("Disk full"); }, ChangeState::NotKnown, true,
         "differs from", other},
        {"the copy fails and an older backup of the same content stands", kContent,
         [](const std::string&) { return failWith("Disk full"); }, ChangeState::Done, true, "holds the same",
         kContent},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::ScopedDir dir{"wholebackup"};
        const std::string host = dir.host() + "/f.dmp", file = WinPathFromHost(host);
        WriteHostFile(host, kContent);
        if (c.olderBackup)
            WriteHostFile(host + ".bak", *c.olderBackup);
        const ChangeOutcome o = MakeWholeBackup(file, file + ".bak", [&] { return c.copy(host + ".bak"); });
        EXPECT_EQ(o.state, c.state);
        EXPECT_EQ(o.CallFailed(), c.callFailed) << o.failure;
        EXPECT_NE(o.seen.find(c.seen), std::string::npos) << o.seen;
        EXPECT_EQ(ReadHostFile(host), kContent);
        if (c.backupAfter)
            EXPECT_EQ(ReadHostFile(host + ".bak"), *c.backupAfter); // never deleted nor replaced by the look
        else
            EXPECT_FALSE(std::filesystem::exists(host + ".bak"));
    }
}

TEST(WholeBackupTest, TheRefusalNamesTheFailureWhatStandsAndTheUnchangedFile)
{
    testsupport::ScopedDir dir{"wholebackup"};
    const std::string host = dir.host() + "/f.dmp", file = WinPathFromHost(host);
    WriteHostFile(host, kContent);
    const ChangeOutcome o = MakeWholeBackup(file, file + ".bak", [] { return failWith("Disk full"); });
    EXPECT_EQ(BackupRefusal(o, file, file + ".bak"),
              "The backup of '" + file + "' to '" + file + ".bak' was not done: Disk full; '" + file +
                  ".bak' is not there. '" + file + "' was left unchanged.");
}

} // namespace
