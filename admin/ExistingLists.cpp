// The main window's two list buttons.
#include "admin/ExistingLists.h"

#include "admin/ListSources.h"
#include "ui/qt/ListForm.h"

ListForm* ShowExistingSchemas(const std::function<std::vector<std::string>()>& readSchemaNames)
{
    return ShowListForm("Existing Schemas", [&readSchemaNames] { return ListSources::SchemaRecordset(readSchemaNames()); });
}

ListForm* ShowExistingDbUsers()
{
    return ShowListForm("Existing DB-Users", [] { return ListSources::DbUserRecordset(); });
}
