// Writing a dump with DumpWriter and reading it back with DumpReader, in both layouts and across
// chunk borders. The variable layout's exact lines are checked through the dump writer of Access
// tables.
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpWriter.h"

#include "DumpTestFiles.h"
#include "platform/AppError.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace dumptest;
using testsupport::Raised;

namespace {

const std::vector<DumpColumn> kColumns = {{"id", "int"}, {"name", "char(20)"}, {"weight", "double"}, {"note", "char"}};

std::vector<DumpRow> sampleRows()
{
    return {
        {std::string("1"), std::string("plain"), std::string("2.5"), std::string("it's")},
        {std::string("2"), std::string("   "), std::nullopt, std::string("")},
        {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {std::string("4"), std::string("'"), std::string("-32768"), std::nullopt},
        {std::string("5"), std::string("a b  c"), std::string("1e3"), std::string("say \"hi\"")},
    };
}

struct ReadBack {
    std::vector<DumpItemKind> kinds;
    std::vector<DumpRow> rows;
    std::string schema;
    std::string table;
    std::vector<DumpColumn> columns;
};

ReadBack readAll(const std::string& path, size_t chunkSize)
{
    ReadBack r;
    DumpReader reader(path, chunkSize);
    DumpItem item;
    while (reader.Next(item)) {
        r.kinds.push_back(item.kind);
        if (item.kind == DumpItemKind::SchemaLine)
            r.schema = item.schemaName;
        if (item.kind == DumpItemKind::CreateTable) {
            r.table = item.table;
            r.columns = item.columns;
        }
        if (item.kind == DumpItemKind::Row)
            r.rows.push_back(item.values);
    }
    return r;
}

} // namespace

class DumpRoundTrip : public ::testing::TestWithParam<std::tuple<DumpLayout, size_t>> {
protected:
    testsupport::ScopedDir dir_{"dumprt"};
};

TEST_P(DumpRoundTrip, RowsComeBackAsWritten)
{
    const auto [layout, chunkSize] = GetParam();
    const std::string path = Win(dir_.host() + "/t.dmp");
    {
        DumpWriter w(path);
        w.WriteCreateSchemaLine("pd_abc", " password x");
        w.BeginTable("pdtable_113", kColumns, layout);
        for (const DumpRow& row : sampleRows())
            w.WriteRow(row);
        w.EndTable();
        w.WriteIndexLine("pdtable_113", "id");
        w.WriteGrantLine("pdtable_113");
        w.Finish();
    }
    const ReadBack r = readAll(path, chunkSize);
    EXPECT_EQ(r.schema, "pd_abc");
    EXPECT_EQ(r.table, "pdtable_113");
    ASSERT_EQ(r.columns.size(), kColumns.size());
    EXPECT_EQ(r.columns[1].type, "char(20)");
    std::vector<DumpRow> expected = sampleRows();
    if (layout == DumpLayout::Fixed) {
        // The fixed layout cannot tell blanks from NULL, nor keep trailing blanks.
        expected[1][1] = std::nullopt;
        expected[1][3] = std::nullopt;
    }
    EXPECT_EQ(r.rows, expected);
    const std::vector<DumpItemKind> kinds = {
        DumpItemKind::SchemaLine, DumpItemKind::CreateTable, DumpItemKind::InsertLine, DumpItemKind::LayoutLine,
        DumpItemKind::Row,        DumpItemKind::Row,         DumpItemKind::Row,        DumpItemKind::Row,
        DumpItemKind::Row,        DumpItemKind::EndOfTable,  DumpItemKind::IndexLine,  DumpItemKind::GrantLine,
        DumpItemKind::EndOfSchema};
    EXPECT_EQ(r.kinds, kinds);
}

INSTANTIATE_TEST_SUITE_P(LayoutsAndChunks, DumpRoundTrip,
                         ::testing::Combine(::testing::Values(DumpLayout::Variable, DumpLayout::Fixed),
                                            ::testing::Values(size_t{7}, size_t{64}, DumpFormat::kChunkSize)));

TEST(DumpWriterTest, FixedLayoutPlacesEachValueAtItsPositions)
{
    testsupport::ScopedDir dir("dumpf");
    const std::string path = Win(dir.host() + "/f.dmp");
    {
        DumpWriter w(path);
        w.WriteDefaultSchemaLine("s");
        w.BeginTable("t", {{"a", "smallint"}, {"b", "char(4)"}}, DumpLayout::Fixed);
        w.WriteRow({std::string("7"), std::string("abcd")});
        EXPECT_THROW(w.WriteRow({std::string("7"), std::string("abcde")}), AppError);
        w.EndTable();
        w.Finish();
    }
    EXPECT_EQ(ReadHostFile(dir.host() + "/f.dmp"),
              "default schema s\r\n"
              "create table t (a smallint, b char(4))\r\n"
              "insert into t (a, b) values (?, ?)\r\n"
              "a 1 6 b 8 11\r\n"
              "7      abcd \r\n"
              "***RIS*** End of Table ***RIS***\r\n"
              "***RIS*** End of Schema ***RIS***\r\n");
}

// A row the writer takes reads back as written; one that would not is refused by name and
// leaves nothing of itself in the dump, whose other rows still read.
TEST(DumpWriterTest, WritesOnlyRowsThatReadBackAndNamesTheValueItRefuses)
{
    const std::string end(DumpFormat::kEndOfTable);
    const std::vector<DumpColumn> twoColumns = {{"s", "smallint"}, {"c", "char(40)"}}, c9 = {{"c", "char(9)"}};
    const std::vector<DumpColumn> numbers = {{"a", "int"}, {"b", "int"}, {"c", "int"}, {"d", "int"}, {"e", "int"}};
    const DumpValue no;
    const DumpLayout F = DumpLayout::Fixed, V = DumpLayout::Variable;
    const struct {
        DumpLayout layout;
        std::vector<DumpColumn> columns;
        DumpRow row;
        std::string refusal; // after "Table 't', column "; empty: written and read back
    } cases[] = {
        {F, {{"c", "char(40)"}}, {end}, "'c', row 2: the row would read as an end line"},
        {F, twoColumns, {no, end}, "'c', row 2: the row would read as an end line"},
        {F, twoColumns, {no, "***ris*** end of schema ***ris***"}, "'c', row 2: the row"},
        {F, twoColumns, {"7", end}, ""},
        {V, twoColumns, {no, end}, ""},
        {V, numbers, {"***RIS***", "End", "of", "Table", "***RIS***"}, "'a', row 2: the row would read as an end line"},
        {V, {{"d", "double"}}, {"inf"}, "'d', row 2: the value 'inf' is not a finite number"},
        {V, {{"d", "real"}}, {"1e400"}, "'d', row 2: the value '1e400' is not a finite"},
        {V, {{"d", "double"}}, {"1e-400"}, ""},
        {V, numbers, {"1", "2 3", no, no, no}, "'b', row 2: the value '2 3' of a number"},
        {V, c9, {std::string("a\0b", 3)}, "'c', row 2: the value holds a NUL"},
        // A carriage return and the character with code 1 are bytes like others; a line feed ends a row.
        {V, c9, {"a\x01" "b"}, ""},
        {F, c9, {"a\x01" "b"}, ""},
        {F, c9, {"\x01\r" "b"}, ""},
        {V, twoColumns, {"1", "\r"}, ""},
        {F, c9, {"ab\r"}, ""},
        {V, c9, {"a\nb"}, "'c', row 2: the value holds a line break"},
        {F, c9, {"a\r\nb"}, "'c', row 2: the value holds a line break"},
    };
    testsupport::ScopedDir dir("dumpw");
    const std::string path = Win(dir.host() + "/w.dmp");
    for (const auto& c : cases) {
        SCOPED_TRACE(DumpFormat::CreateTableLine("t", c.columns) + " row " + testing::PrintToString(c.row));
        const DumpRow good(c.columns.size(), DumpValue("1"));
        std::string refusal;
        {
            DumpWriter w(path);
            w.WriteDefaultSchemaLine("s");
            w.BeginTable("t", c.columns, c.layout);
            w.WriteRow(good);
            try {
                w.WriteRow(c.row);
            } catch (const AppError& e) {
                refusal = e.description();
            }
            w.WriteRow(good);
            w.EndTable();
            w.Finish();
        }
        EXPECT_TRUE(c.refusal.empty() ? refusal.empty() : refusal.rfind("Table 't', column " + c.refusal, 0) == 0)
            << refusal;
        EXPECT_EQ(readAll(path, DumpFormat::kChunkSize).rows,
                  (c.refusal.empty() ? std::vector<DumpRow>{good, c.row, good} : std::vector<DumpRow>{good, good}));
    }
}

TEST(DumpReaderTest, ReadsLfOnlyFilesAndPassesOtherLinesThrough)
{
    testsupport::ScopedDir dir("dumplf");
    WriteHostFile(dir.host() + "/lf.dmp", "default schema s   \n"
                                          "create table t (a int, b char(2))\n"
                                          "insert into t (a, b) values (?, ?)\n"
                                          "***variable*** a b \n"
                                          "1 'x' \n"
                                          "***RIS*** End of Table ***RIS***\n"
                                          "create view v as select a from t\n"
                                          "***RIS*** End of Schema ***RIS***");
    const ReadBack r = readAll(Win(dir.host() + "/lf.dmp"), 16);
    EXPECT_EQ(r.schema, "s");
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0], (DumpRow{std::string("1"), std::string("x")}));
    EXPECT_EQ(r.kinds[6], DumpItemKind::OtherLine);
    EXPECT_EQ(r.kinds.back(), DumpItemKind::EndOfSchema);
}

