// The process-wide collection of loaded windows.
#include "services/FormRegistry.h"

#include <algorithm>

namespace {
std::vector<LoadedForm*>& forms()
{
    static std::vector<LoadedForm*> list;
    return list;
}
int gPointer = 0;
std::function<void(int)> gPointerHook;
} // namespace

void FormRegistry::Register(LoadedForm* form)
{
    if (form && std::find(forms().begin(), forms().end(), form) == forms().end())
        forms().push_back(form);
}

void FormRegistry::Unregister(LoadedForm* form)
{
    forms().erase(std::remove(forms().begin(), forms().end(), form), forms().end());
}

std::vector<LoadedForm*> FormRegistry::Forms() { return forms(); }

LoadedForm* FormRegistry::Find(const std::string& name)
{
    for (LoadedForm* f : forms())
        if (f->name() == name)
            return f;
    return nullptr;
}

void FormRegistry::SetMousePointer(int pointer)
{
    gPointer = pointer;
    if (gPointerHook)
        gPointerHook(pointer);
}

int FormRegistry::MousePointer() { return gPointer; }

void FormRegistry::SetMousePointerHook(std::function<void(int)> hook) { gPointerHook = std::move(hook); }
