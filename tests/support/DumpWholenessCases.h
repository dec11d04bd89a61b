// Whole and cut RIS dumps, one table of them, shared by every test of a reader that must tell
// a whole dump from a cut or foreign one (the whole-dump check and the load client).
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// A whole dump of schema pd_c: table t in the variable layout with four rows, table t2 in the
// fixed layout with two, then an index, the grants and the end-of-schema line (CR LF ends).
inline const std::string& WholeDump()
{
    static const std::string dump = "default schema pd_c\r\n"                                       // 1
                                    "create table t (id int, name char(10), code char(1))\r\n"        // 2
                                    "insert into t (id, name, code) values (?, ?, ?)\r\n"             // 3
                                    "***variable*** id name code \r\n"                               // 4
                                    "1 'one' 'a' \r\n"                                                // 5
                                    "2 '***RIS*** End of Table ***RIS***' 'b' \r\n"                  // 6
                                    "3 'create table u (x int)' 'c' \r\n"                             // 7
                                    "4 'four' 'd' \r\n"                                               // 8
                                    "***RIS*** End of Table ***RIS***\r\n"                            // 9
                                    "create table t2 (k int, v char(8))\r\n"                          // 10
                                    "insert into t2 (k, v) values (?, ?)\r\n"                         // 11
                                    "k 1 11 v 13 20\r\n"                                              // 12
                                    "1           alpha    \r\n"                                       // 13
                                    "2           beta     \r\n"                                       // 14
                                    "***RIS*** End of Table ***RIS***\r\n"                            // 15
                                    "create unique index ut on t (id)\r\n"                            // 16
                                    "grant select, insert, delete, update on t to PUBLIC\r\n"         // 17
                                    "grant select, insert, delete, update on t2 to PUBLIC\r\n"        // 18
                                    "***RIS*** End of Schema ***RIS***\r\n";                         // 19
    return dump;
}

// The text of the whole dump up to (not including) the first occurrence of marker.
inline std::string WholeDumpCutBefore(const std::string& marker)
{
    return WholeDump().substr(0, WholeDump().find(marker));
}

inline std::string WholeDumpWith(const std::string& from, const std::string& to)
{
    std::string dump = WholeDump();
    dump.replace(dump.find(from), from.size(), to);
    return dump;
}

struct DumpWholenessCase {
    const char* what;
    std::string dump;
    // Empty for a whole dump; else a part of the reason the whole-dump check gives.
    std::string problem;
};

