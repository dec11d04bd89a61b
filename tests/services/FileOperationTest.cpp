// File services: the last file error, existence, copy, move, delete, search, folders,
// in-use tests, versions and path texts.
#include "services/FileOperation.h"

#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& p) { return testsupport::ReadHostFile(p); }

class FileOperationTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"fileop"};
    std::string file(const std::string& name, const std::string& text = "x")
    {
        std::string p = dir.host() + "/" + name;
        fs::create_directories(fs::path(p).parent_path());
        std::ofstream(p, std::ios::binary) << text;
        return p;
    }
    void TearDown() override { SetHostFileFault(nullptr); }
};

// ---- the record

TEST_F(FileOperationTest, RaiseFileOpErrorRaisesTheRecordAndKeepsIt)
{
    EXPECT_FALSE(CopyFileA(dir.host() + "/none.txt", dir.host() + "/b.txt"));
    long n = 0;
    std::string src, desc;
    GetFileOpError(n, src, desc);
    EXPECT_EQ(n, 1);
    EXPECT_EQ(src, "CopyFileA");
    EXPECT_EQ(desc, "File '" + dir.host() + "/none.txt' not exists");
    EXPECT_THROW(RaiseFileOpError(), AppError);
    EXPECT_EQ(gFileOpErrNumber, 1);
    EXPECT_TRUE(IsFileExists(dir.host(), 1)); // the next success clears the record
    EXPECT_EQ(gFileOpErrNumber, 0);
    EXPECT_NO_THROW(RaiseFileOpError());
}

// ---- existence

TEST_F(FileOperationTest, IsFileExistsByKind)
{
    const std::string a = file("a.txt");
    fs::create_directories(StandInRoot() + "/drives/k");
    EXPECT_TRUE(IsFileExists(a));
    EXPECT_FALSE(IsFileExists(dir.host()));
    EXPECT_TRUE(IsFileExists(dir.host(), 1));
    EXPECT_FALSE(IsFileExists(a, 1));
    EXPECT_TRUE(IsFileExists("K:", 2));
    EXPECT_FALSE(IsFileExists("", 0));
    EXPECT_FALSE(IsFileExists(a, 3));
}

// ---- copy, move, delete

// Every refused copy, move or delete records its error under the operation's name and leaves
// every file of the folder as it was.
TEST_F(FileOperationTest, RefusedTransfersRecordTheErrorAndChangeNothing)
{
    const std::string a = file("a.txt", "data"), b = file("b.txt", "old"), ro = file("ro.txt", "kept");
    const std::string locked = file("locked.txt", "held"), other = dir.host() + "/A.TXT";
    SetReadOnlyFile(ro, true);
    FileLock lock(locked);
    const std::string none = dir.host() + "/none/a.txt";
    struct Case {
        const char* what;
        std::function<bool()> op;
        long number;
        std::string source;
    };
    const std::vector<Case> cases{
        {"copy onto itself", [&] { return CopyFileA(a, a); }, kErrPermissionDenied, "CopyFileA"},
        {"copy onto itself in another case", [&] { return CopyFileA(a, other); }, kErrPermissionDenied, "CopyFileA"},
        {"move onto itself in another case", [&] { return MoveFileA(other, a); }, kErrPermissionDenied, "MoveFileA"},
        {"copy into a missing folder", [&] { return CopyFileA(a, none); }, kErrPathNotFound, "CopyFileA"},
        {"move into a missing folder", [&] { return MoveFileA(a, none); }, kErrPathNotFound, "MoveFileA"},
        {"copy without overwrite", [&] { return CopyFileA(a, b, false, false, false); }, kErrFileExists, "CopyFileA"},
        {"copy onto a read-only file", [&] { return CopyFileA(a, ro); }, kErrPermissionDenied, "CopyFileA"},
        {"copy onto a file in use", [&] { return CopyFileA(a, locked); }, kErrPermissionDenied, "CopyFileA"},
        {"checked copy of a file in use", [&] { return CopyFileA(locked, dir.host() + "/n.txt", false, true); },
         kErrPermissionDenied, "CopyFileA: IsFileAlreadyInUse"},
        {"delete of a file in use", [&] { return DeleteFileA(locked); }, kErrPermissionDenied, "DeleteFileA"},
        {"shell delete of a file in use", [&] { return DeleteFileA(locked, true); }, 1, "DeleteFileA"},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.op()) << c.what;
        EXPECT_EQ(gFileOpErrNumber, c.number) << c.what;
        EXPECT_EQ(gFileOpErrSource, c.source) << c.what;
        EXPECT_EQ(readAll(a) + readAll(b) + readAll(ro) + readAll(locked), "dataoldkeptheld") << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.host()), fs::directory_iterator()), 4) << c.what;
    }
    EXPECT_EQ(gFileOpErrDescription, "File '" + locked + "' already in use");
}

