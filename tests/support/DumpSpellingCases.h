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
    const auto dump = [](const std::string& create, const std::string& insert, const std::string& layout,
                         const std::string& row, const std::string& after) {
        return "default schema dd_demo\r\n" + create + "\r\n" + insert + "\r\n" + layout + "\r\n" + row +
               "\r\n***RIS*** End of Table ***RIS***\r\n" + after + "***RIS*** End of Schema ***RIS***\r\n";
    };
    const std::string insertTemp = "insert into spelled_t (id, design_temp) values (?, ?)";
    const std::string layoutTemp = "***variable*** id design_temp ";
    const std::string grantAll = "grant select, insert, delete, update on spelled_t to ";
    return {
        {"a blank after a decimal's comma",
         dump("create table spelled_t (id int, design_temp decimal(8, 2))", insertTemp, layoutTemp, "1 12.50 ",
              grantAll + "PUBLIC\r\n"),
         {"id int", "design_temp decimal(8,2)"},
         {"PUBLIC"}},
        {"a decimal in capitals with blanks inside its parentheses",
         dump("create table spelled_t (id int, design_temp DECIMAL( 8 , 2 ) not null)", insertTemp, layoutTemp,
              "1 -0.5 ", ""),
         {"id int", "design_temp decimal(8,2) not null"},
         {}},
        {"blanks inside a char's parentheses and before them",
         dump("create table spelled_t (id int, nm char( 12 ), code char (2))",
              "insert into spelled_t (id, nm, code) values (?, ?, ?)", "***variable*** id nm code ",
              "1 'twelve chars' 'ab' ", ""),
         {"id int", "nm char(12)", "code char(2)"},
         {}},
        {"a grant to two grantees",
         dump("create table spelled_t (id int, design_temp decimal(8,2))", insertTemp, layoutTemp, "1 1.25 ",
              grantAll + "PUBLIC, dd_demo\r\n"),
         {"id int", "design_temp decimal(8,2)"},
         {"DD_DEMO", "PUBLIC"}},
        {"a grant to three grantees, one of them quoted, and one of fewer privileges",
         dump("create table spelled_t (id int, design_temp decimal(8,2))", insertTemp, layoutTemp, "1 1.25 ",
              grantAll + "dd_demo,PUBLIC ,  \"PD_DEMO\"\r\ngrant select on spelled_t to pd_reader\r\n"),
         {"id int", "design_temp decimal(8,2)"},
         {"DD_DEMO", "PD_DEMO", "PD_READER", "PUBLIC"}},
        {"key words in capitals",
         dump("CREATE TABLE SPELLED_T (ID INT, NM CHAR(12))", "INSERT INTO SPELLED_T (ID, NM) VALUES (?, ?)",
              "***variable*** ID NM ", "1 'a' ",
              "CREATE UNIQUE INDEX USPELLED_T ON SPELLED_T (ID)\r\nGRANT SELECT, INSERT ON SPELLED_T TO PUBLIC\r\n"),
         {"id int", "nm char(12)"},
         {"PUBLIC"}},
    };
}

} // namespace testsupport
