// Hidden, read-only and in-use attributes.
#include "platform/FileAttributes.h"

#include "platform/HostFiles.h"
#include "support/TestEnvironment.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

class FileAttributesTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"attr"};
    std::string file(const std::string& name, const std::string& text = "x")
    {
        std::string p = dir.host() + "/" + name;
        std::ofstream(p) << text;
        return p;
    }
    void TearDown() override { SetHostFileFault(nullptr); }
};

TEST_F(FileAttributesTest, HiddenIsALeadingDot)
{
    EXPECT_TRUE(IsHiddenName(".profile"));
    EXPECT_FALSE(IsHiddenName("profile.ini"));
    EXPECT_FALSE(IsHiddenName("."));
    EXPECT_FALSE(IsHiddenName(".."));
}

TEST_F(FileAttributesTest, ReadOnlyFollowsTheOwnerWriteBitEvenForRoot)
{
    const std::string f = file("a.txt");
    EXPECT_FALSE(IsReadOnlyFile(f));
    SetReadOnlyFile(f, true);
    EXPECT_TRUE(IsReadOnlyFile(f));
    SetReadOnlyFile(f, false);
    EXPECT_FALSE(IsReadOnlyFile(f));
}

TEST_F(FileAttributesTest, AHeldLockMakesTheFileInUseUntilReleased)
{
    const std::string f = file("out.lis");
    {
        FileLock lock(f);
        ASSERT_TRUE(lock.held());
        EXPECT_TRUE(IsFileLocked(f));
        try {
            CheckOpenExclusive(f);
            FAIL() << "open succeeded while locked";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), kErrPermissionDenied);
        }
    }
    EXPECT_FALSE(IsFileLocked(f));
    EXPECT_NO_THROW(CheckOpenExclusive(f));
}

TEST_F(FileAttributesTest, ExclusiveOpenOfAMissingFileIsFileNotFound)
{
    try {
        CheckOpenExclusive(dir.host() + "/missing.txt");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), kErrFileNotFound);
    }
    EXPECT_FALSE(IsFileLocked(dir.host() + "/missing.txt"));
}

TEST_F(FileAttributesTest, AnInjectedLockFailureCountsAsInUse)
{
    const std::string f = file("b.txt");
    SetHostFileFault([&](const std::string& op, const std::string& host) { return op == "lock" && host == f ? EBUSY : 0; });
    EXPECT_TRUE(IsFileLocked(f));
    EXPECT_THROW(CheckOpenExclusive(f), AppError);
}

} // namespace
