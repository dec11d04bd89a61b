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

// The mark "schema <name>" of the user or schema the step's params name (a user's removal takes
// the schema's tables with it), taken before the step, as every change of a schema takes it.
// Raises error 1 from ownName, saying what was refused and which change runs, when another
// program changes that schema (nothing runs then); raises for a name that is not valid.
std::unique_ptr<SchemaChangeMark> TakeUserSchemaMark(UserSchemaStep step, const std::string& params,
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
