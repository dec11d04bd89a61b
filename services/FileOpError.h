// The last file error: number, source and description of the last failed file operation,
// kept process-wide instead of raised.
#pragma once

#include "platform/AppError.h"

#include <string>

// 0 = the last file operation succeeded.
extern long gFileOpErrNumber;
extern std::string gFileOpErrSource;
extern std::string gFileOpErrDescription;

// A copy of the record, for operations that must put it back after a clean-up.
struct FileOpError {
    long number = 0;
    std::string source;
    std::string description;
};

void ClearFileOpError();
void GetFileOpError(long& number, std::string& source, std::string& description);
// Raises the record as an AppError when its number is not 0; the record stays.
void RaiseFileOpError();

// Stores a caught error under the operation's name (":" line when not 0, then ": " and the
// error's own source unless empty or the application title).
void RecordFileOpError(const AppError& e, const std::string& ownName, int line = 0);
FileOpError SaveFileOpError();
void RestoreFileOpError(const FileOpError& saved);
