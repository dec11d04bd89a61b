// The summary of a schema dump and what the comparison of two reports: missing tables, column
// definitions, rows and their values, indexes, grants, views, and tables the expected dump lacks.
#include "dbaccess/SchemaDumpSummary.h"

#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string table(const std::string& name, int rows, const std::string& codeType = "char(4)",
                  const std::string& lastValue = "'c'")
{
    std::string text = "create table " + name + " (id int, code " + codeType + ")\r\ninsert into " + name +
                       " (id, code) values (?, ?)\r\n***variable*** id code \r\n";
    for (int i = 1; i <= rows; ++i)
        text += std::to_string(i) + " " + (i == rows ? lastValue : "'c'") + " \r\n";
    return text + "***RIS*** End of Table ***RIS***\r\n";
}

const std::string kLines = "create unique index u1 on t1 (id)\r\ncreate index i2 on t2 (code)\r\n"
                           "create view v1 (id) as select id from t1\r\n"
                           "grant select, insert, delete, update on t1 to PUBLIC\r\n";
const std::string kExpected = "default schema dd_x\r\n" + table("t1", 3) + table("T2", 0) +
                              "create unique index u1 on t1 (id)\r\ncreate  index I2 on t2 (code)\r\n"
                              "create view v1 (id) as select id from t1\r\n"
                              "grant select, insert, delete, update on T1 to PUBLIC\r\n"
                              "***RIS*** End of Schema ***RIS***\r\n";

struct SummaryCase {
    const char* name;
    std::string found;
    std::vector<std::string> differences;
};

TEST(SchemaDumpSummaryTest, DifferencesFromTheExpectedDump)
{
    testsupport::ScopedDir dir("summary");
    auto read = [&](const std::string& name, const std::string& text) {
        testsupport::WriteHostFile(dir.host() + "/" + name, text);
        return SchemaDumpSummary::Read(WinPathFromHost(dir.host() + "/" + name));
    };
    const SchemaDumpSummary expected = read("expected.dmp", kExpected);
    EXPECT_EQ(expected.tables(), (std::vector<std::string>{"t1", "T2"}));
    EXPECT_EQ(expected.Rows("T1"), 3);
    const std::vector<SummaryCase> cases = {
        {"SameContentOtherCaseAndBlanks",
         "default schema dd_x\r\n" + table("T1", 3) + table("t2", 0, "CHAR(4)") +
             "create index i2 on T2 (code)\r\ncreate unique index U1 on T1 (id)\r\n"
             "grant select, insert, delete, update on t1 to public\r\n"
             "create view V1 (id) as select id from t1\r\n",
         {}},
        {"CutAfterTheFirstTable", "default schema dd_x\r\n" + table("t1", 3),
         {"t1: lacks index u1", "t1: lacks grant to public", "T2 missing", "view v1 missing"}},
        {"RowsLostAndATableMore",
         "default schema dd_x\r\n" + table("t1", 1) + table("t2", 0) + table("t9", 2) + kLines,
         {"t1: holds 1 of 3 rows", "t9 is not in the backup"}},
        // The same number of rows, but one value, a column type and the grant changed.
        {"AValueATypeAndAGrantChanged",
         "default schema dd_x\r\n" + table("t1", 3, "char(4)", "'x'") + table("t2", 0, "char(8)") +
             "create unique index u1 on t1 (id)\r\ncreate index i2 on t2 (code)\r\n"
             "create view v1 (id) as select code from t1\r\n",
         {"t1: 1 row differs in its values", "t1: lacks grant to public",
          "T2: column code char(8), not code char(4)", "view v1 is defined otherwise"}},
        // A column that refuses NULL where the backup's takes it is another column: a restore
        // that loses or adds a NOT NULL is no restore.
        {"ANotNullTheBackupLacks",
         "default schema dd_x\r\n" + table("t1", 3) + table("t2", 0, "CHAR(4)  NOT NULL") + kLines,
         {"T2: column code char(4) not null, not code char(4)"}},
        // An index of the name stands with other columns, or on another table: said as such.
        {"AnIndexOnOtherColumnsAndANameTakenElsewhere",
         "default schema dd_x\r\n" + table("t1", 3) + table("t2", 0) + table("t9", 0) +
             "create index u1 on t1 (code)\r\ncreate index i2 on t9 (code)\r\n"
             "create view v1 (id) as select id from t1\r\n"
             "grant select, insert, delete, update on t1 to PUBLIC\r\n",
         {"t1: has index u1 on (code) where the backup has it unique on (id)",
          "T2: lacks index i2 (the name is an index's on t9)", "t9 is not in the backup"}},
        // A view's grants compare as a table's.
        {"AGrantOnAViewTheBackupLacks",
         "default schema dd_x\r\n" + table("t1", 3) + table("t2", 0) + kLines + "grant select on v1 to pd_reader\r\n",
         {"view v1 has grant to pd_reader the backup lacks"}},
        // Types and grants compare as the server keeps them: a type spelled with blanks is the
        // same, a grant to several grantees is one grant each, and fewer privileges are said.
        {"ATypeSpelledWithBlanksAndGrantsOneByOne",
         "default schema dd_x\r\n" + table("t1", 3) + table("t2", 0, "CHAR (4 )") +
             ReplaceAll(kLines, "to PUBLIC", "to PUBLIC, pd_reader"),
         {"t1: has grant to pd_reader the backup lacks"}},
        {"AGrantOfFewerPrivileges",
         "default schema dd_x\r\n" + table("t1", 3) + table("t2", 0) +
             ReplaceAll(kLines, "grant select, insert, delete, update on t1", "GRANT SELECT ON t1"),
         {"t1: grant to public gives select, not select, insert, delete, update"}},
        // Two alike rows where the backup has two different ones: the count alone would pass.
        {"ARowTwiceForTwoRows",
         "default schema dd_x\r\n" + ReplaceAll(table("t1", 3), "3 'c'", "2 'c'") + table("t2", 0) + kLines,
         {"t1: 1 row differs in its values"}}};
    for (const SummaryCase& c : cases)
        EXPECT_EQ(expected.Differences(read("found.dmp", c.found)), c.differences) << c.name;
}