TEST_F(FileOperationTest, CopyAndMoveReplaceOrCreateTheDestination)
{
    const std::string a = file("a.txt", "new"), b = file("b.txt", "old");
    EXPECT_TRUE(CopyFileA(a, b));
    EXPECT_EQ(readAll(b), "new");
    EXPECT_TRUE(CopyFileA(a, dir.host() + "/c.txt", false, true, false));
    EXPECT_TRUE(CopyFileA(a, dir.host() + "/d.txt", true));
    EXPECT_EQ(readAll(dir.host() + "/d.txt"), "new");
    fs::create_directories(dir.host() + "/sub");
    EXPECT_TRUE(MoveFileA(dir.host() + "/c.txt", dir.host() + "/sub/c.txt"));
    EXPECT_FALSE(IsFileExists(dir.host() + "/c.txt"));
    EXPECT_EQ(readAll(dir.host() + "/sub/c.txt"), "new");
}

TEST_F(FileOperationTest, MoveOfAReadOnlySourceLeavesBothAndFails)
{
    const std::string a = file("a.txt", "data");
    const std::string b = dir.host() + "/b.txt";
    SetReadOnlyFile(a, true);
    EXPECT_FALSE(MoveFileA(a, b));
    EXPECT_EQ(gFileOpErrNumber, kErrPermissionDenied);
    EXPECT_EQ(gFileOpErrSource, "MoveFileA");
    EXPECT_EQ(readAll(b), "data");
    EXPECT_TRUE(IsFileExists(a));
}

TEST_F(FileOperationTest, DeleteEdgeCases)
{
    EXPECT_TRUE(DeleteFileA(dir.host() + "/missing.txt"));
    EXPECT_EQ(gFileOpErrNumber, 0);
    EXPECT_TRUE(DeleteFileA("   "));
    const std::string ro = file("ro.txt");
    SetReadOnlyFile(ro, true);
    EXPECT_TRUE(DeleteFileA(ro));
    EXPECT_FALSE(IsFileExists(ro));
}

// ---- size and date

TEST_F(FileOperationTest, SizeAndDate)
{
    const std::string a = file("a.txt", "12345");
    EXPECT_EQ(GetFileSize(a), 5.0f);
    EXPECT_EQ(GetFileSize(dir.host() + "/none"), 0.0f);
    EXPECT_EQ(gFileOpErrDescription, "File '" + dir.host() + "/none' not exists");
    EXPECT_GT(GetFileLastModifiedDate(a).year, 2000);
    LocalTime zero = GetFileLastModifiedDate(dir.host() + "/none");
    EXPECT_EQ(gFileOpErrNumber, kErrFileNotFound);
    EXPECT_EQ(zero.year, 1899);
    EXPECT_EQ(zero.day, 30);
}

// ---- search

TEST_F(FileOperationTest, FindFileMatchesWithoutCaseSubFoldersFirst)
{
    file("X.DGN");
    file("notes.txt");
    file("b/Pipe.dgn");
    file("a/deep/z.dgn");
    file("a/y.Dgn");
    file(".hide/h.dgn");
    const std::string start = dir.host();
    std::vector<std::string> found = FindFile(start, "*.dgn", true);
    std::vector<std::string> expected{start + "\\a\\deep\\z.dgn", start + "\\a\\y.Dgn", start + "\\b\\Pipe.dgn",
                                      start + "\\X.DGN"};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(FindFile(start, "*.dgn", false), std::vector<std::string>{start + "\\X.DGN"});
}

