// What project copies that did not finish left behind, looked after at a start: the work files
// of programs that ended without removing them go, and every copy whose journal stands with no
// running program holding its project's mark is named, with what it may have left half made in
// its target; the next copy into that project takes out what is still as it was made and names
// the rest.
#pragma once

#include <string>
#include <vector>

// One text per model a copy that did not finish may have left half made. Never throws.
std::vector<std::string> UnfinishedCopies();

// At the program's start: removes the ended programs' work files and names each unfinished
// copy in the program log.
void LookAfterUnfinishedCopies();
