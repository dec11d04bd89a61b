// The check and restore runs.
#include "filecheck/UpgradeCheckRuns.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/ProjectData.h"
#include "dbaccess/WholeTableRead.h"
#include "dbaccess/RISErrorReader.h"
#include "filecheck/AlternativeFiles.h"
#include "filecheck/CheckQueries.h"
#include "filecheck/DrawingLibraryCheck.h"
#include "filecheck/FileRestore.h"
#include "filecheck/ModelCheck.h"
#include "filecheck/ProjectFileChecks.h"
#include "filecheck/UpgradeCheckContext.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/FolderCache.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/MessageService.h"
#include "services/Messages.h"
#include "services/ProgramLog.h"

namespace {

// "Show report now?"; on Yes Excel quits (it must not hold the file) and the shell opens it.
void OfferReport(UpgradeCheckContext& ctx, const std::string& reportName)
{
    if (ShowMessage("Show report now?", MsgStyle::YesNo | MsgStyle::Question) != MsgAnswer::Yes)
        return;
    ctx.report.ReportClose();
    long result = 0;
    ShellExec("Open", reportName, "", "", result);
}

// Saves the rows written so far; a failing save is logged, the run's own error is the message.
void SaveReportAfterError(UpgradeCheckContext& ctx)
{
    try {
        ctx.report.ReportSave();
    } catch (const AppError& e) {
        ShowStatus(e.description());
    }
}

// How a run ended on an error: the last word of the status bar and the log, and the box. A RIS
// error block the error carries is shown as its own text.
void ShowRunError(const AppError& e)
{
    const std::string text = RISErrorLine(e.description());
    ShowStatus(text);
    ShowMessage(text, MsgStyle::Exclamation);
}

} // namespace

std::string CheckReportName(const std::string& project)
{
    return AddBackslash(GetEnvVar("TEMP")) + project + "_original.xls";
}

std::string RestoreReportName(const std::string& project)
{
    return AddBackslash(GetEnvVar("TEMP")) + project + "_upgraded.xls";
}

void RunCheck(UpgradeCheckContext& ctx)
{
    // A large project is checked row by row: each folder is resolved once for the run and the
    // log stays open, instead of both again for every file.
    const FolderCacheScope folders;
    const ProgramLogRunScope log;
    // Each table the checks read is unloaded once for the run, and counted by the server with
    // the others in one client run, however many of the checks ask it.
    const WholeTableReads tables(*gCRIS, ctx.ProjectSchema(), checkqueries::CheckRunStatements());
    try {
        ctx.ClearFindings();
        const std::string reportName = CheckReportName(ctx.projectName);
        ctx.report.ReportCreateNew(reportName);
        const FileListing listing(FindInit(ctx.searchDirs));
        CheckModels(ctx, listing);
        CheckDrawings(ctx, listing);
        CheckLibraries(ctx, listing);
        CheckAreaMarker(ctx);
        CheckProjectFile(ctx);
        ctx.report.ReportSave();
        ShowStatus(std::string("'") + kCheckCaption + "' finished");
        OfferReport(ctx, reportName);
    } catch (const AppError& e) {
        ShowRunError(e);
    }
    ctx.report.ReportClose();
}

bool RunRestore(UpgradeCheckContext& ctx)
{
    if (ShowMessage("Are you sure?", MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) !=
        MsgAnswer::Yes)
        return false;
    bool saved = false;
    try {
        const std::string reportName = RestoreReportName(ctx.projectName);
        ctx.report.ReportCreateNew(reportName);
        ShowStatus("Getting project directory for PDS-Project: '" + ctx.projectName + "' ...");
        const std::string directory = GetProjectDirectory(ctx.projectName);
        if (!IsFileExists(directory, 1))
            RaiseError("", "Project directory: '" + directory + "' not exists");
        ShowStatus("Project directory: '" + directory + "'");
        RestoreMissingModelFiles(ctx, directory);
        RestoreMissingDrawingFiles(ctx, directory);
        ctx.report.ReportSave();
        saved = true;
        ShowStatus(std::string("'") + kRestoreCaption + "' finished");
        OfferReport(ctx, reportName);
    } catch (const AppError& e) {
        // Files restored before the error stay restored: their rows are saved before the
        // message, so the report tells what was done.
        if (!saved && ctx.Sheet())
            SaveReportAfterError(ctx);
        // The status bar's last word is how the run ended, not the save of its report.
        ShowRunError(e);
    }
    ctx.report.ReportClose();
    return true;
}
