// The check run and the restore run of the file check window, without the window: the window
// disables its run buttons and shows the hourglass around them and enables the buttons after.
#pragma once

#include <string>

struct UpgradeCheckContext;

inline constexpr const char* kCheckCaption = "Check PDS project for missing files";
inline constexpr const char* kRestoreCaption = "Restore missing files";

// TEMP with a backslash, the project and "_original.xls" / "_upgraded.xls".
std::string CheckReportName(const std::string& project);
std::string RestoreReportName(const std::string& project);

// Clears the tree, creates the check report, lists the search directories and runs the model,
// drawing, library, area marker and project file checks, saves the report and offers to open
// it. Never raises: an error ends the run and is shown with the exclamation icon. Excel is
// quit at the end whatever happened.
void RunCheck(UpgradeCheckContext& ctx);

// After "Are you sure?" (false on No: nothing is done), creates the restore report, restores
// the checked model and drawing files into the project directory, saves the report and
// offers to open it. Errors are shown as in RunCheck, after the report rows of what was
// restored before the error have been saved.
bool RunRestore(UpgradeCheckContext& ctx);
