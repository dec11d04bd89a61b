// What the copy of a model has made in the target project (rows inserted, files and a folder
// created, design tables loaded), so that a copy that fails takes out exactly that and nothing
// that was there before. Every entry keeps the project, schema and parameters file it was made
// in: the undo goes there, whatever the window shows by then. Each entry is recorded before its
// step runs, in the journal file when there is one (see CopyJournalFile), and kept, marked made
// or dropped after the step's look; so a program killed at any step leaves on disk what it may
// have made. Each step of the undo looks first whether what an entry names stands, and is still
// as the copy made it (a row column by column, a file by its size, last write and digest, a
// design table by its rows), takes it out, and looks again; the journal shrinks only after that
// look. A row another row still uses stays; what stays is named. What is no longer as made (the
// user changed it, or put files into a folder the copy made), or what a dead copy left that
// cannot be looked at (its parameters file gone), is named and left to the user: its entry goes,
// so it never holds later copies up.
#pragma once

#include "dbaccess/TableCopyCheck.h"
#include "projcopy/CopyJournalEntry.h"
#include "services/ChangeOutcome.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class CopyJournalFile;
class CopyLog;
class Recordset;
class RisParamsAccess;

// The target a copy writes to, taken when the copy starts.
struct CopyTarget {
    std::string project;    // without "pd_"/"dd_"
    std::string params;     // its RIS parameters file
    std::string paramsText; // that file's text when the copy starts (ParamsText)
};

// The text of a RIS parameters file, to reach its environment when the file is gone or changed;
// empty when the path is blank, the file cannot be read or is too large to be one.
std::string ParamsText(const std::string& paramsFile);

class CopyJournal {
public:
    // file, when given, keeps the entries on disk; it outlives the journal.
    CopyJournal(CopyTarget target, const RisParamsAccess& ris, const CopyLog& log,
                const CopyJournalFile* file = nullptr)
        : target_(std::move(target)), ris_(ris), log_(log), file_(file)
    {
    }
    // Removes the copy of a parameters file's text it reached an environment through.
    ~CopyJournal();
    CopyJournal(const CopyJournal&) = delete;
    CopyJournal& operator=(const CopyJournal&) = delete;

    const CopyTarget& Target() const { return target_; }

    // The model whose copy the entries recorded from now on belong to.
    void Begin(const std::string& m) { model_ = m; }
    // Entries a program that was killed left in the journal file, put before this run's: each
    // is looked at before it is taken out.
    void Adopt(std::vector<JournalEntry> left);
    // The models that entries name, in the order first recorded.
    std::vector<std::string> Models() const;

    // The current row of rs, column by column, as BuildInsertStatement writes it.
    static RowImage ImageOf(Recordset& rs);

    // An entry of the current model in the target: a row (schema "pd_<project>", name its
    // table), a file or folder (schema empty, name its path) or a design table (schema
    // "dd_<project>").
    JournalEntry NewEntry(JournalEntry::Kind kind, const std::string& schema, const std::string& name) const;
    // Before the model's first step: everything its copy will make, as far as it is known then
    // (its rows, files, folders and design tables, each with what it will be), in one write.
    // The steps find their entries there. Throws AppError when it cannot be written: nothing of
    // the model may be made then.
    void Intend(const std::vector<JournalEntry>& planned);

    // Runs the INSERT of row into table of the target's project schema; key (a condition on
    // its key, found free by the caller) finds it, and it is the copy's own only when every
    // column equals row. The row is recorded before the client runs (found among the model's
    // intended entries, else written now); after every run, whatever
    // the client said, the row is read again: one that stands as inserted stays recorded, and
    // counts (the copy goes on) unless the client named a refusal, which stands: the row then
    // goes with the rest at the undo. A row of that key that differs is another's and is never
    // taken for the copy's; one that cannot be read stays recorded so that the undo looks for
    // it. users are the rows that keep this one in place at the undo. False when the row is not
    // in for certain; the copy log says why and what stands (what names the row: "model
    // 'P1001'"). Throws AppError when the row cannot be recorded: the INSERT does not run then.
    bool InsertRow(const std::string& m, const std::string& table, const std::string& statement,
                   const std::string& key, const RowImage& row, const std::string& what,
                   const std::vector<RowUser>& users = {});

