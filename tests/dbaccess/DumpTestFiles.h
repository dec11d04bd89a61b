// Small helpers of the dump tests: host files in a test folder, Windows paths, inert RIS clients.
#pragma once

#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <string>

namespace dumptest {

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

// The Windows form of a host path, as the program passes paths around.
inline std::string Win(const std::string& hostPath)
{
    return WinPathFromHost(hostPath);
}

// A BIN folder under the host folder with the RIS client programs present for the client check
// but unable to run, so that every unload fails; gives the folder in Windows form.
inline std::string InertRisClients(const std::string& hostDir)
{
    const std::filesystem::path bin = std::filesystem::path(hostDir) / "BIN";
    WriteHostFile((bin / "risbatch.exe").string(), "x");
    WriteHostFile((bin / "risunlod.exe").string(), "x");
    return Win(bin.string());
}

} // namespace dumptest
