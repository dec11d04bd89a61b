// The collection of loaded windows and the application's mouse pointer, as the services see
// them. Windows register themselves; the services never depend on a window class.
#pragma once

#include "services/LoadedForm.h"

#include <functional>
#include <vector>

class FormRegistry {
public:
    // Adds a window at the end of the collection (the most recently loaded). The caller keeps
    // ownership and unregisters the window before it is destroyed.
    static void Register(LoadedForm* form);
    static void Unregister(LoadedForm* form);
    // The loaded windows in the order they were loaded.
    static std::vector<LoadedForm*> Forms();
    // The first loaded window with this name (exact), or nullptr.
    static LoadedForm* Find(const std::string& name);

    // The application's mouse pointer: 0 default, 11 hourglass.
    static void SetMousePointer(int pointer);
    static int MousePointer();
    // The window layer shows the pointer; without a hook only the value is kept.
    static void SetMousePointerHook(std::function<void(int)> hook);
};
