// Small helpers shared by the file checks and restores: field values as the checks read them,
// the network folder of a row, key patterns, case-insensitive replacement, filter literals,
// error passing.
#pragma once

#include "platform/AppError.h"

#include <string>

class Recordset;

// The current row's value of the named field as text; Null gives "". Raises when the field
// is unknown or there is no current row.
std::string FieldText(Recordset& rs, const std::string& field);
// The same by the field's index (Fields().IndexOf), for walks over many rows.
std::string FieldTextAt(Recordset& rs, int index);
// True when the current row's value is Null or blank after trimming.
bool FieldBlank(Recordset& rs, const std::string& field);
bool FieldIsNull(Recordset& rs, const std::string& field);

// The network folder of a table row's server and path (LocalPath2UNC). When it cannot be
// formed the result is empty and failure holds the file services' description, which is also
// shown on the status line when one was recorded; the checks turn it into a finding. Within a
// check run (FolderCacheScope) the answer comes from the run's memory where it can.
std::string RowNetworkFolder(const std::string& server, const std::string& path, std::string& failure);

// IsFileExists of a file the check tests: within a check run answered from the run's memory
// of the folders it met. These two are the run's own reads; nothing else answers from it.
bool CheckedFileExists(const std::string& path);

// The wildcard match of the restores: "*" any run of characters (none included), every other
// character itself, letter case counting.
bool MatchesKeyPattern(const std::string& pattern, const std::string& text);

// Every occurrence of from, found without regard to case, replaced by to.
std::string ReplaceNoCase(const std::string& text, const std::string& from, const std::string& to);

// A text as a quoted literal of a recordset criteria: 'text' with each quote doubled, so a
// name holding an apostrophe filters for itself instead of breaking the filter.
std::string CriteriaText(const std::string& value);

// Pending interface events between the steps of a check's walk over a project's rows: run when
// 20 ms have passed since they last ran, instead of after every row, so the window stays
// responsive while a project of tens of thousands of rows is not checked at the pace of the
// repaints of its status line.
void DoEventsBetweenRows();

// The error raised again by a check or restore: number kept, source its own bare name, the
// received source and ": " in front of the description unless that source is empty or the
// application's title.
AppError PassOnAsDescription(const AppError& e, const std::string& ownName);
