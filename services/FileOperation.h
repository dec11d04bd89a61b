// The file services: existence, copy, move, delete, size and date, temporary names, search,
// folder creation, write and in-use tests, versions and path texts. Paths are Windows texts.
// None of them throws (except CheckTempDir): each keeps its failure in the last file error
// (services/FileOpError.h) and returns False, 0, an empty text, an empty list or -1; on
// success it clears the record. The path-text helpers neither fail nor touch the record.
#pragma once

#include "platform/Clock.h"
#include "services/FileOpError.h"

#include <string>
#include <vector>

// kind 0 file, 1 folder, 2 drive; any other kind gives False.
bool IsFileExists(const std::string& path, int kind = 0);
// Copies, replacing an existing destination unless overwrite is false; then a destination that
// exists (also one that appears while the copy runs) is never replaced (58 "File already
// exists"). The copy is whole or not there: a failure leaves no partial file and an existing
// destination unchanged. The source itself as destination (in any letter case) fails with 70
// "Permission denied", a missing destination folder with 76 "Path not found". useShell goes
// through the shell's file operation; inUseCheck fails when the source or an existing
// destination is in use.
bool CopyFileA(const std::string& src, const std::string& dst, bool useShell = false, bool inUseCheck = false,
               bool overwrite = true);
// Copies, then deletes the source without force (a read-only source stays, the copy too). The
// source itself as destination fails with 70 and changes nothing.
bool MoveFileA(const std::string& src, const std::string& dst, bool useShell = false, bool inUseCheck = false);
// True when the file is gone afterwards (also when it never existed or the path is blank).
bool DeleteFileA(const std::string& path, bool useShell = false);
// The shell's file operation: op 1 move, 2 copy, 3 delete; the shell's result (0 success).
int ShellFileOperation(int op, const std::string& from, const std::string& to, bool& aborted);

// Failure: the zero date (30 December 1899).
LocalTime GetFileLastModifiedDate(const std::string& path);
// Size in bytes; failure 0.
float GetFileSize(const std::string& path);

// A fresh random file name without folder ("radXXXXX.tmp"); does not touch the record.
std::string GetTempName();
// The same without its extension; does not touch the record.
std::string GetTempBaseName();
// A fresh work file name without folder that carries this process's id ("<id>radXXXXX.tmp"): a
// large work file in TEMP, which the next start removes once its process is gone
// (RemoveOrphanedWorkFiles) should this one be killed before its clean-up.
std::string GetOwnedTempName();

// Full paths of the files below start matching pattern (wildcards without regard to case);
// with recurse the sub-folders' trees come first, then the folder's own files.
std::vector<std::string> FindFile(const std::string& start, const std::string& pattern, bool recurse);

// Makes the folder and any missing parents through the command interpreter's mkdir.
bool CreateFolderA(const std::string& path);
// True when a file can be created and written (and is then removed) in the folder. Else false
// with the last file error "Directory '<path>' not exists", "Directory '<path>': write permission
// denied", or, when the probe failed for another cause (a full disk), "Directory '<path>': no
// file can be created in it: <the platform's text>".
bool IsFolderWritable(const std::string& path);
// True when the file cannot be opened for this caller alone (a missing file included).
bool IsFileAlreadyInUse(const std::string& path);
// True when the file exists and is not in use; never raises.
bool IsFileReady(const std::string& path);

// "major.minor.build.revision"; an empty path is the program itself; a file without version
// data gives "0.0.0.0".
std::string GetFileVersion(const std::string& path);
// GetFileVersion, cached; with pad every part at least two digits (04.03.00.10).
std::string GetAppVersion(const std::string& path, bool pad);

// Throws AppError (source "CheckTempDir") when TEMP is unset or holds ".", "~" or ",".
void CheckTempDir();

// Path texts; "/" counts as "\".
std::string GetPathDir(const std::string& path);
std::string GetFileName(const std::string& path);
std::string GetFileBaseName(const std::string& path);
std::string AddBackslash(const std::string& path);
// The text between double quotes, for a line of a batch file: every "%" is doubled so that the
// interpreter expands nothing, and a text holding a double quote (it would end the quoting) or a
// control character (a line break would start a command of its own) raises error 1.
std::string QuoteString(const std::string& text);
// The batch line that sets a variable to a path as it is: set "<name>=<path>", the whole
// assignment quoted as QuoteString quotes it, so neither "&" nor "%" in the path acts. A path
// holding a character no path may hold raises error 1 naming `kind` (CheckPathCharacters). An
// empty path clears the variable.
std::string SetPathVariableLine(const std::string& name, const std::string& path, const std::string& kind);
// size() - 1: -1 for an empty list.
int SafeUBound(const std::vector<std::string>& list);
