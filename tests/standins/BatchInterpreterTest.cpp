// The batchcmd interpreter, run as a program on batch files as the launcher runs it.
#include "SmallDisk.h"
#include "platform/FileAttributes.h"
#include "platform/Process.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readAll(const std::string& p) { return testsupport::ReadHostFile(p); }

class BatchInterpreterTest : public ::testing::Test {
protected:
    // On a drive of the environment: a relative path goes on from a current folder there only.
    testsupport::ScopedDir dir{"batch", StandInRoot() + "/drives/c"};
    std::string out;
    std::string err;

    std::string path(const std::string& name) const { return dir.host() + "/" + name; }
    void write(const std::string& name, const std::string& text) { testsupport::WriteHostFile(path(name), text); }

    // Runs the lines (joined with CR LF) as a batch file whose current folder is the test
    // folder; returns the exit code and keeps the two output streams. A run that has not ended
    // after a minute (one waiting on a FIFO, say) is killed and fails the test instead of
    // hanging it.
    int run(const std::vector<std::string>& lines, const std::vector<std::string>& args = {})
    {
        std::string text = "cd " + dir.host() + "\r\n";
        for (const std::string& l : lines)
            text += l + "\r\n";
        write("run.bat", text);
        const std::string outFile = path("stdout.txt"), errFile = path("stderr.txt");
        int o = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        std::vector<std::string> argv{path("run.bat")};
        argv.insert(argv.end(), args.begin(), args.end());
        long pid = Process::Start(testsupport::BinDir() + "/batchcmd", argv, 0, Process::Streams{-1, o, e});
        ::close(o);
        ::close(e);
        long code = -1;
        for (int waited = 0; !Process::Poll(pid, code); waited += 10) {
            if (waited >= 60 * 1000) {
                ::kill(static_cast<pid_t>(pid), SIGKILL);
                Process::Wait(pid);
                ADD_FAILURE() << "batchcmd did not end within a minute: " << text;
                code = -1;
                break;
            }
            ::usleep(10 * 1000);
        }
        out = readAll(outFile);
        err = readAll(errFile);
        fs::remove(outFile);
        fs::remove(errFile);
        fs::remove(path("run.bat"));
        return static_cast<int>(code);
    }
};

TEST_F(BatchInterpreterTest, ExitCodeIsTheLastCommands)
{
    EXPECT_EQ(run({"echo one", "exit /b 3"}), 3);
    EXPECT_EQ(run({"exit 4", "echo never"}), 4);
    EXPECT_EQ(out, "");
    EXPECT_EQ(run({"dir nothing*.xyz"}), 1);
    EXPECT_EQ(run({"dir nothing*.xyz", "echo fine"}), 0);
}

TEST_F(BatchInterpreterTest, UnknownCommandGivesCmdsMessageAndExit49)
{
    EXPECT_EQ(run({"frobnicate -x"}), 49);
    EXPECT_EQ(err, "'frobnicate' is not recognized as an internal or external command,\r\noperable program or batch file.\r\n");
    // A host program carries no extension: it runs by its exact name once it is executable.
    write("hostprog", "#!/bin/sh\necho ran\n");
    EXPECT_EQ(run({"hostprog"}), 49);
    fs::permissions(path("hostprog"), fs::perms::owner_all);
    EXPECT_EQ(run({"\"hostprog\" x"}), 0);
    EXPECT_EQ(out, "ran\n");
}

TEST_F(BatchInterpreterTest, SetVariablesExpandInLaterLinesAndReachPrograms)
{
    write("show.exe", "#!/bin/sh\nprintf '[%s]\\n' \"$RIS_PARAMETERS\"\n");
    fs::permissions(path("show.exe"), fs::perms::owner_all);
    EXPECT_EQ(run({"set RIS_PARAMETERS=C:\\ris\\parms", "echo %ris_parameters%!%UNSET_THING%!100%%", "show"}), 0);
    EXPECT_EQ(out, "C:\\ris\\parms!!100%\r\n[C:\\ris\\parms]\n");
}

TEST_F(BatchInterpreterTest, BatchArgumentsExpand)
{
    EXPECT_EQ(run({"echo %1-%2 [%*]"}, {"a", "b c"}), 0);
    EXPECT_EQ(out, "a-b c [a b c]\r\n");
}

TEST_F(BatchInterpreterTest, RedirectionsAppendReplaceAndJoinTheStreams)
{
    EXPECT_EQ(run({"echo one> \"log file.txt\"", "echo two >>\"log file.txt\"", "nosuch 2>>\"log file.txt\"",
                   "echo three>>plain.txt 2>&1", "echo four>plain.txt", "echo gone > nul"}),
              0);
    EXPECT_EQ(readAll(path("log file.txt")),
              "one\r\ntwo \r\n'nosuch' is not recognized as an internal or external command,\r\noperable program or batch file.\r\n");
    EXPECT_EQ(readAll(path("plain.txt")), "four\r\n");
    EXPECT_EQ(out, "");
}

