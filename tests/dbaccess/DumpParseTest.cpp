// Conversion of dump tables to text tables, and the schema and table listings of dumps.
#include "dbaccess/DumpParse.h"

#include "DumpTestFiles.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <map>
#include <gtest/gtest.h>

using namespace dumptest;
using testsupport::Raised;
namespace fs = std::filesystem;

namespace {

const std::string kEnd = "***RIS*** End of Table ***RIS***";

// A one-table variable-layout dump of table t (a int, b char(10), c char) around the rows.
std::string variableDump(const std::string& rows, const std::string& eol = "\r\n")
{
    return "create schema pd_abc password x" + eol + "create table t (a int, b char(10), c char)" + eol +
           "insert into t (a, b, c) values (?, ?, ?)" + eol + "***variable*** a b c " + eol + rows + kEnd + eol +
           "***RIS*** End of Schema ***RIS***" + eol;
}

class DumpParseFixture {
protected:
    testsupport::ScopedDir dir_{"dumpparse"};
    std::string work() const { return dir_.host() + "/work"; }
    std::string workWin() const { return Win(work()) + "\\"; }
    std::string dumpWin() const { return Win(dir_.host() + "/in.dmp"); }
    void writeDump(const std::string& bytes) const
    {
        fs::create_directories(work());
        WriteHostFile(dir_.host() + "/in.dmp", bytes);
    }
};

} // namespace

// --- rows of the variable layout ---

struct RowCase {
    const char* name;
    std::string rows;     // data rows as in the dump
    std::string expected; // the data file
    std::string eol = "\r\n";
};

class DumpParseRows : public DumpParseFixture, public ::testing::TestWithParam<std::tuple<RowCase, size_t>> {};

TEST_P(DumpParseRows, ConvertsToDelimitedText)
{
    const auto& [c, chunkSize] = GetParam();
    writeDump(variableDump(c.rows, c.eol));
    std::string text, ini;
    RISDumpParse(workWin(), dumpWin(), "PD_ABC", "T", text, ini, false, chunkSize);
    EXPECT_EQ(ReadHostFile(HostPath(text)), c.expected);
    EXPECT_EQ(ini, workWin() + "Schema.ini");
}

