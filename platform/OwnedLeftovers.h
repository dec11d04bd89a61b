// Files a program writes beside their final place while it works (a dump being
// unloaded): their names carry the writing process's id, so that a later run can tell them
// from other files and remove those whose process is gone (killed before it cleaned up).
#pragma once

#include <string>
#include <string_view>

// "<file>.<process id><suffix>" for this process (Windows path in, Windows path out).
std::string OwnedLeftoverName(const std::string& winFile, const std::string& suffix);

// Removes every "<file>.<process id><suffix>" beside the file whose process no longer runs (an id
// a later process got does not keep it).
// Files of running processes and every other name stay. Failures are passed over: a leftover
// that cannot be removed now is tried again by the next run.
void RemoveOrphanedLeftovers(const std::string& winFile, const std::string& suffix);

// Removes every "<file>.<id1><suffix>.<id2><partSuffix>" beside the file whose two processes
// (the program that named "<file>.<id1><suffix>" and the client that wrote its part file) no
// longer run: the part file a client leaves when both die together. Failures passed over.
void RemoveOrphanedLeftoverParts(const std::string& winFile, const std::string& suffix, const std::string& partSuffix);

// True when id, the process-id part of a leftover's name (1 to 9 digits), no longer names the
// process that wrote the leftover (host path, links not followed): no process of that id runs,
// or the one that does is another program that got the id later (Process::MayHaveWritten, by
// the leftover's last write). False for any other text, and for a leftover that is not there.
bool LeftoverOwnerGone(std::string_view id, const std::string& hostLeftover);

// Removes from the folder every work folder "<process id>radXXXXX", batch file
// "<process id>radXXXXX.bat" and work file "<process id>radXXXXX.tmp" (XXXXX five hex digits)
// whose process no longer runs: what a run killed before its clean-up leaves in TEMP. Those of
// running processes, symbolic links and every other name stay. Failures are passed over: the next start tries again.
void RemoveOrphanedWorkFiles(const std::string& winFolder);
