// The generated table of number literals the server's reading is tried with: at least 100,000
// literals of every form into every kind of number column, each with what its column must hold
// of it, worked out with GMP's exact integers apart from any reading under test; and those of
// them whose text the engine's own reading (SQLite's) takes for another double than the one
// nearest to it.
#pragma once

#include "platform/DecimalNumber.h"

#include <gmpxx.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

// A number literal as a statement writes it, the column it goes into, and what that column must
// hold of it, worked out with GMP's exact integers, apart from the server's own reading.
struct Literal {
    std::string type;
    std::string text;
    std::string written; // a decimal or whole column: its text at the column's scale
    double nearest = 0;  // a double or real column: the double nearest to the literal
};

// The number mantissa x 10^exponent (mantissa with its sign) as a literal of one of its forms.
inline std::string literalText(const std::string& mantissa, long exponent, unsigned form)
{
    const bool negative = mantissa[0] == '-';
    const std::string sign = negative ? "-" : form % 7 == 3 ? "+" : "";
    const std::string digits = negative ? mantissa.substr(1) : mantissa;
    switch (form % 4) {
    case 0: { // plainly
        if (exponent >= 0)
            return sign + digits + std::string(static_cast<size_t>(exponent), '0');
        const size_t decimals = static_cast<size_t>(-exponent);
        const std::string padded = std::string(decimals + 1 > digits.size() ? decimals + 1 - digits.size() : 0, '0') + digits;
        return sign + padded.substr(0, padded.size() - decimals) + "." + padded.substr(padded.size() - decimals);
    }
    case 1: // the digits and an exponent
        return sign + digits + "e" + std::to_string(exponent);
    case 2: // one digit before the point
        return sign + digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : std::string()) + "E" +
               (form % 3 == 0 && exponent >= 0 ? "+" : "") + std::to_string(exponent + static_cast<long>(digits.size()) - 1);
    default: // plainly with zeros before and after
        return sign + "00" + literalText(digits, exponent, 0) + (exponent < 0 ? "00" : ".00");
    }
}

// The exact value mantissa x 10^exponent written at `scale` decimals (it has no more).
inline std::string exactAtScale(const std::string& mantissa, long exponent, int scale)
{
    mpz_class v(mantissa, 10), ten = 10, power;
    mpz_pow_ui(power.get_mpz_t(), ten.get_mpz_t(), static_cast<unsigned long>(exponent + scale));
    v *= power;
    const bool negative = v < 0;
    std::string digits = mpz_class(abs(v)).get_str();
    if (scale > 0) {
        if (digits.size() <= static_cast<size_t>(scale))
            digits = std::string(static_cast<size_t>(scale) + 1 - digits.size(), '0') + digits;
        digits.insert(digits.size() - static_cast<size_t>(scale), ".");
    }
    return (negative ? "-" : "") + digits;
}

// The double nearest to mantissa x 10^exponent, ties to the even one: the C library's reading
// checked against the exact midpoints to its neighbours.
inline double nearestDouble(const std::string& mantissa, long exponent)
{
    const double d = std::strtod((mantissa + "e" + std::to_string(exponent)).c_str(), nullptr);
    mpq_class x(mpz_class(mantissa, 10));
    mpz_class power;
    mpz_pow_ui(power.get_mpz_t(), mpz_class(10).get_mpz_t(), static_cast<unsigned long>(std::labs(exponent)));
    x = exponent >= 0 ? mpq_class(x * power) : mpq_class(x / power);
    const mpq_class here(d), below(std::nextafter(d, -INFINITY)), above(std::nextafter(d, INFINITY));
    const mpq_class low = (here + below) / 2, high = (here + above) / 2;
    const bool even = (std::bit_cast<unsigned long long>(d) & 1) == 0;
    EXPECT_TRUE(even ? x >= low && x <= high : x > low && x < high) << mantissa << "e" << exponent;
    return d;
}

