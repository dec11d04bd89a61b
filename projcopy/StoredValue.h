// Values as the server stores and compares them: the look after a copy's INSERT compares the row
// read back with the row written, and the undo finds the copy's row by it.
#pragma once

#include <optional>
#include <string>

// A number's text in one form: sign, digits without leading zeros, the decimals without
// trailing ones ("-0012.50" is "-12.5", "0.0" is "0"); empty for a text that is no plain decimal
// (an exponent form, letters).
std::string PlainDecimal(const std::string& text);

// The decimals a column of the type keeps: s of "decimal(p,s)", 0 of "decimal(p)" and of the
// whole-number types, -1 (all of them) for any other.
int ScaleOf(const std::string& type);

// A plain decimal rounded half away from zero to scale places, as the server stores it in a
// column of that scale ("1.505" to 2 is "1.51"); as it is for a negative scale.
std::string RoundedTo(const std::string& plain, int scale);

// A value as the server stores it (stored, read back from a column of type) against one as the
// copy wrote it (written): texts blank-padded (trailing blanks do not count), numbers by value,
// the written one rounded to the column's scale first (1, 1.0 and 1.00 are one number; every
// digit the server keeps counts).
bool SameStoredValue(const std::optional<std::string>& stored, const std::optional<std::string>& written, bool text,
                     const std::string& type = {});
