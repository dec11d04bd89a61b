// One step on a database user or a RIS schema, as the family commands, the load buttons and
// the script run it.
#pragma once

#include "admin/DbUsers.h"
#include "admin/RisSchemas.h"
#include "services/ChangeOutcome.h"

#include <memory>
#include <string>
#include <vector>

class SchemaChangeMark;

enum class UserSchemaStep { CreateUser, DropUser, CreateSchema, DropSchema };

// The operation's own name ("Cre_DBUser", "Del_DBUser", "cre_schema", "Del_Schema").
const char* UserSchemaStepName(UserSchemaStep step);

// Runs the step's operation (Cre_DBUser, Del_DBUser, cre_schema or Del_Schema) with the params.
void RunUserSchemaStep(UserSchemaStep step, DbUsers& users, RisSchemas& schemas, const std::string& params);

// "the creation of database user pd_p1", "the removal of RIS schema pd_p1".
std::string UserSchemaStepWhat(UserSchemaStep step, const std::string& name);

// The marks "schema <name>" of every schema a command will change, taken together before its
// first step and held while the object lives, so that a command refused for one of them changes
// none. A step of the command (TakeUserSchemaMark) finds a mark held here and writes its step into
// it rather than take it again, which this program would refuse as another change's.
class UserSchemaMarks {
public:
    struct Change {
        std::string schema;
        std::string what; // the change of the schema, as its mark names it to other programs
    };
    UserSchemaMarks();
    ~UserSchemaMarks(); // gives every mark up
    UserSchemaMarks(const UserSchemaMarks&) = delete;
    UserSchemaMarks& operator=(const UserSchemaMarks&) = delete;

    // Takes the mark of every schema of the changes, in their order (one per schema, letter
    // case aside, naming all its changes). When one is not free, gives back those it took and
    // returns the index of the first change of that schema, with why in refusal
    // (SchemaChangeMark::Refusal); -1 when every mark is held. Throws AppError when the marks
    // folder cannot be written (then nothing is held either).
    int TakeAll(const std::vector<Change>& changes, std::string& refusal);
    // The mark held here for the schema (letter case aside), or null.
    std::shared_ptr<SchemaChangeMark> Find(const std::string& schema) const;
    // Gives every mark up.
    void ReleaseAll();

private:
    std::vector<std::pair<std::string, std::shared_ptr<SchemaChangeMark>>> marks_;
};

// The mark "schema <name>" of the user or schema the step's params name (a user's removal takes
// the schema's tables with it), taken before the step, as every change of a schema takes it; the
// one a live UserSchemaMarks holds when it holds it. Raises error 1 from ownName, saying what was
// refused and which change runs, when another program changes that schema (nothing runs then);
// raises for a name that is not valid.
std::shared_ptr<SchemaChangeMark> TakeUserSchemaMark(UserSchemaStep step, const std::string& params,
                                                     const std::string& ownName);

// The error codes with which a step's tool refuses it because what the step was to bring about
// stands already: a create's object is there, a drop's object is not. A create of a user counts
// its own tablespace being there as well.
const std::vector<const char*>& StandsAlreadyCodes(UserSchemaStep step);

// Whether the run failed (having started: not exit -1) with error lines only, each holding one
// of the codes.
bool FailedOnlyWith(const ToolOutcome& run, const std::vector<const char*>& codes);

// What the tool of a failed step found instead of doing it, when every error line of its
// output names it: "The database user pd_p1 stood already" (a create), "The RIS schema pd_p1
// was not there" (a drop). Empty otherwise, also for a run without error.
std::string FoundInstead(UserSchemaStep step, const std::string& name, const ToolOutcome& run);

// What a step did, looked at after a failure.
struct UserSchemaChange {
    std::string what;      // "the creation of database user pd_p1"
    ToolOutcome run;       // the tool's run (empty when it did not come to run)
    ChangeOutcome outcome; // Done / NotDone / NotKnown with what stands
    std::string found;     // FoundInstead of the run
    // The sentence for the status line, the log, a box or stderr. A step whose tool refused it
    // because its object stood already (or was not there), with the look agreeing, is worded
    // from what was found, not as a change "done although" it failed.
    std::string Sentence() const;
};

// Runs the step through the change-and-look way: a tool that reports an error, or an error
// raised on the way (the scratch file), is followed by a look at whether the user or the
// schema is there now. Raises only for a params text whose name is not valid (nothing runs).
UserSchemaChange ChangeUserOrSchema(UserSchemaStep step, DbUsers& users, RisSchemas& schemas,
                                    const std::string& params);