// The views a found dump lacks are created again from the expected dump's lines: the line keeps
// its texts as written (a lower-cased 'GATE' would select other rows), and a view defined
// otherwise is not taken for lost.
TEST(SchemaDumpSummaryTest, LostViewsAndTheirLinesAsWritten)
{
    testsupport::ScopedDir dir("summary");
    auto read = [&](const std::string& name, const std::string& text) {
        testsupport::WriteHostFile(dir.host() + "/" + name, text);
        return SchemaDumpSummary::Read(WinPathFromHost(dir.host() + "/" + name));
    };
    const std::string gate = "create view V_Gate (id) as select id from t1 where code = 'GATE'";
    const SchemaDumpSummary expected =
        read("expected.dmp", "default schema dd_x\r\n" + table("t1", 3) + "create view v1 (id) as select id from t1\r\n" +
                                 gate + "  \r\n");
    const SchemaDumpSummary found = read("found.dmp", "default schema dd_x\r\n" + table("t1", 3) +
                                                          "create view v1 (id) as select code from t1\r\n");
    EXPECT_TRUE(expected.HasViews());
    EXPECT_FALSE(found.SameView(found, "v_gate"));
    EXPECT_EQ(expected.ViewsMissingIn(found), std::vector<std::string>{"v_gate"});
    EXPECT_EQ(expected.ViewLine("V_GATE"), gate);
    EXPECT_FALSE(expected.SameView(found, "v1"));
    EXPECT_TRUE(expected.SameView(expected, "V1"));
    // The tables alone compare alike; the views are not among their faults.
    EXPECT_TRUE(expected.TablesDifferences(found, {"t1"}).empty());
}

// A row of the dump against the row the server holds after loading it, as its unload writes it:
// each value compares as its column's type reads it, so a number spelled otherwise at the
// column's scale, a date alone and its first moment, or a char text with blanks after it is the
// same value, and any other difference stays one.
TEST(SchemaDumpSummaryTest, AValueComparesAsItsColumnsTypeReadsIt)
{
    testsupport::ScopedDir dir("summary");
    auto read = [&](const std::string& name, const std::string& type, const std::string& value) {
        testsupport::WriteHostFile(dir.host() + "/" + name,
                                   "default schema dd_x\r\ncreate table t (id int, v " + type +
                                       ")\r\ninsert into t (id, v) values (?, ?)\r\n***variable*** id v \r\n1 " +
                                       value + " \r\n***RIS*** End of Table ***RIS***\r\n");
        return SchemaDumpSummary::Read(WinPathFromHost(dir.host() + "/" + name));
    };
    const struct {
        const char* type;
        const char* dump;  // as the dump spells the value
        const char* stands; // as the unload writes what the server holds
        bool same;
    } cases[] = {
        {"decimal(10,2)", "1.5", "1.50", true},
        {"decimal(10,2)", "+120.50", "120.50", true},
        {"decimal(10,2)", "-0.00", "0.00", true},
        {"decimal(10,2)", "1.505", "1.51", true}, // rounded to the scale as it is stored
        {"decimal(10,2)", "1.5", "1.60", false},
        {"decimal(10,2)", "-1.5", "1.50", false},
        {"decimal(20,12)", "98765.4321", "98765.432100000000", true},
        {"decimal(38,0)", "9999999999999990000", "9999999999999990000", true},
        {"decimal(38,0)", "12345678901234567891", "12345678901234567890", false},
        {"int", "2e2", "200", true},
        {"int", "0200", "200", true},
        {"int", "200", "201", false},
        {"smallint", "025", "25", true},
        {"double", "2.0", "2", true},
        {"double", "0.727938731738", "0.727938731738", true},
        {"double", "0.727938731738", "0.7279387317379999", false},
        {"double", "1E+25", "10000000000000000000000000", true},
        // A double or real column keeps the double nearest to what the dump writes.
        {"double", "0.12345678901234567", "0.12345678901234566", true},
        {"real", "12345678901234567.00", "12345678901234568", true},
        {"double", "0.1000000000000000055511151231257827", "0.1", true},
        {"double", "0.12345678901234567", "0.12345678901234568", false},
        {"decimal(38,17)", "0.12345678901234567", "0.12345678901234566", false},
        {"int", "", "", true},    // Null both
        {"int", "0", "", false},  // 0 is no Null
        {"timestamp", "'2024-03-01'", "'2024-03-01:00:00:00'", true},
        {"timestamp", "'2024-03-01'", "'2024-03-01'", true},
        {"timestamp", "'2024-03-01'", "'2024-03-01:00:00:01'", false},
        {"char(8)", "'ab  '", "'ab'", true},
        {"char(8)", "' ab'", "'ab'", false},
        {"char(8)", "'1.50'", "'1.5'", false}, // a text is no number
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " " + c.dump + " / " + c.stands);
        const SchemaDumpSummary dump = read("dump.dmp", c.type, c.dump);
        const SchemaDumpSummary found = read("found.dmp", c.type, c.stands);
        EXPECT_EQ(dump.RowDifferences(found, "t").empty(), c.same);
    }
}

} // namespace
