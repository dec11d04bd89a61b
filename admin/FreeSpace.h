// The free space of the database's tablespaces, read through the server manager, in gigabytes.
#pragma once

#include <string>
#include <vector>

struct FreeSpaceRow {
    std::string tablespace;
    std::string freeGbytes; // formatted "###,##0.000"
};

class FreeSpace {
public:
    // The rows of the output lines after the rule, in output order. Each line splits into the
    // name (before the first TAB when one stands at the second character or later, else up to
    // the first blank) and the byte count (after the last TAB, else after the last blank); the
    // first line without a name or a numeric count ends the rows.
    static std::vector<FreeSpaceRow> Rows(const std::vector<std::string>& linesAfterRule, char decimalSeparator,
                                          char thousandSeparator);

    // bytes / 1024^3 with three decimals and thousands grouped: 2 * 1024^4 gives "2,048.000".
    static std::string FormatGigabytes(double bytes, char decimalSeparator, char thousandSeparator);

    // The decimal and thousands separators of the user's regional settings ("." and "," when
    // none are set).
    static void RegionalSeparators(char& decimalSeparator, char& thousandSeparator);

    // Runs the query of dba_free_space through `[TARNWICK] svrmgr_path` (no default program)
    // and gives the rows. Raises error 1 "Could not get free space" when the output cannot be read.
    static std::vector<FreeSpaceRow> Query();
};
