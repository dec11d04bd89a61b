// Whole-file reads, chunked replacement and appending.
#include "services/FileContents.h"

#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

class FileContentsTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"contents"};
    std::string file = dir.host() + "/data.dmp";

    void TearDown() override { SetHostFileFault(nullptr); }
    void put(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    static std::string read(const std::string& path) { return testsupport::ReadHostFile(path); }
    static size_t entries(const std::string& folder)
    {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
};

TEST_F(FileContentsTest, ReadFile2StringKeepsEveryByte)
{
    const std::string bytes = "a\r\nb\0c\xFF\n"s;
    put(bytes);
    EXPECT_EQ(ReadFile2String(file), bytes);
    EXPECT_EQ(gFileOpErrNumber, 0);
}

struct LinesCase {
    const char* name;
    std::string bytes;
    Strings lines;
};

class ReadFile2ArrayCases : public FileContentsTest, public ::testing::WithParamInterface<LinesCase> {};

TEST_P(ReadFile2ArrayCases, SplitsAtLineFeeds)
{
    put(GetParam().bytes);
    EXPECT_EQ(ReadFile2Array(file), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Files, ReadFile2ArrayCases,
                         ::testing::Values(LinesCase{"CrLf", "a\r\nb\r\n", {"a", "b", ""}},
                                           LinesCase{"Lf", "a\nb\n", {"a", "b", ""}},
                                           LinesCase{"NoFinalBreak", "a\r\nb", {"a", "b"}},
                                           LinesCase{"Empty", "", {}}),
                         [](const ::testing::TestParamInfo<LinesCase>& i) { return std::string(i.param.name); });

TEST_F(FileContentsTest, MissingFileReadsEmptyWithErrorRecorded)
{
    EXPECT_EQ(ReadFile2String(file), "");
    EXPECT_EQ(gFileOpErrNumber, 1);
    EXPECT_EQ(gFileOpErrSource, "ReadFile2String");
    EXPECT_TRUE(ReadFile2Array(file).empty());
    EXPECT_EQ(gFileOpErrNumber, 1);
    EXPECT_EQ(gFileOpErrSource, "ReadFile2Array: ReadFile2String");
}

// A dump of many short lines with the search text in different letter case on each; with a
// chunk of 37 bytes the chunk ends fall everywhere inside the lines.
TEST_F(FileContentsTest, ReplacesWithoutRegardToCaseAcrossChunkBoundaries)
{
    std::string original, expected;
    for (int i = 0; i < 200; ++i) {
        const std::string eol = i % 3 ? "\r\n" : "\n";
        const std::string word = i % 2 ? "char(2)" : "CHAR(2)";
        original += "insert " + std::to_string(i) + " " + word + " x" + std::string(i % 7, 'y') + eol;
        expected += "insert " + std::to_string(i) + " char(10) x" + std::string(i % 7, 'y') + eol;
    }
    original += "last Char(2)"; // no final line break
    expected += "last char(10)";
    put(original);
    ReplaceInFile(file, "char(2)", "char(10)", 37);
    EXPECT_EQ(gFileOpErrNumber, 0);
    EXPECT_EQ(read(file), expected);
}

TEST_F(FileContentsTest, PairsApplyInOrderAndOnlyWhereBothListsHaveOne)
{
    put("aaa bbb ccc\r\n");
    ReplaceInFile(file, Strings{"A", "b", "c"}, Strings{"b", "X"}, 5);
    EXPECT_EQ(read(file), "XXX XXX ccc\r\n");
    ReplaceInFile(file, Strings{"  ", ""}, Strings{"z", "z"});
    EXPECT_EQ(read(file), "XXX XXX ccc\r\n");
    // Inserted text is not scanned again.
    ReplaceInFile(file, "X", "XX");
    EXPECT_EQ(read(file), "XXXXXX XXXXXX ccc\r\n");
}

TEST_F(FileContentsTest, MissingFileRecordsNumberTwoAndMakesNoWorkFile)
{
    const std::string temp = GetEnvVar("TEMP");
    const size_t before = entries(temp);
    ReplaceInFile(file, "a", "b");
    EXPECT_EQ(gFileOpErrNumber, 2);
    EXPECT_EQ(entries(temp), before);
}

TEST_F(FileContentsTest, MissingWorkFolderRecordsNumberThree)
{
    put("a\n");
    const std::string savedTemp = GetEnvVar("TEMP"), savedDir = gTempDir;
    gTempDir = "";
    SetEnvVar("TEMP", dir.host() + "/gone");
    ReplaceInFile(file, "a", "b");
    SetEnvVar("TEMP", savedTemp);
    gTempDir = savedDir;
    EXPECT_EQ(gFileOpErrNumber, 3);
    EXPECT_EQ(read(file), "a\n");
}

struct SwapFault {
    const char* name;
    const char* op;
    bool onOriginal; // the fault strikes only operations on the edited file itself
    int err;
    long number;
};

class ReplaceSwapFailures : public FileContentsTest, public ::testing::WithParamInterface<SwapFault> {};

// Whatever fails while the finished work file is put in place, the original keeps every byte
// and no work file is left behind.
TEST_P(ReplaceSwapFailures, LeaveOriginalUntouched)
{
    const std::string original = "create schema pd_x\r\n" + std::string(5000, 'q') + "\r\n";
    put(original);
    const std::string temp = GetEnvVar("TEMP");
    const size_t tempBefore = entries(temp), dirBefore = entries(dir.host());
    const SwapFault f = GetParam();
    SetHostFileFault([&](const std::string& o, const std::string& host) {
        return o == f.op && (!f.onOriginal || host == file) ? f.err : 0;
    });
    ReplaceInFile(file, "create", "default", 64);
    SetHostFileFault(nullptr);
    EXPECT_EQ(gFileOpErrNumber, GetParam().number);
    EXPECT_EQ(gFileOpErrSource.rfind("ReplaceInFile", 0), 0u) << gFileOpErrSource;
    EXPECT_EQ(read(file), original);
    EXPECT_EQ(entries(temp), tempBefore);
    EXPECT_EQ(entries(dir.host()), dirBefore);
}

INSTANTIATE_TEST_SUITE_P(Faults, ReplaceSwapFailures,
                         ::testing::Values(SwapFault{"CopyDiskFull", "write", true, ENOSPC, 61},
                                           SwapFault{"FlushFails", "flush", true, EIO, 75},
                                           SwapFault{"WorkFileNotCreated", "create", false, ENOSPC, 61}),
                         [](const ::testing::TestParamInfo<SwapFault>& i) { return std::string(i.param.name); });

TEST_F(FileContentsTest, AReadOnlyOrLockedFileIsNotReplaced)
{
    put("create schema pd_x\r\n");
    ::chmod(file.c_str(), 0444);
    ReplaceInFile(file, "create", "default");
    EXPECT_EQ(gFileOpErrNumber, 70);
    ::chmod(file.c_str(), 0644);
    {
        FileLock lock(file, false);
        ReplaceInFile(file, "create", "default");
        EXPECT_EQ(gFileOpErrNumber, 70);
    }
    EXPECT_EQ(read(file), "create schema pd_x\r\n");
    EXPECT_EQ(entries(dir.host()), 1u);
}

TEST_F(FileContentsTest, AppendToFileOnlyToExistingVisibleFiles)
{
    put("first\r\n");
    AppendToFile("second", file);
    EXPECT_EQ(read(file), "first\r\nsecond\r\n");
    EXPECT_NO_THROW(AppendToFile("x", dir.host() + "/missing.txt"));
    EXPECT_FALSE(fs::exists(dir.host() + "/missing.txt"));
    const std::string hidden = dir.host() + "/.hidden";
    std::ofstream(hidden) << "";
    AppendToFile("x", hidden);
    EXPECT_EQ(read(hidden), "");
    EXPECT_NO_THROW(AppendToFile("x", ""));
}

} // namespace
