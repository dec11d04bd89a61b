// The alternative file search of the file check: every path below the search directories
// listed once per check run ("dir /S /B" through the batch launcher), and the listing lines
// that end in a missing file's name picked out, newest first.
#pragma once

#include "platform/Clock.h"

#include <string>
#include <unordered_map>
#include <vector>

// One alternative for a missing file: the listing line (trimmed, in the listing's letter
// case), its last-modified date-time and its size in bytes.
struct AlternativeFile {
    std::string path;
    LocalTime lastModified;
    long long size = 0;
};

// The listings of the directories in order, joined by CR LF; each lists every file and folder
// below its directory, one full path per CR LF line. The empty text for no directory. Raises
// (source "FindInit: ...") when a listing file cannot be read, or when a listing lacks a file
// that the file services find below its directory (a listing cut short); the listing file in
// TEMP is deleted in every case.
std::string FindInit(const std::vector<std::string>& searchDirs);

// FindInit's listing, made once per check run and searched for every missing file: its lines
// are indexed by their last path component in lower case, so that a search costs the lines it
// finds instead of a pass over the whole listing.
class FileListing {
public:
    explicit FileListing(std::string text);

    // The trimmed lines (in the listing's letter case and order) that end in "\" + fileName,
    // letter case ignored, with nothing after the name on the line.
    std::vector<std::string> LinesEndingIn(const std::string& fileName) const;

private:
    struct Line {
        size_t start;
        size_t length;
    };
    std::string text_;
    std::unordered_map<std::string, std::vector<Line>> byLastComponent_;
};

// The lines of the listing whose last component is fileName (letter case ignored), each with
// its date and size, newest first. Raises (source "FindMissingFiles: ...") on failure, beyond
// 32767 alternatives among them.
std::vector<AlternativeFile> FindMissingFiles(const FileListing& listing, const std::string& fileName);

// Newest first by an exchange sort: entries with equal dates keep the order that sort gives.
void SortMissingFilesByDate(std::vector<AlternativeFile>& files);

// The description of an alternative in the tree and the report:
// "File: <path>; Last Modified Date: <date>; Size: <size>".
std::string AlternativeDescription(const AlternativeFile& file);

// A date-time as the checks show it: "dd.mm.yyyy hh:nn:ss", the date alone at midnight and the
// time alone on the zero date (30 December 1899), as a date value turns into text.
std::string DateTimeText(const LocalTime& t);
