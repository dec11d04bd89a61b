// What the start does with the traces of killed runs that a later run can put right: the user's
// number separators a table read left forced, and the renames a file name correction left
// between its files and its rows.
#pragma once

#include <string>
#include <vector>

// Puts back and puts in step what it can, each said on the status line and in the log; gives
// the texts of what it could not, for the start's box.
std::vector<std::string> MendDeadRunTraces();