TEST_F(FileOperationTest, FindFileWithoutMatchesOrFolderGivesTheEmptyList)
{
    file("a.txt");
    EXPECT_EQ(SafeUBound(FindFile(dir.host(), "*.dgn", true)), -1);
    EXPECT_EQ(gFileOpErrNumber, 0);
    const std::string missing = dir.host() + "/none";
    EXPECT_EQ(SafeUBound(FindFile(missing, "*.dgn", true)), -1);
    EXPECT_EQ(gFileOpErrNumber, 1);
    EXPECT_EQ(gFileOpErrDescription, "Start path '" + missing + "' not exists");
}

// ---- folders

TEST_F(FileOperationTest, CreateFolderMakesNestedFoldersThroughTheInterpreter)
{
    const std::string path = "C:\\Projects\\New One\\models\\piping";
    EXPECT_TRUE(CreateFolderA(path));
    EXPECT_TRUE(fs::is_directory(StandInRoot() + "/drives/c/Projects/New One/models/piping"));
    EXPECT_FALSE(CreateFolderA(path));
    EXPECT_EQ(gFileOpErrDescription, "Directory '" + path + "' exists already");
    EXPECT_FALSE(CreateFolderA("  "));
    EXPECT_EQ(gFileOpErrDescription, "Directory name not defined");
}

TEST_F(FileOperationTest, CreateFolderReportsAFolderThatMkdirCouldNotMake)
{
    file("plain");
    const std::string path = dir.host() + "/plain/sub";
    EXPECT_FALSE(CreateFolderA(path));
    EXPECT_EQ(gFileOpErrDescription, "Creating directory '" + path + "' failed");
    EXPECT_EQ(gFileOpErrSource, "CreateFolderA");
}

// A folder name from a table or the user never runs a command: a quote that would end the
// quoting is refused with the other characters no path may hold, and a "%" stays a "%".
TEST_F(FileOperationTest, CreateFolderRunsNothingAFolderNameHolds)
{
    const std::string victim = StandInRoot() + "/drives/c/victim.txt";
    testsupport::WriteHostFile(victim, "keep");
    struct Case {
        std::string path;
        std::string error;  // "" = made under exactly that name
    };
    const std::vector<Case> cases = {
        {"C:\\newdir\" & del C:\\victim.txt & echo x> C:\\pwned.txt & rem \"", "the character '\"'"},
        {"C:\\new<dir", "the character '<'"},
        {"C:\\new>dir", "the character '>'"},
        {"C:\\new|dir", "the character '|'"},
        {"C:\\new*dir", "the character '*'"},
        {"C:\\new?dir", "the character '?'"},
        {"C:\\new\r\ndel C:\\victim.txt", "a control character (code 13)"},
        {"C:\\pct\\%PATH%\\%%x", ""},
        {"C:\\amp & del victim.txt", ""}, // a name holds no ":", Windows refuses it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CreateFolderA(c.path), c.error.empty());
        if (c.error.empty())
            EXPECT_TRUE(fs::is_directory(HostPath(c.path)));
        else
            EXPECT_EQ(gFileOpErrDescription, "Directory '" + c.path + "' holds " + c.error + ", which no path may hold");
    }
    EXPECT_EQ(testsupport::ReadHostFile(victim), "keep");
    EXPECT_FALSE(fs::exists(StandInRoot() + "/drives/c/pwned.txt"));
    fs::remove(victim);
    fs::remove_all(StandInRoot() + "/drives/c/pct");
    fs::remove_all(HostPath("C:\\amp & del victim.txt"));
}

TEST_F(FileOperationTest, QuoteStringRefusesWhatWouldEndTheQuoting)
{
    for (const std::string& text : std::vector<std::string>{"a\"b", "a\nb", std::string("a\0b", 3)})
        EXPECT_NE(testsupport::Raised([&] { QuoteString(text); }).description().find("cannot be put on a command line"),
                  std::string::npos);
}

