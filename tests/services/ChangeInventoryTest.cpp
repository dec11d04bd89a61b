// The inventory of calls that change data: every call of a changing operation in the program's
// sources is listed below with the read that shows its effect after a failure. A new call, or a
// call gone, fails the test until the list says what is read after it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>

namespace {

namespace fs = std::filesystem;

// The operations whose calls change data: statements, loads, copies, schemas and users, the
// dictionary clean, dumps written, files copied, moved or deleted, server-manager scripts,
// rislod command lines, and the user and schema steps.
const char* const kChangingCalls[] = {
    "DBWrite", "RISLoad", "RISTableCopy", "RISCreateSchema", "RISDropSchema", "ORACreateUser", "ORADropUser",
    "SQLCreateUser", "SQLDropUser", "RISClean", "RISDumpCreate", "CopyFileA", "MoveFileA", "DeleteFileA",
    "ShellFileOperation", "ServerManagerCommand", "LoadCommand", "RisbatchCommand", "ChangeUserOrSchema",
    "RunUserSchemaStep",
};

// The program's source folders (the stand-ins, the platform layer beneath the file services and
// the tests are not the program's own calls).
const char* const kFolders[] = {"app", "admin", "services", "dbaccess", "dbtools", "filecheck", "designfiles",
                                "projcopy", "ui"};

struct Entry {
    const char* file;
    const char* call;
    int count;
    const char* read; // what is read after a failure
};

// One row per (file, call): how many calls the file holds and what is read after a failure.
const Entry kInventory[] = {
    // file                                     call                  count  read after a failure
    {"admin/CommandScriptHost.cpp", "RISLoad", 1, "the schema's tables and rows against the dump (script risload)"},
    {"admin/DbUsers.cpp", "DeleteFileA", 1, "none: the run's own scratch script"},
    {"admin/DbUsers.cpp", "ServerManagerCommand", 2, "the database user listing (is the user there?)"},
    {"admin/DumpCommands.cpp", "DeleteFileA", 1, "none: the unload's own new dump file"},
    {"admin/DumpCommands.cpp", "LoadCommand", 1, "the schema's tables and rows against the dump"},
    {"admin/DumpReplacer.cpp", "CopyFileA", 1, "not looked at yet: the .bak copy before the replacements"},
    {"admin/Families.cpp", "ChangeUserOrSchema", 1, "the user listing / the RIS schema list"},
    {"admin/Form1.cpp", "ChangeUserOrSchema", 1, "the user listing / the RIS schema list (load buttons)"},
    {"admin/Form1Dump.cpp", "RISLoad", 1, "the schema's tables and rows against the dump (script risload)"},
    {"admin/LoggedRun.cpp", "DeleteFileA", 1, "none: the run's own temporary log"},
    {"admin/Maintenance.cpp", "DeleteFileA", 1, "none: the grant run's own statement file"},
    {"admin/PipingModelRestore.cpp", "DeleteFileA", 7, "none: the run's own statement, output, part and empty bad files"},
    {"admin/PipingModelRestore.cpp", "LoadCommand", 1, "the server's row counts of dd_<project>'s tables (one run) against the partial dump as written, also after a load that ended well; the bad file"},
    {"admin/RisSchemas.cpp", "RisbatchCommand", 1, "the RIS schema list (is the schema there?)"},
    {"admin/ScriptFileEdit.cpp", "CopyFileA", 1, "not looked at yet: the .bak copy of change and append_text"},
    {"admin/ScriptRunner.cpp", "RISLoad", 1, "the schema's tables and rows against the dump (script risload)"},
    {"admin/ScriptUserSteps.cpp", "ChangeUserOrSchema", 1, "the user listing / the RIS schema list (script steps)"},
    {"admin/ServerManagerQuery.cpp", "DeleteFileA", 5, "none: the query's own script and output"},
    {"admin/StandingState.cpp", "DeleteFileA", 2, "none: the look's own work dump"},
    {"admin/Startup.cpp", "DeleteFileA", 1, "none: the start-up probe's own file"},
    {"admin/UserSchemaStep.cpp", "RunUserSchemaStep", 1, "the user listing / the RIS schema list"},
    {"dbaccess/CRISCatalogue.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISClean.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISDumpWrite.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISExtract.cpp", "DeleteFileA", 4, "none: the access object's own work files"},
    {"dbaccess/CRISLoad.cpp", "CopyFileA", 1, "none: a copy into the work directory"},
    {"dbaccess/CRISLoad.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISQueries.cpp", "DeleteFileA", 4, "none: the access object's own work files"},
    {"dbaccess/CRISStatements.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISStatements.cpp", "RisbatchCommand", 1, "none here: DBWrite raises every failure to its caller, which looks"},
    {"dbaccess/CRISTableCopy.cpp", "RISLoad", 1, "to be set when the other helpers' branches merge"},
    {"dbaccess/CRISUnload.cpp", "CopyFileA", 1, "none: a copy into the work directory"},
    {"dbaccess/CRISUnload.cpp", "DeleteFileA", 3, "none: the access object's own work files"},
    {"dbaccess/CRISWork.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/DumpParse.cpp", "DeleteFileA", 2, "none: the access object's own work files"},
    {"dbaccess/SchemaLists.cpp", "DBWrite", 1, "none here: DBExecute hands the statement on; no caller in the program"},
    {"dbtools/CharColumnReload.cpp", "DBWrite", 1, "the table listing: which tables are dropped (DroppedTables)"},
    {"dbtools/CharColumnReload.cpp", "RISLoad", 2, "the reload: the tables unloaded again and compared with the edited dump (TablesNow); the restore: the server's row counts in one run (RowCountsNow)"},
    {"dbtools/DdlDatabase.cpp", "DBWrite", 1, "the DDL repair counts the rows, lists the tables and columns again"},
    {"dbtools/TempRoom.cpp", "DeleteFileA", 1, "none: the room file the run itself wrote"},
    {"dbtools/CharColumnReload.cpp", "CopyFileA", 1, "the kept restore dump is tested; else it stays in TEMP and is named there"},
    {"dbtools/RISTableUpdate.cpp", "DBWrite", 1, "the rows holding the old and the new value are counted (WriteAndLook)"},
    {"designfiles/DesignFileNameCorrection.cpp", "CopyFileA", 1, "both files: the copy never replaces; a failed move looks at source and copy"},
    {"designfiles/DesignFileNameCorrection.cpp", "DeleteFileA", 1, "both files: the run deletes only its own copy, unchanged since it made it"},
    {"designfiles/LinkageRun.cpp", "DeleteFileA", 2, "none: the run's own result file; a result that cannot be deleted stops the file"},
    {"designfiles/ProjectTables.cpp", "DBWrite", 1, "the correction reads the rows its UPDATE names (settle)"},
    {"filecheck/AlternativeFiles.cpp", "DeleteFileA", 2, "none: the search's own listing file"},
    {"filecheck/FileRestore.cpp", "CopyFileA", 1, "the copy is whole or not there and never replaces; the report row says which"},
    {"projcopy/CopyJournal.cpp", "DeleteFileA", 1, "the file is tested again: the undo names what stands"},
    {"services/BatchLauncher.cpp", "DeleteFileA", 1, "none: the service's own temporary file"},
    {"services/FileContents.cpp", "DeleteFileA", 1, "none: the service's own temporary file"},
    {"services/FileOperation.cpp", "DeleteFileA", 1, "none: the file service's own steps"},
    {"services/FileOperation.cpp", "ShellFileOperation", 1, "none: the file service's own steps"},
};

using Key = std::pair<std::string, std::string>;

// The text before "//" of each line, with string literals kept (a call never hides in one).
std::string codeOf(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) {
        const size_t comment = line.find("//");
        out << (comment == std::string::npos ? line : line.substr(0, comment)) << '\n';
    }
    return out.str();
}

