// Framed RIS errors put on one line.
#include "dbaccess/RisFailureText.h"

#include "dbaccess/RISErrorReader.h"

std::string RisFailureLine(const std::string& description) { return RISErrorLine(description); }
