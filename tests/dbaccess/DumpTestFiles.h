// Small helpers of the dump tests: write and read host files in a test folder.
#pragma once

#include "platform/WinPath.h"

#include <fstream>
#include <sstream>
#include <string>

namespace dumptest {

inline void WriteHostFile(const std::string& hostPath, const std::string& bytes)
{
    std::ofstream(hostPath, std::ios::binary) << bytes;
}

inline std::string ReadHostFile(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The Windows form of a host path, as the program passes paths around.
inline std::string Win(const std::string& hostPath)
{
    return WinPathFromHost(hostPath);
}

} // namespace dumptest
