// What the services need of one control of a loaded window: the locks switch it on and off,
// the translation reads and writes its texts.
#pragma once

#include <cstddef>
#include <string>

class FormControl {
public:
    virtual ~FormControl() = default;

    // The control's name (cmdCheck, StatusBar1, ...).
    virtual std::string name() const = 0;
    // The kind of control, in the system's type names: "CommandButton", "Label", "TextBox",
    // "StatusBar", "Frame", "OptionButton", "Toolbar", "UniMenu", ...
    virtual std::string typeName() const = 0;
    // Index within a control array as decimal text; empty when the control is not in one.
    virtual std::string index() const { return {}; }

    virtual bool isEnabled() const = 0;
    virtual void setEnabled(bool enabled) = 0;

    // Text properties by name ("Caption", "Text", "ToolTipText", "Tag", "FontName"). false when
    // the control has no such property.
    virtual bool property(const std::string& name, std::string& value) const { return false; }
    virtual bool setProperty(const std::string& name, const std::string& value) { return false; }

    // The buttons of a toolbar or the items of a menu control; none for other controls.
    virtual size_t itemCount() const { return 0; }
    virtual std::string itemKey(size_t i) const { return {}; }
    // The button's index (1-based position) as decimal text.
    virtual std::string itemIndex(size_t i) const { return std::to_string(i + 1); }
    virtual bool itemVisible(size_t i) const { return false; }
    virtual bool itemEnabled(size_t i) const { return false; }
    virtual void setItemEnabled(size_t i, bool enabled) {}
};
