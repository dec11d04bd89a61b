// Definition lines of a dump spelled as SQL allows and the load takes them, one table of them,
// shared by every test of a reader that must read them as the load does: the load client, the
// whole-dump check, and the look after a load through the program's own load.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct DumpSpellingCase {
    const char* what;
    std::string dump; // a whole dump of schema dd_demo holding table spelled_t with one row
    // spelled_t as the server keeps it: each column "name type" (" not null" after it), and
    // the grantees of its grants, sorted.
    std::vector<std::string> columns;
    std::vector<std::string> grantees;
};

inline std::vector<DumpSpellingCase> DumpSpellingCases()
{
    // The block of spelled_t (id, and a second column) with its row, and the lines after it.
    const auto dump = [](const std::string& create, const std::string& row, const std::string& after,
                         const std::string& second = "design_temp") {
        return "default schema dd_demo\r\n" + create + "\r\ninsert into spelled_t (id, " + second +
               ") values (?, ?)\r\n***variable*** id " + second + " \r\n" + row +
               " \r\n***RIS*** End of Table ***RIS***\r\n" + after + "***RIS*** End of Schema ***RIS***\r\n";
    };
    const std::string grant = "grant select, insert, delete, update on spelled_t to ";
    const std::vector<std::string> temp = {"id int", "design_temp decimal(8,2)"};
    return {
        {"a blank after a decimal's comma",
         dump("create table spelled_t (id int, design_temp decimal(8, 2))", "1 12.50", grant + "PUBLIC\r\n"), temp,
         {"PUBLIC"}},
        {"a decimal in capitals with blanks inside its parentheses",
         dump("create table spelled_t (id int, design_temp DECIMAL( 8 , 2 ) not null)", "1 -0.5", ""),
         {"id int", "design_temp decimal(8,2) not null"}, {}},
        {"blanks inside a char's parentheses and before them",
         dump("create table spelled_t (id int, nm char( 12 ))", "1 'twelve chars'", "", "nm"), {"id int", "nm char(12)"},
         {}},
        {"a grant to two grantees", dump("create table spelled_t (id int, design_temp decimal(8,2))", "1 1.25",
                                         grant + "PUBLIC, dd_demo\r\n"),
         temp, {"DD_DEMO", "PUBLIC"}},
        {"a grant to three grantees, one of them quoted, and one of fewer privileges",
         dump("create table spelled_t (id int, design_temp decimal(8,2))", "1 1.25",
              grant + "dd_demo,PUBLIC ,  \"PD_DEMO\"\r\ngrant select on spelled_t to pd_reader\r\n"),
         temp, {"DD_DEMO", "PD_DEMO", "PD_READER", "PUBLIC"}},
        {"key words in capitals",
         "default schema dd_demo\r\nCREATE TABLE SPELLED_T (ID INT, NM CHAR (12))\r\nINSERT INTO SPELLED_T (ID, NM) "
         "VALUES (?, ?)\r\n***variable*** ID NM \r\n1 'a' \r\n***RIS*** End of Table ***RIS***\r\nCREATE UNIQUE INDEX "
         "USPELLED_T ON SPELLED_T (ID)\r\nGRANT SELECT, INSERT ON SPELLED_T TO PUBLIC\r\n"
         "***RIS*** End of Schema ***RIS***\r\n",
         {"id int", "nm char(12)"}, {"PUBLIC"}},
    };
}

} // namespace testsupport