TEST(DumpReaderTest, FixedRowsThatReadLikeKeywordsStayRowsAndDefinitionsNeedNoRows)
{
    testsupport::ScopedDir dir("dumpkeywords");
    WriteHostFile(dir.host() + "/k.dmp", "create schema s x\r\n"
                                         "create table d (a int)\r\n"
                                         "create table t (b char(34))\r\n"
                                         "b 1 34\r\n"
                                         "create table u (a int)             \r\n"
                                         "default schema q                   \r\n"
                                         "x   ***RIS*** End of Schema ***RIS***\r\n"
                                         "***RIS*** End of Table ***RIS***\r\n"
                                         "***RIS*** End of Schema ***RIS***\r\n");
    const ReadBack r = readAll(Win(dir.host() + "/k.dmp"), 20);
    using K = DumpItemKind;
    EXPECT_EQ(r.kinds, (std::vector<K>{K::SchemaLine, K::CreateTable, K::CreateTable, K::LayoutLine, K::Row, K::Row,
                                       K::Row, K::EndOfTable, K::EndOfSchema}));
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0], DumpRow{std::string("create table u (a int)")});
}

TEST(DumpReaderTest, FormatErrorsNameTheLineAndAMissingFileIsNotFound)
{
    testsupport::ScopedDir dir("dumpbad");
    WriteHostFile(dir.host() + "/b.dmp", "default schema s\r\ncreate table t a int\r\n");
    DumpReader reader(Win(dir.host() + "/b.dmp"));
    DumpItem item;
    ASSERT_TRUE(reader.Next(item));
    EXPECT_EQ(Raised([&] { reader.Next(item); }).description(),
              "Incorrect RIS dump file format (line 2): the create-table line of table 't' holds no column list "
              "after \"t (\"");
    const AppError e = Raised([] { DumpReader("C:\\nowhere\\x.dmp"); });
    EXPECT_EQ(e.number(), 53);
    EXPECT_EQ(e.description(), "File 'C:\\nowhere\\x.dmp' not found");
}
