// The form lock's rules: which controls, toolbar buttons and menu items it touches, and the
// store of what each lock disabled.
#include "services/FormLock.h"

#include "platform/TextUtil.h"
#include "services/FormRegistry.h"

#include <algorithm>
#include <map>
#include <random>

namespace {

constexpr int kHourglass = 11;
constexpr int kDefaultPointer = 0;

const std::string kPassiveTypes = ",CommonDialog,Timer,StatusBar,Label,UniLabel,ImageList,UniImageList,UniCaption,"
                                  "Frame,UniFrame,Line,PictureBox,OptionButton,UniOption,";
const std::string kToolbarKeepsKeys = ",Menu_File,Menu_Edit,Menu_Admin,Menu_RDB,Menu_Tools,Menu_File_Close,";
const std::string kMenuKeepsKeys =
    ",Menu_File,Menu_View,Menu_Window,Menu_Admin,Menu_RDB,Menu_Tools,Menu_File_Close,Menu_File_Exit,";

std::map<std::string, std::string>& lockStates()
{
    static std::map<std::string, std::string> states;
    return states;
}

bool inList(const std::string& list, const std::string& item) { return list.find("," + item + ",") != std::string::npos; }

bool isExemptName(const std::string& name)
{
    const std::string lower = ToLower(name);
    for (const char* word : {"help", "exit", "close", "minus"})
        if (lower.find(word) != std::string::npos)
            return true;
    return lower == "lstlog" || name.find("Toolbar") != std::string::npos;
}

bool isExemptKey(const std::string& key, const std::string& keepList)
{
    return key.rfind("Menu_Lang", 0) == 0 || key.rfind("Menu_Help", 0) == 0 || inList(keepList, key);
}

bool isException(const FormControl& c, const std::string& formName, const std::vector<ControlRef>& exceptions)
{
    for (const ControlRef& e : exceptions)
        if (e.controlName + e.index == c.name() + GetControlIndex(c) && e.formName == formName)
            return true;
    return false;
}

// A key that no outstanding lock holds.
std::string newKey()
{
    static std::mt19937 rng{std::random_device{}()};
    std::uniform_int_distribution<long> dist(11111111, 100000000);
    for (;;) {
        std::string key = "K" + std::to_string(dist(rng));
        if (!lockStates().count(key))
            return key;
    }
}

class Walk {
public:
    Walk(bool enable, bool restoreAll, std::vector<std::string> compare)
        : enable_(enable), restoreAll_(restoreAll), compare_(std::move(compare))
    {
    }

    // One control, toolbar button or menu item: `isEnabled` and `setEnabled` reach it.
    template <typename Get, typename Set>
    void item(const std::string& text, Get&& isEnabled, Set&& setEnabled)
    {
        try {
            if (!enable_) {
                if (isEnabled()) {
                    setEnabled(false);
                    disabled_.push_back(text);
                }
            } else if (restoreAll_ || std::find(compare_.begin(), compare_.end(), text) != compare_.end()) {
                if (!isEnabled())
                    setEnabled(true);
            }
        } catch (...) {
        }
    }

    void control(const std::string& formName, FormControl& c, const std::vector<ControlRef>& exceptions)
    {
        const std::string type = c.typeName();
        const bool menu = type == "UniMenu";
        const bool toolbar = type == "UniToolbar" || type == "Toolbar";
        if (menu || toolbar) {
            if (isException(c, formName, exceptions))
                return;
            for (size_t i = 0; i < c.itemCount(); ++i) {
                if (!c.itemVisible(i) || isExemptKey(c.itemKey(i), menu ? kMenuKeepsKeys : kToolbarKeepsKeys))
                    continue;
                const std::string text = formName + c.name() + (menu ? c.itemKey(i) : "_" + c.itemIndex(i));
                item(text, [&] { return c.itemEnabled(i); }, [&](bool e) { c.setItemEnabled(i, e); });
            }
            return;
        }
        if (inList(kPassiveTypes, type) || isExemptName(c.name()) || isException(c, formName, exceptions))
            return;
        item(formName + c.name(), [&] { return c.isEnabled(); }, [&](bool e) { c.setEnabled(e); });
    }

    const std::vector<std::string>& disabled() const { return disabled_; }

private:
    bool enable_;
    bool restoreAll_;
    std::vector<std::string> compare_;
    std::vector<std::string> disabled_;
};

} // namespace

std::string GetControlIndex(const FormControl& control)
{
    try {
        return control.index();
    } catch (...) {
        return {};
    }
}

std::string SetFormsEnabled(const std::vector<ControlRef>& exceptions, bool enable, LoadedForm* window,
                            const std::string& key, bool restoreAll)
{
    std::vector<std::string> compare;
    if (!enable) {
        FormRegistry::SetMousePointer(kHourglass);
    } else {
        if (key.empty()) {
            FormRegistry::SetMousePointer(kDefaultPointer);
            return {};
        }
        auto it = lockStates().find(key);
        if (it != lockStates().end() && !it->second.empty())
            compare = Split(it->second, ";");
    }

    Walk walk(enable, restoreAll, std::move(compare));
    const std::vector<LoadedForm*> forms = window ? std::vector<LoadedForm*>{window} : FormRegistry::Forms();
    for (LoadedForm* form : forms) {
        try {
            const std::string formName = form->name();
            if ((!enable && !form->isVisible()) || formName == "frmSplash")
                continue;
            for (auto& c : form->controls()) {
                try {
                    walk.control(formName, *c, exceptions);
                } catch (...) {
                }
            }
        } catch (...) {
        }
    }

    if (!enable) {
        const std::string newLock = newKey();
        lockStates()[newLock] = Join(walk.disabled(), ";");
        return newLock;
    }
    FormRegistry::SetMousePointer(kDefaultPointer);
    lockStates().erase(key);
    return {};
}

std::string LockForms(const std::vector<ControlRef>& exceptions, LoadedForm* window)
{
    return SetFormsEnabled(exceptions, false, window, "", false);
}

void UnlockForms(const std::string& key, const std::vector<ControlRef>& exceptions, LoadedForm* window, bool restoreAll)
{
    SetFormsEnabled(exceptions, true, window, key, restoreAll);
}
