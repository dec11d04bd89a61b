// The folder cache of a run.
#include "platform/FolderCache.h"

#include "platform/TextUtil.h"

#include <dirent.h>
#include <unordered_map>

namespace {

struct Cache {
    int scopes = 0;
    std::unordered_map<std::string, std::string> hostFolders;
    // Per host folder: the lower-case names of its entries to the names themselves.
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> listings;
    std::unordered_map<std::string, std::string> answers;
};

Cache& cache()
{
    static Cache c;
    return c;
}

template <class Map>
const std::string* find(const Map& map, const std::string& key)
{
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

} // namespace

FolderCacheScope::FolderCacheScope()
{
    ++cache().scopes;
}

FolderCacheScope::~FolderCacheScope()
{
    Cache& c = cache();
    if (--c.scopes == 0) {
        c.hostFolders.clear();
        c.listings.clear();
        c.answers.clear();
    }
}

bool FolderCacheActive()
{
    return cache().scopes > 0;
}

const std::string* CachedHostFolder(const std::string& folderKey)
{
    return find(cache().hostFolders, folderKey);
}

void KeepHostFolder(const std::string& folderKey, const std::string& hostFolder)
{
    if (FolderCacheActive())
        cache().hostFolders[folderKey] = hostFolder;
}

void ForgetHostFolder(const std::string& folderKey)
{
    Cache& c = cache();
    if (auto it = c.hostFolders.find(folderKey); it != c.hostFolders.end()) {
        c.listings.erase(it->second);
        c.hostFolders.erase(it);
    }
}

const std::string* ListedNameNoCase(const std::string& hostFolder, const std::string& name)
{
    Cache& c = cache();
    if (c.scopes == 0)
        return nullptr;
    auto it = c.listings.find(hostFolder);
    if (it == c.listings.end()) {
        std::unordered_map<std::string, std::string> names;
        if (DIR* d = ::opendir(hostFolder.c_str())) {
            while (dirent* e = ::readdir(d))
                names.emplace(ToLower(e->d_name), e->d_name); // the first of two that differ in case wins
            ::closedir(d);
        }
        it = c.listings.emplace(hostFolder, std::move(names)).first;
    }
    return find(it->second, ToLower(name));
}

const std::string* CachedAnswer(const std::string& key)
{
    return find(cache().answers, key);
}

void KeepAnswer(const std::string& key, const std::string& answer)
{
    if (FolderCacheActive())
        cache().answers[key] = answer;
}
