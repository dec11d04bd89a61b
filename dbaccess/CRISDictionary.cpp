// RIS dictionary queries: the schema names RIS knows, the location of its schema file and the
// tables of a schema.
#include "dbaccess/CRIS.h"

#include "dbaccess/AnswerLines.h"
#include "dbaccess/CRISWork.h"
#include "dbaccess/DictionaryTables.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISListing.h"
#include "platform/TextUtil.h"

namespace {

const char kNul = '\0';

} // namespace

std::vector<std::string> CRIS::RISGetSchemas(bool onlyProjects, bool refresh)
{
    return WithErrorSource("CRIS::RISGetSchemas", [&] {
        if (refresh)
            schemaListCache_.clear();
        const std::string key = onlyProjects ? "k_True" : "k_False";
        const auto hit = schemaListCache_.find(key);
        if (hit != schemaListCache_.end()) {
            if (hit->second.empty())
                return std::vector<std::string>();
            return Split(hit->second, std::string(1, kNul));
        }
        const std::string output = RunRisbatch(RisbatchCommandInput("show schema names;"), false, true);
        std::vector<std::string> names = SchemaNamesFromOutput(AnswerLines(output), onlyProjects);
        schemaListCache_[key] = Join(names, std::string(1, kNul));
        return names;
    });
}

std::string CRIS::RISGetSchemaFilePath()
{
    return WithErrorSource("CRIS::RISGetSchemaFilePath", [&] {
        const std::string output = RunRisbatch(RisbatchCommandInput("show schema file location;"), false, true);
        return SchemaFileFromOutput(AnswerLines(output));
    });
}

std::vector<std::string> CRIS::RISDictionaryTables(const std::string& schema)
{
    return WithErrorSource("CRIS::RISDictionaryTables", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        return ReadDictionaryTables(
            RunRisbatch(RisbatchStatementInput(schema, DictionaryTablesStatement()), true, true));
    });
}
