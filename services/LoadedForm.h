// What the services need of a loaded window: its name, state, status bar and controls. The
// window layer registers each window with FormRegistry while it is loaded.
#pragma once

#include "services/FormControl.h"

#include <memory>
#include <string>
#include <vector>

class LoadedForm {
public:
    virtual ~LoadedForm() = default;

    // The window's name (Form1, frmUpgradeCheck, ...).
    virtual std::string name() const = 0;
    virtual bool isVisible() const = 0;
    virtual bool isMinimized() const = 0;
    virtual bool isTopMost() const = 0;
    virtual void setTopMost(bool topMost) = 0;

    // Shows a status text in the window's status bar (the first panel, or the single text of
    // a bar without panels). false when the window has no status bar.
    virtual bool setStatusText(const std::string& text) { return false; }

    // The window's controls in its control order (containers before what they hold).
    virtual std::vector<std::unique_ptr<FormControl>> controls() = 0;
};
