// One step on a database user or a RIS schema.
#include "admin/UserSchemaStep.h"

void RunUserSchemaStep(UserSchemaStep step, DbUsers& users, RisSchemas& schemas, const std::string& params)
{
    switch (step) {
    case UserSchemaStep::CreateUser:
        users.Cre_DBUser(params);
        break;
    case UserSchemaStep::DropUser:
        users.Del_DBUser(params);
        break;
    case UserSchemaStep::CreateSchema:
        schemas.cre_schema(params);
        break;
    case UserSchemaStep::DropSchema:
        schemas.Del_Schema(params);
        break;
    }
}
