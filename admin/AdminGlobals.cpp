// Process-wide values of the main window.
#include "admin/AdminGlobals.h"

std::string gDumpDir;
std::string gScriptFile;
std::string gSchemaFile;
std::vector<std::string> gSchemaNames;
std::string gSchemaListText;
std::string gCurrentSchema;
std::string gSelectedEntry;
