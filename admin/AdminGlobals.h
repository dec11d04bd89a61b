// The process-wide values of the main window that every other window reads.
#pragma once

#include <string>
#include <vector>

// Directory of the RIS dump files; mirrors the risdmpdir box.
extern std::string gDumpDir;
// Path of the script file; mirrors the scriptfile box.
extern std::string gScriptFile;
// The RIS schema file last read by get_schemanamen.
extern std::string gSchemaFile;
// The schema names of the RIS schema file in file order (at most kMaxSchemaNames).
extern std::vector<std::string> gSchemaNames;
// The same names, each preceded by CR LF, for substring tests.
extern std::string gSchemaListText;
// The schema of the main window's current command; keeps its value between commands.
extern std::string gCurrentSchema;
// The entry last picked in a pick list.
extern std::string gSelectedEntry;

inline constexpr size_t kMaxSchemaNames = 9999;
