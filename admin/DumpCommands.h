// The main window's dump unload and load: the operations RISUnload, edrisdmp and RISLoad (also
// script commands) and the loops of the unload and load buttons and of "/risunloadall".
#pragma once

#include "admin/RunReport.h"
#include "dbaccess/LoadMarks.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class DumpCommands {
public:
    using ParamOperation = std::function<void(const std::string& params)>;

    // Parameter texts hold single-quoted tokens; "§key§" in a token is replaced from [TARNWICK].

    // Token 1 the schema, token 2 the dump file. risunlod (output into the program log) writes
    // a new file "<dump>.<process id>.tw.tmp" beside the dump; such files of ended processes
    // are removed first. It is renamed into the old dump's place (through a symbolic link, onto
    // the file it names), its first line already rewritten to "default schema", only when the
    // client reported no error, the file is a whole dump of the schema (CheckDumpWhole) and it
    // holds every table of the schema, as the access object's listing and the dictionary
    // (risbatch) each list them, each with as many rows as the server counts (one risbatch run
    // for all). A table of the old dump (a whole dump of the schema) that neither lists any more
    // is no refusal: the old dump is first copied whole beside it ("<dump>.before-drop_<time>.bak",
    // which no load takes) and a warning names both files. Otherwise the old dump stays
    // byte for byte, the new file goes, and the failure, naming the schema, the dump and the
    // reason (the missing tables, or each short table with both counts), is noted and raised.
    // Nothing is unloaded, and the file stays, when it is no dump of the schema
    // (DumpTargetRefusal), while a change of the schema runs in a program, or while a load runs
    // from it or has left its record (LoadMarks::KeptFor): asked before the client runs and
    // again before the new dump takes the old one's place.
    void RISUnload(const std::string& params);
    // Token 1 the dump file: its "create schema" line becomes a "default schema" line of the
    // same length. A missing dump raises "Edrisdmp File: '<file>' does not exist".
    void edrisdmp(const std::string& params);
    // Token 1 the dump file: loads it with rislod into the schema its "default schema" line names; a dump
    // without that line raises, naming the file, and one that is not whole (CheckDumpWhole) is not loaded,
    // the failure noted. The load holds the schema's mark (LoadMarks) until its look has spoken: while
    // another program changes the schema it is refused, naming the running change, and the refusal is noted.
    // Its record, written before the schema's mark, keeps the dump from every unload until a look finds a load
    // of that file whole: a load refused before it began (no regular file, no "default schema" line, a dump not
    // whole, the mark held) keeps it too, saying why.
    // Every load, whatever the client's end, is followed by a read of the schema
    // (StandingState::LoadAndLook): when its tables hold the dump's rows, columns, indexes and grants, the
    // status line says so and the load counts as done (also after a client that died at its end or named
    // a refusal, which the sentence then names); otherwise what the schema holds is noted in the report and
    // raised, so a script stops there. A dead change's mark on the schema stays unless that look found
    // every table of the schema whole.
    void RISLoad(const std::string& params);

    // RISUnload of one schema into its dump file in gDumpDir. A failed unload, or a dump that
    // cannot be replaced, is noted in the report naming the schema and the file, and keeps the
    // old dump (then false); the caller goes on with the next schema. Raises only when no dump
    // folder is given.
    bool UnloadSchema(const std::string& schema);

    struct UnloadAllResult {
        int unloaded = 0;     // dumps written anew
        int skipped = 0;      // "mto_" schemas passed over
        bool escaped = false; // Esc ended the walk
    };
    // Every schema of the schema list but the "mto_" ones, in list order; stops when Esc is
    // pressed during the walk (a press before it does not count) or the program is to end. No lock, no message:
    // failed unloads are in the report, raised errors pass to the caller.
    UnloadAllResult risunloadall();

    // Loads every "default schema" dump of gDumpDir (project empty), or those whose schema
    // belongs to the project. pollEsc: Esc pressed during the run ends the loop between files
    // (then false). Raises, naming the folder, when it does not exist or holds no such dump.
    // Each dump is loaded under its schema's mark, taken before its user and schema are made.
    bool LoadDumpDirectory(const std::string& project, bool pollEsc);
    // Loads chosen files: a raw dump's first line is rewritten first, then the [Replace]
    // edits are applied, then it is loaded. Esc pressed during the run ends the loop between
    // files (then false).
    bool LoadChosenFiles(const std::vector<std::string>& files);

    // Writes, before a command's first step, the record of the load of each of the dumps (those
    // whose first line names a schema) that it will load (LoadMarks, LoadRecords): a program cut
    // off before it reaches a dump leaves that dump kept from every unload. The loads take their
    // records over; those of loads that never began stay after EndLoadsAhead (the user asked to
    // load those dumps), saying that the command ended before them. Raises when a record
    // cannot be written or another program loads from that dump ("The load of '<dump>' into
    // <schema> was not started: " and why, naming the marks folder or file and what failed).
    void RecordLoadsAhead(const std::vector<std::string>& dumps);
    // The same for a script, from the parameter texts of its "risload" lines; a dump at the place
    // a "risunload" line of the script writes, however spelled, is the script's own to replace and
    // gets none.
    void RecordScriptLoadsAhead(const std::vector<std::string>& loadParams,
                                const std::vector<std::string>& unloadParams);
    void EndLoadsAhead();

    // Outcome of the outside programs since the last Clear.
    RunReport& report() { return report_; }

    // --- seams ---------------------------------------------------------------------------
    // Cre_DBUser and cre_schema: make the database user and RIS schema of a dump before it
    // is loaded, and give what their tools reported as failed. Unset, the load goes straight
    // to rislod.
    using SetupOperation = std::function<std::vector<std::string>(const std::string& params)>;
    SetupOperation creDBUser;
    SetupOperation creSchema;
    // Whether Esc is down or was pressed since the last test.
    std::function<bool()> escPressed = [] { return false; };
    // Whether the program is to end: every loop stops before its next schema or file, after
    // the client that runs has finished.
    std::function<bool()> stopRequested = [] { return false; };
    // Waits the given seconds while window events run.
    std::function<void(double)> pause;
    // The wait before a first-line rewrite, in milliseconds.
    int rewriteDelayMs = 1000;

