// The hold of one copy run on its target project: the mark "project <name>" for the whole run,
// so that a second copy into that project, from this program or another, is refused by name
// (and the marks of the project's two schemas, so that no load or other change of them runs
// under the copy's rows and design tables);
// and the run's journal file, in which a copy that did not finish (a program killed on the way,
// an undo that could not take everything out) left what it may have made: taken out, or named,
// before this run copies anything.
#pragma once

#include "platform/RunMark.h"
#include "projcopy/CopyJournal.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/ProjectSides.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

class CopyLog;
class RisParamsAccess;

class CopyRunMark {
public:
    // Takes the mark of the sides' target project. Throws AppError when the marks folder cannot
    // be written.
    CopyRunMark(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log);
    // Lets go of the mark: when the journal holds nothing, its file goes and the mark with it;
    // else both stay, for the next copy into the project (or the next start) to find.
    ~CopyRunMark();
    CopyRunMark(const CopyRunMark&) = delete;
    CopyRunMark& operator=(const CopyRunMark&) = delete;

    // Empty when this run holds the mark; else the refusal, naming the copy that runs.
    const std::string& Refusal() const { return refusal_; }

    // What copies that did not finish left in the target, after TakeOutLeft.
    struct Left {
        // Per model, what of it is still recorded to be taken out by a later run ("'P1001' left
        // half copied in project 'demo' ..."): those models are not copied by this run.
        std::vector<std::pair<std::string, std::string>> halfCopied;
        // Per model, what stands of it where its remains are left to the user, no longer recorded
        // ("'P1001' left half made in project 'demo' ...: file '...': it changed since ..."):
        // named once; halfMade when part of the model itself stands (see CopyJournal::Undo).
        struct ToUser {
            std::string model, text;
            bool halfMade = false;
        };
        std::vector<ToUser> leftToUser;
    };
    // Takes out what earlier copies left recorded in the journal file, model by model, with the
    // undo's lines in the copy log; only what is still as they made it goes. Throws AppError
    // when the journal file stands but cannot be read whole: nothing may be copied then, and the
    // journal stays as it is.
    Left TakeOutLeft();

    // The run's journal, kept in the journal file.
    CopyJournal& Journal() { return journal_; }

    // "the copy of models from project '<old>' into project '<new>'": what the mark says runs.
    static std::string What(const std::string& oldProject, const std::string& newProject);

private:
    const CopyLog& log_;
    std::string project_;
    CopyJournalFile file_;
    RunMark mark_;
    std::optional<RunMark> pdMark_, ddMark_;
    CopyJournal journal_;
    std::string refusal_;
    bool journalRead_ = false;
};
