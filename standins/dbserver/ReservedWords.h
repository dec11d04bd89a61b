// The words the database reserves: no schema, table, column, index, view, user or tablespace
// takes one as its name.
#pragma once

#include <string_view>

// Compared without regard to case.
bool IsReservedWord(std::string_view name);