TEST_F(BatchInterpreterTest, OnlyTheStandardStreamsCanBeJoined)
{
    // A higher handle would be one the interpreter holds for itself, such as the batch file.
    for (const char* line : {"echo lost>&3", "echo lost 2>&5", "echo lost 1>>&9"}) {
        EXPECT_EQ(run({line, "echo after"}), 0) << line;
        EXPECT_EQ(out, "after\r\n") << line;
        EXPECT_NE(err.find("The handle could not be duplicated"), std::string::npos) << line << err;
    }
}

TEST_F(BatchInterpreterTest, QuotesGroupArgumentsOfPrograms)
{
    write("args.exe", "#!/bin/sh\nfor a in \"$@\"; do echo \"<$a>\"; done\nexit 3\n");
    fs::permissions(path("args.exe"), fs::perms::owner_all);
    EXPECT_EQ(run({"\"" + path("args.exe") + "\" -f \"a b.txt\" x>y.txt"}), 3);
    EXPECT_EQ(readAll(path("y.txt")), "<-f>\n<a b.txt>\n<x>\n");
}

TEST_F(BatchInterpreterTest, ProgramsAreFoundOnPathWithTheirWindowsExtensions)
{
    write("tools/RISBATCH.EXE", "#!/bin/sh\necho risbatch ran\nexit 5\n");
    fs::permissions(path("tools/RISBATCH.EXE"), fs::perms::owner_all);
    EXPECT_EQ(run({"set PATH=" + path("tools") + ":%PATH%", "risbatch -i in.txt"}), 5);
    EXPECT_EQ(out, "risbatch ran\n");
}

TEST_F(BatchInterpreterTest, MappedProgramPathsAndChainedBatchFiles)
{
    fs::create_directories(StandInRoot() + "/drives/c/ris/bin");
    const std::string tool = StandInRoot() + "/drives/c/ris/bin/risunlod.exe";
    std::ofstream(tool) << "#!/bin/sh\necho unload $*\n";
    fs::permissions(tool, fs::perms::owner_all);
    write("inner.bat", "@echo inner %1\r\nexit /b 6\r\n");
    EXPECT_EQ(run({"C:\\RIS\\bin\\risunlod -s x", "call inner first", "echo after call", "inner second",
                   "echo never"}),
              6);
    EXPECT_EQ(out, "unload -s x\ninner first\r\nafter call\r\ninner second\r\n");
}

TEST_F(BatchInterpreterTest, FolderCommands)
{
    EXPECT_EQ(run({"mkdir \"C:\\Proj One\\a\\b\"", "md C:\\Proj One\\c", "cd C:\\Proj One", "cd"}), 0);
    EXPECT_TRUE(fs::is_directory(StandInRoot() + "/drives/c/Proj One/a/b"));
    EXPECT_TRUE(fs::is_directory(StandInRoot() + "/drives/c/Proj"));
    // Unquoted, md takes each word as a folder of its own; "One\c" is relative.
    EXPECT_TRUE(fs::is_directory(path("One/c")));
    EXPECT_EQ(out, "C:\\Proj One\r\n");

    EXPECT_EQ(run({"mkdir \"C:\\Proj One\\a\""}), 1);
    EXPECT_EQ(err, "A subdirectory or file C:\\Proj One\\a already exists.\r\n");

    EXPECT_EQ(run({"rmdir \"C:\\Proj One\""}), 1);
    EXPECT_EQ(run({"rmdir /S /Q \"C:\\Proj One\"", "C:", "cd"}), 0);
    EXPECT_FALSE(fs::exists(StandInRoot() + "/drives/c/Proj One"));
    // The drive switch goes back to drive C's current folder, the test folder on it.
    EXPECT_EQ(out, WinPathFromHost(dir.host()) + "\r\n");
}

TEST_F(BatchInterpreterTest, CopyMoveDelete)
{
    write("a.txt", "A");
    write("b.txt", "B");
    fs::create_directories(path("sub"));
    EXPECT_EQ(run({"copy a.txt sub", "copy a.txt+b.txt ab.txt", "move b.txt sub\\moved.txt", "copy *.txt sub\\"}), 0);
    EXPECT_EQ(readAll(path("sub/a.txt")), "A");
    EXPECT_EQ(readAll(path("ab.txt")), "AB");
    EXPECT_EQ(readAll(path("sub/moved.txt")), "B");
    EXPECT_EQ(readAll(path("sub/ab.txt")), "AB");
    EXPECT_FALSE(fs::exists(path("b.txt")));

    EXPECT_EQ(run({"copy none.txt x.txt"}), 1);
    EXPECT_EQ(err, "The system cannot find the file specified.\r\n");

    SetReadOnlyFile(path("a.txt"), true);
    EXPECT_EQ(run({"del a.txt"}), 1);
    EXPECT_TRUE(fs::exists(path("a.txt")));
    EXPECT_EQ(run({"del /F /Q a.txt", "del sub\\*.TXT", "del none.txt"}), 0);
    EXPECT_FALSE(fs::exists(path("a.txt")));
    EXPECT_TRUE(fs::is_empty(path("sub")));
}

