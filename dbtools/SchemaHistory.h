// The table viewer's list of the last six schemas used, kept in the settings file (section
// "EditRISTables", keys "History0" newest to "History5" oldest, "-1" for an empty slot).
#pragma once

#include <string>
#include <vector>

class SchemaHistory {
public:
    // The schema names of History0 to History5 in that order, empty slots left out.
    static std::vector<std::string> Read(const std::string& iniFile);

    // Enters the schema as History0, moving the others one place toward the end (the oldest
    // falls out, an empty slot stays empty in its new place). A schema already in the history
    // (exact text) leaves it unchanged.
    static void Remember(const std::string& iniFile, const std::string& schema);
};
