// Where a project's directory lies and which schemas belong to it, read through the
// process-wide access object.
#pragma once

#include <string>
#include <vector>

// The directory of the project file (the pdtable_102 row of type 99), as a network path ending
// in "\". Raises the network-path error ("Server name not defined", ...) or the query's, with
// "GetProjectDirectory" in front of its source.
std::string GetProjectDirectory(const std::string& project);

// The project schema (when it holds pdtable_102), the further schemas that pdtable_102 names
// and RIS knows, then every RIS schema whose name ends in "_" + project; no name twice (letter
// case ignored). Cached per project (letter case ignored) for the whole run; refresh builds the
// list anew and makes RIS list its schemas afresh. The project schema's table and its rows are
// read from whole answers only (the listing and the dictionary; the rows as many as the server
// counts): an answer that is not whole raises and nothing is cached, never a short list. Raises
// error 1 "Project number not defined" for a blank project; other errors pass with
// "GetProjectSchemas" in front of their source.
std::vector<std::string> GetProjectSchemas(const std::string& project, bool refresh);

// The list GetProjectSchemas builds: projectSchema is empty when the project schema lacks
// pdtable_102; pathNames are the path_name values of its schema rows, in query order;
// risSchemas all names RIS knows, in its order.
std::vector<std::string> ComposeProjectSchemas(const std::string& project, const std::string& projectSchema,
                                               const std::vector<std::string>& pathNames,
                                               const std::vector<std::string>& risSchemas);
