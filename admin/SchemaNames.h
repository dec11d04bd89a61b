// The schema list: the "SCHNAME=" lines of the RIS schema file.
#pragma once

#include <string>
#include <vector>

// The schema names of the lines of a RIS schema file, in file order: characters 9 to 107 of a
// line that begins with "SCHNAME=" (exact case), blanks trimmed. More than 9999 names raise.
std::vector<std::string> SchemaNamesOfLines(const std::vector<std::string>& lines);

// Rereads the RIS schema file that the RIS client names into gSchemaNames and
// gSchemaListText, emptying both first. Errors pass to the caller.
void get_schemanamen();
