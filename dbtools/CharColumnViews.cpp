// Views lost with the dropped tables of the column length change, created again.
#include "dbtools/CharColumnViews.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>

namespace {

// The schema's views as an unload writes them: one table of the schema unloaded without its
// rows, with every view of the schema. A schema without tables has no views.
SchemaDumpSummary ViewsNow(const std::string& schema)
{
    const std::vector<std::string> tables = gCRIS->DBGetTables(schema, true);
    std::string table;
    for (const std::string& t : tables)
        if (!t.empty()) {
            table = t;
            break;
        }
    if (table.empty())
        return {};
    WorkFiles work;
    const std::string dump = work.add(gTempDir + GetOwnedTempName());
    gCRIS->RISUnload(dump, schema, std::vector<std::string>{table}, std::vector<std::string>{"1=0"}, "",
                     CRIS::kVariableLayout, true, UnloadExtras::ViewsIndexesGrants);
    return SchemaDumpSummary::Read(dump);
}

std::string WithSemicolon(const std::string& line)
{
    return !line.empty() && line.back() == ';' ? line : line + ";";
}

} // namespace

ViewsAfterReload RecreateLostViews(const std::string& schema, const SchemaDumpSummary& backup,
                                   const std::string& backupDump)
{
    ViewsAfterReload result;
    if (!backup.HasViews())
        return result;
    SchemaDumpSummary now;
    try {
        now = ViewsNow(schema);
    } catch (const AppError& e) {
        result.allBack = false;
        result.lines.push_back("The views of schema " + schema + " could not be read (" +
                               RISErrorLine(e.description()) + "); their create view lines are in '" + backupDump +
                               "'.");
        return result;
    }
    for (const std::string& view : backup.ViewsMissingIn(now)) {
        const std::string sql = WithSemicolon(backup.ViewLine(view));
        ShowStatus(sql);
        // A statement that ends well is read again too: the view must stand as the backup has it.
        auto look = [&](std::string& seen) {
            SchemaDumpSummary after;
            try {
                after = ViewsNow(schema);
            } catch (const AppError& e) {
                throw AppError(e.number(), e.source(), RISErrorLine(e.description()));
            }
            if (backup.SameView(after, view)) {
                seen = "view " + view + " is in schema " + schema;
                return ChangeState::Done;
            }
            const std::vector<std::string> lost = backup.ViewsMissingIn(after);
            const bool missing = std::find(lost.begin(), lost.end(), view) != lost.end();
            seen = "view " + view + (missing ? " is not in schema " : " is defined otherwise in schema ") + schema;
            return missing ? ChangeState::NotDone : ChangeState::NotKnown;
        };
        const ChangeOutcome created = ChangeAndLook(
            [&] {
                try {
                    gCRIS->DBWrite(schema, sql);
                } catch (const AppError& e) {
                    return RISErrorLine(e.description());
                }
                return std::string();
            },
            look, LookAfter::EveryCall);
        const std::string what = "the creation of view " + view + " in schema " + schema;
        if (created.Done()) {
            result.lines.push_back("View " + view + ", lost with its table, was created again from '" + backupDump +
                                   "'.");
            ShowStatus(result.lines.back());
            continue;
        }
        result.allBack = false;
        result.lines.push_back("View " + view + " was lost with its table. " + created.Describe(what) +
                               " Its create view line is in '" + backupDump + "'.");
        ShowStatus(result.lines.back());
    }
    return result;
}
