// Whole-file reading, chunked search-and-replace over files of any size, appending a line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The largest piece of a file that ReplaceInFile holds in memory at once.
inline constexpr size_t kReplaceChunkSize = 20000000;

// The whole file as one text; on failure the empty text with the last file error set
// (number 1 "File '<path>' not exists" for a missing file), else the record cleared.
std::string ReadFile2String(const std::string& path);

// The file's lines (CR removed, split at LF; a final line break gives an empty last line, an
// empty file the empty list). On failure the empty list and the last file error.
std::vector<std::string> ReadFile2Array(const std::string& path);

// Replaces, line by line and without regard to case, every occurrence of search[i] by
// replacement[i] for the pairs both lists have (blank search texts skipped; the pairs applied
// in order, each on the result of the one before). The file is read in pieces of at most
// chunkSize bytes ending at line breaks, written to a work file in the temporary folder, and
// the original is replaced only once the work file is complete; on any failure it stays as it
// was. Never throws: a failure is left in the last file error (2 file missing, 3 work folder
// missing, or the failing operation's own).
void ReplaceInFile(const std::string& path, const std::vector<std::string>& search,
                   const std::vector<std::string>& replacement, size_t chunkSize = kReplaceChunkSize);
void ReplaceInFile(const std::string& path, const std::string& search, const std::string& replacement,
                   size_t chunkSize = kReplaceChunkSize);

// Appends text and CR LF to an existing ordinary (not hidden) file; does nothing when the path
// is empty or names no such file. Throws AppError when the file cannot be written.
void AppendToFile(const std::string& text, const std::string& path);

// Appends text and CR LF to the file whole or not at all: the file's bytes and the new line are
// written beside it and put in its place only once flushed, so a full disk or a killed program
// leaves the file as it was, never cut in the line. A linked file keeps its link, the file its
// mode. Throws AppError (the platform's number and text) with the file unchanged.
void AppendLineWhole(const std::string& path, const std::string& text);