TEST_F(BatchInterpreterTest, CopyOntoALockedFileIsDenied)
{
    write("a.txt", "A");
    write("b.txt", "B");
    FileLock lock(path("b.txt"));
    EXPECT_EQ(run({"copy a.txt b.txt"}), 1);
    EXPECT_EQ(readAll(path("b.txt")), "B");
}

TEST_F(BatchInterpreterTest, TheTemporaryFileOfAKilledCopyGoesWithTheNextCopy)
{
    // The copy waits on an input that never ends, its temporary file made; then it is killed.
    int input[2];
    ASSERT_EQ(::pipe(input), 0);
    write("killed.bat", "cd " + dir.host() + "\r\ncopy con dst.txt\r\n");
    const long pid =
        Process::Start(testsupport::BinDir() + "/batchcmd", {path("killed.bat")}, 0, Process::Streams{input[0], -1, -1});
    ::close(input[0]);
    const std::string prefix = ".dst.txt.~" + std::to_string(pid) + ".";
    std::string left;
    for (int i = 0; i < 500 && left.empty(); ++i, ::usleep(10000))
        for (const auto& e : fs::directory_iterator(dir.host()))
            if (e.path().filename().string().rfind(prefix, 0) == 0)
                left = e.path().string();
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    Process::Wait(pid);
    ::close(input[1]);
    ASSERT_FALSE(left.empty()) << "no temporary file named after the copy's process";
    ASSERT_TRUE(fs::exists(left));
    write("a.txt", "A");
    EXPECT_EQ(run({"copy a.txt dst.txt"}), 0) << err;
    EXPECT_EQ(readAll(path("dst.txt")), "A");
    EXPECT_FALSE(fs::exists(left));
}

TEST_F(BatchInterpreterTest, XcopyOverAReadOnlyFileThatCannotBeReplacedLeavesItReadOnly)
{
    write("src/a.txt", "new");
    write("dst/a.txt", "old");
    SetReadOnlyFile(path("dst/a.txt"), true);
    FileLock lock(path("dst/a.txt"));
    EXPECT_EQ(run({"xcopy src dst /R /Y"}), 4);
    EXPECT_EQ(readAll(path("dst/a.txt")), "old");
    EXPECT_TRUE(IsReadOnlyFile(path("dst/a.txt")));
}

TEST_F(BatchInterpreterTest, DirBareAndRecursive)
{
    write("m/X.DGN", "");
    write("m/p/y.dgn", "");
    write("m/p/notes.txt", "");
    write("m/.hidden.dgn", "");
    fs::create_directories(StandInRoot() + "/drives/d");
    fs::rename(path("m"), StandInRoot() + "/drives/d/m");
    EXPECT_EQ(run({"dir /B D:\\m\\*.dgn", "dir /S /B D:\\m\\*.dgn"}), 0);
    EXPECT_EQ(out, "X.DGN\r\nD:\\m\\X.DGN\r\nD:\\m\\p\\y.dgn\r\n");
}

TEST_F(BatchInterpreterTest, XcopyCopiesTrees)
{
    write("src/a.txt", "A");
    write("src/s/b.txt", "B");
    fs::create_directories(path("src/empty"));
    EXPECT_EQ(run({"xcopy src dst\\ /E /I /Y"}), 0);
    EXPECT_EQ(readAll(path("dst/a.txt")), "A");
    EXPECT_EQ(readAll(path("dst/s/b.txt")), "B");
    EXPECT_TRUE(fs::is_directory(path("dst/empty")));
    EXPECT_NE(out.find("2 File(s) copied"), std::string::npos) << out;
}

