// Finds the RIS error block in the console output or log of a RIS client.
#pragma once

#include <string>

// The framed lines (first character "*", last "*" at column 79) up to the second counting
// error block, joined by CR LF; a block whose "RIS Error:" line names RIS_E_CREATE_INDEX does
// not count and is not collected. Empty when the text holds no run of ten "*" or no frame.
std::string RISErrorText(const std::string& output);
