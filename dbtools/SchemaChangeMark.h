// The mark "schema <name>" of a change of a schema's tables (the column length change, the DDL
// repair, a cell edit of the table editor): held from before the change's first step until its
// last look has spoken, so that a second change of the schema, in another program or in another
// window of this one, is refused by name, and a change that did not end is named by the next one.
#pragma once

#include "platform/RunMark.h"

#include <optional>
#include <string>
#include <vector>

class SchemaChangeMark {
public:
    // Takes the mark of the schema for the change `what` ("the change of character column
    // lengths of dd_demo to 40"), with fields the next run needs besides. Never waits: when the
    // schema is not free, Refusal() says why. A change its program left that did not leave the
    // schema changed is taken over: a backup dump it named and had not yet proven is set aside
    // (SetAsideRefusedBackup) when it is found not whole, and keeps its name, said not known,
    // otherwise; it is told on the status line. Throws AppError when the mark cannot be written
    // ("<What> was not started: its mark could not be written: " the marks folder or the file and
    // what failed, "; nothing was changed").
    SchemaChangeMark(const std::string& schema, const std::string& what, const RunMark::Fields& fields = {});
    // Gives the mark up as Release does, unless the step under way may leave the schema in part
    // (an error that escaped the change's own handling): then it stays, saying that an error
    // ended the change during that step, so that every later change of the schema is refused.
    ~SchemaChangeMark();
    SchemaChangeMark(const SchemaChangeMark&) = delete;
    SchemaChangeMark& operator=(const SchemaChangeMark&) = delete;

    // Empty when the mark is held. Else why the change may not begin: "<running change> is under
    // way on schema X", or "<change> did not end ... so schema X may not be whole" with where
    // the way back is. The caller says what was refused and that nothing was changed.
    const std::string& Refusal() const { return refusal_; }

    // Written before each step: the step in words, whether the schema is whole should the
    // program end during it (a drop before its reload is not), and what the step adds for the
    // next run ("backup", "tables"). A dump named "backup" is taken for proven whole once a
    // step says "backup proven" = "yes". Throws AppError when it cannot be written; a step over
    // a whole schema still counts as begun for the end of the change.
    void Step(const std::string& step, bool wholeIfCutOff, const RunMark::Fields& more = {});
    // The change ended and the last look found the schema whole: the mark goes.
    void Release();
    // The change ended and the schema is not whole (`stands` says what stands and where the way
    // back is): the mark stays, and every later change of the schema is refused by it until a
    // load of the schema takes it over.
    void LeaveStanding(const std::string& stands);

    // What a change of the schema that its program left unfinished says, when it may have left the
    // schema in part (the way back with it, where it names one); empty when no such mark stands.
    // A load's own mark is left out: its record tells (LoadMarks).
    static std::string LeftUnfinished(const std::string& schema);
    // The same for every schema, one text each ("Schema dd_demo: ..."), for the start to name;
    // a model copy's marks are left out, as its journal tells.
    static std::vector<std::string> LeftTexts();

    // "<What> was not started: <refusal>. Nothing was changed."
    static std::string RefusedText(const std::string& what, const std::string& refusal);

private:
    std::string schema_;
    std::optional<RunMark> mark_;
    RunMark::Fields fields_; // what the mark says besides who runs it
    bool wholeIfCutOff_ = true;
    std::string refusal_;
};