TEST_F(BatchInterpreterTest, XcopyOfATreeIntoItselfIsRefusedBeforeItCopiesAnything)
{
    write("src/a.txt", "A");
    write("src/sub/b.txt", "B");
    EXPECT_EQ(run({"xcopy src src\\sub\\copy\\ /E /I /Y"}), 4);
    EXPECT_NE(err.find("Cannot perform a cyclic copy"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(path("src/sub/copy")));
}

TEST_F(BatchInterpreterTest, XcopyOfAMaskWithoutSwitchesFillsTheDestinationFolder)
{
    write("models/p1.dgn", "1");
    write("models/p2.DGN", "2");
    write("models/readme.txt", "r");
    EXPECT_EQ(run({"xcopy " + dir.host() + "\\models\\*.dgn " + dir.host() + "\\target"}), 0);
    EXPECT_EQ(readAll(path("target/p1.dgn")), "1");
    EXPECT_EQ(readAll(path("target/p2.DGN")), "2");
    EXPECT_FALSE(fs::exists(path("target/readme.txt")));
}

TEST_F(BatchInterpreterTest, EchoForms)
{
    EXPECT_EQ(run({"@echo off", "echo.", "echo", "ECHO Hello  World", "rem nothing", ":label", "type none.txt"}), 1);
    EXPECT_EQ(out, "\r\nECHO is off.\r\nHello  World\r\n");
}

// ---- command operators: every case has the files a wrong parse would touch in place

struct OperatorCase {
    const char* name;
    std::string line;
    int code;
    std::string out;
};

class BatchOperatorTest : public BatchInterpreterTest, public ::testing::WithParamInterface<OperatorCase> {};

TEST_P(BatchOperatorTest, RunAsCmdDoesAndTouchNothingElse)
{
    for (const char* name : {"old.log", "echo", "done", "keep.txt", "b"})
        write(name, name);
    write("reader.exe", "#!/bin/sh\nread line; echo \"got:$line\"\nexit 4\n");
    fs::permissions(path("reader.exe"), fs::perms::owner_all);
    EXPECT_EQ(run({"set PATH=" + dir.host() + ":%PATH%", GetParam().line}), GetParam().code);
    EXPECT_EQ(out, GetParam().out);
    for (const char* name : {"echo", "done", "keep.txt", "b"})
        EXPECT_EQ(readAll(path(name)), name) << name;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BatchOperatorTest,
    ::testing::Values(OperatorCase{"Sequence", "del old.log & echo done", 0, "done\r\n"},
                      OperatorCase{"SequenceEndingInAmpersand", "echo one &", 0, "one \r\n"},
                      OperatorCase{"OnSuccessSkipped", "copy none.txt x.txt >nul 2>nul && del keep.txt", 1, ""},
                      OperatorCase{"OnSuccessRun", "echo a&& echo b", 0, "a\r\nb\r\n"},
                      OperatorCase{"OnFailureRun", "copy none.txt x.txt >nul 2>nul || echo fallback", 0, "fallback\r\n"},
                      OperatorCase{"OnFailureSkipped", "echo ok || del keep.txt", 0, "ok \r\n"},
                      OperatorCase{"Chain", "copy none.txt x.txt 2>nul >nul && del keep.txt || echo kept & echo end", 0,
                                   "kept \r\nend\r\n"},
                      OperatorCase{"PipeFromBuiltinToProgram", "echo piped| reader", 4, "got:piped\r\n"},
                      OperatorCase{"PipeBetweenPrograms", "reader < keep.txt | reader", 4, "got:got:keep.txt\n"},
                      OperatorCase{"EscapedOperators", "echo a^&b ^| del keep.txt ^> b", 0, "a&b | del keep.txt > b\r\n"},
                      OperatorCase{"QuotedOperators", "echo \"x & del keep.txt\" | reader", 4,
                                   "got:\"x & del keep.txt\" \r\n"},
                      OperatorCase{"RemTakesTheRestOfTheLine", "rem & del keep.txt", 0, ""}),
    [](const ::testing::TestParamInfo<OperatorCase>& i) { return std::string(i.param.name); });

struct RefusedCase {
    const char* name;
    std::string line;
    std::string word;
};

class BatchRefusedSyntaxTest : public BatchInterpreterTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(BatchRefusedSyntaxTest, FailsWithOneLineAndRunsNothingOfTheLine)
{
    write("keep.txt", "keep");
    write("echo", "echo");
    EXPECT_EQ(run({GetParam().line}), 1);
    EXPECT_EQ(err, "'" + GetParam().word + "' is not supported by batchcmd; nothing of this line was run.\r\n");
    EXPECT_EQ(out, "");
    EXPECT_EQ(readAll(path("keep.txt")), "keep");
    EXPECT_EQ(readAll(path("echo")), "echo");
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BatchRefusedSyntaxTest,
    ::testing::Values(RefusedCase{"If", "if exist keep.txt del keep.txt", "if"},
                      RefusedCase{"IfAfterACommand", "echo start & IF 1==1 del keep.txt", "IF"},
                      RefusedCase{"For", "for %%f in (*.txt) do del %%f", "for"},
                      RefusedCase{"GotoAfterADelete", "del keep.txt & goto:end", "goto"},
                      RefusedCase{"Block", "(del keep.txt & echo x)", "("},
                      RefusedCase{"BlockAfterOperator", "echo x && (del keep.txt)", "("},
                      RefusedCase{"OperatorWithoutCommand", "del keep.txt & && echo x", "&&"},
                      RefusedCase{"CallOfALabel", "call :wipe keep.txt", "call :label"},
                      RefusedCase{"CallOfALabelAfterADelete", "del keep.txt & call :end", "call :label"}),
    [](const ::testing::TestParamInfo<RefusedCase>& i) { return std::string(i.param.name); });

struct PlaceCase {
    const char* name;
    std::vector<std::string> lines; // run in C:\tw_esc
    int code;
    std::string says;                   // in the output or the errors
    std::vector<std::string> absent;    // below C:\tw_esc (below the root when it begins with "/")
    std::vector<std::string> present{}; // and that stand afterwards
};

// What batchcmd itself does with paths and names (where ".." leads is the path table's): beside
// the drive, in the root, stands a file no row may reach.
class BatchPlacesTest : public BatchInterpreterTest, public ::testing::WithParamInterface<PlaceCase> {
protected:
    void SetUp() override
    {
        testsupport::WriteHostFile(root + "/tw_esc/victim.reg", "keep");
        testsupport::WriteHostFile(root + "/drives/c/tw_esc/a.reg", "a");
        fs::create_directories(root + "/unc/twescsrv/pds/tw_esc");
        fs::create_symlink(root + "/tw_esc", root + "/drives/c/tw_esc/out");
    }
    testsupport::ScopedStandInRoot ownRoot;
    const std::string root = StandInRoot();
};

TEST_P(BatchPlacesTest, StayOnTheirDriveAndAnswerAsCmd)
{
    const PlaceCase& c = GetParam();
    std::vector<std::string> lines{"cd C:\\tw_esc"};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(run(lines), c.code) << out << err;
    EXPECT_NE((out + err).find(c.says), std::string::npos) << out << err;
    EXPECT_EQ(readAll(root + "/tw_esc/victim.reg"), "keep");
    const auto at = [&](const std::string& p) { return p[0] == '/' ? root + p : root + "/drives/c/tw_esc/" + p; };
    for (const std::string& p : c.present)
        EXPECT_TRUE(fs::exists(at(p))) << p;
    for (const std::string& p : c.absent)
        EXPECT_FALSE(fs::exists(at(p))) << p;
}

// Each command that would make a name Windows refuses says so in cmd's words, one after the other.
const std::string kBadName = "The filename, directory name, or volume label syntax is incorrect.\r\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, BatchPlacesTest,
    ::testing::Values(
        PlaceCase{"DeleteAboveTheDrive", {"del /Q C:\\..\\..\\tw_esc\\*.reg"}, 0, "", {"a.reg"}},
        PlaceCase{"CdAboveTheDriveStaysOnIt", {"cd ..\\..\\..", "cd"}, 0, "C:\\\r\n", {}},
        PlaceCase{"UpFromALinkThatPointsOut", {"cd out", "echo x > ..\\l.txt"}, 0, "", {"/l.txt"}, {"l.txt"}},
        PlaceCase{"RemoveTheDriveThroughDotDot", {"rd /S /Q ..\\.."}, 1, "Access is denied.", {}, {"a.reg"}},
        PlaceCase{"MoveTheShareAway", {"move \\\\TWESCSRV\\pds\\tw_esc\\.. moved"}, 1, "Access is denied.", {"moved"},
                  {"/unc/twescsrv/pds/tw_esc"}},
        PlaceCase{"NamesWindowsRefuses",
                  {"echo x > q?.txt", "copy a.reg \"c|d.reg\"", "move a.reg \"m<n.reg\"", "md q*", "xcopy a.reg x?"}, 4,
                  kBadName + kBadName + kBadName + kBadName + kBadName, {"q?.txt", "c|d.reg", "m<n.reg", "q*", "x?"},
                  {"a.reg"}},
        PlaceCase{"CopyOntoAMask", {"copy a.reg *.bak"}, 0, "1 file(s) copied.", {"*.bak"}, {"a.bak"}},
        PlaceCase{"EditsOfVariables",
                  {"set TW=abcdefgh", "echo [%TW:~0,5%][%TW:~-3%][%TW:~2,-2%][%TW:~-3,2%][%TW:~,2%][%TW:~10%][%TW:~x%]",
                   "set TW=a-b-A", "echo [%TW:a=x%][%TW:*-=%][%TW:-=%][%TW_UNSET:~0,5%]"},
                  0, "[abcde][fgh][cdef][fg][ab][][TW:~x]\r\n[x-b-x][b-A][abA][~0,5]\r\n", {}},
        PlaceCase{"EmptySearchEndsTheBatch", {"set TW=abc", "echo [%TW:=x%] & md never"}, 1,
                  "The syntax of the command is incorrect.", {"never"}},
        PlaceCase{"TypeOfAFolder", {"type C:\\tw_esc"}, 1, "Access is denied.", {}}),
    [](const ::testing::TestParamInfo<PlaceCase>& i) { return std::string(i.param.name); });

