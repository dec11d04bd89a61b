// Network paths: a directory on a file server turned into a path this computer can open, from
// the shares the server publishes in its registry, and the connected network drives.
#pragma once

#include <string>
#include <vector>

// One share of a server: its name and its directory on the server (always ending in "\").
struct ShareEntry {
    std::string ShareName;
    std::string SharePath;
};

// The directory localPath on server as a path ending in "\", or "" on failure:
//   - a path without a drive ("pds\proj", "\pds\proj") is relative to the server:
//     \\server\pds\proj\; a path that is already a UNC path comes back as it is;
//   - a drive path on this computer (COMPUTERNAME, letter case ignored) comes back itself;
//   - a drive path on another server goes through the shortest of the server's shares that
//     cover it (\\server\share\rest\); with useMappedDrive a share connected as a network
//     drive gives the drive path instead, and drive paths win over UNC paths.
// Never throws. Success clears the last file error; a failure leaves "Server name not
// defined", "Path name not defined" or "Directory '<path>' on server '<server>' not existing
// or not accessible" (number 1, source "LocalPath2UNC") in it.
std::string LocalPath2UNC(const std::string& server, const std::string& localPath, bool useMappedDrive);

// The shares of server, in its registry's order (HKEY_LOCAL_MACHINE
// "SYSTEM\CurrentControlSet\Services\lanmanserver\Shares" of that computer). Read once per
// server and process and then answered from a cache (server names without regard to case);
// a server with no readable share is asked again next time. Never throws; failures give an
// empty list.
std::vector<ShareEntry> GetLocalShares(const std::string& server);

// The UNC path on a connected network drive ("X:\rest"), or "" when no drive connects it.
// The connected drives are the persistent connections of this computer's current user in its
// registry: one subkey per drive letter below HKEY_CURRENT_USER "Network", whose value
// "RemotePath" is the connected share, e.g.
//     [HKEY_CURRENT_USER\Network\X]
//     "RemotePath"="\\\\srv01\\pds"
// At most 1024 drives are looked at. Never throws.
std::string UNC2MappedPath(const std::string& uncPath);
