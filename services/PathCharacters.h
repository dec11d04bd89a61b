// The check of a path's characters before it is used, for instance on the command line of a
// batch file: a value read from a table or typed by the user must never change what a command
// does. QuoteString (services/FileOperation.h) quotes a text for such a line.
#pragma once

#include <string>

// "the character '<'", or "a control character (code 10)" for a control character.
std::string DescribeCharacter(char c);

// A description of the first character of `path` that Windows allows in no path ("the
// character '<'", "a control character (code 10)"); empty when there is none. "*" and "?" count
// unless `wildcards` is set (a file mask).
std::string ForbiddenPathCharacter(const std::string& path, bool wildcards = false);

// Raises error 1 "<kind> '<path>' holds <character>, which no path may hold" when the path holds
// such a character.
void CheckPathCharacters(const std::string& kind, const std::string& path, bool wildcards = false);