TEST_F(BatchInterpreterTest, ErrorLevelExpandsToTheLastExitCode)
{
    EXPECT_EQ(run({"copy none.txt x.txt >nul 2>nul", "echo level %ERRORLEVEL%", "echo now %errorlevel%"}), 0);
    EXPECT_EQ(out, "level 1\r\nnow 0\r\n");
}

TEST_F(BatchInterpreterTest, CopyJoinOntoTheFirstSourceAppends)
{
    write("a.txt", "A");
    write("b.txt", "B");
    EXPECT_EQ(run({"copy a.txt+b.txt a.txt"}), 0);
    EXPECT_EQ(readAll(path("a.txt")), "AB");
    EXPECT_EQ(readAll(path("b.txt")), "B");
    EXPECT_EQ(run({"copy a.txt+b.txt"}), 0);
    EXPECT_EQ(readAll(path("a.txt")), "ABB");
}

TEST_F(BatchInterpreterTest, CopyOntoItselfInAnyCaseIsRefused)
{
    write("a.txt", "content");
    EXPECT_EQ(run({"copy a.txt A.TXT"}), 1);
    EXPECT_EQ(err, "The file cannot be copied onto itself.\r\n");
    EXPECT_EQ(out, "        0 file(s) copied.\r\n");
    EXPECT_EQ(readAll(path("a.txt")), "content");
    // A move in other letter case is no copy: cmd renames the file.
    EXPECT_EQ(run({"move a.txt A.txt"}), 0);
    EXPECT_EQ(run({"xcopy a.txt A.TXT /Y"}), 4);
    EXPECT_EQ(err, "File cannot be copied onto itself\r\n");
    EXPECT_EQ(readAll(path("A.txt")), "content");
    // A source named in other letter case than its file is that one file, not a folder's mask.
    EXPECT_EQ(run({"xcopy a.txt b.txt /Y"}), 0) << err;
    EXPECT_EQ(readAll(path("b.txt")), "content");
}