// The values themselves are the row converter's, tested against the row format on random rows;
// here the rows as the conversion reads them from a dump.
const RowCase kRowCases[] = {
    {"QuotesInsideValues", "12 'ab c' 'it''s' \r\n", "12\x01" "ab c\x01it's\x01\r\n"},
    {"NullsAndBlanks", "1   '   ' \r\n      \r\n", "1\x01\x01   \x01\r\n\x01\x01\x01\r\n"},
    {"KeywordsInsideValues", "1 'create table t (' 'default schema x' \r\n",
     "1\x01" "create table t (\x01" "default schema x\x01\r\n"},
    {"LfOnlyFile", "1 'a' \n2 'b b' \n", "1\x01" "a\x01\n2\x01" "b b\x01\n", "\n"},
    {"NoRows", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, DumpParseRows,
                         ::testing::Combine(::testing::ValuesIn(kRowCases),
                                            ::testing::Values(size_t{50}, size_t{64}, DumpFormat::kChunkSize)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_chunk" +
                                    std::to_string(std::get<1>(info.param));
                         });

// --- Schema.ini and layouts ---

class DumpParseTest : public DumpParseFixture, public ::testing::Test {};

TEST_F(DumpParseTest, DescribesColumnsWithTextTypesAndWidths)
{
    writeDump("default schema s\r\n"
              "create table t (a int, b char(20), f date, c char, d smallint, e double, g decimal(8,2), h real)\r\n"
              "insert into t (a, b, f, c, d, e, g, h) values (?, ?, ?, ?, ?, ?, ?, ?)\r\n"
              "***variable*** a b f c d e g h \r\n" +
              kEnd + "\r\n");
    std::string text, ini;
    RISDumpParse(workWin(), dumpWin(), "s", "t", text, ini);
    const std::string name = text.substr(text.rfind('\\') + 1);
    EXPECT_EQ(name.size(), 12u);
    EXPECT_TRUE(EndsWithNoCase(name, ".txt"));
    EXPECT_EQ(ReadHostFile(HostPath(ini)), "[" + name + "]\r\n"
                                           "ColNameHeader=False\r\n"
                                           "Format=Delimited(\x01)\r\n"
                                           "CharacterSet=ANSI\r\n"
                                           "Col1=a long server number\r\n"
                                           "Col2=b char width 21 server char\r\n"
                                           "Col3=f char width 240 server moment\r\n"
                                           "Col4=c char width 240 server char\r\n"
                                           "Col5=d short server number\r\n"
                                           "Col6=e double server double\r\n"
                                           "Col7=g double server number\r\n"
                                           "Col8=h double server double\r\n");
}

TEST_F(DumpParseTest, FixedLayoutCopiesRowsAndTakesWidthsFromTheHeader)
{
    const std::string rows = "7    abcdefg     \r\n-32768 x         \r\n";
    writeDump("create schema s x\r\ncreate table t (a smallint, b char(10))\r\ninsert into t (a, b) values (?, ?)\r\n"
              "a 1 4 b 6 15\r\n" + rows + kEnd + "\r\n");
    std::string text, ini;
    RISDumpParse(workWin(), dumpWin(), "s", "t", text, ini, false, 42);
    EXPECT_EQ(ReadHostFile(HostPath(text)), rows);
    const std::string schemaIni = ReadHostFile(HostPath(ini));
    EXPECT_NE(schemaIni.find("Format=FixedLength\r\n"), std::string::npos);
    EXPECT_NE(schemaIni.find("Col1=a short width 5 server number\r\nCol2=b char width 11 server char\r\n"),
              std::string::npos);

    RISDumpParse(workWin(), dumpWin(), "s", "t", text, ini, true);
    EXPECT_EQ(ReadHostFile(HostPath(text)), "7    abcdefg     \r\n0      x         \r\n");
}

TEST_F(DumpParseTest, MinSmallintToZeroReplacesWholeValuesOnly)
{
    // Only an unquoted value that is exactly -32768: not a longer number, not a text.
    writeDump(variableDump("-32768 'a-32768' -327689 \r\n-32768 '-32768' ' -32768 ' \r\n"));
    std::string text, ini;
    RISDumpParse(workWin(), dumpWin(), "pd_abc", "t", text, ini, true);
    EXPECT_EQ(ReadHostFile(HostPath(text)), "0\x01" "a-32768\x01" "-327689\x01\r\n"
                                            "0\x01" "-32768\x01" " -32768 \x01\r\n");

    writeDump("create schema s x\r\ncreate table t (a smallint, b char(10))\r\n"
              "a 1 6 b 8 17\r\n-32768 -32768 b   \r\n12     -32768     \r\n1      -327681    \r\n" + kEnd + "\r\n");
    RISDumpParse(workWin(), dumpWin(), "s", "t", text, ini, true);
    EXPECT_EQ(ReadHostFile(HostPath(text)),
              "0      -32768 b   \r\n12     0          \r\n1      -327681    \r\n");
}

TEST_F(DumpParseTest, FindsTheWantedSchemaAndTableAmongOthers)
{
    const std::string block2 = "create table t (a int)\r\ninsert into t (a) values (?)\r\n***variable*** a \r\n2 \r\n" +
                               kEnd + "\r\n";
    writeDump("create schema pd_abcd x\r\n"
              "create table t (a int)\r\ninsert into t (a) values (?)\r\n***variable*** a \r\n1 \r\n" + kEnd + "\r\n"
              "create table tt (a int)\r\ninsert into tt (a) values (?)\r\n***variable*** a \r\n9 \r\n" + kEnd + "\r\n"
              "default schema pd_abc\r\n"
              "create table tt (a int)\r\ninsert into tt (a) values (?)\r\n***variable*** a \r\n8 \r\n" + kEnd + "\r\n" +
              block2);
    for (size_t chunk : {size_t{40}, size_t{100}, DumpFormat::kChunkSize}) {
        std::string text, ini;
        RISDumpParse(workWin(), dumpWin(), "pd_abc", "t", text, ini, false, chunk);
        EXPECT_EQ(ReadHostFile(HostPath(text)), "2\x01\r\n") << chunk;
    }
}

TEST_F(DumpParseTest, ResultDoesNotDependOnWhereChunksEnd)
{
    // Rows of other tables that look like layout lines, header lines and markers, and a fixed
    // table between two variable ones: each table's own layout line decides.
    writeDump("create schema s x\r\n"
              "create table t0 (a int, b char(20))\r\ninsert into t0 (a, b) values (?, ?)\r\n***variable*** a b \r\n"
              "1 'a 1 4 b 6 10' \r\n2 '***variable*** a b ' \r\n3 '" + kEnd + "' \r\n" + kEnd + "\r\n"
              "create table t (a int, b char(5))\r\ninsert into t (a, b) values (?, ?)\r\na 1 4 b 6 10\r\n"
              "1    x     \r\n2    a 1   \r\n" + kEnd + "\r\n"
              "create table v (a int, b char(40))\r\ninsert into v (a, b) values (?, ?)\r\n***variable*** a b \r\n"
              "7 'a 1 4 b 6 10' \r\n8 'create table t (a int)' \r\n" + kEnd + "\r\n"
              "***RIS*** End of Schema ***RIS***\r\n");
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        {"t0", {"1\x01" "a 1 4 b 6 10\x01\r\n2\x01***variable*** a b \x01\r\n3\x01" + kEnd + "\x01\r\n",
                "Format=Delimited(\x01)"}},
        {"t", {"1    x     \r\n2    a 1   \r\n", "Format=FixedLength"}},
        {"v", {"7\x01" "a 1 4 b 6 10\x01\r\n8\x01" "create table t (a int)\x01\r\n", "Format=Delimited(\x01)"}},
    };
    for (size_t chunk = 1; chunk <= 160; ++chunk) {
        for (const auto& [table, want] : expected) {
            std::string text, ini;
            RISDumpParse(workWin(), dumpWin(), "s", table, text, ini, false, chunk);
            EXPECT_EQ(ReadHostFile(HostPath(text)), want.first) << table << " chunk " << chunk;
            EXPECT_NE(ReadHostFile(HostPath(ini)).find(want.second), std::string::npos) << table << " chunk " << chunk;
            fs::remove(HostPath(text));
        }
    }
}

