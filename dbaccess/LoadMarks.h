// The marks of a load from a dump into a schema. While the load runs it holds the schema's mark
// ("schema <name>"), so that a second change of the schema is refused by name. From the start
// of its client until a look finds it whole it also keeps a record of its own ("load <schema>
// <dump>"): a record that a program cut off or a look found not whole leaves behind keeps the
// dump from every unload, since the dump may then hold the only copy of rows the schema lacks.
// Only a later load of that schema found whole removes the records, so a change of another kind
// on the schema, which takes over the schema's mark, does not make them forgotten.
#pragma once

#include "platform/RunMark.h"

#include <memory>
#include <string>
#include <vector>

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
    // ("Schema pd_demo: <change> was cut off by the end of its program"); empty when none.
    std::string LeftBehind() const;

    // Records the load before it touches the schema, and then each step, in words ("the load
    // client rislod ran"), for a start that finds the program cut off. Starting throws AppError
    // when the record cannot be written: the load must not start then. Step never throws.
    void Starting(const std::string& step);
    void Step(const std::string& step);
    // After the look has spoken: a load found whole removes every record of the schema's loads;
    // any other outcome keeps this one, with the look's sentence in it.
    void Spoken(bool whole, const std::string& sentence);

    // What a start tells of each load record it finds left behind, one line each: the load cut
    // off by the end of its program, or not found whole, and that its dump is kept.
    static std::vector<std::string> LeftTexts();
    // Why the file at dump (Windows path) must not be replaced by an unload: a change under way
    // from it (a held schema mark naming it), or a load record naming it (the same file, links
    // followed); empty otherwise.
    static std::string KeptFor(const std::string& dump);

private:
    std::string schema_;
    std::string dump_;
    std::string what_;
    RunMark schemaMark_;
    std::unique_ptr<RunMark> record_;
};
