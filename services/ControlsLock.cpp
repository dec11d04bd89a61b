// The interface lock over the command buttons of all loaded windows.
#include "services/ControlsLock.h"

#include "platform/TextUtil.h"
#include "services/FormRegistry.h"

namespace {

constexpr int kHourglass = 11;
constexpr int kDefaultPointer = 0;

bool isExempt(const FormControl& c)
{
    std::string caption;
    c.property("Caption", caption);
    caption = ToLower(caption);
    return caption == "exit" || caption == "close";
}

} // namespace

std::string LockControls() { return SetControlsEnabled(false); }

void UnlockControls(const std::string&) { SetControlsEnabled(true); }

std::string SetControlsEnabled(bool enabled)
{
    if (!enabled)
        FormRegistry::SetMousePointer(kHourglass);
    for (LoadedForm* form : FormRegistry::Forms()) {
        std::vector<std::unique_ptr<FormControl>> controls;
        try {
            controls = form->controls();
        } catch (...) {
            continue;
        }
        for (auto& c : controls) {
            try {
                if (c->typeName() != "CommandButton")
                    continue;
                c->setEnabled(enabled);
                if (!enabled && isExempt(*c))
                    c->setEnabled(true);
            } catch (...) {
                // A control that refuses the change is passed over.
            }
        }
    }
    if (enabled)
        FormRegistry::SetMousePointer(kDefaultPointer);
    return {};
}
