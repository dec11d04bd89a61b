// Wrapper RIS clients for failure tests: a folder holding risbatch.exe, risunlod.exe, rislod.exe
// and risclnsr.exe, and the server manager svrmgr30.exe (its "@script" counts as its -f file, so
// When and Parameters see the script), each handing its runs to the real stand-in client of the build unless the
// test gave it a rule to misbehave by.
//
//     testsupport::WrapperClients clients;            // all four pass through
//     cris.SetUseRIS(clients.WinFolder());             // the access object's client folder
//     clients.Set("rislod", ClientRule::DieAfter(139).When("pdtable_34_1"));
//
// While it lives the folder is also first on PATH, so a client started by its bare name
// ("rislod -m w ...") is the wrapper too. The destructor puts PATH back and removes the folder.
//
// A client may have several rules, each limited to its runs: the listing of a schema cut, its
// dump without a table.
//
//     clients.Set("risunlod", {ClientRule::CutAnswer(9).When("table all"),
//                              ClientRule::FailTable("pdtable_121", "", 0).When(".dmp")});
#pragma once

#include "platform/RegistryStore.h"
#include "support/TestEnvironment.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// How a wrapped client treats the runs its rule applies to. The client's "answer" is its -o
// file when the run has one (risbatch's output, risunlod's dump or listing), else its console
// output (which the program captures for rislod, risunlod and risclnsr). Error blocks a rule
// writes go into risbatch's -o file and onto the other clients' console.
class ClientRule {
public:
    // Every run goes to the real client unchanged.
    static ClientRule PassThrough();
    // Nothing is run: writes `answer` as the client's answer (when not empty) and ends with
    // `exitCode`.
    static ClientRule DieBefore(int exitCode, const std::string& answer = "");
    // The real client does the whole run, then the wrapper ends with `exitCode` (a crash at the
    // end). With an `error` it first answers that RIS error block: a client that did its work
    // and still reports a failure, also with exit 0.
    static ClientRule DieAfter(int exitCode, const std::string& error = "");
    // The real client runs; its answer is cut to its first `keepLines` lines and the run ends with 0.
    static ClientRule CutAnswer(int keepLines);
    // The statement that holds `text` (any case) is refused with the RIS error block of `error`:
    // risbatch runs the statements before it, then answers the block and ends with 1; the other
    // clients run nothing of a run whose input holds the text.
    static ClientRule RefuseStatement(const std::string& text, const std::string& error = "RIS_E_NO_PRIVILEGE");
    // Table `table` fails: rislod loads its input dump without the table's block and its index
    // and grant lines, risunlod writes its dump or its listing without them (also an unload of
    // all tables, which names none; limit it with When to the dump's name or to "table all"),
    // risbatch refuses the statement naming it. With an `error` the run then answers that RIS
    // error block; it ends with `exitCode` (0 with no error: the table is silently missing).
    static ClientRule FailTable(const std::string& table, const std::string& error = "RIS_E_TABLE_NOT_FOUND",
                                int exitCode = 1);

    // risunlod writes its dump with the rows of table `table` thinned: only every `keepEvery`-th
    // row kept (0: none, the block ends right after its layout line); the blocks stay closed and
    // the run ends with 0. Limit it with When as FailTable.
    static ClientRule ThinRows(const std::string& table, int keepEvery);

    // A scripted client, for answers the real ones do not give on request: nothing is run; the
    // -o file gets `output` (none is written without it), the console `console` ("<client> done"
    // without it), the -b file `badRows` (made empty without them), the -l file is made empty;
    // the run ends with `exitCode`.
    static ClientRule Scripted(const std::optional<std::string>& output, const std::optional<std::string>& console,
                               const std::optional<std::string>& badRows = std::nullopt, int exitCode = 0);
    // The run's -i file loses every line that holds `text` (any case), then the real client runs
    // it: a load that leaves out an index or a row and still ends well.
    static ClientRule DropLines(const std::string& text);
    // As DropLines, but every `text` (exact case) of the -i file becomes `replacement`: a load
    // that changes a value or a column type and still ends well.
    static ClientRule EditLines(const std::string& text, const std::string& replacement);

    // The program that started the client is killed with SIGKILL together with the client, as a
    // closed terminal kills every process of its group: before the client runs anything, or
    // after the real client did its whole run (afterRun). It acts only in the process group that
    // the environment variable TW_KILLABLE_GROUP names: a test sets it in a child it made the
    // leader of a group of its own. Elsewhere the run ends with 99, killing nothing.
    static ClientRule KillProgram(bool afterRun);

    // Applies the rule only to runs whose arguments, -i file or -f file hold `text` (any case);
    // other runs pass through.
    ClientRule& When(const std::string& text);
    // Applies the rule to the first `runs` runs it matches only; later ones pass through.
    ClientRule& Times(int runs);
    // The runs the rule applies to begin `ms` milliseconds late: a slow client, with time to
    // press a button while it runs.
    ClientRule& Slowed(int ms);

private:
    friend class WrapperClients;
    std::string Script(size_t index) const;  // the shell text of the rule, counting its runs in hits file `index`

    enum class Act { PassThrough, DieBefore, DieAfter, CutAnswer, Refuse, FailTable, DropLines, EditLines, Scripted,
                     ThinRows, KillProgram };
    Act act_ = Act::PassThrough;
    int exitCode_ = 0;
    std::string answer_;
    int keepLines_ = 0;
    std::string text_;   // the refused statement's text or the failing table
    std::string error_;  // the RIS error code answered
    std::string drop_;   // the text of the lines DropLines takes out, or that EditLines replaces
    std::string replacement_;  // EditLines
    std::optional<std::string> output_, console_, badRows_;  // Scripted
    std::string when_;
    int times_ = 0;  // 0 = every matching run
    int slowMs_ = 0;
};

class WrapperClients {
public:
    WrapperClients();
    ~WrapperClients();
    WrapperClients(const WrapperClients&) = delete;
    WrapperClients& operator=(const WrapperClients&) = delete;

    // Gives `client` ("risbatch", "risunlod", "rislod", "risclnsr" or "svrmgr30") its rule, replacing the
    // ones it had; its count of runs starts again.
    void Set(const std::string& client, const ClientRule& rule);
    // The same with several rules, tried in their order on each run: the first that applies to
    // the run acts on it (a DropLines rule leaves the run to the rules after it); each counts
    // its own Times.
    void Set(const std::string& client, const std::vector<ClientRule>& rules);
    // Registers the folder as the installed RIS client (the registry's RIS path), so that a
    // program finding its clients there, as the program run as a process does, runs the
    // wrappers too. The destructor registers the former path again.
    void Register();
    // The folder in Windows form with a trailing backslash, as CRIS::SetUseRIS takes it.
    std::string WinFolder() const;
    // How many times `client` was started since its rule was set, and the arguments of each of
    // these runs, one line per run.
    int Runs(const std::string& client) const;
    std::string Arguments(const std::string& client) const;
    // The -i and the -f file of `client`'s last run that had one, as it stood when the run began.
    std::string Input(const std::string& client) const;
    std::string Parameters(const std::string& client) const;

    // A RIS error block as the clients frame it, with `error` and a line of detail.
    static std::string ErrorBlock(const std::string& error, const std::string& detail);

private:
    ScopedDir dir_{"wrapris"};
    std::string savedPath_;
    // The registry's RIS client paths before Register, by version key; empty when not registered.
    std::vector<std::pair<std::string, std::optional<RegistryData>>> registeredBefore_;
};

} // namespace testsupport
