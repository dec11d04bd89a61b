// Host file helpers for tests.
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

std::string ReadHostFile(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteHostFile(const std::string& hostPath, const std::string& bytes)
{
    std::filesystem::path p(hostPath);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream(hostPath, std::ios::binary) << bytes;
}

std::vector<std::string> FilesIn(const std::string& hostDir)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(hostDir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
