// The backup copy a file edit makes before it changes a file: the edit goes on only when the
// backup stands whole, the same size and bytes as the file.
#pragma once

#include "services/ChangeOutcome.h"

#include <functional>
#include <string>

// Whether `copy` holds the same bytes as `file`: Done when both are there with the same size
// and bytes, NotDone when `copy` is not there, NotKnown when another content stands under its
// name or a file cannot be read. `seen` says which.
ChangeState CompareCopy(const std::string& file, const std::string& copy, std::string& seen);

// Copies `file` to `backup`, replacing an older backup. A copy that fails, or that reports
// success but leaves a backup that is not whole, is followed by CompareCopy; the caller edits
// only when the outcome is Done. `copy` stands for the copy step (CopyFileA when empty): a
// test gives one that does the work and then fails, or leaves half a file.
ChangeOutcome MakeWholeBackup(const std::string& file, const std::string& backup,
                              const std::function<bool()>& copy = nullptr);

// The sentence of a backup that is not Done: what stands, and that `file` was left unchanged.
std::string BackupRefusal(const ChangeOutcome& outcome, const std::string& file, const std::string& backup);
