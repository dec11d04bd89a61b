// The candidate file of a tree node.
#include "filecheck/SeedFileChoice.h"

#include "platform/TextUtil.h"
#include "services/CheckTree.h"

std::string CandidatePath(const CheckTreeNode& node)
{
    const std::string& key = node.key;
    if (node.parent) {
        const std::string prefix = node.parent->key + "File";
        if (key.compare(0, prefix.size(), prefix) == 0)
            return Trim(key.substr(prefix.size()));
    }
    const size_t file = key.find("File");
    return file == std::string::npos ? std::string() : Trim(key.substr(file + 4));
}

std::string GetSelectedSeedFile(const CheckTreeNode& node)
{
    if (!node.checked || node.key.find("FILE_NOT_FOUND") != std::string::npos)
        return {};
    return CandidatePath(node);
}
