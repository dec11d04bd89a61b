// Moves of design files that never leave a copy where a move was meant.
#include "designfiles/DesignFileMove.h"

#include "designfiles/FileImage.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "services/FileOperation.h"

#include <cerrno>

namespace {

std::string lastFileErrorText()
{
    long number = 0;
    std::string source, description;
    GetFileOpError(number, source, description);
    return description;
}

// Told once; a failure to write it changes nothing of what the move does.
void tell(const std::function<void()>& givenUp, bool& told)
{
    if (told || !givenUp)
        return;
    told = true;
    try {
        givenUp();
    } catch (const AppError&) {
    }
}

} // namespace

ChangeOutcome MoveDesignFile(const std::string& from, const std::string& to, const DesignFileMoveRecording& recording)
{
    FileImage made;
    bool told = false;
    return ChangeAndLook(
        [&]() -> std::string {
            // A read-only file can be copied but not removed: refused before any copy is made.
            if (IsFileExists(from, 0) && IsReadOnlyFile(from))
                return HostError(EACCES).description() + " ('" + from + "' is read-only)";
            if (!CopyFileA(from, to, false, false, false))
                return lastFileErrorText();
            made = FileImage::Of(to);
            if (recording.copied) {
                try {
                    recording.copied(made);
                } catch (const AppError& e) {
                    return "the copy under the new name could not be recorded before the old name went (" +
                           e.description() + ")";
                }
            }
            try {
                HostDeleteFile(from, false);
            } catch (const AppError& e) {
                // A read-only file is no file another program holds: the user is told which.
                return e.description() + (IsReadOnlyFile(from) ? " ('" + from + "' is read-only)" : std::string());
            }
            return {};
        },
        [&](std::string& seen) {
            const bool source = IsFileExists(from, 0);
            if (!source && IsFileExists(to, 0)) {
                seen = "'" + to + "' is there and '" + from + "' is gone";
                return ChangeState::Done;
            }
            const bool copyAsMade = source && made.Matches(FileImage::Of(to));
            if (copyAsMade || (source && !made.Known()))
                tell(recording.givenUp, told);
            if (copyAsMade)
                DeleteFileA(to, false);
            if (source && (!made.Known() || !IsFileExists(to, 0))) {
                seen = "'" + from + "' keeps its name";
                if (IsFileExists(to, 0))
                    seen += "; '" + to + "' is another file and was left as it is";
                return ChangeState::NotDone;
            }
            seen = source ? "both '" + from + "' and '" + to + "' are there"
                          : "neither '" + from + "' nor '" + to + "' is there";
            return ChangeState::NotKnown;
        },
        LookAfter::EveryCall);
}

std::string DesignFileMoveFailure(const ChangeOutcome& outcome, const std::string& from, const std::string& to)
{
    if (outcome.Done())
        return {};
    return outcome.state == ChangeState::NotDone && outcome.CallFailed()
               ? outcome.failure
               : outcome.Describe("the move of '" + from + "' to '" + to + "'");
}
