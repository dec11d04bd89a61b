// Backup, search, replacement and append of the script runner's file edits.
#include "admin/ScriptFileEdit.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/WholeBackup.h"

#include <optional>

namespace {

constexpr size_t kSearchChunk = 4 * 1024 * 1024;

size_t find(const std::string& hay, const std::string& needle, bool ignoreCase)
{
    return ignoreCase ? FindNoCase(hay, needle) : hay.find(needle);
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

std::string backupOf(const std::string& path)
{
    return path + ".bak";
}

// The mark of an edit of one file, held from the search to the rewrite: two programs that
// rewrote one file at once would each put their own version in place, and one edit would be
// lost. The file is named by the place its path names, so that two spellings of one file meet.
class FileEditMark {
public:
    FileEditMark(const std::string& path, const std::string& what)
    {
        const std::string object = "file " + WinPathPlace(path);
        try {
            mark_.emplace(object, RunMark::Fields{{"what", what}});
        } catch (const AppError& e) {
            throw AppError(e.number(), "ScriptFileEdit", Capitalised(what) + " was not started: its mark could not be "
                                                         "written: " + RunMark::WriteFailureText(object, e) + "; " +
                                                         quoted(path) + " was left unchanged.");
        }
        if (!mark_->held())
            RaiseError("ScriptFileEdit", Capitalised(what) + " was not started: " +
                                             RunMark::RunningText(mark_->Holder()) + " is under way on that file; " +
                                             quoted(path) + " was left unchanged.");
        // An edit is put in place whole or not at all, so a dead run's edit left the file whole.
        if (!mark_->Left().empty())
            ShowStatus(Capitalised(RunMark::RunningText(mark_->Left())) + " ended without finishing; " + quoted(path) +
                       " is whole as it left it");
    }

private:
    std::optional<RunMark> mark_;
};

// What stands after a failed rewrite of a file whose whole backup was made just before it.
ChangeLook editLook(const std::string& path)
{
    return [path](std::string& seen) {
        std::string compared;
        if (CompareCopy(backupOf(path), path, compared) == ChangeState::Done) {
            seen = quoted(path) + " stands as it was, with the same bytes as its backup " + quoted(backupOf(path));
            return ChangeState::NotDone;
        }
        seen = compared;
        return ChangeState::NotKnown;
    };
}

// Runs the rewrite of a backed-up file; raises what stands unless it was done.
void rewrite(const std::string& path, const std::string& what, const std::function<std::string()>& change)
{
    const ChangeOutcome outcome = ChangeAndLook(change, editLook(path));
    if (outcome.Failed())
        RaiseError("ScriptFileEdit", outcome.Describe(what));
}

} // namespace

bool FileContainsText(const std::string& path, const std::string& text, bool ignoreCase)
{
    if (text.empty())
        return true;
    BinaryFile file;
    file.Open(path, BinaryFile::Mode::Read);
    const int64_t size = file.Size();
    // Consecutive pieces overlap by one byte less than the text, so no occurrence is cut.
    const size_t overlap = text.size() - 1;
    std::string piece;
    for (int64_t position = 0; position < size; position += static_cast<int64_t>(kSearchChunk)) {
        piece = file.ReadAt(position, kSearchChunk + overlap);
        if (find(piece, text, ignoreCase) != std::string::npos)
            return true;
        if (position + static_cast<int64_t>(piece.size()) >= size)
            break;
    }
    return false;
}

void BackupScriptFile(const std::string& path)
{
    const std::string backup = backupOf(path);
    if (const ChangeOutcome copied = MakeWholeBackup(path, backup); !copied.Done())
        throw AppError(1, "BackupScriptFile", BackupRefusal(copied, path, backup));
}

bool ChangeTextInFile(const std::string& path, const std::string& search, const std::string& replacement)
{
    const FileEditMark mark(path, "the change of " + quoted(search) + " to " + quoted(replacement) + " in " +
                                      quoted(path));
    if (search.empty() || !FileContainsText(path, search, true))
        return false;
    if (IsBlank(search))
        // The chunked replacement of the file services passes over search texts of blanks.
        throw AppError(1, "ChangeTextInFile", "A search text of blanks only is not supported: '" + search + "'");
    BackupScriptFile(path);
    rewrite(path, "the change of " + quoted(path), [&] {
        ClearFileOpError();
        ReplaceInFile(path, search, replacement);
        long number = 0;
        std::string source, description;
        GetFileOpError(number, source, description);
        return number == 0 ? std::string() : description;
    });
    return true;
}

bool AppendTextOnce(const std::string& path, const std::string& text)
{
    const std::string what = "the append of " + quoted(text) + " to " + quoted(path);
    const FileEditMark mark(path, what);
    BackupScriptFile(path);
    if (FileContainsText(path, text, false))
        return false;
    rewrite(path, what, [&] {
        AppendLineWhole(path, text);
        return std::string();
    });
    return true;
}