// --- failures ---

struct FailCase {
    const char* name;
    std::string dump;
    std::string schema;
    std::string table;
    std::string error; // "%DUMP%" stands for the dump's path
    long number = 1;
    bool iniBefore = false; // a Schema.ini of an earlier call stands in the work directory
};

class DumpParseFailure : public DumpParseFixture, public ::testing::TestWithParam<std::tuple<FailCase, size_t>> {};

TEST_P(DumpParseFailure, RaisesAndLeavesNoFiles)
{
    const auto& [c, chunkSize] = GetParam();
    writeDump(c.dump);
    if (c.iniBefore)
        WriteHostFile(work() + "/Schema.ini", "old");
    std::string text = "x", ini = "y";
    const AppError e = Raised([&] { RISDumpParse(workWin(), dumpWin(), c.schema, c.table, text, ini, false, chunkSize); });
    EXPECT_EQ(e.description(), ReplaceAll(c.error, "%DUMP%", dumpWin()));
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.source(), "CRIS::RISDumpParse");
    EXPECT_EQ(text, "");
    EXPECT_EQ(ini, "");
    EXPECT_EQ(testsupport::FilesIn(work()), c.iniBefore ? std::vector<std::string>{"Schema.ini"} : std::vector<std::string>{});
}

const std::string kHead = "default schema s\r\ncreate table t (a int, b char(2))\r\ninsert into t (a, b) values (?, ?)\r\n";

const FailCase kFailCases[] = {
    {"BlankSchema", variableDump(""), "  ", "t", "Schema name not defined"},
    {"BlankTable", variableDump(""), "pd_abc", "", "Table name not defined"},
    {"SchemaMissing", variableDump(""), "pd_x", "t", "Schema 'pd_x' not found in dump file '%DUMP%'"},
    {"TableMissing", variableDump(""), "pd_abc", "t2", "Table 't2' (schema 'pd_abc') not found in dump file '%DUMP%'"},
    {"TableOnlyInASecondSchemaSection",
     "create schema s1 x\r\ncreate table u (a int)\r\n" + kEnd + "\r\ncreate schema s2 x\r\n" + kHead +
         "***variable*** a b \r\n" + kEnd + "\r\n",
     "s1", "t", "Table 't' (schema 's1') not found in dump file '%DUMP%'"},
    {"MissingEndOfTable", kHead + "***variable*** a b \r\n1 'x' \r\n2 'y' \r\n3 'z' \r\n", "s", "t",
     "Incorrect RIS dump file: table 't' (from line 2) ends without its end-of-table line at line 7"},
    {"MissingEndOfTableKeepsOlderSchemaIni", kHead + "***variable*** a b \r\n1 'x' \r\n", "s", "t",
     "Incorrect RIS dump file: table 't' (from line 2) ends without its end-of-table line at line 5", 1, true},
    {"VariableHeaderWithoutFirstColumn", kHead + "***variable*** x b \r\n1 'x' \r\n" + kEnd + "\r\n", "s", "t",
     "Incorrect RIS dump file: '***RIS*** End of Table ***RIS***' not found"},
    {"CreateTableWithoutClosingParenthesis", "default schema s\r\ncreate table t (a int\r\n", "s", "t",
     "Incorrect RIS dump file format"},
    {"NoColumns", "default schema s\r\ncreate table t ()\r\n" + kEnd + "\r\n", "s", "t",
     "No columns in table: 't' found"},
    {"FixedWithoutHeader", kHead + "1  x \r\n" + kEnd + "\r\n", "s", "t", "Columns width of table: 't' not defined"},
    {"FixedTooFewHeaderWords", kHead + "a 1 4 b 6\r\n" + kEnd + "\r\n", "s", "t", "Width of column: 'b' not found"},
    {"FixedWidthNotANumber", kHead + "a 1 x b 6 7\r\n" + kEnd + "\r\n", "s", "t",
     "Width ('1', 'x') for column: 'a' not correct"},
    {"ColumnWithoutType",
     "default schema s\r\ncreate table t (a, b int)\r\n***variable*** a b \r\n" + kEnd + "\r\n", "s", "t",
     "Type of column: 'a' not found"},
    {"CharLengthNotANumber",
     "default schema s\r\ncreate table t (a char(1x))\r\n***variable*** a \r\n" + kEnd + "\r\n", "s", "t",
     "Type mismatch", 13},
};

