// Numbers a double holds (at most 15 digits) that a decimal column writes with more digits than
// the double's own binary ones give right: at the column's scale the double of 98765.4321 would
// show 98765.432100000005, that of 10^24 999999999999999983222784. Each with the type of its
// column and its text there, padded to the scale, as a select, an unload and a dump holding
// every digit write it.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace testsupport {

struct ExactNumberCase {
    std::string type;    // "decimal(p,s)"
    std::string value;   // as a statement writes it
    std::string written; // as the column writes it
};

inline ExactNumberCase Negated(const ExactNumberCase& n)
{
    const auto negate = [](const std::string& t) { return t[0] == '-' ? t.substr(1) : "-" + t; };
    return {n.type, negate(n.value), negate(n.written)};
}

// A table (a decimal(24,12), b decimal(38,0), c decimal(38,38), d decimal(30,17),
// e decimal(20,16), f decimal(30,14), g decimal(38,0)) and one row of it.
inline std::vector<ExactNumberCase> TableOfScalesRow()
{
    return {{"decimal(24,12)", "98765.4321", "98765.432100000000"},
            {"decimal(38,0)", "1000000000000000000000000", "1000000000000000000000000"},
            {"decimal(38,38)", "0.1", "0.10000000000000000000000000000000000000"},
            {"decimal(30,17)", "2.675", "2.67500000000000000"},
            {"decimal(20,16)", "1.1", "1.1000000000000000"},
            {"decimal(30,14)", "1234567.89", "1234567.89000000000000"},
            {"decimal(38,0)", "-12000000000000000000000000000000", "-12000000000000000000000000000000"}};
}

// A number at every scale from 0 to 38 in a decimal(T,s) whose T digits (16 to 38) it reaches.
inline std::vector<ExactNumberCase> NumbersAtEveryScale()
{
    std::vector<ExactNumberCase> numbers;
    const std::string digits = "1234567";
    for (int scale = 0; scale <= 38; ++scale) {
        const int total = std::max(scale, 16 + scale * 5 % 23), whole = total - scale;
        std::string integral = whole == 0 ? "0" : digits.substr(0, static_cast<size_t>(std::min(whole, 7)));
        integral += std::string(static_cast<size_t>(std::max(whole - 7, 0)), '0');
        const std::string fraction = whole >= 7 ? "" : digits.substr(static_cast<size_t>(whole));
        numbers.push_back({"decimal(" + std::to_string(total) + "," + std::to_string(scale) + ")",
                           integral + (fraction.empty() ? "" : "." + fraction),
                           integral + (scale == 0 ? "" : "." + fraction + std::string(scale - fraction.size(), '0'))});
    }
    return numbers;
}

// Every round number from 10^16 to 10^37, in a decimal(38,0).
inline std::vector<ExactNumberCase> RoundNumbers()
{
    std::vector<ExactNumberCase> numbers;
    for (size_t zeros = 16; zeros <= 37; ++zeros)
        numbers.push_back({"decimal(38,0)", "1" + std::string(zeros, '0'), "1" + std::string(zeros, '0')});
    return numbers;
}

} // namespace testsupport
