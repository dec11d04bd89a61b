// The main window's interface lock: every command button of every loaded window disabled,
// except those captioned "exit" or "close", and the hourglass shown. Keeps no record: the
// unlock enables every command button.
#pragma once

#include <string>

// Disables the buttons and shows the hourglass; returns an empty state text.
std::string LockControls();
// Enables every command button of every loaded window and restores the pointer.
void UnlockControls(const std::string& state = std::string());
// The worker of both; always returns an empty text. Never throws.
std::string SetControlsEnabled(bool enabled);
