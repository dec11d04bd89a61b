// Writes of the settings file and the registry that failed: said at once on the status line and
// in the program log, and kept for the end of a run, which may not call itself free of errors
// over a setting that was not stored; a failed write of a default that nobody reads otherwise is
// kept apart, as a warning.
#pragma once

#include <string>
#include <vector>

// Says the failure (one text naming the file and why) and keeps it for TakeSettingsWriteFailures.
void NoteSettingsWriteFailure(const std::string& text);

// The failures noted since the last call, in order; the list is empty afterwards.
std::vector<std::string> TakeSettingsWriteFailures();

// A failed write that changes nothing anyone reads (a default written back where its key is
// missing, which every reader of the key gets anyway): said once, on the status line and in the
// log, and kept for TakeSettingsWriteWarnings; it is no failure of the run.
void NoteSettingsWriteWarning(const std::string& text);

// The warnings noted since the last call, each once, in order; the list is empty afterwards.
std::vector<std::string> TakeSettingsWriteWarnings();
