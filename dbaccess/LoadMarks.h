// The marks of a load from a dump into a schema. While the load runs it holds the schema's mark
// ("schema <name>"), so that a second change of the schema is refused by name. Before it takes
// that mark it writes a record of its own ("load <schema> <place of the dump>"), so that no
// moment holds the mark without the record. A dump the user asked to load is where they restore
// from: the record keeps whatever file stands at the dump's path from every unload until a look
// finds a load of that very file whole, whatever else ended the load (cut off by the end of its
// program, found not whole by its look, or not started: its dump refused by the program's own
// check, the schema's mark held by another program, its command ended before it). A command
// that loads several dumps writes the record of each before its first step (LoadRecords). Only a
// later load of the file at that path into its schema found whole removes the record (a whole
// load of another dump of the schema, even of every table, does not), so a change of another
// kind on the schema, which takes over the schema's mark, does not make it forgotten; a record
// at whose path no file stands any more (moved aside or removed) goes as well, said once. A
// record keeps the place its dump named when it was written (the full form, resolved in the
// writer's current folder) beside the path as written, and every later look, by any program
// from any folder, resolves that place. Paths are matched by the place they name (WinPathPlace),
// and a record this very program holds is its own, never a load under way. A dump whose schema
// cannot be read (no "default schema" line, no regular file) is recorded under no schema.
//
// A dead change's mark that says the schema may not be whole ("whole if cut off" no) is carried
// by the load and goes only when the look after a load that ran finds every table of the schema
// whole; any other end of the load gives it back as it was, still naming the run that left it.
#pragma once

#include "platform/RunMark.h"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The record of one load, with what a dead run's record of the same dump said before it was
// taken over (empty when there was none).
struct LoadRecord {
    std::unique_ptr<RunMark> mark;
    RunMark::Fields left;
    RunMark::Fields fields; // what this run's record says
};

class LoadMarks {
public:
    // Writes the load's record ("its schema's mark was taken"; one its command wrote ahead, or a
    // dead run's, is taken over), then takes the schema's mark for the change what ("the load of
    // '<dump>' into pd_demo"), naming the dump. part names what of the dump the load takes when
    // it is not the whole file ("piping model P1001"). Never waits: when another program holds
    // the mark, held() is false and the record stays, saying so. Throws AppError, its
    // description the words that follow "<What> was not started: ", when the record cannot be
    // written or another program holds it (Record), or the mark cannot be written (the record
    // then stays, saying so).
    LoadMarks(const std::string& schema, const std::string& dump, const std::string& what,
              const std::string& part = {});
    ~LoadMarks();
    LoadMarks(const LoadMarks&) = delete;
    LoadMarks& operator=(const LoadMarks&) = delete;

    bool held() const { return schemaMark_ && schemaMark_->held(); }
    const std::string& schema() const { return schema_; }
    // When not held: "<What> was not started: <the running change> is under way on that schema."
    std::string Refusal() const;
    // When held: what a change of the schema that a dead program left unfinished was, in words
    // ("Schema pd_demo: <change> (<the run that left it>) was cut off by the end of its program"),
    // and whether its mark stays until a load finds the schema whole; empty when none.
    std::string LeftBehind() const;

    // Whether the record is written and not yet spoken for.
    bool Recording() const { return record_.mark != nullptr; }
    // Records each step, in words ("the load client rislod ran"), for a start that finds the
    // program cut off. touched: the step may change the schema (the load's client runs, or has
    // run). Never throws.
    void Step(const std::string& step, bool touched = true);
    // The load ended before anything of the dump was loaded (its dump refused, why in words: "the
    // dump is not whole (...)"): the record stays, saying why, and keeps the dump as any record
    // does; one a dead run left keeps what it said, with this refusal. No file at the dump's
    // path: the record goes.
    void NotStarted(const std::string& why);
    // Another record of this run keeps the file now (its load under the schema the [Replace]
    // edits named): this one goes, one a dead run left stands as it said.
    void HandedOver();
    // After the look has spoken: a load found whole removes its record and every left record of
    // a load of the same place into the schema, and when the look found every table of the schema
    // whole (wholeSchema: the dump held them all) a dead change's mark carried by this load as
    // well; records of loads of other dumps stay. Any other outcome keeps its record, with the
    // look's sentence in it.
    // loaded: what of the dump was loaded; a load of some of its tables (a piping model's) found
    // whole ends its own record only, and gives back a dead run's record of the file it took over.
    enum class Loaded { TheFile, SomeTables };
    void Spoken(bool whole, bool wholeSchema, const std::string& sentence, Loaded loaded = Loaded::TheFile);
    // What became of the dead change's mark this load carried, once spoken ("The mark of <change>
    // (<run>) ... goes/stays ..."); empty when it carried none.
    std::string CarriedOutcome() const;
    // The tables the dead change carried had changed or dropped ("tables", "dropped"): a load
    // that ends its mark must hold them all.
    std::vector<std::string> CarriedTables() const;