    // A file xcopy may make: the source file, its copy in the target and what that copy will
    // be (the source's size and bytes).
    struct FileCopy {
        std::string source, copy;
        MadeImage image;
    };
    static FileCopy WillMake(const std::string& source, const std::string& copy);
    // Before xcopy runs: the files it may make and the folders of the target that are missing,
    // outermost first, written once where they are not recorded as they are already (a folder
    // recorded ahead that stands now is no longer the copy's). Throws AppError when they cannot
    // be recorded: the copy does not run then.
    void WillCopyFiles(const std::vector<FileCopy>& files, const std::vector<std::string>& folders);
    // After xcopy: what stands of them stays recorded, the rest is dropped; found are the files
    // of the model's name in the target folder now, the copy's own as no other stood there.
    void FilesCopied(const std::vector<std::string>& found);
    // Before a design table of the target's design schema is loaded (it did not stand before);
    // loads is what the load will make (the rows of the dump it loads). Recorded already, the
    // table is written again only when those rows are not the ones recorded. Throws AppError
    // when it cannot be recorded: the load does not run then.
    void WillLoadTable(const std::string& table, const MadeImage& loads);
    // After the load's look: a table the load did not make is dropped; one it made, or may have
    // made, is recorded with its rows as they stand now (stands, as the look read them; read
    // anew when not known).
    void TableLoaded(const std::string& table, ChangeState state, const MadeImage& stands = {});
    // The rows of a design table as a copy's look compares them, read through one unload: in
    // the fixed layout for what a copy of it loads, in the variable one as the target holds
    // them. Not known when they cannot be read; missing (when given) tells a schema without it.
    MadeImage TableImage(const std::string& params, const std::string& schema, const std::string& table,
                         CopyLayout layout, bool* missing = nullptr) const;

    // Whether this copy made the file, or loaded the design table (its look found it so): a
    // second row of the model finds them standing, and they are no one else's. What is only
    // intended is not made.
    bool MadeFile(const std::string& path) const;
    bool MadeTable(const std::string& table) const;
    // The source file the copy made path from; empty when it did not make it.
    std::string SourceOf(const std::string& path) const;

    // No entry of the current model.
    bool Empty() const;
    // Entries of model m stand: something of its copy is kept to be taken out later.
    bool Holds(const std::string& m) const;
    // No entry at all: nothing of any copy is left to take out.
    bool NothingLeft() const { return entries_.empty(); }
    // The current model went in whole: what it made stays, and is no longer recorded. Throws
    // AppError when the journal file cannot be written: the model is then not known for whole.
    void Keep();

    // Takes out what was recorded for model m, last first, and looks whether each is gone; what
    // was recorded but is not there (its step never ran) is dropped without a word, and so is
    // an intended row whose key holds a row that is not the copy's. Only what is still as the
    // copy made it is taken out. Logs after the fact, once, what was taken out and what is left
    // (and why). What is left because its take-out failed stays recorded for a later run; what
    // is left because it is no longer as made, is used by rows outside the journal, or (left by
    // a dead program) cannot be looked at, is left to the user and no longer recorded. Returns
    // the texts of what is left, empty when everything went; halfMade (when given) tells whether
    // what is left is part of the model itself (its row of pdtable_113, a file, a design table),
    // not only a folder or a discipline or area row. Never throws.
    std::vector<std::string> Undo(const std::string& m, bool* halfMade = nullptr);

    // Why the environment a row or design table entry was made in cannot be reached (its
    // parameters file gone, and no text of it recorded); empty when it can, and for a file or
    // folder.
    static std::string Unreached(const JournalEntry& e);

