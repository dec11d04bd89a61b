// Unfinished project copies, looked after at a start.
#include "projcopy/UnfinishedCopies.h"

#include "platform/AppError.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "projcopy/CopyJournal.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/CopyWorkFiles.h"
#include "services/Messages.h"

#include <algorithm>

std::vector<std::string> UnfinishedCopies()
{
    std::vector<std::string> texts;
    for (const std::string& project : CopyJournalFile::Projects()) {
        // A copy that runs now keeps its journal itself.
        if (RunMark::Look("project " + project).state == RunMark::State::Held)
            continue;
        const CopyJournalFile file(project);
        std::vector<JournalEntry> entries;
        RunMark::Fields who;
        try {
            if (!file.Load(entries, who))
                continue;
        } catch (const AppError& e) {
            texts.push_back(e.description());
            continue;
        }
        std::vector<std::string> models;
        for (const JournalEntry& e : entries)
            if (std::find(models.begin(), models.end(), e.model) == models.end())
                models.push_back(e.model);
        for (const std::string& m : models) {
            std::vector<std::string> named, unreached;
            for (const JournalEntry& e : entries)
                if (e.model == m) {
                    named.push_back(CopyJournal::Describe(e));
                    const std::string why = CopyJournal::Unreached(e);
                    if (!why.empty() && std::find(unreached.begin(), unreached.end(), why) == unreached.end())
                        unreached.push_back(why);
                }
            std::string text = "The copy of model '" + m + "' into project '" + project + "' by " +
                               RunMark::WhoText(who) + " did not finish: " + Join(named, ", ") +
                               " may stand there, half made; ";
            // Named at every start until it is settled: nothing of it goes before it can be reached.
            if (unreached.empty())
                text += "the next copy into project '" + project +
                        "' takes out what is still as it was made and names the rest";
            else
                text += "nothing of it is taken out while " + Join(unreached, "; ") + ": once that file stands "
                        "again, the next copy into project '" + project + "' takes out what is still as it was made, "
                        "or once what stands there is looked after, removing '" + file.Path() + "' settles it";
            texts.push_back(text);
        }
    }
    return texts;
}

void LookAfterUnfinishedCopies()
{
    RemoveEndedCopiesWorkFiles();
    for (const std::string& text : UnfinishedCopies())
        ShowStatus(text);
}
