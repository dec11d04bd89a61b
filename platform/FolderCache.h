// What one run of a long walk over a project's files remembers of the folders it met: the
// host folder of each Windows folder, resolved once instead of component by component for
// every file, each folder's listing, read once, for names written in another letter case, and
// the network folders of table rows. A name the listing holds maps to the listed entry, and
// the caller's own stat or open of it tells whether it is still there; a name it does not hold
// is looked up afresh, so a file made during the run is seen. Only an entry renamed to another
// letter case during the run is missed by the run's own reads until the run ends.
//
// The memory belongs to the run, and only the run's own reads answer from it: a read binds it
// with FolderCacheReads for its duration. Everything else, also code of other windows that
// runs while the walk pumps events, sees the files as they are, and no change of a file (a
// write, copy, move or delete) ever maps its paths through it.
#pragma once

#include <string>

// The cache lives while at least one scope does; the last one to end forgets everything.
class FolderCacheScope {
public:
    FolderCacheScope();
    ~FolderCacheScope();
    FolderCacheScope(const FolderCacheScope&) = delete;
    FolderCacheScope& operator=(const FolderCacheScope&) = delete;
};

// Binds the cache of the live run (if any) to the reads made while it lives.
class FolderCacheReads {
public:
    FolderCacheReads();
    ~FolderCacheReads();
    FolderCacheReads(const FolderCacheReads&) = delete;
    FolderCacheReads& operator=(const FolderCacheReads&) = delete;
};

// Unbinds the cache while it lives, inside a bound read too: around the event pump (other code
// runs there) and around every change of a file.
class FolderCacheUnbound {
public:
    FolderCacheUnbound();
    ~FolderCacheUnbound();
    FolderCacheUnbound(const FolderCacheUnbound&) = delete;
    FolderCacheUnbound& operator=(const FolderCacheUnbound&) = delete;

private:
    int bound_;
};

// True while a run lives and a read of it is bound: only then do the lookups below answer.
bool FolderCacheActive();

// The host folder kept for a Windows folder (its text as the caller wrote it), or nullptr.
const std::string* CachedHostFolder(const std::string& folderKey);
void KeepHostFolder(const std::string& folderKey, const std::string& hostFolder);

// The name of an entry of the host folder, from the folder's listing as it was read the first
// time it was asked for: name itself, else the first entry that equals it without regard to
// case; nullptr when the listing holds none (or no cache is kept).
const std::string* ListedNameNoCase(const std::string& hostFolder, const std::string& name);

// Answers of other lookups kept for the run under a key of their owner (the network folder of
// a server and path), or nullptr.
const std::string* CachedAnswer(const std::string& key);
void KeepAnswer(const std::string& key, const std::string& answer);