// At least 100,000 literals: 1 to 17 significant digits at scales 0 to 38 into decimals, into
// double and real columns, whole numbers into int and smallint, and the whole numbers from 2^53
// to 10^20 written plainly, with ".0", ".00", "e0" and an exponent, into every kind.
inline std::vector<Literal> GeneratedLiterals()
{
    std::mt19937_64 random(62);
    std::vector<Literal> literals;
    const auto digitsOf = [&](int n) {
        std::string s(1, static_cast<char>('1' + random() % 9));
        while (static_cast<int>(s.size()) < n)
            s += static_cast<char>('0' + random() % 10);
        return (random() % 2 ? "-" : "") + s;
    };
    for (unsigned i = 0; literals.size() < 100000; ++i) {
        const unsigned form = static_cast<unsigned>(random());
        switch (i % 10) {
        case 0: case 1: case 2: case 3: case 4: case 5: { // a decimal(p,s)
            const int n = 1 + static_cast<int>(random() % 17), scale = static_cast<int>(random() % 39);
            const int whole = std::max(n - scale, 0);
            const int precision = random() % 2 ? 38 : std::max(whole + scale, 1);
            const std::string m = digitsOf(n);
            const std::string type = "decimal(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
            literals.push_back({type, literalText(m, -scale, form), exactAtScale(m, -scale, scale)});
            break;
        }
        case 6: case 7: { // a double or real
            const int n = 1 + static_cast<int>(random() % 17);
            const long exponent = static_cast<long>(random() % 61) - 40;
            const std::string m = digitsOf(n);
            literals.push_back({i % 20 == 7 ? "real" : "double", literalText(m, exponent, form), "",
                                nearestDouble(m, exponent)});
            break;
        }
        case 8: { // a whole-number column
            const bool small = random() % 2;
            const std::string m = digitsOf(1 + static_cast<int>(random() % (small ? 4 : 9)));
            const std::string suffix[] = {"", ".0", ".00", "e0"};
            literals.push_back({small ? "smallint" : "int", m + suffix[form % 4], exactAtScale(m, 0, 0)});
            break;
        }
        default: { // a whole number from 2^53 to 10^20
            const auto below = [&](int digits) {
                unsigned long long limit = 1;
                for (int k = 0; k < digits; ++k)
                    limit *= 10;
                return mpz_class(std::to_string(random() % limit));
            };
            mpz_class v = mpz_class("9007199254740992") + below(static_cast<int>(random() % 13)) *
                                                              (1 + below(static_cast<int>(random() % 9)));
            if (v > mpz_class("100000000000000000000"))
                v = mpz_class("100000000000000000000");
            const std::string m = (form % 5 == 0 ? "-" : "") + v.get_str();
            const std::string suffix[] = {"", ".0", ".00", "e0"};
            const unsigned kind = form / 8 % 4;
            const std::string text = form / 32 % 5 == 0 ? literalText(m, 0, 2) : m + suffix[form % 4];
            if (kind == 3)
                literals.push_back({"double", text, "", nearestDouble(m, 0)});
            else
                literals.push_back({kind == 0 ? "decimal(38,0)" : kind == 1 ? "decimal(21,0)" : "decimal(23,2)", text,
                                    exactAtScale(m, 0, kind == 2 ? 2 : 0)});
        }
        }
    }
    return literals;
}

// The table's literals of a column type that begins with typeWord ("" for any, "decimal"), of 6
// to 15 significant digits, whose text the engine's own reading takes for another double than
// the one nearest to it (a few in the table; about 1 in 8,000 plainly written numbers of 9 to 15
// digits): a literal of a statement and a text the engine converts go through the same reading.
// The first `count` of them, in table order.
inline std::vector<Literal> EngineMisreadLiterals(const std::string& typeWord, size_t count)
{
    sqlite3* raw = nullptr;
    sqlite3_open(":memory:", &raw);
    const std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(raw, "SELECT CAST(?1 AS REAL)", -1, &st, nullptr);
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> read(st, sqlite3_finalize);
    std::vector<Literal> misread;
    for (const Literal& l : GeneratedLiterals()) {
        const std::optional<DecimalNumber> n = DecimalNumber::Parse(l.text);
        if (l.type.rfind(typeWord, 0) != 0 || !n || n->Digits() < 6 || n->Digits() > 15)
            continue;
        sqlite3_bind_text(st, 1, l.text.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        const double engine = sqlite3_column_double(st, 0);
        sqlite3_reset(st);
        if (engine != std::strtod(l.text.c_str(), nullptr))
            misread.push_back(l);
        if (misread.size() == count)
            break;
    }
    EXPECT_EQ(misread.size(), count) << typeWord;
    return misread;
}

} // namespace testsupport
