// What the access object reads from and writes to the registry: the RIS client directory and
// the user's number separators around text-driver queries.
#include "dbaccess/CRIS.h"

#include "dbaccess/NumberFormatRecord.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"
#include "services/Registry.h"

#include <functional>

namespace {

const char* const kRISKey = "Software\\Intergraph\\RIS";

// Changes this computer's registry under its lock; raises when it cannot be read or written.
void UpdateUserRegistry(const std::string& operation, const std::function<void(RegistryStore&)>& change)
{
    RegistryStore registry;
    const bool done = registry.Update([&](RegistryStore& store) {
        change(store);
        return true;
    });
    if (!done)
        RaiseError(operation, "Registry key '" + NumberFormatRecord::RegistryKey() + "' could not be written" +
                                  (registry.WriteFailure().empty() ? std::string() : ": " + registry.WriteFailure()));
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
    if (!separatorRecord_)
        separatorRecord_ = std::make_shared<NumberFormatRecord>();
    bool forcing = false;
    UpdateUserRegistry("CRIS::SetLanguageSettings", [&](RegistryStore& store) {
        const NumberSeparators& forced = NumberFormatRecord::Forced();
        const NumberSeparators now = NumberFormatRecord::InStore(store);
        // Saved with whether the value was there at all, so that a blank or missing separator
        // comes back as it was; read again only when the store holds others than the forced,
        // which are then the user's. A forced pair a dead or running read left is never taken
        // for the user's own: its record says what the user's were.
        if (!separatorsSaved_ || now.decimal != forced.decimal || now.thousand != forced.thousand) {
            const NumberSeparators own = NumberFormatRecord::UsersOwn(store);
            decimalWasPresent_ = own.decimal.has_value();
            thousandWasPresent_ = own.thousand.has_value();
            SavedDecimalSeparator = own.decimal.value_or("");
            SavedThousandSeparator = own.thousand.value_or("");
            separatorsSaved_ = true;
        }
        const bool decimal = !decimalWasPresent_ || SavedDecimalSeparator != ".";
        const bool thousand = !thousandWasPresent_ || SavedThousandSeparator != ",";
        if (!decimal && !thousand)
            return;
        // The user's values are on disk before the store changes; raises when they cannot be.
        separatorRecord_->Write(
            {decimalWasPresent_ ? std::optional<std::string>(SavedDecimalSeparator) : std::nullopt,
             thousandWasPresent_ ? std::optional<std::string>(SavedThousandSeparator) : std::nullopt});
        if (decimal)
            store.SetValue(NumberFormatRecord::RegistryKey(), "sDecimal", RegistryData::Text("."));
        if (thousand)
            store.SetValue(NumberFormatRecord::RegistryKey(), "sThousand", RegistryData::Text(","));
        forcing = true;
    });
    if (!forcing)
        return;
    // Judged by what stands: the registry read again after the write. Values that did not take
    // (another program wrote the key or the file meanwhile) stop the read; the caller's clean-up
    // puts back what the read forced.
    RegistryStore after;
    const bool read = after.Load() == RegistryStore::LoadResult::Loaded;
    const NumberSeparators now = NumberFormatRecord::InStore(after);
    const NumberSeparators& forced = NumberFormatRecord::Forced();
    if (read && now.decimal == forced.decimal && now.thousand == forced.thousand)
        return;
    const std::string file = "'" + WinPathFromHost(RegistryStore::FilePath("")) + "'";
    RaiseError("CRIS::SetLanguageSettings",
               "The number separators a table read needs (" + NumberFormatRecord::Said(forced) + ") did not take in "
               "the registry key '" + NumberFormatRecord::RegistryKey() + "' of " + file + ": " +
                   (read ? "it holds " + NumberFormatRecord::Said(now) + " after their write"
                         : "the file could not be read again after their write") +
                   ". The table read was not made");
}

void CRIS::RestoreLanguageSettings()
{
    if (!separatorsSaved_ || !separatorRecord_ || !separatorRecord_->written())
        return; // nothing was forced
    bool otherReads = false;
    UpdateUserRegistry("CRIS::RestoreLanguageSettings", [&](RegistryStore& store) {
        // Another program of this computer in its read puts them back when it ends.
        otherReads = NumberFormatRecord::OtherReadRuns();
        if (otherReads)
            return;
        // Only a value still as the read set it goes back: one the user set meanwhile stays.
        const NumberSeparators now = NumberFormatRecord::InStore(store);
        if (now.decimal == std::optional<std::string>(".")) {
            if (!decimalWasPresent_)
                store.RemoveValue(NumberFormatRecord::RegistryKey(), "sDecimal");
            else if (SavedDecimalSeparator != ".")
                store.SetValue(NumberFormatRecord::RegistryKey(), "sDecimal", RegistryData::Text(SavedDecimalSeparator));
        }
        if (now.thousand == std::optional<std::string>(",")) {
            if (!thousandWasPresent_)
                store.RemoveValue(NumberFormatRecord::RegistryKey(), "sThousand");
            else if (SavedThousandSeparator != ",")
                store.SetValue(NumberFormatRecord::RegistryKey(), "sThousand", RegistryData::Text(SavedThousandSeparator));
        }
    });
    if (otherReads) {
        separatorRecord_->Handover();
        return;
    }
    // The record goes only when the store is seen without the forced values.
    RegistryStore after;
    if (after.Load() != RegistryStore::LoadResult::Failed)
        separatorRecord_->Seen(after);
}
