// Every command line the program writes that carries a path quotes it one way: a "%" is doubled
// so that nothing expands, "&", "|" and the like stand inside the quotes, and a path that would
// end its quoting or start a new line is refused before anything runs. A path a setting names
// (a folder, a file, a program) is also refused when it holds a character no path may hold.
#include "admin/DbUsers.h"
#include "admin/DumpCommandLines.h"
#include "admin/RisSchemas.h"
#include "admin/ScriptSettings.h"
#include "dbaccess/RISCommandLine.h"
#include "designfiles/LinkageRun.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace {

// The text of a line that stands outside double quotes.
std::string OutsideQuotes(const std::string& line)
{
    std::string out;
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted)
            out += c;
    }
    return out;
}

struct Builder {
    const char* name;
    std::function<std::string(const std::string&)> build; // the line for a folder path ending in "\"
    bool checksPathCharacters;                             // "<", ">", "|" refused as well
};

} // namespace

TEST(CommandLinePathsTest, EveryPathOnACommandLineIsQuotedAlike)
{
    const std::vector<Builder> builders = {
        {"risbatch", [](const std::string& p) { return RisbatchCommand(p, p + "in", p + "out"); }, false},
        {"risunlod listing",
         [](const std::string& p) { return RisunlodListCommand(p, p + "list", "pd_a", nullptr, true); }, false},
        {"risunlod dump", [](const std::string& p) { return RisunlodDumpCommand(p, p + "dump", p + "param"); }, false},
        {"rislod",
         [](const std::string& p) { return RislodCommand(p, p + "w", p + "l", p + "b", 25, "pd_a", 0, "all"); }, false},
        {"risclnsr", [](const std::string& p) { return RisclnsrCommand(p, "pd_a"); }, false},
        // The main window's dumps, scripts and server manager runs.
        {"unload", [](const std::string& p) { return UnloadCommand("pd_a", p + "pd_a.dmp"); }, false},
        {"load", [](const std::string& p) { return LoadCommand(p + "pd_a.dmp", "pd_a"); }, false},
        {"risbatch of a script", [](const std::string& p) { return RisSchemas::RisbatchCommand(p + "in.sql"); }, false},
        {"delete of its input", [](const std::string& p) { return RisSchemas::DeleteCommand(p + "in.sql"); }, false},
        {"server manager",
         [](const std::string& p) { return DbUsers::ServerManagerCommand(p + "svrmgr.exe", p + "x.sql"); }, false},
        // The MDL folder of the linkage run comes from where the program is installed.
        {"linkage run",
         [](const std::string& p) {
             return LinkageRun::CommandText(p + "read_linkage.ma", p + "ustation.exe", p + "a.dgn", p + "r.txt");
         },
         true},
        // The RIS parameters file of each side of a project copy, set before every client run.
        {"RIS parameters of a copy",
         [](const std::string& p) { return SetPathVariableLine("RIS_PARAMETERS", p + "ris.par", "RIS parameters"); },
         true},
        // The editor the settings name, on the log or the script file.
        {"editor", [](const std::string& p) { return ScriptSettings::EditorCommand(p + "ed.exe", p + "x.log"); },
         true},
    };
    for (const Builder& b : builders) {
        SCOPED_TRACE(b.name);
        const std::string expanding = b.build("C:\\%PATH%\\");
        EXPECT_EQ(expanding.find("\\%PATH%\\"), std::string::npos) << expanding;
        EXPECT_NE(expanding.find("C:\\%%PATH%%\\"), std::string::npos) << expanding;
        const std::string joining = b.build("C:\\a & del C:\\victim.txt & rem ^ \\");
        const std::string outside = OutsideQuotes(joining);
        EXPECT_EQ(outside.find_first_of("&^%\\"), std::string::npos) << joining;
        std::vector<std::string> refused = {"C:\\a\" & del C:\\victim.txt & rem \"\\", "C:\\a\r\ndel C:\\victim.txt\\"};
        if (b.checksPathCharacters)
            refused.insert(refused.end(), {"C:\\a|b\\", "C:\\a>b\\", "C:\\a<b\\"});
        for (const std::string& path : refused)
            EXPECT_THROW(b.build(path), AppError) << path;
    }
}

// The interpreter reads a set line as the path itself: nothing in it runs or expands.
TEST(CommandLinePathsTest, ASetLineGivesTheVariableThePathAsItIs)
{
    testsupport::ScopedDir dir("setline");
    const std::string victim = StandInRoot() + "/drives/c/tw_setline_victim.txt";
    testsupport::WriteHostFile(victim, "keep");
    const std::string path = "C:\\a & del C:\\tw_setline_victim.txt & rem %PATH% ^x";
    const std::string log = dir.host() + "/set.log";
    long pid = 0;
    EXPECT_EQ(ExecA(SetPathVariableLine("TW_SETLINE", path, "Folder") + "\r\nset TW_SETLINE", log, 0, dir.host(), pid,
                    true),
              0);
    EXPECT_EQ(testsupport::ReadHostFile(log), "TW_SETLINE=" + path + "\r\n");
    EXPECT_EQ(testsupport::ReadHostFile(victim), "keep");
    std::filesystem::remove(victim);
}
