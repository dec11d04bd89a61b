// A client failure as one line for a box, a status bar or the log: every framed RIS error block
// becomes its "RIS Error: ..." line and its explanation where it stands; the text before and
// after each block is kept.
#pragma once

#include <string>

std::string RisFailureLine(const std::string& description);
