// Reporting to the user: the status line (program log plus the status bars of the tool
// windows), the plain message box, the central error box, and message-text formatting.
#pragma once

#include "platform/AppError.h"

#include <string>
#include <vector>

// Appends text to the program log and shows it, CR LF pairs turned into blanks, in the status
// bar of each loaded tool window (frmUpgradeCheck, frmReadLinkages, frmFileSpecCheck,
// frmAlterDBColumn). Never throws: a failure shows its error number in a box.
void ShowStatus(const std::string& text);

// A message box titled "Tarnwick" with the Windows style; returns the answer.
int ShowMessage(const std::string& prompt, long style = 0);

// True when a loaded window has this name (blanks around it and letter case ignored).
bool IsFormLoaded(const std::string& name);

// The central error box: the description only (arguments filled in, "&" removed, "Unknown
// error." when blank), task-modal, titled "Vorlant Tarnwick", with top-most windows lowered
// while it shows; the source and description go to the module log. line is the statement
// number recorded with the error (0 when none).
int ShowErrorMessage(const AppError& error, long style = 0, int line = 0);
// The same for a message text (template and arguments joined by "|||").
int ShowErrorMessage(const std::string& text, long style = 0);

// A task-modal message box; returns the answer.
int MsgBoxEx(const std::string& prompt, long style, const std::string& title);

// The module log: written only when gLogModuleFile is set, which nothing in the program does.
extern std::string gLogModuleFile;
void WriteLog(const std::string& text);

// Cuts the arguments ("|||" and what follows) off a message text; text keeps the template.
std::vector<std::string> SplitMessageArgs(std::string& text);

// The display form of a message text: translated when asked and translation is on, with its
// arguments in their "%n%" placeholders (also in text), and without "&" when asked. Never throws.
std::string TranslateMessage(std::string& text, bool translate, bool removeAmpersands);