private:
    // Raises, naming ownName, when no dump folder is given; gives it in full.
    static void requireDumpDir(const std::string& ownName);
    static std::string dumpFolder(const std::string& ownName);
    void noteFailure(const std::string& text);
    // False when the unload failed (noted in the report; the old dump untouched).
    bool unloadTo(const std::string& schema, const std::string& dump);
    // Puts the checked new dump (fresh) in the dump's place; with tables `gone` (the old dump
    // holds them, the server lists them no more) the old dump is first kept whole beside it and
    // a warning says both names. False, the failure noted and the old dump as it was, otherwise.
    bool placeNewDump(const std::string& schema, const std::string& fresh, const std::string& dump,
                      const std::vector<std::string>& gone);
    void rewriteFirstLine(const std::string& dump);
    bool takeMarks(std::optional<LoadMarks>& marks, const std::string& schema, const std::string& dump);
    // Loads the dump under the marks taken (taken here when none of its schema are given). A load
    // refused before it began keeps its record, saying why. False when no record of the load was
    // written (the failure noted).
    bool loadFrom(const std::string& dump, std::optional<LoadMarks>* taken = nullptr);
    bool loadOne(const std::string& file, const std::string& schema, double pauseSeconds,
                 std::optional<LoadMarks>* taken = nullptr);
    // What became of a dead change's mark the load carried, on the status line.
    void sayCarried(const LoadMarks& marks);
    void setUp(const SetupOperation& operation, const std::string& params);
    void wait(double seconds);

    RunReport report_;
    std::unique_ptr<LoadRecords> ahead_;
};
