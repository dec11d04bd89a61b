// The marks of a load from a dump into a schema. While the load runs it holds the schema's mark
// ("schema <name>"), so that a second change of the schema is refused by name. From before its
// first step (before its dump is checked) until a look finds it whole it also keeps a record of
// its own ("load <schema> <dump>"), naming the dump by its identity (device, inode, size, time):
// a record that a program cut off or a look found not whole leaves behind keeps that file from
// every unload, since the dump may then hold the only copy of rows the schema lacks. A command
// that loads several dumps writes the record of each before its first step (LoadRecords). Only a
// later load of that schema found whole removes the records, so a change of another kind on the
// schema, which takes over the schema's mark, does not make them forgotten; a record whose file is
// gone (moved aside, removed, or another file in its place) goes as well.
//
// A dead change's mark that says the schema may not be whole ("whole if cut off" no) is carried
// by the load and goes only when the look after a load that ran finds every table of the schema
// whole; any other end of the load gives it back as it was, still naming the run that left it.
#pragma once

#include "platform/RunMark.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The record of one load, with what a dead run's record of the same dump said before it was
// taken over (empty when there was none).
struct LoadRecord {
    std::unique_ptr<RunMark> mark;
    RunMark::Fields left;
};

class LoadMarks {
public:
    // Takes the schema's mark for the change what ("the load of '<dump>' into pd_demo"), naming
    // the dump. Never waits: when another program holds it, held() is false. Throws AppError
    // when the mark cannot be written.
    LoadMarks(const std::string& schema, const std::string& dump, const std::string& what);
    ~LoadMarks();
    LoadMarks(const LoadMarks&) = delete;
    LoadMarks& operator=(const LoadMarks&) = delete;

    bool held() const { return schemaMark_.held(); }
    const std::string& schema() const { return schema_; }
    // When not held: "<What> was not started: <the running change> is under way on that schema."
    std::string Refusal() const;
    // When held: what a change of the schema that a dead program left unfinished was, in words
    // ("Schema pd_demo: <change> (<the run that left it>) was cut off by the end of its program"),
    // and whether its mark stays until a load finds the schema whole; empty when none.
    std::string LeftBehind() const;

    // Records the load before its first step (the check of its dump), and then each step, in
    // words ("the load client rislod ran"), for a start that finds the program cut off. ahead is
    // the record its command wrote before its first step, taken over here. Starting throws
    // AppError when the record cannot be written: the load must not start then. Step never throws.
    void Starting(const std::string& step, LoadRecord ahead = {});
    // Whether the record is written and not yet spoken for.
    bool Recording() const { return record_.mark != nullptr; }
    // touched: the step may change the schema (the load's client runs, or has run).
    void Step(const std::string& step, bool touched = true);
    // The load ended before anything touched the schema (its dump refused): the record this run
    // wrote goes, one a dead run left stands as it said.
    void NotStarted();
    // After the look has spoken: a load found whole removes its record, and when the look found
    // every table of the schema whole (wholeSchema: the dump held them all) every record of the
    // schema's loads and a dead change's mark carried by this load as well; any other outcome
    // keeps its record, with the look's sentence in it.
    void Spoken(bool whole, bool wholeSchema, const std::string& sentence);
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
    // from it (a held schema mark naming it), or a load record made for that very file (by its
    // identity; a record of an older version, which names a path only, for the file at that
    // path); empty otherwise. A left record whose file is gone goes here, said on the status line.
    static std::string KeptFor(const std::string& dump);

    // The identity of the file at dump (links followed): "<device>:<inode>:<size>:<time>"; empty
    // when there is none.
    static std::string FileIdentity(const std::string& dump);
    // A record for the load of dump into schema: taken, never waiting; a dead run's record of the
    // same load is taken over (kept in left). Throws AppError when it cannot be written or
    // another program holds it (naming that program).
    static LoadRecord Record(const std::string& schema, const std::string& dump, const std::string& what,
                             const std::string& step, bool touched);
    // Gives a record back: as a dead run's record said when it took one over, else removed.
    static void GiveBack(LoadRecord& record);

private:
    void write(const std::string& step, bool touched, const std::string& look = {});

    std::string schema_;
    std::string dump_;
    std::string what_;
    RunMark::Fields carried_; // a dead change's mark, as it stood before this load took it
    RunMark schemaMark_;
    bool carriedEnds_ = false;
    bool spoken_ = false;
    LoadRecord record_;
};

// The records of the loads of one command (a folder load, the chosen files), written before its
// first step for every dump it will load. A load takes its record over (Take); the records of
// loads that never began are given back when the set goes.
class LoadRecords {
public:
    LoadRecords() = default;
    ~LoadRecords();
    LoadRecords(const LoadRecords&) = delete;
    LoadRecords& operator=(const LoadRecords&) = delete;

    // Records the load of dump into schema; throws AppError as LoadMarks::Record does.
    void Add(const std::string& schema, const std::string& dump, const std::string& what);
    // The record written for that load, taken out of the set; an empty one when none.
    LoadRecord Take(const std::string& schema, const std::string& dump);

private:
    std::map<std::string, LoadRecord> records_;
};
