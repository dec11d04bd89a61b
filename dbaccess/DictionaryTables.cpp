// Asking and reading the dictionary's table list of a schema.
#include "dbaccess/DictionaryTables.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

namespace {

const std::string kQuery = "Query ";
const std::string kAsked = "select table_name from ris5tables";
const std::string kColumn = "table_name:";
const std::string kEndOfData = "End of Data Found";

[[noreturn]] void incomplete(const std::string& why)
{
    RaiseError("ReadDictionaryTables", "The dictionary's list of the schema's tables is incomplete: " + why);
}

} // namespace

std::string DictionaryTablesStatement()
{
    return kAsked + " where table_type = 'T'";
}

std::vector<std::string> ReadDictionaryTables(const std::string& answer)
{
    std::vector<std::string> tables;
    bool open = false;
    bool ended = false;
    for (std::string line : Split(answer, "\n")) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(kQuery, 0) == 0) {
            if (!StartsWithNoCase(Trim(line.substr(kQuery.size())), kAsked))
                continue;
            if (open || ended)
                incomplete("the query is answered twice");
            open = true;
        } else if (!open) {
            continue;
        } else if (line.rfind(kColumn, 0) == 0) {
            std::string name = Trim(line.substr(kColumn.size()));
            if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'')
                name = Trim(name.substr(1, name.size() - 2));
            if (name.empty())
                incomplete("a row holds no table name");
            tables.push_back(ToLower(name));
        } else if (line.rfind(kEndOfData, 0) == 0) {
            open = false;
            ended = true;
        }
    }
    if (open)
        incomplete("the answer has no \"" + kEndOfData + "\" line after " + std::to_string(tables.size()) +
                   " table(s)");
    if (!ended)
        incomplete("the query is not answered");
    return tables;
}
