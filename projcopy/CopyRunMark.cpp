// A copy run's mark on its target project and its journal file.
#include "projcopy/CopyRunMark.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "projcopy/CopyLog.h"

namespace {

// The target's parameters file as the place it names now, so that the undo of a later program,
// started in another folder, reaches the same file; none stays none.
std::string paramsPlace(const std::string& params) { return IsBlank(params) ? params : FullWinPath(params); }

} // namespace

CopyRunMark::CopyRunMark(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log)
    : log_(log), project_(sides.newProject()), file_(project_),
      mark_("project " + ToLower(project_), {{"what", What(sides.oldProject(), project_)},
                                             {"params", paramsPlace(sides.newParams())},
                                             {"journal", file_.Path()},
                                             {CopyLog::kMarkField, FullWinPath(log.Path())}}),
      journal_(CopyTarget{project_, paramsPlace(sides.newParams()), ParamsText(sides.newParams())}, ris, log, &file_)
{
    const std::string refused = "The copy into project '" + project_ + "' was not started: ";
    if (!mark_.held()) {
        refusal_ = refused + "another copy runs into that project: " + RunMark::RunningText(mark_.Holder()) +
                   ". Nothing was changed.";
        return;
    }
    // The schemas' marks go with the run, not with its journal: what a copy left unfinished is
    // the project mark's and its journal's to tell.
    const RunMark::Fields fields = {{"what", What(sides.oldProject(), project_)}, {"journal", file_.Path()}};
    for (const auto& [schemaMark, prefix] : {std::pair{&pdMark_, "pd_"}, std::pair{&ddMark_, "dd_"}}) {
        const std::string schema = prefix + ToLower(project_);
        schemaMark->emplace("schema " + schema, fields);
        if (!(*schemaMark)->held()) {
            refusal_ = refused + RunMark::RunningText((*schemaMark)->Holder()) + " is under way on schema " + schema +
                       ". Nothing was changed.";
            return;
        }
    }
}

CopyRunMark::~CopyRunMark()
{
    pdMark_.reset();
    ddMark_.reset();
    if (!mark_.held())
        return;
    if (!refusal_.empty()) {
        // Refused for a schema's change: nothing was done; a dead copy's mark stays for the next.
        if (mark_.Left().empty())
            mark_.Release();
        else
            mark_.Keep();
        return;
    }
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

CopyRunMark::Left CopyRunMark::TakeOutLeft()
{
    std::vector<JournalEntry> entries;
    RunMark::Fields who;
    bool had = false;
    try {
        had = file_.Load(entries, who);
    } catch (const AppError& e) {
        throw AppError(e.number(), "CopyRunMark",
                       "The copy into project '" + project_ + "' was not started: " + e.description() +
                           ". What a copy that did not finish made there is not known; nothing was changed. Once "
                           "what stands in project '" + project_ + "' is looked after, removing '" + file_.Path() +
                           "' lets copies into it run again");
    }
    journalRead_ = true;
    const std::string by = RunMark::WhoText(who.empty() ? mark_.Left() : who);
    Left left;
    if (!had || entries.empty()) {
        if (!mark_.Left().empty())
            log_.WriteLog("The copy into project '" + project_ + "' by " + by +
                          " did not finish; nothing it made is left there");
        return left;
    }
    journal_.Adopt(std::move(entries));
    for (const std::string& m : journal_.Models()) {
        log_.WriteLog(m + ": the copy of model '" + m + "' into project '" + project_ + "' by " + by +
                      " did not finish; what it made there is taken out");
        bool halfMade = false;
        const std::vector<std::string> stays = journal_.Undo(m, &halfMade);
        if (journal_.Holds(m))
            // Named by every copy into the project until a copy can take it out, or the user
            // settles it.
            left.halfCopied.emplace_back(m, "'" + m + "' left half copied in project '" + project_ + "' by " + by +
                                                ": " + Join(stays, ", ") + "; once what stands of it is looked "
                                                "after, removing '" + file_.Path() + "' settles it");
        else if (!stays.empty())
            left.leftToUser.push_back({m, "'" + m + "' left half made in project '" + project_ + "' by " + by + ": " +
                                              Join(stays, ", "),
                                       halfMade});
    }
    return left;
}
