// What the access object reads from and writes to the registry: the RIS client directory and
// the user's number separators around text-driver queries.
#include "dbaccess/CRIS.h"

#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/Registry.h"

#include <functional>

namespace {

const char* const kRISKey = "Software\\Intergraph\\RIS";
const char* const kInternationalKey = "HKEY_CURRENT_USER\\Control Panel\\International";

std::string TextOf(const RegistryData& data)
{
    std::string text(data.bytes.begin(), data.bytes.end());
    const size_t nul = text.find('\0');
    return nul == std::string::npos ? text : text.substr(0, nul);
}

// Changes this computer's registry under its lock; raises when it cannot be read or written.
void UpdateUserRegistry(const std::string& operation, const std::function<void(RegistryStore&)>& change)
{
    RegistryStore user;
    const bool done = user.Update([&](RegistryStore& store) {
        change(store);
        return true;
    });
    if (!done)
        RaiseError(operation, "Registry key 'Control Panel\\International' could not be written" +
                                  (user.WriteFailure().empty() ? std::string() : ": " + user.WriteFailure()));
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
    UpdateUserRegistry("CRIS::SetLanguageSettings", [&](RegistryStore& store) {
        if (!separatorsSaved_) {
            // Saved once for the object's life, with whether the value was there at all, so
            // that a blank or missing separator comes back as it was.
            const RegistryData* decimal = store.Value(kInternationalKey, "sDecimal");
            const RegistryData* thousand = store.Value(kInternationalKey, "sThousand");
            decimalWasPresent_ = decimal != nullptr;
            thousandWasPresent_ = thousand != nullptr;
            SavedDecimalSeparator = decimal ? TextOf(*decimal) : std::string();
            SavedThousandSeparator = thousand ? TextOf(*thousand) : std::string();
            separatorsSaved_ = true;
        }
        if (!decimalWasPresent_ || SavedDecimalSeparator != ".")
            store.SetValue(kInternationalKey, "sDecimal", RegistryData::Text("."));
        if (!thousandWasPresent_ || SavedThousandSeparator != ",")
            store.SetValue(kInternationalKey, "sThousand", RegistryData::Text(","));
    });
}

void CRIS::RestoreLanguageSettings()
{
    if (!separatorsSaved_)
        return;
    UpdateUserRegistry("CRIS::RestoreLanguageSettings", [&](RegistryStore& store) {
        if (!decimalWasPresent_)
            store.RemoveValue(kInternationalKey, "sDecimal");
        else if (SavedDecimalSeparator != ".")
            store.SetValue(kInternationalKey, "sDecimal", RegistryData::Text(SavedDecimalSeparator));
        if (!thousandWasPresent_)
            store.RemoveValue(kInternationalKey, "sThousand");
        else if (SavedThousandSeparator != ",")
            store.SetValue(kInternationalKey, "sThousand", RegistryData::Text(SavedThousandSeparator));
    });
}
