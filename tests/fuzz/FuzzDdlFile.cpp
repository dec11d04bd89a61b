// Fuzzing the DDL reader on a whole definition file and the column helpers on each line.
#include "FuzzTargets.h"

#include "dbtools/DdlFile.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

int FuzzDdlFile(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string file = WriteScratchFile("design.ddl", input);
    try {
        for (const std::string& column : ReadDDLFile(file)) {
            FuzzCheck(column.find('|') != std::string::npos, "a column entry without its table number: " + column);
            const std::string definition = column.substr(column.find('|') + 1);
            FuzzCheck(!GetFieldName(definition).empty() || definition.find(' ') == std::string::npos,
                      "a column definition without its name: " + definition);
        }
    } catch (const AppError&) {
    }
    for (const std::string& line : Split(input, "\n")) {
        bool isCharacter = false;
        try {
            GetFieldSize(line, isCharacter); // a size beyond 32 bits overflows, as the system's does
        } catch (const AppError&) {
        }
        const std::string name = GetFieldName(line);
        FuzzCheck(name.find(' ') == std::string::npos, "a field name with a blank: " + name);
        IsDdlHeaderLine(line);
    }
    return 0;
}
