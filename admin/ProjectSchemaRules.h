// Which schemas of the schema list belong to a project, and which projects the list holds.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// True when the schema is a family schema of the project: the text after the schema's first
// "_" is the whole project name, compared without regard to case ("pd_p1" belongs to "P1",
// not to "p"; "pd_p10" does not belong to "p1"). An empty project owns nothing.
bool IsSchemaOfProject(std::string_view schema, std::string_view project);

// True when the list holds the project schema "pd_" + project as a whole name, in any case.
bool IsExistingProject(const std::vector<std::string>& schemaNames, std::string_view project);

// The schemas of the list that belong to the project, in list order.
std::vector<std::string> SchemasOfProject(const std::vector<std::string>& schemaNames, std::string_view project);

// The schemas that an unload of everything takes: all but those beginning with "mto_".
std::vector<std::string> SchemasToUnloadAll(const std::vector<std::string>& schemaNames);

// The project names of the list: every name beginning with "pd_", without that prefix.
std::vector<std::string> ProjectsOfSchemaList(const std::vector<std::string>& schemaNames);
