// Directory listing and alternative files of the file check.
#include "filecheck/AlternativeFiles.h"

#include "filecheck/FileCheckText.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/FolderCache.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/BatchLauncher.h"
#include "services/FileContents.h"
#include "services/FileOpError.h"
#include "services/FileOperation.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <deque>
#include <string_view>
#include <unordered_set>

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

// Paths as Windows compares them, letter case aside, without a copy of each path: the two
// listings of a large folder hold tens of thousands of them.
struct NoCaseHash {
    size_t operator()(std::string_view s) const
    {
        size_t h = 1469598103934665603ull;
        for (const char c : s)
            h = (h ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)))) * 1099511628211ull;
        return h;
    }
};
struct NoCaseEqual {
    bool operator()(std::string_view a, std::string_view b) const { return EqualsNoCase(a, b); }
};

std::string_view trimmedBlanks(std::string_view s)
{
    const size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string_view() : s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// The listing decides which copies a missing file is offered and the restore takes: one cut
// short (a full TEMP under the redirected output, a folder that could not be read) would hide a
// copy and leave the seed file as the only choice. Every file the file services find below the
// directory, a second reader, must be in it.
void requireWholeListing(const std::string& dir, const std::string& listing)
{
    // A doubled backslash (a directory given with its trailing one) names the same file: such a
    // path is compared in its mended form, kept here.
    std::deque<std::string> mended;
    const auto key = [&](std::string_view path) {
        path = trimmedBlanks(path);
        return path.find("\\\\") == std::string_view::npos
                   ? path
                   : std::string_view(mended.emplace_back(ReplaceAll(std::string(path), "\\\\", "\\")));
    };
    std::unordered_set<std::string_view, NoCaseHash, NoCaseEqual> listed;
    for (size_t start = 0; start < listing.size();) {
        const size_t end = std::min(listing.find("\r\n", start), listing.size());
        listed.insert(key(std::string_view(listing).substr(start, end - start)));
        start = end + 2;
    }
    // A folder that is not there lists nothing; one that is must be read whole a second time.
    if (!IsFileExists(dir, 1))
        return;
    const std::vector<std::string> files = FindFile(dir, "*", true);
    RaiseFileOpError();
    // The listing names every path in full ("C:\backup\x"), the file services below the folder
    // as it is written ("C:\backup\..\backup\x", "C:\.\backup\x", "C:backup\x"): both are
    // compared in the full form, or one folder in two spellings would count as a file missing.
    const std::string written = dir.empty() || dir.back() == '\\' || dir.back() == '/' ? dir : dir + "\\";
    const std::string full = AddBackslash(FullWinPath(dir));
    std::vector<std::string> missing;
    std::string inFull;
    for (const std::string& file : files) {
        std::string_view path = file;
        if (written != full && file.compare(0, written.size(), written) == 0) {
            inFull = full + file.substr(written.size());
            path = inFull;
        }
        if (!listed.count(key(path)))
            missing.push_back(file);
    }
    if (!missing.empty())
        RaiseError("", "The listing of '" + dir + "' is not whole: it lacks " + std::to_string(missing.size()) +
                           " of the files below the folder, the first '" + missing.front() + "'");
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
            requireWholeListing(dir, text);
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

FileListing::FileListing(std::string text) : text_(std::move(text))
{
    // Lines end in CR LF; a last line without its line end counts as well.
    for (size_t start = 0; start < text_.size();) {
        size_t end = text_.find("\r\n", start);
        if (end == std::string::npos)
            end = text_.size();
        const size_t slash = end > start ? text_.rfind('\\', end - 1) : std::string::npos;
        if (slash != std::string::npos && slash >= start) {
            const std::string_view name = std::string_view(text_).substr(slash + 1, end - slash - 1);
            byLastComponent_[ToLower(name)].push_back({start, end - start});
        }
        start = end + 2;
    }
}

std::vector<std::string> FileListing::LinesEndingIn(const std::string& fileName) const
{
    std::vector<std::string> lines;
    if (fileName.empty())
        return lines;
    // A name holding a "\" is found under its own last component, then the rest is compared.
    const size_t slash = fileName.rfind('\\');
    const auto it = byLastComponent_.find(ToLower(slash == std::string::npos ? fileName : fileName.substr(slash + 1)));
    if (it == byLastComponent_.end())
        return lines;
    for (const Line& line : it->second) {
        const std::string_view text = std::string_view(text_).substr(line.start, line.length);
        if (text.size() > fileName.size() && text[text.size() - fileName.size() - 1] == '\\' &&
            EndsWithNoCase(text, fileName))
            lines.push_back(Trim(text));
    }
    return lines;
}

std::vector<AlternativeFile> FindMissingFiles(const FileListing& listing, const std::string& fileName)
{
    std::vector<AlternativeFile> found;
    try {
        for (const std::string& path : listing.LinesEndingIn(fileName)) {
            if (found.size() >= kMaxAlternatives)
                throw AppError(6, "", "Overflow");
            AlternativeFile file;
            file.path = path;
            // A folder of the same name is listed too, with the zero date and size 0.
            {
                const FolderCacheReads runReads;
                if (IsFileExists(path, 0)) {
                    file.lastModified = GetFileLastModifiedDate(path);
                    file.size = std::llround(GetFileSize(path));
                }
            }
            found.push_back(std::move(file));
            DoEventsBetweenRows();
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
                DoEventsBetweenRows();
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