TEST_F(BatchInterpreterTest, ARefusedLineEndsTheBatchFile)
{
    const struct {
        const char* line;
        const char* form;
    } cases[] = {{"goto end", "goto"}, {"set /a n=1+2", "set /a"}, {"set /p answer=Sure?", "set /p"}};
    for (const auto& c : cases) {
        write("keep.txt", "keep");
        EXPECT_EQ(run({c.line, "del keep.txt", ":end"}), 1) << c.line;
        EXPECT_EQ(err, "'" + std::string(c.form) + "' is not supported by batchcmd; nothing of this line was run.\r\n");
        EXPECT_EQ(readAll(path("keep.txt")), "keep") << c.line;
    }
}

TEST_F(BatchInterpreterTest, DeletingEveryFileOfAFolderNeedsQ)
{
    for (const char* line : {"del sub", "del sub\\*", "del sub\\*.*", "erase sub\\"}) {
        write("sub/a.txt", "A");
        EXPECT_EQ(run({line}), 1) << line;
        EXPECT_NE(err.find("Are you sure (Y/N)?"), std::string::npos) << err;
        EXPECT_TRUE(fs::exists(path("sub/a.txt"))) << line;
    }
    EXPECT_EQ(run({"del /Q sub"}), 0);
    EXPECT_FALSE(fs::exists(path("sub/a.txt")));
    EXPECT_TRUE(fs::is_directory(path("sub")));
}

TEST_F(BatchInterpreterTest, RedirectionLeavesAReadOnlyOrLockedFileAsItIs)
{
    write("ro.txt", "old");
    write("locked.txt", "old");
    SetReadOnlyFile(path("ro.txt"), true);
    FileLock lock(path("locked.txt"));
    for (const char* line : {"echo x > ro.txt", "echo x >> ro.txt", "echo x > locked.txt", "echo x 2>> locked.txt"}) {
        EXPECT_EQ(run({line}), 1) << line;
        EXPECT_EQ(err, "Access is denied.\r\n") << line;
        EXPECT_EQ(out, "") << line;
    }
    EXPECT_EQ(readAll(path("ro.txt")), "old");
    EXPECT_EQ(readAll(path("locked.txt")), "old");
}

TEST_F(BatchInterpreterTest, DevicesAreNoFilesAndEscapesInFileNamesAreRemoved)
{
    write("a.txt", "A");
    EXPECT_EQ(run({"copy a.txt nul", "copy a.txt NUL.txt", "copy a.txt con", "echo hi > con", "echo x > nul:",
                   "type nul", "copy nul empty.txt", "echo esc>out^&x.txt"}),
              0)
        << err;
    EXPECT_EQ(out, "        1 file(s) copied.\r\n        1 file(s) copied.\r\nA        1 file(s) copied.\r\nhi \r\n"
                   "        1 file(s) copied.\r\n");
    for (const char* device : {"nul", "NUL.txt", "con", "nul:"})
        EXPECT_FALSE(fs::exists(path(device))) << device;
    EXPECT_TRUE(fs::exists(path("empty.txt")));
    EXPECT_EQ(readAll(path("empty.txt")), "");
    EXPECT_EQ(readAll(path("out&x.txt")), "esc\r\n");
}

