// The description of one recordset field: name, data-access type number, defined size.
#pragma once

#include <string>

struct FieldInfo {
    std::string name;
    int type = 0;
    long definedSize = 0;
    long attributes = -1;   // adFldUnspecified
};
