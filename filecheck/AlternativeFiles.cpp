// Directory listing and alternative files of the file check.
#include "filecheck/AlternativeFiles.h"

#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOpError.h"
#include "services/FileOperation.h"

#include <cmath>

namespace {

// The alternatives of one name are indexed with 16-bit counters by the tree and report users.
constexpr size_t kMaxAlternatives = 32767;

bool Earlier(const LocalTime& a, const LocalTime& b)
{
    if (a.dayNumber() != b.dayNumber())
        return a.dayNumber() < b.dayNumber();
    return a.secondsSinceMidnight() < b.secondsSinceMidnight();
}

bool IsZeroDate(const LocalTime& t)
{
    return t.year == 1899 && t.month == 12 && t.day == 30;
}

} // namespace

std::string FindInit(const std::vector<std::string>& searchDirs)
{
    std::string listing;
    const std::string listFile = AddBackslash(GetEnvVar("TEMP")) + GetTempName();
    try {
        for (const std::string& dir : searchDirs) {
            long processId = 0;
            // The exit code is not looked at: a vanished directory leaves an empty listing.
            ExecA("dir " + QuoteString(dir) + " /S /B > " + QuoteString(listFile), "", 0, "", processId, true);
            const std::string text = ReadFile2String(listFile);
            RaiseFileOpError();
            if (!listing.empty())
                listing += "\r\n";
            listing += text;
        }
    } catch (const AppError& e) {
        DeleteFileA(listFile);
        throw PassOn(e, "FindInit");
    }
    DeleteFileA(listFile);
    return listing;
}

std::vector<AlternativeFile> FindMissingFiles(const std::string& listing, const std::string& fileName)
{
    std::vector<AlternativeFile> found;
    try {
        if (Trim(listing).empty() || fileName.empty())
            return found;
        std::string lower = ToLower(listing);
        // A listing whose last line lacks its line end still has that line searched.
        if (lower.size() < 2 || lower.compare(lower.size() - 2, 2, "\r\n") != 0)
            lower += "\r\n";
        const std::string pattern = "\\" + ToLower(fileName) + "\r\n";
        size_t from = 0;
        for (size_t hit; (hit = lower.find(pattern, from)) != std::string::npos;) {
            const size_t cr = hit + 1 + fileName.size();
            from = cr;
            // The first line of the listing has no line end before it and counts as well.
            const size_t before = hit == 0 ? std::string::npos : lower.rfind("\r\n", hit - 1);
            const size_t start = before == std::string::npos ? 0 : before + 2;
            const std::string path = Trim(listing.substr(start, cr - start));
            if (path.empty())
                continue;
            if (found.size() >= kMaxAlternatives)
                throw AppError(6, "", "Overflow");
            AlternativeFile file;
            file.path = path;
            // A folder of the same name is listed too, with the zero date and size 0.
            if (IsFileExists(path, 0)) {
                file.lastModified = GetFileLastModifiedDate(path);
                file.size = std::llround(GetFileSize(path));
            }
            found.push_back(std::move(file));
            DoEvents();
        }
        SortMissingFilesByDate(found);
        return found;
    } catch (const AppError& e) {
        throw PassOn(e, "FindMissingFiles");
    }
}

void SortMissingFilesByDate(std::vector<AlternativeFile>& files)
{
    for (size_t i = 0; i < files.size(); ++i)
        for (size_t j = i + 1; j < files.size(); ++j) {
            if (Earlier(files[i].lastModified, files[j].lastModified))
                std::swap(files[i], files[j]);
            if ((j & 0xFF) == 0)
                DoEvents();
        }
}

std::string AlternativeDescription(const AlternativeFile& file)
{
    return "File: " + file.path + "; Last Modified Date: " + DateTimeText(file.lastModified) +
           "; Size: " + std::to_string(file.size);
}

std::string DateTimeText(const LocalTime& t)
{
    const bool midnight = t.hour == 0 && t.minute == 0 && t.second == 0;
    if (IsZeroDate(t))
        return FormatLocalTime(t, "hh:nn:ss");
    if (midnight)
        return FormatLocalTime(t, "dd.mm.yyyy");
    return FormatLocalTime(t, "dd.mm.yyyy hh:nn:ss");
}