TEST_F(BatchInterpreterTest, ArgumentPartsAsCmdGivesThem)
{
    EXPECT_EQ(run({"echo %~dp0", "echo %~nx0", "echo %~x0", "echo [%~1]", "echo %~z1"}, {"\"quoted arg\""}), 0);
    const std::string folder = WinPathFromHost(dir.host()) + "\\";
    EXPECT_EQ(out, folder + "\r\nrun.bat\r\n.bat\r\n[quoted arg]\r\n%~z1\r\n");
}

TEST_F(BatchInterpreterTest, MessagesNameWhatIsWrong)
{
    write("a.txt", "A");
    write("b.txt", "B");
    EXPECT_EQ(run({"move a.txt nosuch\\a.txt"}), 1);
    EXPECT_EQ(err, "The system cannot find the path specified.\r\n");
    EXPECT_EQ(run({"copy a.txt nosuch\\a.txt"}), 1);
    EXPECT_EQ(err, "The system cannot find the path specified.\r\n");
    EXPECT_TRUE(fs::exists(path("a.txt")));
    // A mask copied onto one file joins the files into it, as cmd does.
    EXPECT_EQ(run({"copy ?.txt all.dat"}), 0) << err; // not the run's own stdout.txt
    const std::string all = readAll(path("all.dat"));
    EXPECT_TRUE(all == "AB" || all == "BA") << all;

    SmallDisk disk(path("small"), "64k");
    write("big.bin", std::string(256 * 1024, 'x'));
    const struct {
        const char* line;
        int code;
        const char* message;
    } full[] = {
        {"xcopy big.bin small\\ /Y", 4, "Insufficient disk space\r\n"},
        {"copy big.bin small", 1, "There is not enough space on the disk.\r\n"},
        {"move big.bin small", 1, "There is not enough space on the disk.\r\n"},
    };
    for (const auto& c : full) {
        EXPECT_EQ(run({c.line}), c.code) << c.line;
        EXPECT_EQ(err, c.message) << c.line;
        EXPECT_EQ(readAll(path("big.bin")).size(), 256u * 1024u) << c.line;
        EXPECT_FALSE(fs::exists(path("small/big.bin"))) << c.line;
    }
}

} // namespace

TEST_F(BatchInterpreterTest, RemovingATreeNeedsQ)
{
    write("tree/sub/a.txt", "A");
    EXPECT_EQ(run({"rd /S tree"}), 1);
    EXPECT_NE(err.find("tree, Are you sure (Y/N)?"), std::string::npos) << err;
    EXPECT_EQ(readAll(path("tree/sub/a.txt")), "A");
    EXPECT_EQ(run({"rmdir /s /q tree"}), 0) << err;
    EXPECT_FALSE(fs::exists(path("tree")));
}

TEST_F(BatchInterpreterTest, DeviceNamesAsTargetsMakeNoFiles)
{
    const struct {
        const char* line;
        int code;
        const char* err;
        const char* out;
    } cases[] = {
        {"move a.txt nul", 1, "Access is denied.\r\n", "        0 file(s) moved.\r\n"},
        {"move a.txt lpt1.txt", 1, "Access is denied.\r\n", "        0 file(s) moved.\r\n"},
        {"md nul", 1, "A subdirectory or file nul already exists.\r\n", ""},
        {"mkdir aux", 1, "A subdirectory or file aux already exists.\r\n", ""},
        {"xcopy a.txt nul", 0, "", "a.txt 1 File(s) copied\r\n"},
        {"echo x > prn", 1, "The system cannot find the path specified.\r\n", ""},
        {"echo x > aux", 1, "The system cannot find the path specified.\r\n", ""},
        {"echo x >> COM1", 1, "The system cannot find the path specified.\r\n", ""},
        {"echo x 2> lpt1", 1, "The system cannot find the path specified.\r\n", ""},
        {"copy a.txt com3", 1, "The system cannot find the file specified.\r\n", "        0 file(s) copied.\r\n"},
    };
    for (const auto& c : cases) {
        write("a.txt", "A");
        EXPECT_EQ(run({c.line}), c.code) << c.line;
        EXPECT_EQ(err, c.err) << c.line;
        // xcopy names the source by its full path; only the name is compared.
        std::string shown = out;
        if (const size_t at = shown.find("a.txt\r\n"); at != std::string::npos)
            shown = "a.txt " + shown.substr(at + 7);
        EXPECT_EQ(shown, c.out) << c.line;
        EXPECT_EQ(readAll(path("a.txt")), "A") << c.line;
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.host()))
            names.push_back(e.path().filename().string());
        EXPECT_EQ(names, std::vector<std::string>{"a.txt"}) << c.line;
    }
}

