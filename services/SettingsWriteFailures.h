// Writes of the settings file and the registry that failed: said at once on the status line and
// in the program log, and kept for the end of a run, which may not call itself free of errors
// over a setting that was not stored.
#pragma once

#include <string>
#include <vector>

// Says the failure (one text naming the file and why) and keeps it for TakeSettingsWriteFailures.
void NoteSettingsWriteFailure(const std::string& text);

// The failures noted since the last call, in order; the list is empty afterwards.
std::vector<std::string> TakeSettingsWriteFailures();
