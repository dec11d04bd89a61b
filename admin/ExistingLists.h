// The main window's two list buttons: the schema list and the database users in the list window.
#pragma once

#include <functional>
#include <string>
#include <vector>

class ListForm;

// "Show existing schemas": the names that readSchemaNames gives (the main window rereads the
// RIS schema file there) in a list window captioned "Existing Schemas".
ListForm* ShowExistingSchemas(const std::function<std::vector<std::string>()>& readSchemaNames);
// "Show existing database user": the database users in a list window captioned "Existing DB-Users".
ListForm* ShowExistingDbUsers();
