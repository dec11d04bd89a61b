// The journal of a project copy on disk: one file per target project, beside the project's mark
// in the environment's marks folder, rewritten whole (written new, flushed, then put in place)
// before each step of the copy and after each look, so that a program killed at any point leaves
// what its copy may have made where the next copy into that project, or the next start, finds
// it. It names the program that wrote it, as a mark does.
#pragma once

#include "platform/RunMark.h"
#include "projcopy/CopyJournalEntry.h"

#include <string>
#include <vector>

class CopyJournalFile {
public:
    // The journal of copies into project (its name without "pd_"; letter case does not count).
    explicit CopyJournalFile(const std::string& project);

    // Windows form.
    const std::string& Path() const { return path_; }
    const std::string& Project() const { return project_; }

    // Writes the entries, with this program as their writer; without entries the file is
    // removed. Throws AppError when it cannot: the step it records must not run then.
    void Save(const std::vector<JournalEntry>& entries) const;

    // What the file holds: false when there is none. who gets the writer's fields ("program",
    // "process", "computer", "started", as RunMark::WhoText reads them). Throws AppError when the
    // file stands but cannot be read whole.
    bool Load(std::vector<JournalEntry>& entries, RunMark::Fields& who) const;

    // The projects whose journals stand in the marks folder, as their files name them.
    static std::vector<std::string> Projects();

private:
    std::string project_;
    std::string path_;
    RunMark::Fields who_;
};