TEST_F(FileOperationTest, FolderWritable)
{
    EXPECT_TRUE(IsFolderWritable(dir.host()));
    EXPECT_TRUE(fs::is_empty(dir.host()));
    EXPECT_FALSE(IsFolderWritable(dir.host() + "/none"));
    EXPECT_EQ(gFileOpErrDescription, "Directory '" + dir.host() + "/none' not exists");
}

TEST_F(FileOperationTest, FolderWhereNoFileCanBeCreatedIsNotWritableAndStaysClean)
{
    SetHostFileFault([](const std::string& op, const std::string&) { return op == "create" ? EACCES : 0; });
    EXPECT_FALSE(IsFolderWritable(dir.host()));
    EXPECT_EQ(gFileOpErrNumber, 1);
    EXPECT_EQ(gFileOpErrDescription, "Directory '" + dir.host() + "': write permission denied");
    EXPECT_TRUE(fs::is_empty(dir.host()));
}

TEST_F(FileOperationTest, TheWriteProbeNeverTouchesAFileOfItsName)
{
    // A file that takes the probe's name just before it is made (another program's) stays.
    std::string planted;
    SetHostFileFault([&](const std::string& op, const std::string& host) {
        if (op == "create" && planted.empty()) {
            planted = host;
            std::ofstream(host, std::ios::binary) << "mine";
        }
        return 0;
    });
    EXPECT_TRUE(IsFolderWritable(dir.host()));
    ASSERT_FALSE(planted.empty());
    EXPECT_EQ(testsupport::ReadHostFile(planted), "mine");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.host()), fs::directory_iterator()), 1);
}

// ---- in use

TEST_F(FileOperationTest, InUseAndReady)
{
    const std::string a = file("a.txt");
    EXPECT_FALSE(IsFileAlreadyInUse(a));
    EXPECT_TRUE(IsFileReady(a));
    EXPECT_TRUE(IsFileAlreadyInUse(dir.host() + "/none"));
    EXPECT_EQ(gFileOpErrNumber, kErrFileNotFound);
    EXPECT_EQ(gFileOpErrDescription, "File '" + dir.host() + "/none' is already in use");
    EXPECT_FALSE(IsFileReady(dir.host() + "/none"));
    {
        FileLock lock(a);
        EXPECT_TRUE(IsFileAlreadyInUse(a));
        EXPECT_EQ(gFileOpErrNumber, kErrPermissionDenied);
        EXPECT_EQ(gFileOpErrSource, "IsFileAlreadyInUse");
        EXPECT_FALSE(IsFileReady(a));
    }
    EXPECT_TRUE(IsFileReady(a));
}

// ---- versions

TEST_F(FileOperationTest, VersionsOfTheProgramAndOfOtherFiles)
{
    const std::string own = GetFileVersion("");
    std::vector<std::string> parts = Split(own, ".");
    ASSERT_EQ(parts.size(), 4u) << own;
    for (const std::string& p : parts) {
        ASSERT_FALSE(p.empty());
        EXPECT_TRUE(std::all_of(p.begin(), p.end(), ::isdigit)) << own;
    }
    EXPECT_EQ(GetFileVersion(file("plain.dll")), "0.0.0.0");
    EXPECT_EQ(gFileOpErrNumber, 0);
}

// ---- temporary folder

struct TempCase {
    const char* name;
    const char* temp;
    const char* description; // empty: accepted
};

class CheckTempDirTest : public ::testing::TestWithParam<TempCase> {
protected:
    void SetUp() override { saved_ = GetEnvVar("TEMP"); }
    void TearDown() override { SetEnvVar("TEMP", saved_); }
    std::string saved_;
};

