// The main window's dump unload and load: the operations RISUnload, edrisdmp and RISLoad (also
// script commands) and the loops of the unload and load buttons and of "/risunloadall".
#pragma once

#include "admin/RunReport.h"

#include <functional>
#include <string>
#include <vector>

class DumpCommands {
public:
    using ParamOperation = std::function<void(const std::string& params)>;

    // Parameter texts hold single-quoted tokens; "§key§" in a token is replaced from [TARNWICK].

    // Token 1 the schema, token 2 the dump file. Removes the old dump first, so that a failed
    // unload cannot leave it behind as if new, then runs risunlod into the program log.
    void RISUnload(const std::string& params);
    // Token 1 the dump file: its "create schema" line becomes a "default schema" line of the
    // same length. A missing dump raises "Edrisdmp File: '<file>' does not exist".
    void edrisdmp(const std::string& params);
    // Token 1 the dump file: loads it with rislod into the schema its "default schema" line
    // names; a dump without that line raises, naming the file.
    void RISLoad(const std::string& params);

    // RISUnload and edrisdmp of one schema into its dump file in gDumpDir.
    void UnloadSchema(const std::string& schema);
    // Every schema of the schema list but the "mto_" ones, in list order; stops when Esc is
    // pressed (then false). No lock, no message: errors pass to the caller.
    bool risunloadall();

    // Loads every "default schema" dump of gDumpDir (project empty), or those whose schema
    // belongs to the project. pollEsc: Esc ends the loop between files (then false).
    bool LoadDumpDirectory(const std::string& project, bool pollEsc);
    // Loads chosen files: a raw dump's first line is rewritten first, then the [Replace]
    // edits are applied, then it is loaded. Esc ends the loop between files (then false).
    bool LoadChosenFiles(const std::vector<std::string>& files);

    // Outcome of the outside programs since the last Clear.
    RunReport& report() { return report_; }

    // --- seams ---------------------------------------------------------------------------
    // Cre_DBUser and cre_schema: make the database user and RIS schema of a dump before it
    // is loaded. Unset, the load goes straight to rislod.
    ParamOperation creDBUser;
    ParamOperation creSchema;
    // Whether Esc is down or was pressed since the last test.
    std::function<bool()> escPressed = [] { return false; };
    // Waits the given seconds while window events run.
    std::function<void(double)> pause;
    // The wait before a first-line rewrite, in milliseconds.
    int rewriteDelayMs = 1000;

private:
    // Runs one client command line with its output appended to the program log and notes
    // its outcome under what.
    void runClient(const std::string& what, const std::string& commandLine);
    void unloadTo(const std::string& schema, const std::string& dump);
    void rewriteFirstLine(const std::string& dump);
    void loadFrom(const std::string& dump);
    void loadOne(const std::string& file, const std::string& schema, double pauseSeconds);
    void wait(double seconds);

    RunReport report_;
};

// The files of an open-file answer: one full path, or a folder followed by file names, each
// after a NUL character (a multiple choice). Empty for a cancelled dialog.
std::vector<std::string> ChosenFiles(const std::string& answer);
