// The DDL check window's formatting of message texts: a template with "%0%", "%1%", ...
// placeholders, followed by its arguments, each introduced by "|||". Unlike the program's
// central formatter it trims the template and the argument part as a whole.
#pragma once

#include <string>
#include <vector>

namespace ddl {

// Cuts the arguments off: text keeps the trimmed template. No "|||": no arguments. A "|||"
// with nothing (but blanks) after it: one empty argument. Arguments are never trimmed one by one.
std::vector<std::string> SplitMessageArgs(std::string& text);

// The template with every "%i%" replaced by argument i, for i ascending (an argument holding a
// later placeholder is replaced again); with removeAmpersands every "&" removed. text receives
// the template with the replacements. Never throws.
std::string ReplaceMessageArgs(std::string& text, bool removeAmpersands);

} // namespace ddl
