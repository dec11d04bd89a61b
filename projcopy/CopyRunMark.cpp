// A copy run's mark on its target project and its journal file.
#include "projcopy/CopyRunMark.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "projcopy/CopyLog.h"

CopyRunMark::CopyRunMark(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log)
    : log_(log), project_(sides.newProject()), file_(project_),
      mark_("project " + ToLower(project_), {{"what", What(sides.oldProject(), project_)},
                                             {"params", sides.newParams()},
                                             {"journal", file_.Path()},
                                             {CopyLog::kMarkField, log.Path()}}),
      journal_(CopyTarget{project_, sides.newParams()}, ris, log, &file_)
{
    if (!mark_.held())
        refusal_ = "The copy into project '" + project_ + "' was not started: another copy runs into that project: " +
                   RunMark::RunningText(mark_.Holder()) + ". Nothing was changed.";
}

CopyRunMark::~CopyRunMark()
{
    if (!mark_.held())
        return;
    try {
        // A journal this run could not read is not its to remove.
        if (journalRead_ && journal_.NothingLeft()) {
            file_.Save({});
            mark_.Release();
            return;
        }
    } catch (const AppError&) {
        // The journal file stays: the mark stays with it, for the next run to read.
    }
    mark_.Keep();
}

std::string CopyRunMark::What(const std::string& oldProject, const std::string& newProject)
{
    return "the copy of models from project '" + oldProject + "' into project '" + newProject + "'";
}

std::vector<std::pair<std::string, std::string>> CopyRunMark::TakeOutLeft()
{
    std::vector<JournalEntry> left;
    RunMark::Fields who;
    bool had = false;
    try {
        had = file_.Load(left, who);
    } catch (const AppError& e) {
        throw AppError(e.number(), "CopyRunMark",
                       "The copy into project '" + project_ + "' was not started: " + e.description() +
                           ". What a copy that did not finish made there is not known; nothing was changed");
    }
    journalRead_ = true;
    const std::string by = RunMark::WhoText(who.empty() ? mark_.Left() : who);
    if (!had || left.empty()) {
        if (!mark_.Left().empty())
            log_.WriteLog("The copy into project '" + project_ + "' by " + by +
                          " did not finish; nothing it made is left there");
        return {};
    }
    journal_.Adopt(std::move(left));
    std::vector<std::pair<std::string, std::string>> halfCopied;
    for (const std::string& m : journal_.Models()) {
        log_.WriteLog(m + ": the copy of model '" + m + "' into project '" + project_ + "' by " + by +
                      " did not finish; what it made there is taken out");
        const std::vector<std::string> stays = journal_.Undo(m);
        if (!stays.empty())
            halfCopied.emplace_back(m, "'" + m + "' left half copied in project '" + project_ + "' by " + by + ": " +
                                           Join(stays, ", "));
    }
    return halfCopied;
}
