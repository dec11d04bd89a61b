// Reading the RIS schema file into the process-wide schema list.
#include "admin/SchemaNames.h"

#include "admin/AdminGlobals.h"
#include "admin/TextLines.h"
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "services/Messages.h"

std::vector<std::string> SchemaNamesOfLines(const std::vector<std::string>& lines)
{
    std::vector<std::string> names;
    for (const auto& line : lines) {
        if (line.compare(0, 8, "SCHNAME=") != 0)
            continue;
        if (names.size() == kMaxSchemaNames)
            RaiseError("get_schemanamen", "The RIS schema file holds more than 9999 schemas");
        names.push_back(Trim(line.substr(8, 99)));
    }
    return names;
}

void get_schemanamen()
{
    // A re-read replaces the list: schemas removed since the last read must not stay listed.
    gSchemaNames.clear();
    gSchemaListText.clear();
    gSchemaFile = ReadIniValue(gIniFile, "TARNWICK", "Schemafile", "w:\\pdsdef\\schema");
    ShowStatus("Schemafile = " + gSchemaFile);
    gSchemaFile = gCRIS->RISGetSchemaFilePath();
    if (IsBlank(gSchemaFile))
        RaiseError("get_schemanamen", "The RIS client names no schema file");
    std::vector<std::string> names = SchemaNamesOfLines(TextLines(BinaryFile::ReadAll(gSchemaFile)));
    for (const auto& name : names)
        gSchemaListText += "\r\n" + name;
    gSchemaNames = std::move(names);
}
