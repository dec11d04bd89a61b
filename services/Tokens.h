// Splitting texts into tokens and filling "§key§" placeholders from the settings file.
#pragma once

#include <string>
#include <vector>

// The maximal runs of characters that are not in separators, in order. A text shorter than two
// characters is returned as the only element, unchanged.
std::vector<std::string> Tokenize(const std::string& text, const std::string& separators);

// The texts inside the first, second, ... count-th pair of delimiters, as a list of 100:
// element 0 empty, elements 1 to count the tokens, the rest empty. A pair that is missing (no
// opening or no closing delimiter) gives an empty token. count must be below 100 (error 9).
std::vector<std::string> GetTokens(const std::string& text, const std::string& delimiter, int count);

// In the elements from index 1 up to the first empty one, replaces every delimiter + key +
// delimiter by the key's value in section of the settings file (keys and placeholders without
// regard to case; a key without a value, or valued "NULL", leaves its placeholder standing).
// Placeholders brought in by a value are resolved too. The delimiter "§" is recognised both as
// the single byte 0xA7 and as its UTF-8 form C2 A7. Raises error 5 for a placeholder without a
// closing delimiter and error 1 when values keep leading back to placeholders.
std::vector<std::string>& ReplaceTokensFromIni(std::vector<std::string>& tokens, const std::string& file,
                                               const std::string& section, const std::string& delimiter);