inline std::vector<DumpWholenessCase> DumpWholenessCases()
{
    const std::string& good = WholeDump();
    const std::string endTable = "***RIS*** End of Table ***RIS***\r\n";
    return {
        {"whole", good, ""},
        {"whole, as the unload client writes its schema line",
         WholeDumpWith("default schema pd_c", "create schema pd_c on database (oracle, dbname ORCL) user pd_c.pd_c"), ""},
        {"whole, with LF line ends and a blank line at the end", [&] {
             std::string lf;
             for (char c : good)
                 if (c != '\r')
                     lf += c;
             return lf + "\n";
         }(),
         ""},
        {"whole, a table without rows",
         WholeDumpWith("1           alpha    \r\n2           beta     \r\n", ""), ""},
        {"empty", "", "it is empty"},
        {"carriage returns only", "\r\r\r\r", "it holds no schema line"},
        {"random bytes", std::string("\x8f\x01z\x00\xff ***RIS*** End of Schema ***RIS***\x13", 40),
         "does not begin with a schema line (line 1)"},
        {"only a create-table line", "create table t (id int)\r\n", "does not begin with a schema line (line 1)"},
        {"cut after the schema line", "default schema pd_c\r\n", "end-of-schema line is missing"},
        {"cut after the insert line", WholeDumpCutBefore("***variable***"),
         "table 't' (from line 2) ends without its end-of-table line at line 3"},
        {"cut after a row", WholeDumpCutBefore("4 'four'"),
         "table 't' (from line 2) ends without its end-of-table line at line 7"},
        {"cut inside a quoted value", WholeDumpCutBefore("4 'four'") + "4 'fo",
         "table 't' (from line 2) ends without its end-of-table line at line 8"},
        {"cut after the second table", WholeDumpCutBefore("create unique index"),
         "the end-of-schema line is missing (the file ends at line 15)"},
        {"cut before the end-of-schema line", WholeDumpCutBefore("***RIS*** End of Schema"),
         "the end-of-schema line is missing (the file ends at line 18)"},
        {"a table block whose rows run into the next table", WholeDumpWith("4 'four' 'd' \r\n" + endTable, "4 'four' 'd' \r\n"),
         "table 't' has no end-of-table line (line 9)"},
        {"a table block of its create-table line only",
         WholeDumpCutBefore("insert into t ") + good.substr(good.find("create table t2")),
         "table 't' has no end-of-table line (line 3)"},
        {"a table block running into the end-of-schema line", WholeDumpCutBefore("4 'four'") + "***RIS*** End of Schema ***RIS***\r\n",
         "table 't' has no end-of-table line (line 8)"},
        {"an end-of-table line outside a block",
         WholeDumpWith("create unique index", "***RIS*** End of Table ***RIS***\r\ncreate unique index"),
         "an end-of-table line stands outside a table block (line 16)"},
        {"a line after the end-of-schema line", good + "create table t3 (id int)\r\n",
         "a line follows the end-of-schema line (line 20)"},
        {"two dumps one after the other", good + good, "a line follows the end-of-schema line (line 20)"},
        // Read as rows, these would take the next table's lines into the block, or the dump
        // would pass for whole with an end line the load client does not take.
        {"an end-of-table line with a leading blank",
         WholeDumpWith("'d' \r\n" + endTable, "'d' \r\n " + endTable),
         "line 9 ' ***RIS*** End of Table ***RIS***' is neither an end line nor a row"},
        {"an end-of-table line in lower case",
         WholeDumpWith("'d' \r\n" + endTable, "'d' \r\n***ris*** end of table ***ris***\r\n"),
         "line 9 '***ris*** end of table ***ris***' is neither an end line nor a row"},
        {"an end-of-schema line with a trailing blank",
         WholeDumpWith("***RIS*** End of Schema ***RIS***", "***RIS*** End of Schema ***RIS***\t"),
         "line 19 '***RIS*** End of Schema ***RIS***\t' is neither an end line nor a row"},
        {"a second schema line", WholeDumpWith("create unique index", "default schema pd_d\r\ncreate unique index"),
         "a second schema line stands in it (line 16)"},
        // A block's head is read as the load reads it; a head the load cannot read is named by its line.
        {"whole, an insert line in capitals",
         WholeDumpWith("insert into t (id, name, code) values", "INSERT INTO t (id, name, code) VALUES"), ""},
        {"a create-table line without the blank before its column list",
         WholeDumpWith("create table t2 (", "create table t2("),
         "the create-table line of table 't2' holds no column list after \"t2 (\" (line 10)"},
        {"a layout line in capitals", WholeDumpWith("***variable***", "***VARIABLE***"),
         "the layout line of table 't' is neither \"***variable***\" with the column names nor the fixed layout's "
         "name, first and last position of each column (line 4)"},
        {"a second insert line", WholeDumpWith("***variable***", "insert into t (id, name, code) values (?, ?, ?)\r\n"
                                                                 "***variable***"),
         "the layout line of table 't' is neither"},
        {"a table twice", WholeDumpWith("create unique index", good.substr(good.find("create table t2"),
                                                                          good.find("create unique index") -
                                                                              good.find("create table t2")) +
                                                                   "create unique index"),
         "table 't2' appears twice (line 16)"},
    };
}

} // namespace testsupport
