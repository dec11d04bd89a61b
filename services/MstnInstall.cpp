// MicroStation installation lookup in the local registry.
#include "services/MstnInstall.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/Registry.h"

namespace {

const std::string kMstnKey = "Software\\Bentley\\MicroStation\\";

} // namespace

std::vector<MSTNInstallation> GetMSTNInstallations()
{
    try {
        std::vector<MSTNInstallation> list;
        for (const std::string& name : RegistryEnumKeys(HKEY_LOCAL_MACHINE, kMstnKey, "")) {
            if (name.empty())
                continue; // the key has no subkeys
            const std::string key = kMstnKey + name;
            std::string path = Trim(RegistryValueText(RegistryGetValue(HKEY_LOCAL_MACHINE, key, "PathName", "", true)));
            if (path.empty() || !IsFileExists(path, 0))
                continue;
            std::string version = Trim(RegistryValueText(RegistryGetValue(HKEY_LOCAL_MACHINE, key, "Version", "", true)));
            list.push_back({path, version});
        }
        return list;
    } catch (...) {
        return {};
    }
}

std::string GetDefaultMSTNPath()
{
    try {
        std::vector<MSTNInstallation> list = GetMSTNInstallations();
        for (const MSTNInstallation& installation : list)
            if (installation.version.rfind("07.", 0) == 0)
                return installation.path;
        return list.empty() ? std::string() : list.front().path;
    } catch (const AppError& e) {
        throw PassOn(e, "GetDefaultMSTNPath");
    }
}
