// Whole-file reads and writes of host files for test assertions and fixtures.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// The file's bytes; empty when it cannot be read.
std::string ReadHostFile(const std::string& hostPath);
// Writes the bytes, making missing parent folders.
void WriteHostFile(const std::string& hostPath, const std::string& bytes);
// The names of the folder's entries, sorted.
std::vector<std::string> FilesIn(const std::string& hostDir);

} // namespace testsupport