TEST_P(CheckTempDirTest, RefusesTheCharactersThatBreakCommandLines)
{
    const TempCase& c = GetParam();
    SetEnvVar("TEMP", c.temp);
    if (std::string(c.description).empty()) {
        EXPECT_NO_THROW(CheckTempDir());
        return;
    }
    const AppError e = testsupport::Raised([] { CheckTempDir(); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "CheckTempDir");
    EXPECT_EQ(e.description(), c.description);
}

#define BAD_TEMP(t) "TEMP directory '" t "' is not correct. Any special characters ('.', '~', ',') in path are not allowed"

INSTANTIATE_TEST_SUITE_P(
    Values, CheckTempDirTest,
    ::testing::Values(TempCase{"Plain", "C:\\Temp", ""}, TempCase{"Empty", "", "Environment variable 'Temp' not defined"},
                      TempCase{"ShortName", "C:\\DOKUME~1\\x\\Temp", BAD_TEMP("C:\\DOKUME~1\\x\\Temp")},
                      TempCase{"Dot", "C:\\x.y", BAD_TEMP("C:\\x.y")}, TempCase{"Comma", "C:\\a,b", BAD_TEMP("C:\\a,b")},
                      TempCase{"DotAlone", ".", BAD_TEMP(".")},
                      // Blanks are quoted on every command line, so they pass.
                      TempCase{"Blank", "C:\\te mp", ""}),
    [](const ::testing::TestParamInfo<TempCase>& i) { return std::string(i.param.name); });

// ---- path texts

struct PathTextCase {
    const char* name;
    std::string (*fn)(const std::string&);
    const char* input;
    const char* expected;
};

class PathTextTest : public ::testing::TestWithParam<PathTextCase> {};

TEST_P(PathTextTest, Gives)
{
    EXPECT_EQ(GetParam().fn(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Helpers, PathTextTest,
    ::testing::Values(PathTextCase{"DirOfFile", GetPathDir, "c:/data/x.dmp", "c:\\data\\"},
                      PathTextCase{"DirOfDrive", GetPathDir, "c:", "c:\\"},
                      PathTextCase{"DirOfDriveRoot", GetPathDir, "c:\\", "c:\\"},
                      PathTextCase{"DirOfBareName", GetPathDir, "x.dmp", ""},
                      PathTextCase{"DirOfFolder", GetPathDir, "c:\\data\\", "c:\\"},
                      PathTextCase{"NameOfPath", GetFileName, "c:\\data\\x.dmp", "x.dmp"},
                      PathTextCase{"NameOfBareName", GetFileName, "x.dmp", "x.dmp"},
                      PathTextCase{"BaseDoubleExtension", GetFileBaseName, "d:/a/archive.tar.gz", "archive.tar"},
                      PathTextCase{"BaseOnlyLeadingDot", GetFileBaseName, "c:\\.profile", ""},
                      PathTextCase{"BaseNoDot", GetFileBaseName, "c:\\data\\README", "README"},
                      PathTextCase{"AddToSlashes", AddBackslash, "c:/tmp", "c:\\tmp\\"},
                      PathTextCase{"AddToEmpty", AddBackslash, "", ""},
                      PathTextCase{"AddToBlank", AddBackslash, "  ", "  "},
                      PathTextCase{"AddAfterTrailingBlank", AddBackslash, "c:\\x ", "c:\\x \\"},
                      PathTextCase{"AddKeepsOne", AddBackslash, "c:\\x\\", "c:\\x\\"},
                      PathTextCase{"Quote", QuoteString, "a b", "\"a b\""},
                      PathTextCase{"QuoteDoublesPercent", QuoteString, "C:\\a %TEMP% b", "\"C:\\a %%TEMP%% b\""}),
    [](const ::testing::TestParamInfo<PathTextCase>& i) { return std::string(i.param.name); });

} // namespace

// An extraction takes several work names at once and deletes them afterwards: a name handed out
// twice in one process would make it delete its own result.
TEST(TempNameTest, NoNameTwiceInOneProcess)
{
    std::set<std::string> names;
    for (int i = 0; i < 200000; ++i) {
        const std::string name = GetTempName();
        ASSERT_TRUE(names.insert(name).second) << name << " again after " << i << " names";
        ASSERT_EQ(name.size(), 12u);
        ASSERT_EQ(name.rfind("rad", 0), 0u);
    }
}