    // What a start tells of each load record it finds left behind, one line each: the load cut
    // off by the end of its program, or not found whole, and that its dump is kept. A record whose
    // file is gone is named once and goes.
    static std::vector<std::string> LeftTexts();
    // Why the file at dump (Windows path) must not be replaced by an unload: a change under way
    // from it (a held schema mark naming its place), a record of a load from it that another
    // program holds, or a left record of a load from that place, whatever file stands there now;
    // and what clears that record. Empty otherwise: also for a record this program wrote ahead
    // of a load of its own command, unless that record took over a dead run's. A left record at
    // whose path no file stands goes here, said on the status line.
    static std::string KeptFor(const std::string& dump);

    // A record for the load of dump into schema (empty: a dump whose schema cannot be read):
    // taken, never waiting; one this program wrote ahead for that load (LoadRecords) is taken
    // over, and so is a dead run's record of it (kept in left). Throws AppError, its description
    // the words that follow "<What> was not started: ", when it cannot be written ("its record
    // could not be written: " and the marks folder or the file with what failed) or another
    // program holds it ("<that program's change> is under way from that dump").
    static LoadRecord Record(const std::string& schema, const std::string& dump, const std::string& what,
                             const std::string& step, bool touched, const std::string& part = {});
    // Gives a record back: as a dead run's record said when it took one over, else removed.
    static void GiveBack(LoadRecord& record);
    // Keeps a record of a load that did not start, saying why (see NotStarted).
    static void Refuse(LoadRecord& record, const std::string& why);
    // A load refused before it took its marks (its dump no regular file, or its first line no
    // "default schema" line): records it under schema (empty when none can be read) and keeps
    // the record, saying why, as "the load of '<dump>'" (" into <schema>" after it when one is
    // read). A record another program holds stays as it is; one that cannot be written is said
    // on the status line. Nothing is recorded when no file stands at dump.
    static void NotLoaded(const std::string& schema, const std::string& dump, const std::string& why);

private:
    void write(const std::string& step, bool touched, const std::string& look = {});

    std::string schema_;
    std::string dump_;
    std::string what_;
    std::string part_;
    RunMark::Fields carried_; // a dead change's mark, as it stood before this load took it
    std::optional<RunMark> schemaMark_;
    bool carriedEnds_ = false;
    bool spoken_ = false;
    LoadRecord record_;
};

// The records of the loads of one command (a folder load, the chosen files), written before its
// first step for every dump it will load. A load takes its record over (Take); the records of
// loads that never began (the command ended before them: Esc, an error, the program's end) stay
// when the set goes, since the user asked to load those dumps; one whose place a load of the
// command took under another schema goes (that load's record keeps the file).
class LoadRecords {
public:
    LoadRecords();
    ~LoadRecords();
    LoadRecords(const LoadRecords&) = delete;
    LoadRecords& operator=(const LoadRecords&) = delete;

    // Records the load of dump into schema; throws AppError as LoadMarks::Record does.
    void Add(const std::string& schema, const std::string& dump, const std::string& what);
    // The record written for that load, taken out of the set; an empty one when none.
    LoadRecord Take(const std::string& schema, const std::string& dump);

private:
    std::map<std::string, LoadRecord> records_;
    std::set<std::string> begun_; // the places of the loads that began, under whichever schema
};
