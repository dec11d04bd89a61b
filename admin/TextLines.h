// The lines of a text file as the administrator's tools write them: CR LF, CR and LF each end a
// line.
#pragma once

#include <string>
#include <vector>

// The lines without their ends; a last line without an end counts, an empty text has none.
std::vector<std::string> TextLines(const std::string& text);
