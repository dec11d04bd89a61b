// The folder cache of a run.
#include "platform/FolderCache.h"

#include "platform/TextUtil.h"

#include <dirent.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

// The names of a folder's entries, and their lower-case forms to the names themselves, made
// when a name is first asked for in another letter case.
struct Listing {
    std::vector<std::string> inOrder; // as the host lists them: the first of a case wins
    std::unordered_set<std::string> exact;
    std::unordered_map<std::string, std::string> byLowerCase;
    bool lowerCaseMade = false;
};


struct Cache {
    int scopes = 0;
    int bound = 0; // open FolderCacheReads not suspended by a FolderCacheUnbound
    std::unordered_map<std::string, std::string> hostFolders;
    std::unordered_map<std::string, Listing> listings;
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

FolderCacheReads::FolderCacheReads()
{
    ++cache().bound;
}

FolderCacheReads::~FolderCacheReads()
{
    --cache().bound;
}

FolderCacheUnbound::FolderCacheUnbound() : bound_(cache().bound)
{
    cache().bound = 0;
}

FolderCacheUnbound::~FolderCacheUnbound()
{
    cache().bound = bound_;
}

bool FolderCacheActive()
{
    const Cache& c = cache();
    return c.scopes > 0 && c.bound > 0;
}

const std::string* CachedHostFolder(const std::string& folderKey)
{
    return FolderCacheActive() ? find(cache().hostFolders, folderKey) : nullptr;
}

void KeepHostFolder(const std::string& folderKey, const std::string& hostFolder)
{
    if (FolderCacheActive())
        cache().hostFolders[folderKey] = hostFolder;
}

const std::string* ListedNameNoCase(const std::string& hostFolder, const std::string& name)
{
    Cache& c = cache();
    if (!FolderCacheActive())
        return nullptr;
    auto it = c.listings.find(hostFolder);
    if (it == c.listings.end()) {
        Listing listing;
        if (DIR* d = ::opendir(hostFolder.c_str())) {
            while (dirent* e = ::readdir(d)) {
                listing.inOrder.emplace_back(e->d_name);
                listing.exact.emplace(e->d_name);
            }
            ::closedir(d);
        }
        it = c.listings.emplace(hostFolder, std::move(listing)).first;
    }
    Listing& listing = it->second;
    if (auto exact = listing.exact.find(name); exact != listing.exact.end())
        return &*exact;
    if (!listing.lowerCaseMade) {
        for (const std::string& listed : listing.inOrder)
            listing.byLowerCase.emplace(ToLower(listed), listed);
        listing.lowerCaseMade = true;
    }
    return find(listing.byLowerCase, ToLower(name));
}

const std::string* CachedAnswer(const std::string& key)
{
    return FolderCacheActive() ? find(cache().answers, key) : nullptr;
}

void KeepAnswer(const std::string& key, const std::string& answer)
{
    if (FolderCacheActive())
        cache().answers[key] = answer;
}
