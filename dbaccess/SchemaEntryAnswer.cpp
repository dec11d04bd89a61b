// Asking RIS for one schema's dictionary entry and reading the answer whole or not at all.
#include "dbaccess/SchemaEntryAnswer.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

namespace {

const std::string kQuery = "Query ";
const std::string kView = "ris5schemas";
const std::string kColumn = "schema_name:";
const std::string kEndOfData = "End of Data Found";

[[noreturn]] void raiseIncomplete(const std::string& schema, const std::string& why)
{
    RaiseError("ReadSchemaEntry", "The answer whether RIS knows schema '" + schema + "' is incomplete: " + why);
}

// The schema of a "schema_name: '<name>'" row line.
std::string rowName(const std::string& line)
{
    std::string name = Trim(line.substr(kColumn.size()));
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'')
        name = name.substr(1, name.size() - 2);
    return Trim(name);
}

} // namespace

std::string SchemaEntryQuery(const std::string& schema)
{
    return "select schema_name from " + kView + " where schema_name = '" + ToLower(Trim(schema)) + "';";
}

bool ReadSchemaEntry(const std::string& answer, const std::string& schema)
{
    bool inQuery = false;
    bool found = false;
    for (std::string line : Split(answer, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!inQuery) {
            inQuery = line.rfind(kQuery, 0) == 0 && FindNoCase(line, kView) != std::string::npos;
            continue;
        }
        const std::string text = Trim(line);
        if (text.empty() || text.rfind("Columns ", 0) == 0 || text.find_first_not_of('-') == std::string::npos)
            continue;
        if (text.rfind(kEndOfData, 0) == 0)
            return found;
        if (text.rfind(kColumn, 0) != 0)
            raiseIncomplete(schema, "the line '" + text + "' belongs to no row");
        if (!EqualsNoCase(rowName(text), Trim(schema)))
            raiseIncomplete(schema, "a row names schema '" + rowName(text) + "'");
        found = true;
    }
    raiseIncomplete(schema, inQuery ? "it has no \"" + kEndOfData + "\" line" : "it holds no answer to the query");
}
