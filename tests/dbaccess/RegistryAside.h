// The stand-in registry moved aside while a test lives, so that it starts with no RIS client and
// no user settings registered; whatever the test wrote goes, and the registry comes back as it
// was for the tests after it in the same process.
#pragma once

#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>

namespace dumptest {

class RegistryAside {
public:
    RegistryAside()
    {
        if (std::filesystem::exists(registry_))
            std::filesystem::rename(registry_, aside_.host() + "/registry");
    }
    ~RegistryAside()
    {
        std::error_code ec;
        std::filesystem::remove_all(registry_, ec);
        if (std::filesystem::exists(aside_.host() + "/registry"))
            std::filesystem::rename(aside_.host() + "/registry", registry_);
    }
    RegistryAside(const RegistryAside&) = delete;
    RegistryAside& operator=(const RegistryAside&) = delete;

private:
    const std::filesystem::path registry_ = std::filesystem::path(std::getenv("TARNWICK_ROOT")) / "registry";
    testsupport::ScopedDir aside_{"registry_aside"};
};

} // namespace dumptest
