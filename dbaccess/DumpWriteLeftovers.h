// The part file the dump writer fills beside a dump before it takes the dump's place, and the
// mark that names it while the writer runs: a writer killed meanwhile leaves both, and the next
// start (or the next writer of that dump) removes the part.
#pragma once

#include <string>

// The mark's object for the dump whose file (after links) is the host path targetHost.
std::string DumpWriteMarkObject(const std::string& targetHost);

// "<dump>.<process id>.part" beside the dump file targetHost names, in Windows form.
std::string DumpWritePartName(const std::string& targetHost);

// Removes part, a part file a dead writer of the dump targetHost names, when it is such a part
// beside that dump of a process that no longer runs (never another file). True when no such
// part is there afterwards.
bool RemoveDumpWritePart(const std::string& targetHost, const std::string& part);

// Removes the part files of every dump writer that ended without taking its mark out (killed
// while writing), with their marks. Marks of running writers and every other file stay;
// failures are passed over, for the next start to try again.
void RemoveLeftDumpWriteParts();
