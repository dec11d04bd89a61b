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
// rislod command lines, the user and schema steps, and every direct start of an outside program
// (a copy, del, mkdir, rmdir, xcopy or client run outside the access object changes data too).
const char* const kChangingCalls[] = {
    "DBWrite", "RISLoad", "RISTableCopy", "RISCreateSchema", "RISDropSchema", "ORACreateUser", "ORADropUser",
    "SQLCreateUser", "SQLDropUser", "RISClean", "RISDumpCreate", "CopyFileA", "MoveFileA", "DeleteFileA",
    "ShellFileOperation", "ServerManagerCommand", "LoadCommand", "RisbatchCommand", "ChangeUserOrSchema",
    "RunUserSchemaStep", "MakeWholeBackup", "ExecA", "LoggedRun::Run", "AppendLineWhole", "RunCopyClient",
    "RunCopyCommand",
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
    {"admin/CommandScriptHost.cpp", "RISLoad", 1, "after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value (script risload)"},
    {"admin/DbUsers.cpp", "DeleteFileA", 1, "none: the run's own scratch script"},
    {"admin/DbUsers.cpp", "ServerManagerCommand", 2, "the database user listing (is the user there?)"},
    {"admin/DumpCommands.cpp", "DeleteFileA", 1, "none: the unload's own new dump file"},
    {"admin/DumpCommands.cpp", "LoadCommand", 1, "after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value"},
    {"admin/DumpCommands.cpp", "LoggedRun::Run", 2, "unload: the new dump is checked whole against the listing, the dictionary, the old dump's tables and the server's counts before it replaces the old; load: after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value"},
    {"admin/DumpReplacer.cpp", "MakeWholeBackup", 1, "the .bak against the dump (same size and bytes); no edit without it"},
    {"admin/Families.cpp", "ChangeUserOrSchema", 1, "the user listing / the RIS schema's own dictionary entry"},
    {"admin/Form1.cpp", "ChangeUserOrSchema", 1, "the user listing / the RIS schema's own dictionary entry (load buttons)"},
    {"admin/Form1Dump.cpp", "RISLoad", 1, "after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value (script risload)"},
    {"admin/LoggedRun.cpp", "DeleteFileA", 1, "none: the run's own temporary log"},
    {"admin/LoggedRun.cpp", "ExecA", 1, "none here: the run's exit code and output go to its callers, which look"},
    {"admin/Maintenance.cpp", "DeleteFileA", 1, "none: the grant run's own statement file"},
    {"admin/Maintenance.cpp", "LoggedRun::Run", 3, "grant: the grants the tables carry (GrantLook); clean: the RIS schema's own dictionary entry and the users (CleanLook); mscode.bat: not knowable, the design system's own work"},
    {"admin/PipingModelRestore.cpp", "DeleteFileA", 7, "none: the run's own statement, output, part and empty bad files"},
    {"admin/PipingModelRestore.cpp", "ExecA", 1, "none: a read, changes nothing (the model listing's select)"},
    {"admin/PipingModelRestore.cpp", "LoadCommand", 1, "after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value, against the partial dump; the bad file"},
    {"admin/PipingModelRestore.cpp", "LoggedRun::Run", 1, "after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value, against the partial dump; the bad file"},
    {"admin/RisSchemas.cpp", "ExecA", 1, "none: the run's own scratch statement file"},
    {"admin/RisSchemas.cpp", "RisbatchCommand", 1, "the RIS schema's own dictionary entry (is the schema there?)"},
    {"admin/ScriptCommands.cpp", "ExecA", 1, "not knowable: the script's own doscmd; its output is in the log, a start failure on the status line"},
    {"admin/ScriptFileEdit.cpp", "AppendLineWhole", 1, "the file against its whole .bak: as it was (not done) or not known"},
    {"admin/ScriptFileEdit.cpp", "MakeWholeBackup", 1, "the .bak against the file (same size and bytes); no edit without it"},
    {"admin/ScriptRunner.cpp", "RISLoad", 1, "after every load (LookAfter::EveryCall, LoadLook): the server's counts of the dump's tables against the dump as loaded, its grants read back, tables that held as many rows before unloaded and compared by value (script risload)"},
    {"admin/ScriptSettings.cpp", "ExecA", 1, "none: the text editor the user works in"},
    {"admin/ScriptUserSteps.cpp", "ChangeUserOrSchema", 1, "the user listing / the RIS schema's own dictionary entry (script steps)"},
    {"admin/ServerManagerQuery.cpp", "DeleteFileA", 5, "none: the query's own script and output"},
    {"admin/ServerManagerQuery.cpp", "ExecA", 1, "none: a read, changes nothing (its output is checked whole)"},
    {"admin/Startup.cpp", "DeleteFileA", 1, "none: the start-up probe's own file"},
    {"admin/ToolRun.cpp", "LoggedRun::Run", 1, "the user listing / the RIS schema's own dictionary entry (ChangeUserOrSchema looks after the tool)"},
    {"admin/UserSchemaStep.cpp", "RunUserSchemaStep", 1, "the user listing / the RIS schema's own dictionary entry"},
    {"dbaccess/CRIS.cpp", "ExecA", 1, "the work directory: tested again until it is gone or the time is up"},
    {"dbaccess/CRISCatalogue.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISCatalogue.cpp", "ExecA", 1, "none: a read, changes nothing (the listing is checked whole)"},
    {"dbaccess/CRISClean.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISClean.cpp", "ExecA", 1, "none here: RISClean raises every failure to its caller (the main window's clean looks itself)"},
    {"dbaccess/CRISDumpWrite.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISExtract.cpp", "DeleteFileA", 4, "none: the access object's own work files"},
    {"dbaccess/CRISLoad.cpp", "CopyFileA", 1, "none: a copy into the work directory"},
    {"dbaccess/CRISLoad.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISLoad.cpp", "ExecA", 1, "none here: RISLoad raises every failure to its caller, which looks"},
    {"dbaccess/CRISQueries.cpp", "DeleteFileA", 4, "none: the access object's own work files"},
    {"dbaccess/CRISStatements.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/CRISStatements.cpp", "ExecA", 1, "none here: DBWrite raises every failure to its caller, which looks"},
    {"dbaccess/CRISStatements.cpp", "RisbatchCommand", 1, "none here: DBWrite raises every failure to its caller, which looks"},
    {"dbaccess/CRISTableCopy.cpp", "RISLoad", 1, "after every load (ChangeAndLook, EveryCall): the target's tables, their counts and their rows' values (one unload) against the dump's and those before the load; a failed load never done by a count"},
    {"dbaccess/CRISUnload.cpp", "CopyFileA", 1, "none: a copy into the work directory"},
    {"dbaccess/CRISUnload.cpp", "DeleteFileA", 3, "none: the access object's own work files"},
    {"dbaccess/CRISUnload.cpp", "ExecA", 1, "the dump: whole, every asked table (asked for all: every table the dictionary lists), the server's row counts, or no dump at all"},
    {"dbaccess/CRISWork.cpp", "DeleteFileA", 1, "none: the access object's own work files"},
    {"dbaccess/WholeTableRead.cpp", "DeleteFileA", 2, "none: the read's or the run's own dump in the work directory"},
    {"dbaccess/DumpParse.cpp", "DeleteFileA", 2, "none: the access object's own work files"},
    {"dbaccess/SchemaLists.cpp", "DBWrite", 1, "none here: DBExecute hands the statement on; no caller in the program"},
    {"dbtools/CharColumnBackupCheck.cpp", "MoveFileA", 1, "MoveFileA says whether the file moved: a backup dump not found whole is called kept under its refused name only then, else named as standing, not to be loaded"},
    {"dbtools/CharColumnReload.cpp", "CopyFileA", 1, "the kept restore dump is tested; else it stays in TEMP and is named there"},
    {"dbtools/CharColumnReload.cpp", "DBWrite", 1, "ChangeAndLook after every DROP: the table listing, is the table gone (DroppedTables)"},
    {"dbtools/CharColumnReload.cpp", "RISLoad", 1, "ChangeAndLook after every load: the reloaded and the restored tables unloaded again and compared whole with the edited and the restore dump (TablesNow: columns, rows, values, indexes, grants); a restore that cannot be unloaded only counted (RowCountsNow), never called as it was"},
    {"dbtools/CharColumnViews.cpp", "DBWrite", 1, "ChangeAndLook after every call: the schema's views read again, is the view there as in the backup"},
    {"dbtools/DdlDatabase.cpp", "DBWrite", 1, "the DDL repair counts the rows (and the partition's other users before its row goes), lists the tables and columns again after every batch"},
    {"dbtools/RISTableUpdate.cpp", "DBWrite", 1, "the rows holding the old and the new value are counted after every write (WriteAndLook)"},
    {"dbtools/TempRoom.cpp", "DeleteFileA", 1, "none: the room file the run itself wrote"},
    {"designfiles/DesignFileMove.cpp", "CopyFileA", 1, "both files: a read-only source is refused before the copy, the copy never replaces; every move, also one that ended well, looks at source and copy"},
    {"designfiles/DesignFileMove.cpp", "DeleteFileA", 1, "both files: the move deletes only its own copy, unchanged since it made it, after the move is recorded given up"},
    {"designfiles/FileNameCorrectionRecord.cpp", "DeleteFileA", 1, "both files: a copy is deleted only when its target holds the content the run recorded; then both are tested again"},
    {"designfiles/LinkageRun.cpp", "DeleteFileA", 2, "none: the run's own result file; a result that cannot be deleted stops the file"},
    {"designfiles/LinkageRun.cpp", "ExecA", 1, "none: a read of the design file into the run's own result file"},
    {"designfiles/ProjectTables.cpp", "DBWrite", 1, "the correction reads the file names of the row its UPDATE names, by its key and folder, before and after every call (judgeRows)"},
    {"filecheck/AlternativeFiles.cpp", "DeleteFileA", 2, "none: the search's own listing file"},
    {"filecheck/AlternativeFiles.cpp", "ExecA", 1, "none: a read, changes nothing (dir into the search's own listing)"},
    {"filecheck/FileRestore.cpp", "CopyFileA", 1, "the copy is whole or not there and never replaces; after every copy the target is looked at (there, with the source's bytes: CompareCopy); the report row says which"},
    {"projcopy/CopyJournalUndo.cpp", "DeleteFileA", 1, "the file is tested again: the undo names what stands"},
    {"projcopy/CopyJournalUndo.cpp", "ExecA", 1, "the folder is tested again: the undo names it when it stands"},
    {"projcopy/CopyLog.cpp", "ExecA", 1, "none: the run's own copy log, made anew"},
    {"projcopy/CopyClientRun.cpp", "ExecA", 2, "none here: the exit code and the client's own words go to its callers, which look"},
    {"projcopy/CopyClientRun.cpp", "RunCopyClient", 1, "none here: the same run, its words to the caller"},
    {"projcopy/DesignTableCopy.cpp", "RunCopyClient", 4, "the load, after every run: does the table stand, with the dump's rows (CopyJournal::LoadState), then every object against the dump, a RIS error rislod names failing it; the unloads and the count: reads, their answers checked whole"},
    {"projcopy/DesignTableCopy.cpp", "RunCopyCommand", 1, "none: copy and del of the run's own files"},
    {"projcopy/ModelRelocation.cpp", "RunCopyClient", 1, "after every xcopy: every file of the mask with its size, the model file, the folders and files xcopy left journalled"},
    {"projcopy/RisParamsAccess.cpp", "RunCopyClient", 5, "a statement: the row read back whole by the caller after every run, a named refusal kept; the reads and unloads: their answers checked whole"},
    {"projcopy/RisParamsAccess.cpp", "RunCopyCommand", 5, "none: del of its own files"},
    {"services/BatchLauncher.cpp", "DeleteFileA", 1, "none: the service's own temporary file"},
    {"services/FileContents.cpp", "DeleteFileA", 1, "none: the service's own temporary file"},
    {"services/FileOperation.cpp", "DeleteFileA", 1, "none: the file service's own steps"},
    {"services/FileOperation.cpp", "ExecA", 1, "the folder: mkdir counts only when the folder is there afterwards"},
    {"services/FileOperation.cpp", "ShellFileOperation", 1, "none: the file service's own steps"},
    {"services/WholeBackup.cpp", "CopyFileA", 1, "the backup against the file: same size and bytes (CompareCopy)"},
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
                             "    const std::string c = LoadCommand(d, s);\n"
                             "long ExecA(const std::string& command, const std::string& logFile,\n"
                             "LoggedRun LoggedRun::Run(const std::string& command)\n"
                             "    const LoggedRun run = LoggedRun::Run(UnloadCommand(s, f));\n"
                             "    return ExecA(command, log, 0, \"\", pid, true);\n"
                             "    MyExecA(x); ToolRun::Run(y);\n";
    const std::map<Key, int> expected{{{"f.cpp", "DBWrite"}, 1},     {{"f.cpp", "DeleteFileA"}, 3},
                                      {{"f.cpp", "MoveFileA"}, 1},   {{"f.cpp", "LoadCommand"}, 1},
                                      {{"f.cpp", "ExecA"}, 1},       {{"f.cpp", "LoggedRun::Run"}, 1}};
    EXPECT_EQ(callsIn("f.cpp", code), expected);
}

} // namespace
