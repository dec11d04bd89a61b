// Turns the variable-layout rows of a dump into the delimited text that the text driver reads:
// values separated by the character with code 1, quotes removed, double quotes doubled.
#pragma once

#include <string>
#include <string_view>

class DumpTextConverter {
public:
    // The separator of the delimited text.
    static constexpr char kSeparator = '\x01';

    // Appends the converted rows to out. Outside quotes a run of n blanks gives (n + 1) / 2
    // separators, so a value followed by its blank gives one and every NULL (a blank plus its
    // closing blank) one more. Inside quotes blanks are kept and a doubled single quote is one
    // quote; an empty quoted value stays empty. Every double quote is doubled. Line ends are
    // copied; a quote left open at a line end closes there.
    // out must hold 2 * rows.size() bytes; returns the number of bytes written.
    static size_t ConvertVariableRows(std::string_view rows, char* out);
    // The same, returned as a string.
    static std::string ConvertVariableRows(std::string_view rows);
};
