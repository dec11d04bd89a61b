// One step on a database user or a RIS schema, as the family commands and the script run it.
#pragma once

#include "admin/DbUsers.h"
#include "admin/RisSchemas.h"

#include <string>

enum class UserSchemaStep { CreateUser, DropUser, CreateSchema, DropSchema };

// Runs the step's operation (Cre_DBUser, Del_DBUser, cre_schema or Del_Schema) with the params.
void RunUserSchemaStep(UserSchemaStep step, DbUsers& users, RisSchemas& schemas, const std::string& params);
