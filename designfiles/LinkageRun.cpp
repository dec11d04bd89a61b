// The linkage reading run.
#include "designfiles/LinkageRun.h"

#include "designfiles/LinkageReport.h"
#include "designfiles/LinkageResult.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/MessageService.h"
#include "services/MstnInstall.h"

namespace {

const char* const kScanCaption = "Scan DGN files";

std::string resultFilePath()
{
    const std::string temp = gTempDir.empty() ? GetEnvVar("TEMP") : gTempDir;
    return AddBackslash(temp) + GetTempName();
}

// Without this a result left from the file before would be read as this file's.
void deleteResult(const std::string& resultFile)
{
    if (!DeleteFileA(resultFile, false)) {
        long number = 0;
        std::string source, description;
        GetFileOpError(number, source, description);
        throw AppError(number, source, description);
    }
}

} // namespace

std::string LinkageRun::MdlPath()
{
    return ProgramDir() + "read_linkage.ma";
}

std::string LinkageRun::CommandText(const std::string& mdlPath, const std::string& mstnPath,
                                    const std::string& designFile, const std::string& resultFile)
{
    const size_t slash = mdlPath.rfind('\\');
    const std::string folder = Trim(mdlPath.substr(0, slash == std::string::npos ? 0 : slash + 1));
    const std::string app = Trim(slash == std::string::npos ? mdlPath : mdlPath.substr(slash + 1));
    // The folder comes from where the program is installed: it must not reshape either line.
    return SetPathVariableLine("MS_MDL", folder, "MDL folder") + "\r\n" + QuoteString(mstnPath) + " " +
           QuoteString("-wa" + app) + " " + QuoteString(designFile) + " " + QuoteString(resultFile);
}

void LinkageRun::Run(const std::vector<std::string>& dirs, const std::string& reportFile,
                     const std::function<std::string()>& reportFileNow)
{
    const std::string mdlPath = MdlPath();
    const std::string resultFile = resultFilePath();
    try {
        if (!IsFileExists(mdlPath, 0))
            RaiseError(kAppTitle, "MDL file: '" + mdlPath + "' not exists");
        if (dirs.empty())
            RaiseError(kAppTitle, "No directories to scan for DGN files found");
        report_.ReportCreateNew(reportFile);
        report_.WriteHeader();
        scan(dirs, mdlPath, resultFile);
        report_.ReportSave();
        ShowStatus(std::string("'") + kScanCaption + "' finished");
        if (ShowMessage("Show report now?", MsgStyle::YesNo | MsgStyle::Question) == MsgAnswer::Yes) {
            report_.ReportClose();
            long result = 0;
            ShellExec("Open", reportFileNow ? reportFileNow() : reportFile, "", "", result);
        }
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
    DeleteFileA(resultFile, false);
    report_.ReportClose();
}

void LinkageRun::scan(const std::vector<std::string>& dirs, const std::string& mdlPath, const std::string& resultFile)
{
    for (const std::string& dir : dirs) {
        ShowStatus("Searching for DGN files in: '" + dir + "' ...");
        const std::vector<std::string> files = FindFile(dir, "*.dgn", true);
        ShowStatus(std::to_string(SafeUBound(files) + 1) + " files found");
        for (const std::string& file : files) {
            ShowStatus("Scanning file: '" + file + "' ...");
            deleteResult(resultFile);
            long pid = 0;
            ExecA(CommandText(mdlPath, GetDefaultMSTNPath(), file, resultFile), "", 0, "", pid, true);
            const LinkageResult result = LinkageResult::Parse(ReadFile2String(resultFile));
            report_.AddRow(file, result.discipline, result.partition);
            DoEvents();
        }
    }
}