TEST_F(BatchInterpreterTest, ACopyOntoOrFromAFifoIsRefusedByNameAndDoesNotWait)
{
    write("a.txt", "A");
    fs::create_directories(path("dst"));
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(path("dst/a.txt").c_str(), 0644), 0);
    // No reader ever opens the FIFOs: a command that opened one for writing would wait for ever
    // (the test would hang), one that replaced it would leave a plain file.
    // Nor does a writer ever open them: a command that read one would wait for ever as well.
    const std::string written = "is not a regular file; nothing was written to it.";
    const std::string read = "is not a regular file; nothing was read from it.";
    const struct {
        const char* line;
        const char* named;
        const std::string& says;
    } cases[] = {
        {"copy a.txt pipe", "\\pipe ", written},         {"copy a.txt+a.txt pipe", "\\pipe ", written},
        {"copy a.txt dst", "\\dst\\a.txt ", written},    {"xcopy a.txt pipe", "\\pipe ", written},
        {"xcopy a.txt dst\\", "\\dst\\a.txt ", written}, {"move a.txt pipe", "\\pipe ", written},
        {"type pipe", "\\pipe ", read},                  {"copy pipe g.txt", "\\pipe ", read},
        {"copy a.txt+pipe g.txt", "\\pipe ", read},
    };
    for (const auto& c : cases) {
        const std::string line = c.line;
        EXPECT_NE(run({line}), 0) << line;
        EXPECT_NE(err.find(std::string(c.named) + c.says), std::string::npos) << line << "\n" << err;
        EXPECT_TRUE(fs::is_fifo(path("pipe"))) << line;
        EXPECT_TRUE(fs::is_fifo(path("dst/a.txt"))) << line;
        EXPECT_EQ(readAll(path("a.txt")), "A") << line;
        EXPECT_FALSE(fs::exists(path("g.txt"))) << line;
    }
}

TEST_F(BatchInterpreterTest, AMoveInOtherLetterCaseRenamesAndAFolderNeverMovesIntoItself)
{
    using Files = std::map<std::string, std::string>; // every file, by its exact name, and its content
    const std::string intoItself = "The system cannot move a folder into itself.\r\n";
    const struct {
        const char* line;
        std::string err; // empty: moved, exit code 0
        Files after;
    } cases[] = {{"move a.txt A.TXT", "", {{"A.TXT", "A"}, {"sub/f.txt", "F"}}},
                 {"move sub SUB", "", {{"a.txt", "A"}, {"SUB/f.txt", "F"}}},
                 {"move sub sub\\deep", intoItself, {{"a.txt", "A"}, {"sub/f.txt", "F"}}},
                 {"move sub SUB\\", intoItself, {{"a.txt", "A"}, {"sub/f.txt", "F"}}}};
    for (const auto& c : cases) {
        for (const char* name : {"sub", "SUB", "A.TXT"})
            fs::remove_all(path(name));
        write("a.txt", "A");
        write("sub/f.txt", "F");
        EXPECT_EQ(run({c.line}), c.err.empty() ? 0 : 1) << c.line;
        EXPECT_EQ(err, c.err) << c.line;
        Files files;
        for (const auto& e : fs::recursive_directory_iterator(dir.host()))
            if (e.is_regular_file())
                files[fs::relative(e.path(), dir.host()).string()] = readAll(e.path().string());
        EXPECT_EQ(files, c.after) << c.line;
    }
}

TEST_F(BatchInterpreterTest, ARedirectionOntoAFifoOrDeviceNodeIsRefusedByNameAndRunsNothing)
{
    write("kept.txt", "kept");
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0644), 0);
    fs::create_symlink("pipe", path("pipe-link"));
    // No reader ever opens the FIFO: a redirection that opened it would wait for ever (run ends
    // it after a minute and fails), one that replaced it would leave a plain file. The other
    // target on the line is looked at before either is opened, so it is not emptied.
    const struct {
        std::string line;
        std::string named; // host path
    } cases[] = {
        {"echo ran> pipe", path("pipe")},
        {"echo ran>> pipe", path("pipe")},
        {"echo ran 2> pipe", path("pipe")},
        {"echo ran 2>> pipe-link", path("pipe-link")},
        {"echo ran> kept.txt 2> pipe", path("pipe")},
        {"> pipe", path("pipe")},
        {"echo ran> \\dev\\null", "/dev/null"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run({c.line, "echo after"}), 0) << c.line; // the next line runs
        EXPECT_EQ(out, "after\r\n") << c.line;                  // and nothing of the refused one
        EXPECT_EQ(err, "Access is denied.\r\n" + WinPathFromHost(c.named) +
                           " is not a regular file; nothing was written to it.\r\n")
            << c.line;
        EXPECT_TRUE(fs::is_fifo(path("pipe"))) << c.line;
        EXPECT_TRUE(fs::is_symlink(path("pipe-link"))) << c.line;
        EXPECT_EQ(readAll(path("kept.txt")), "kept") << c.line;
    }
    // The devices stay what they are, and a plain file is written as before.
    EXPECT_EQ(run({"echo gone> nul", "echo kept>> kept.txt", "echo shown> con"}), 0) << err;
    EXPECT_EQ(out, "shown\r\n");
    EXPECT_EQ(readAll(path("kept.txt")), "keptkept\r\n");
}