    // How an entry is named in the log: "model 'P1001' (pdtable_113)", "file '<path>'",
    // "folder '<path>'", "design table pdtable_12_1 of dd_demo".
    static std::string Describe(const JournalEntry& e);

    // Whether a design table stands in the target's design schema: 1 yes, 0 no, -1 unknown
    // (failure says why). A table without rows stands too. Asked so that a "no" is no failure
    // in the copy log.
    int TableStands(const std::string& table, std::string& failure) const;
    // What stands of a load of table that should have brought rows rows: Done when it stands
    // with them all, NotDone when it is not there, NotKnown when short; raises (CouldNotRead)
    // when it cannot be counted. The count tells only because the table did not stand before the
    // load: the copy loads no table that stands, and does not load again one it made itself.
    ChangeState LoadState(const std::string& table, uint64_t rows, std::string& seen) const;

private:
    using Entry = JournalEntry;
    using Kind = JournalEntry::Kind;
    // What an undo finds of an entry before it takes it out.
    struct Look {
        enum class State { Gone, AsMade, Changed, Unknown } state = State::Gone;
        std::string why; // Changed, Unknown: why it is left
    };
    // How an undo step ended.
    struct TakeOut {
        bool gone = false;    // not there afterwards
        bool settled = false; // left to the user: the entry goes
        bool unknown = false; // what stands could not be told
        std::string why;      // why it is left
    };
    Entry entry(Kind kind, const std::string& schema, const std::string& name) const;
    // The parameters file that reaches the environment e was made in: its own while it stands
    // with the text recorded (or none was recorded), else a copy of the recorded text in this
    // run's work file; nullopt when neither can be had, why saying so.
    std::optional<std::string> reach(const Entry& e, std::string& why) const;
    // reach, raising CouldNotRead with why when it cannot.
    std::string paramsFor(const Entry& e) const;
    // Records e before its step: the journal file is written first. Returns its index.
    size_t intend(Entry e);
    // The entry at index is made (Made) or was not (dropped); written as best it can be.
    void settle(size_t index, ChangeState state);
    void erase(size_t index);
    // Writes the journal file; save throws, saveQuietly passes a failure over (the file then
    // lists more than stands, which a later undo looks at first).
    void save() const;
    void saveQuietly() const;
    // An entry of the kind and name in the target, found by its state Made.
    bool made(Kind kind, const std::string& schema, const std::string& name) const;
    const Entry* find(Kind kind, const std::string& schema, const std::string& name) const;
    // Whether the row the entry inserted stands: Done when a row of its key equals it, NotDone
    // when none does (seen names another row of that key); raises (CouldNotRead) when it cannot
    // be read.
    // another: a row of its key stands that is not the one inserted.
    // stands: the row found as the copy's, as the server prints it.
    ChangeState rowState(const Entry& e, std::string& seen, bool* another = nullptr, RowImage* stands = nullptr) const;
    int tableStands(const std::string& params, const std::string& schema, const std::string& table,
                    std::string& failure) const;
    // Whether what the entry names stands now, and as the copy made it. Never throws.
    Look lookAt(const Entry& e) const;
    Look lookAtFile(const Entry& e) const;
    Look lookAtTable(const Entry& e) const;
    // Whether now shows the file as the copy made it.
    static Look fileIs(const Entry& e, const MadeImage& now);
    // An undo moved the file aside and ended before it went or was put back: it stands there.
    static bool movedAside(const Entry& e);
    // The names of the rows that use the entry's row; failure when they cannot be read.
    std::vector<std::string> usedBy(const Entry& e, std::string& failure) const;
    TakeOut takeOut(const Entry& e) const;
    // A file as made: moved aside under e.aside (recorded first), looked at there, then deleted,
    // or put back under its name when it changed meanwhile.
    TakeOut takeOutFile(const Entry& e) const;

    CopyTarget target_;
    const RisParamsAccess& ris_;
    const CopyLog& log_;
    const CopyJournalFile* file_;
    std::string model_;
    std::vector<Entry> entries_;
    mutable std::string reachedText_; // the text this run's copy of a parameters file holds
};
