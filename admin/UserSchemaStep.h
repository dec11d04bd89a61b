// One step on a database user or a RIS schema, as the family commands, the load buttons and
// the script run it.
#pragma once

#include "admin/DbUsers.h"
#include "admin/RisSchemas.h"
#include "services/ChangeOutcome.h"

#include <string>

enum class UserSchemaStep { CreateUser, DropUser, CreateSchema, DropSchema };

// The operation's own name ("Cre_DBUser", "Del_DBUser", "cre_schema", "Del_Schema").
const char* UserSchemaStepName(UserSchemaStep step);

// Runs the step's operation (Cre_DBUser, Del_DBUser, cre_schema or Del_Schema) with the params.
void RunUserSchemaStep(UserSchemaStep step, DbUsers& users, RisSchemas& schemas, const std::string& params);

// What a step did, looked at after a failure.
struct UserSchemaChange {
    std::string what;      // "the creation of database user pd_p1"
    ToolOutcome run;       // the tool's run (empty when it did not come to run)
    ChangeOutcome outcome; // Done / NotDone / NotKnown with what stands
    // The sentence for the status line, the log, a box or stderr.
    std::string Sentence() const { return outcome.Describe(what); }
};

// Runs the step through the change-and-look way: a tool that reports an error, or an error
// raised on the way (the scratch file), is followed by a look at whether the user or the
// schema is there now. Raises only for a params text whose name is not valid (nothing runs).
UserSchemaChange ChangeUserOrSchema(UserSchemaStep step, DbUsers& users, RisSchemas& schemas,
                                    const std::string& params);
