// A client failure as one line for a box, a status bar or the log: a framed RIS error block
// becomes its "RIS Error: ..." line and its explanation; any text before the block is kept.
#pragma once

#include <string>

std::string RisFailureLine(const std::string& description);
