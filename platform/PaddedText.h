// Character values as the database compares its fixed-length text: a value is taken as filled
// up with blanks to the length of the value it is compared with, so trailing blanks never count
// and leading ones always do. The stand-in server's character columns and the text tables of its
// values compare so.
#pragma once

#include <string_view>

namespace PaddedText {

// Negative, 0 or positive as a sorts before, with or after b, the shorter one filled up with
// blanks: "a" equals "a  ", and "a\x01" sorts before "a" as "a\x01" before "a ".
int Compare(std::string_view a, std::string_view b);

// A value without the trailing blanks that never count; a text of blanks only keeps them, as it
// is a text and no NULL.
std::string_view WithoutTrailingBlanks(std::string_view text);

} // namespace PaddedText
