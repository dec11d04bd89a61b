// The naming rules of design files: when a stored file name fits its model or drawing number,
// how a file name splits into base name and extension, and which characters a new name may
// not hold.
#pragma once

#include <string>

class DesignFileNameRules {
public:
    struct Parts {
        std::string base;      // before the first ".", blanks at both ends removed
        std::string extension; // from the first "." (included) to the end, blanks removed; "" without "."
    };

    // True when the text before the first "." of spec, trimmed, equals number in any letter
    // case. The number is not trimmed, so a number with a trailing blank never matches.
    static bool Matches(const std::string& spec, const std::string& number);

    static Parts Split(const std::string& spec);

    // True when text holds one of \ / : ? " < > | or a blank (leading and trailing blanks
    // count); a text that is blank throughout gives False.
    static bool HasSpecialChars(const std::string& text);

    // The longest new file name, extension included.
    static constexpr size_t kMaxLength = 14;
};
