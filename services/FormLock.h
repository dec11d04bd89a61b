// The recording form lock: disables every operable control of every open window and remembers
// what it disabled under a key, so that the unlock re-enables exactly those. Locks may overlap.
#pragma once

#include "services/LoadedForm.h"

#include <string>
#include <vector>

// A control the caller wants left alone: the window's name, the control's name and its index
// in a control array (empty when it is in none).
struct ControlRef {
    std::string formName;
    std::string controlName;
    std::string index;
};

// Disables what the lock rules name (of `window` only, when given) and shows the hourglass.
// Returns the lock's key, "K" and eight or nine digits. Never throws.
std::string LockForms(const std::vector<ControlRef>& exceptions = {}, LoadedForm* window = nullptr);
// Re-enables what the lock with this key disabled (everything the rules name with restoreAll)
// and forgets the key; an empty key only resets the pointer. Never throws.
void UnlockForms(const std::string& key, const std::vector<ControlRef>& exceptions = {}, LoadedForm* window = nullptr,
                 bool restoreAll = false);
// The worker of both; returns the new key when locking, else the empty text.
std::string SetFormsEnabled(const std::vector<ControlRef>& exceptions, bool enable, LoadedForm* window,
                            const std::string& key, bool restoreAll);
// The control's index within its control array as text, empty when it is in none.
std::string GetControlIndex(const FormControl& control);
