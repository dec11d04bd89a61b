// The schemas that the table editor offers for a project: those named after the project and
// the further ones that the project table names.
#pragma once

#include <string>
#include <vector>

// From allSchemas (in their order): every name that ends with "_" + project (letter case
// ignored) and does not begin with "ra_", "ru_", "ee_", "re_" or "dd_"; then every path name of
// the project table that holds "_" and no "\", names a schema of allSchemas and is not yet
// taken (whole names, letter case ignored), as stored.
std::vector<std::string> SelectAllProjectSchemas(const std::string& project, const std::vector<std::string>& allSchemas,
                                                 const std::vector<std::string>& pathNames);

// The schema list of the project from the schemas RIS knows and the project table pdtable_102,
// with its progress and result on the status line. Never raises: a failure gives the empty list
// and the status "Getting all project schemas failed: " + description; a project table that
// cannot be read is reported on the status line and leaves the schemas found by name.
std::vector<std::string> GetAllProjectSchemas(const std::string& project);
