// The whole backup copy before a file edit, looked at after any failure.
#include "services/WholeBackup.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "services/FileOperation.h"

namespace {

constexpr size_t kCompareChunk = 4 * 1024 * 1024;

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// The first differing byte's offset of two open files of equal size; -1 when they are equal.
int64_t firstDifference(BinaryFile& a, BinaryFile& b, int64_t size)
{
    for (int64_t at = 0; at < size; at += static_cast<int64_t>(kCompareChunk)) {
        const std::string pa = a.ReadAt(at, kCompareChunk);
        const std::string pb = b.ReadAt(at, kCompareChunk);
        if (pa != pb) {
            size_t i = 0;
            while (i < pa.size() && i < pb.size() && pa[i] == pb[i])
                ++i;
            return at + static_cast<int64_t>(i);
        }
    }
    return -1;
}

std::string lastFileError()
{
    long number = 0;
    std::string source, description;
    GetFileOpError(number, source, description);
    return description.empty() ? std::string("the copy failed") : description;
}

} // namespace

ChangeState CompareCopy(const std::string& file, const std::string& copy, std::string& seen)
{
    if (!IsFileExists(copy, 0)) {
        seen = quoted(copy) + " is not there";
        return ChangeState::NotDone;
    }
    BinaryFile original, backup;
    original.Open(file, BinaryFile::Mode::Read);
    backup.Open(copy, BinaryFile::Mode::Read);
    const int64_t size = original.Size(), copied = backup.Size();
    if (size != copied) {
        seen = quoted(copy) + " holds " + std::to_string(copied) + " bytes, " + quoted(file) + " " +
               std::to_string(size);
        return ChangeState::NotKnown;
    }
    if (const int64_t at = firstDifference(original, backup, size); at >= 0) {
        seen = quoted(copy) + " differs from " + quoted(file) + " at byte " + std::to_string(at + 1);
        return ChangeState::NotKnown;
    }
    seen = quoted(copy) + " holds the same " + std::to_string(size) + " bytes as " + quoted(file);
    return ChangeState::Done;
}

ChangeOutcome MakeWholeBackup(const std::string& file, const std::string& backup, const std::function<bool()>& copy)
{
    return ChangeAndLook(
        [&]() -> std::string {
            if (!(copy ? copy() : CopyFileA(file, backup)))
                return lastFileError();
            // The copy's own word is not enough: the edit after it would lose the only whole
            // version of the file when the backup were cut short.
            std::string seen;
            if (CompareCopy(file, backup, seen) != ChangeState::Done)
                return "the copy ended without error but the backup is not whole";
            return {};
        },
        [&](std::string& seen) { return CompareCopy(file, backup, seen); });
}

std::string BackupRefusal(const ChangeOutcome& outcome, const std::string& file, const std::string& backup)
{
    return outcome.Describe("the backup of " + quoted(file) + " to " + quoted(backup)) + " " + quoted(file) +
           " was left unchanged.";
}
