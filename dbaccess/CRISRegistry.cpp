// What the access object reads from and writes to the registry: the RIS client directory and
// the user's number separators around text-driver queries.
#include "dbaccess/CRIS.h"

#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/Registry.h"

namespace {

const char* const kRISKey = "Software\\Intergraph\\RIS";
const char* const kInternationalKey = "HKEY_CURRENT_USER\\Control Panel\\International";

std::string TextOf(const RegistryData& data)
{
    std::string text(data.bytes.begin(), data.bytes.end());
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

RegistryStore LoadUserRegistry(const std::string& operation)
{
    RegistryStore store;
    if (store.Load() == RegistryStore::LoadResult::Failed)
        RaiseError(operation, "Registry of this computer could not be read");
    return store;
}

void SaveUserRegistry(const RegistryStore& store, const std::string& operation)
{
    if (!store.Save())
        RaiseError(operation, "Registry key 'Control Panel\\International' could not be written");
}

} // namespace

std::string CRIS::FindRISPath()
{
    std::string result;
    try {
        for (const std::string& version : RegistryEnumKeys(HKEY_LOCAL_MACHINE, kRISKey, "")) {
            if (IsBlank(version))
                continue;
            const std::string pathName = RegistryValueText(
                RegistryGetValue(HKEY_LOCAL_MACHINE, std::string(kRISKey) + "\\" + version, "PathName", "", true));
            if (pathName.empty())
                continue;
            const std::string dir = pathName + (pathName.back() == '\\' ? "" : "\\") + "BIN\\";
            // The last qualifying version in enumeration order wins.
            if (IsFileExists(dir + "risunlod.exe", 0) && IsFileExists(dir + "risbatch.exe", 0))
                result = dir;
        }
    } catch (...) {
        return std::string();
    }
    return result;
}

void CRIS::SetLanguageSettings()
{
    const std::string op = "CRIS::SetLanguageSettings";
    RegistryStore store = LoadUserRegistry(op);
    if (!separatorsSaved_) {
        // Saved once for the object's life, with whether the value was there at all, so that
        // a blank or missing separator comes back as it was.
        const RegistryData* decimal = store.Value(kInternationalKey, "sDecimal");
        const RegistryData* thousand = store.Value(kInternationalKey, "sThousand");
        decimalWasPresent_ = decimal != nullptr;
        thousandWasPresent_ = thousand != nullptr;
        SavedDecimalSeparator = decimal ? TextOf(*decimal) : std::string();
        SavedThousandSeparator = thousand ? TextOf(*thousand) : std::string();
        separatorsSaved_ = true;
    }
    bool changed = false;
    if (!decimalWasPresent_ || SavedDecimalSeparator != ".") {
        store.SetValue(kInternationalKey, "sDecimal", RegistryData::Text("."));
        changed = true;
    }
    if (!thousandWasPresent_ || SavedThousandSeparator != ",") {
        store.SetValue(kInternationalKey, "sThousand", RegistryData::Text(","));
        changed = true;
    }
    if (changed)
        SaveUserRegistry(store, op);
}

void CRIS::RestoreLanguageSettings()
{
    if (!separatorsSaved_)
        return;
    const std::string op = "CRIS::RestoreLanguageSettings";
    RegistryStore store = LoadUserRegistry(op);
    bool changed = false;
    if (!decimalWasPresent_)
        changed |= store.RemoveValue(kInternationalKey, "sDecimal");
    else if (SavedDecimalSeparator != ".") {
        store.SetValue(kInternationalKey, "sDecimal", RegistryData::Text(SavedDecimalSeparator));
        changed = true;
    }
    if (!thousandWasPresent_)
        changed |= store.RemoveValue(kInternationalKey, "sThousand");
    else if (SavedThousandSeparator != ",") {
        store.SetValue(kInternationalKey, "sThousand", RegistryData::Text(SavedThousandSeparator));
        changed = true;
    }
    if (changed)
        SaveUserRegistry(store, op);
}