INSTANTIATE_TEST_SUITE_P(Cases, DumpParseFailure,
                         ::testing::Combine(::testing::ValuesIn(kFailCases),
                                            ::testing::Values(size_t{60}, DumpFormat::kChunkSize)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_chunk" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(DumpParseTest, MissingDumpFile)
{
    fs::create_directories(work());
    std::string text, ini;
    EXPECT_EQ(Raised([&] { RISDumpParse(workWin(), dumpWin(), "s", "t", text, ini); }).description(),
              "RIS dump file '" + dumpWin() + "' not found");
}

// --- listings ---

struct ListCase {
    const char* name;
    std::string dump;
    std::vector<std::string> schemas;
    std::vector<std::string> tables;
};

class DumpListing : public DumpParseFixture, public ::testing::TestWithParam<std::tuple<ListCase, size_t>> {};

TEST_P(DumpListing, ListsSchemasAndTables)
{
    const auto& [c, chunkSize] = GetParam();
    writeDump(c.dump);
    EXPECT_EQ(RISDumpGetSchemas(dumpWin(), chunkSize), c.schemas);
    EXPECT_EQ(RISDumpGetTables(dumpWin(), chunkSize), c.tables);
}

const ListCase kListCases[] = {
    {"UnloadClientSchemaLine", variableDump("1 'a' 'b' \r\n"), {"pd_abc"}, {"pd_abc|t"}},
    {"RewrittenPaddedLine", "default schema dd_x      \r\ncreate table a (x int)\r\ncreate table b (y int)\r\n",
     {"dd_x"}, {"dd_x|a", "dd_x|b"}},
    {"TwoSchemaSections",
     "create schema s1 x\r\ncreate table a (x int)\r\n" + kEnd + "\r\ndefault schema s2\r\ncreate table b (y int)\r\n",
     {"s1", "s2"}, {"s1|a", "s1|b"}},
    {"SchemaWithoutTables", "default schema s\r\n***RIS*** End of Schema ***RIS***\r\n", {"s"}, {}},
    {"KeywordsInDataRowsDoNotCount",
     variableDump("1 'x' 'y' \r\ncreate table zz (a int)\r\ndefault schema qq\r\n***RIS*** End of Schema ***RIS***\r\n"
                  "2 'create schema rr' 'z' \r\n"),
     {"pd_abc"}, {"pd_abc|t"}},
    {"DefinitionsOnly", "create schema s x\r\ncreate table a (x int)\r\ncreate table b (y int)\r\n", {"s"},
     {"s|a", "s|b"}},
    {"LfOnly", "create schema s x\ncreate table a (x int)\n", {"s"}, {"s|a"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, DumpListing,
                         ::testing::Combine(::testing::ValuesIn(kListCases),
                                            ::testing::Values(size_t{50}, DumpFormat::kChunkSize)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_chunk" +
                                    std::to_string(std::get<1>(info.param));
                         });

TEST_F(DumpParseTest, ListingWithoutSchemaLineOrWithoutFile)
{
    writeDump("create table a (x int)\r\n");
    EXPECT_TRUE(RISDumpGetSchemas(dumpWin()).empty());
    AppError e = Raised([&] { RISDumpGetTables(dumpWin()); });
    EXPECT_EQ(e.description(), "Schema name not found in dump file: '" + dumpWin() + "'");
    EXPECT_EQ(e.source(), "CRIS::RISDumpGetTables");

    const std::string missing = Win(dir_.host() + "/none.dmp");
    e = Raised([&] { RISDumpGetSchemas(missing); });
    EXPECT_EQ(e.description(), "RIS dump file: '" + missing + "' not found");
    EXPECT_EQ(e.source(), "CRIS::RISDumpGetSchemas");
    EXPECT_EQ(Raised([&] { RISDumpGetTables(missing); }).description(), "RIS dump file '" + missing + "' not found");
}