// Calls in the source text: the name followed by "(", not a definition ("Type Class::Name(",
// a return type and a qualified name before it on its line).
std::map<Key, int> callsIn(const std::string& relative, const std::string& code)
{
    std::map<Key, int> found;
    static const std::regex definition(R"(^\s*[\w:<>\*&, ]*\w[\w<>\*&]*\s+(?:[\w:]*::)?$)");
    static const std::regex statementWord(R"(\b(return|else|do|throw|case)\b)");
    for (const char* call : kChangingCalls) {
        const std::regex pattern(std::string(R"((?:^|[^\w])()") + call + R"()\s*\()");
        for (auto it = std::sregex_iterator(code.begin(), code.end(), pattern); it != std::sregex_iterator(); ++it) {
            const size_t at = static_cast<size_t>(it->position(1));
            const size_t lineStart = code.rfind('\n', at) == std::string::npos ? 0 : code.rfind('\n', at) + 1;
            const std::string before = code.substr(lineStart, at - lineStart);
            if (std::regex_match(before, definition) && !std::regex_search(before, statementWord))
                continue;
            ++found[{relative, call}];
        }
    }
    return found;
}

TEST(ChangeInventoryTest, EveryCallOfAChangingOperationIsListedWithItsRead)
{
    const fs::path root(TARNWICK_SOURCE_DIR);
    std::map<Key, int> found;
    for (const char* folder : kFolders) {
        if (!fs::exists(root / folder))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".cpp")
                continue;
            const std::string relative = fs::relative(entry.path(), root).generic_string();
            for (const auto& [key, n] : callsIn(relative, codeOf(entry.path())))
                found[key] += n;
        }
    }
    std::map<Key, int> listed;
    for (const Entry& e : kInventory) {
        EXPECT_TRUE(listed.emplace(Key{e.file, e.call}, e.count).second) << "listed twice: " << e.file << " " << e.call;
        EXPECT_STRNE(e.read, "") << e.file << " " << e.call << ": no read after a failure";
    }
    std::ostringstream missing, stale;
    for (const auto& [key, n] : found) {
        const auto it = listed.find(key);
        if (it == listed.end() || it->second != n)
            missing << "    {\"" << key.first << "\", \"" << key.second << "\", " << n << ", \"...\"},\n";
    }
    for (const auto& [key, n] : listed)
        if (!found.count(key) || found.at(key) != n)
            stale << "    " << key.first << " " << key.second << " (listed " << n << ")\n";
    EXPECT_TRUE(missing.str().empty()) << "calls without their entry (or with another count):\n" << missing.str();
    EXPECT_TRUE(stale.str().empty()) << "entries whose calls are gone or counted otherwise:\n" << stale.str();
}

// The finder counts calls and passes over definitions and comments.
TEST(ChangeInventoryTest, TheFinderCountsCallsNotDefinitions)
{
    const std::string code = "bool DeleteFileA(const std::string& path)\n"
                             "int32_t CRIS::DBWrite(const std::string& schema,\n"
                             "    gCRIS->DBWrite(schema, sql);\n"
                             "    if (!DeleteFileA(a) || !DeleteFileA (b))\n"
                             "    return MoveFileA(a, b);\n"
                             "    else DeleteFileA(c);\n"
                             "    MyDeleteFileA(x); CopyFileAll(y);\n"
                             "    const std::string c = LoadCommand(d, s);\n";
    const std::map<Key, int> expected{{{"f.cpp", "DBWrite"}, 1},
                                      {{"f.cpp", "DeleteFileA"}, 3},
                                      {{"f.cpp", "MoveFileA"}, 1},
                                      {{"f.cpp", "LoadCommand"}, 1}};
    EXPECT_EQ(callsIn("f.cpp", code), expected);
}

} // namespace
