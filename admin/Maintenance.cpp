// Grant, mscode and RIS clean runs over the schema list.
#include "admin/Maintenance.h"

#include "admin/LoggedRun.h"
#include "admin/ProjectSchemaRules.h"
#include "admin/RunReport.h"
#include "admin/StandingState.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/EscKey.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/HourglassPointer.h"
#include "services/MessageService.h"
#include "services/Messages.h"

namespace {

constexpr const char* kCrLf = "\r\n";

// The names of the list up to its first empty one.
std::vector<std::string> listed(const std::vector<std::string>& names)
{
    std::vector<std::string> out;
    for (const std::string& n : names) {
        if (n.empty())
            break;
        out.push_back(n);
    }
    return out;
}

void requireName(const std::string& what, const std::string& name)
{
    if (!IsIdentifier(name))
        RaiseError("Maintenance", what + " name '" + name + "' is not a valid name");
}

// After a failed run, or one whose look found its work missing, the sentence of what stands goes
// to the log; the run counts as failed unless the look found its work done.
void noteOutcome(RunReport& report, const ChangeOutcome& outcome, const std::string& what)
{
    if (!outcome.Failed())
        return;
    const std::string said = RISErrorLine(outcome.Describe(what));
    AppendToFile(said, gLogFile);
    if (!outcome.Done())
        report.NoteFailure(said);
}

// The tables the grant run grants and looks at: the access object's list (the unload client's
// listing, cached) and the dictionary's own list, asked of another client. A listing whole in
// form may still leave a table out, which would then stay without its grant while the look,
// asking only after the listed ones, found the run done.
std::vector<std::string> grantTables(const std::string& schema)
{
    std::vector<std::string> tables = gCRIS->DBGetTables(schema, false);
    for (const std::string& table : gCRIS->RISDictionaryTables(schema)) {
        if (ContainsNoCase(tables, table))
            continue;
        ShowStatus(schema + "." + table + ": the dictionary lists it, the unload client's listing of " + schema +
                   " leaves it out; it is granted all the same");
        tables.push_back(table);
    }
    return tables;
}

} // namespace

Maintenance::Maintenance() : escPressed([] { return EscKey::Pressed(); }), getTables(grantTables) {}

std::vector<std::string> Maintenance::GrantSchemas(const std::vector<std::string>& schemaNames,
                                                   const std::string& project)
{
    std::vector<std::string> out;
    for (const std::string& s : listed(schemaNames))
        if (IsSchemaOfProject(s, project))
            out.push_back(s);
    return out;
}

std::string Maintenance::GrantStatements(const std::string& schema, const std::vector<std::string>& tables)
{
    std::string text = "default schema " + schema + ";" + kCrLf;
    for (const std::string& t : tables) {
        if (t.empty())
            continue;
        requireName("Table", t);
        text += "grant all on " + schema + "." + t + " to public;" + kCrLf;
        DoEvents();
    }
    return text;
}

std::vector<std::string> Maintenance::MscodeProjects(const std::vector<std::string>& schemaNames)
{
    std::vector<std::string> out;
    for (const std::string& s : listed(schemaNames))
        if (s.rfind("pid_", 0) == 0)
            out.push_back(s.substr(4));
    return out;
}

std::string Maintenance::MscodeCommand(const std::string& project)
{
    return std::string("c:") + kCrLf + "cd " + kPds2dDir + kCrLf + "mscode.bat " + project;
}

std::string Maintenance::btnGrantAll_Click(const std::vector<std::string>& schemaNames, const std::string& project)
{
    HourglassPointer wait;
    EscKey::ForgetEarlierPress();
    const std::string file = TmpFile("sql.txt");
    RunReport report;
    try {
        std::string statements;
        bool cut = false;
        StandingState::SchemaTables granted;
        for (const std::string& schema : GrantSchemas(schemaNames, project)) {
            if (escPressed()) {
                cut = true;
                break;
            }
            requireName("Schema", schema);
            granted.emplace_back(schema, getTables(schema));
            statements += GrantStatements(schema, granted.back().second);
            // The table list may have come from a client run; the grants are not begun once
            // the program is to end.
            if (ending()) {
                ShowStatus("Exit: grant run stopped after the table list of " + schema + "; no grant was run");
                cut = true;
                break;
            }
        }
        if (!cut) {
            HostWriteFile(file, statements + "quit;" + kCrLf);
            std::vector<std::string> names;
            for (const auto& g : granted)
                names.push_back(g.first);
            const ChangeOutcome grant = ChangeAndLook(
                [&] {
                    const LoggedRun run = LoggedRun::Run("risbatch -i " + QuoteString(file));
                    return RunReport::RunFailure("risbatch grant all", run.exitCode, run.output);
                },
                // A run that ends well may still have left tables without their grant.
                StandingState::GrantLook(granted), LookAfter::EveryCall);
            noteOutcome(report, grant, "the grant of the tables of " + Join(names, ", ") + " to public");
            if (ending())
                ShowStatus("Exit: grant run stopped after its risbatch run");
        }
    } catch (const AppError& e) {
        report.NoteFailure(e.description());
        if (!ending())
            ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
    }
    DeleteFileA(file);
    if (ending())
        return {};
    const std::string closing = report.ClosingMessage(gLogFile);
    ShowMessage(closing, MsgStyle::OkOnly);
    return closing;
}

void Maintenance::btnMscode_Click(const std::vector<std::string>& schemaNames)
{
    EscKey::ForgetEarlierPress();
    for (const std::string& project : MscodeProjects(schemaNames)) {
        if (escPressed())
            return;
        if (!IsIdentifier(project)) {
            ShowStatus("mscode.bat not run for 'pid_" + project + "': not a valid project name");
            continue;
        }
        const LoggedRun run = LoggedRun::Run(MscodeCommand(project));
        if (run.exitCode == -1)
            ShowStatus("mscode.bat for project '" + project + "' could not be started");
        // A batch that ends before its wait looked at the window leaves Exit to be seen here.
        DoEvents();
        if (ending()) {
            ShowStatus("Exit: mscode run stopped after project " + project);
            return;
        }
    }
}

std::string Maintenance::btnRISClean_Click(const std::vector<std::string>& schemaNames)
{
    HourglassPointer wait;
    EscKey::ForgetEarlierPress();
    RunReport report;
    try {
        for (const std::string& schema : listed(schemaNames)) {
            if (escPressed())
                break;
            requireName("Schema", schema);
            AppendToFile("Cleaning RIS dictionary tables for schema: '" + schema + "' ...", gLogFile);
            const ChangeOutcome clean = ChangeAndLook(
                [&] {
                    const LoggedRun run = LoggedRun::Run("risclnsr.exe " + schema);
                    std::string failure = RunReport::RunFailure("risclnsr " + schema, run.exitCode, run.output);
                    // The cleaner's answer counts only when it ends with its word of success.
                    if (failure.empty() && FindNoCase(run.output, "success") == std::string::npos)
                        failure = "risclnsr " + schema + ": its output does not report success";
                    return failure;
                },
                StandingState::CleanLook(schema));
            noteOutcome(report, clean, "the RIS clean of schema " + schema);
            DoEvents();
            // The cleaner is never stopped while it writes; the program ends between two runs.
            if (ending()) {
                ShowStatus("Exit: RIS clean stopped after schema " + schema);
                return {};
            }
        }
    } catch (const AppError& e) {
        report.NoteFailure(e.description());
        if (ending())
            return {};
    }
    const std::string closing = report.ClosingMessage(gLogFile);
    ShowMessage(closing, MsgStyle::OkOnly);
    return closing;
}
