// The DDL file reader over the cases of its format, and the column definition helpers.
#include "dbtools/DdlFile.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

struct DdlCase {
    const char* name;
    const char* content;
    // Columns joined by ";", or the raised description with $P for the file's path.
    const char* expected;
    bool fails = false;
};

const DdlCase kCases[] = {
    {"PlainTable", "table number = 12, number of columns = 2\n1, id, integer\n2, name, char(20)\n",
     "12|id integer;12|name char(20)"},
    {"CrLfAndBlanksAroundTheWholeText", "  \r\ntable number = 5, number of columns = 1\r\n1 , a , int \r\n\r\n  ",
     "5|a int"},
    {"CommentsAnywhereInALineAreIgnored",
     "# head\ntable number = 7, number of columns = 1 # note\ntable number = 8, number of columns = 1\n1, x, int # c\n1, y, int\n",
     "8|y int"},
    {"HeaderInAnyCaseWithExtraWords",
     "TABLE Number of the table = 3 , The NUMBER OF all COLUMNS = 1\n1, a, smallint\n", "3|a smallint"},
    {"ColumnLinesBeforeTheFirstHeaderAreIgnored", "1, lost, int\ntable number = 4, number of columns = 1\n1, b, int\n",
     "4|b int"},
    {"FourthFieldDropped", "table number = 4, number of columns = 1\n1, b, char(3), remark\n", "4|b char(3)"},
    {"TabInsideANameJoinsIt", "table number = 4, number of columns = 1\n1, na\tme, int\n", "4|name int"},
    {"ColumnNumbers01And1.0MatchTheirPlace", "table number = 4, number of columns = 2\n01, a, int\n2.0, b, int\n",
     "4|a int;4|b int"},
    {"LastTableShorterThanItsHeaderIsAccepted", "table number = 4, number of columns = 3\n1, a, int\n", "4|a int"},
    {"CrAloneMakesOneLine", "table number = 4, number of columns = 1\r1, a, int\r",
     "Could not read table number or it is wrong. Error in file: '$P', Row number: 1", true},
    {"TwoFieldsAreWrong", "table number = 4, number of columns = 1\n\n1, a\n",
     "Column definition is wrong. Error in file: '$P', Row number: 3", true},
    {"EmptyName", "table number = 4, number of columns = 1\n1, , int\n",
     "Column name could not be empty. Error in file: '$P', Row number: 2", true},
    {"EmptyType", "table number = 4, number of columns = 1\n1, a,  \n",
     "Column type could not be empty. Error in file: '$P', Row number: 2", true},
    {"FirstColumnNumbered2", "table number = 4, number of columns = 1\n2, a , int\n",
     "Column: ' a ' has wrong number: 2. Must be: 1. Error in file: '$P', Row number: 2", true},
    {"ShortTableFollowedByAHeader",
     "table number = 4, number of columns = 3\n1, a, int\ntable number = 5, number of columns = 1\n1, b, int\n",
     "Table: '4': the count of columns read (1) is not the same with the count of defined columns (3). Error in "
     "file: '$P'",
     true},
    {"TwoHeadersInARow", "table number = 4, number of columns = 2\ntable number = 5, number of columns = 1\n",
     "Table: '4': the count of columns read (0) is not the same with the count of defined columns (2). Error in "
     "file: '$P'",
     true},
    {"HeaderWithAnExtraComma", "table number = 4, x, number of columns = 1\n",
     "Could not read table number or it is wrong. Error in file: '$P', Row number: 1", true},
    {"ColumnCountZero", "\ntable number = 4, number of columns = 0\n",
     "Could not read number of columns or it is wrong. Error in file: '$P', Row number: 2", true},
    {"EmptyFile", "", "Database definition data in file: '$P' not found. Wrong DDL-File", true},
    {"EndsWithAHeader", "table number = 4, number of columns = 1\n1, a, int\ntable number = 5, number of columns = 1\n",
     "Database definition data in file: '$P' not found. Wrong DDL-File", true},
    {"ColumnNumberNotANumber", "table number = 4, number of columns = 1\nx, a, int\n", "Type mismatch", true},
};

void PrintTo(const DdlCase& c, std::ostream* os) { *os << c.name; }

class DdlFileTest : public ::testing::TestWithParam<DdlCase> {
protected:
    testsupport::ScopedDir dir_{"ddl"};
};

// The description filled in: the template with each "%i%" replaced by its argument as given.
std::string filled(const std::string& description)
{
    const std::vector<std::string> parts = Split(description, "|||");
    std::string text = parts[0];
    for (size_t i = 1; i < parts.size(); ++i)
        text = ReplaceAll(text, "%" + std::to_string(i - 1) + "%", parts[i]);
    return text;
}

TEST_P(DdlFileTest, ReadsOrRefuses)
{
    const DdlCase& c = GetParam();
    const std::string host = dir_.host() + "/design.ddl";
    testsupport::WriteHostFile(host, c.content);
    const std::string path = WinPathFromHost(host);
    if (!c.fails) {
        EXPECT_EQ(Join(ReadDDLFile(path), ";"), c.expected);
        return;
    }
    EXPECT_EQ(filled(testsupport::Raised([&] { ReadDDLFile(path); }).description()), ReplaceAll(c.expected, "$P", path));
}

INSTANTIATE_TEST_SUITE_P(Format, DdlFileTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return ReplaceAll(info.param.name, ".", ""); });

// The older reader, which no operation uses, where it differs: lines end at CR, plain messages,
// 16-bit counts, one header is enough.
const DdlCase kOlderCases[] = {
    {"CrAloneEndsALine", "table number = 4, number of columns = 1\r1, na\tme, int\r", "4|name int"},
    {"LfAloneMakesOneLine", "table number = 4, number of columns = 1\n1, a, int\n",
     "Could not read table number or it is wrong.\r\nError in file: '$P'\r\nRow number: 1", true},
    {"ShortTableFollowedByAHeader",
     "table number = 4, number of columns = 3\r\n1, a, int\r\ntable number = 5, number of columns = 1\r\n",
     "Count of readed columns (1) does not much number of columns (3)\r\nError in file: '$P'", true},
    {"FirstColumnNumbered2", "table number = 4, number of columns = 1\r\n\r\n2, a , int\r\n",
     "Column: ' a ' has wrong number: 2. Must be: 1\r\nError in file: '$P'\r\nRow number: 3", true},
    {"EndsWithAHeaderIsAccepted", "table number = 4, number of columns = 1\r\n1, a, int\r\ntable number = 5, number of columns = 1",
     "4|a int"},
    {"CommentsOnly", "# a\r\n\r\n", "Database definition data in file: '$P' not found. Possible wrong DDL-File", true},
    {"ColumnCountBeyond16Bits", "table number = 4, number of columns = 40000\r\n", "Overflow", true},
};

class ParseDDLFileTest : public DdlFileTest {};

TEST_P(ParseDDLFileTest, ReadsOrRefusesInPlainText)
{
    const DdlCase& c = GetParam();
    const std::string host = dir_.host() + "/design.ddl";
    testsupport::WriteHostFile(host, c.content);
    const std::string path = WinPathFromHost(host);
    if (!c.fails) {
        EXPECT_EQ(Join(ParseDDLFile(path), ";"), c.expected);
        return;
    }
    const AppError e = testsupport::Raised([&] { ParseDDLFile(path); });
    EXPECT_EQ(e.description(), ReplaceAll(c.expected, "$P", path));
    EXPECT_EQ(e.source().rfind("ParseDDLFile", 0), 0u) << e.source();
}

INSTANTIATE_TEST_SUITE_P(Format, ParseDDLFileTest, ::testing::ValuesIn(kOlderCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DdlFileMissingTest, AMissingFileIsNamed)
{
    const AppError e = testsupport::Raised([&] { ReadDDLFile("C:\\nowhere\\eqp.ddl"); });
    EXPECT_EQ(e.description(), "DDL-File 'C:\\nowhere\\eqp.ddl' not exist");
    EXPECT_EQ(e.number(), 1);
    const AppError older = testsupport::Raised([] { ParseDDLFile("C:\\nowhere\\eqp.ddl"); });
    EXPECT_EQ(older.description(), "DDL-File: 'C:\\nowhere\\eqp.ddl' not found");
    EXPECT_EQ(older.number(), 1);
}

TEST(DdlFieldTest, NameIsTheTextBeforeTheFirstBlank)
{
    EXPECT_EQ(GetFieldName("  line_id  char(20)"), "line_id");
    EXPECT_EQ(GetFieldName("lonely"), "");
}

TEST(DdlFieldTest, SizeFromTheLastParenthesesAndTheCharacterFlag)
{
    struct {
        const char* definition;
        int size;
        bool character;
    } cases[] = {{"a char(20)", 20, true},  {"a CHARACTER(7)", 7, true}, {"a int", 0, false},
                 {"a char()", 0, true},     {"a char(x)", 0, true},      {"a decimal(8)", 8, false},
                 {"achar(5)", 5, false},    {"a varchar(2.5)", 2, true}};
    for (const auto& c : cases) {
        bool flag = false;
        EXPECT_EQ(GetFieldSize(c.definition, flag), c.size) << c.definition;
        EXPECT_EQ(flag, c.character) << c.definition;
    }
    bool kept = true;
    GetFieldSize("a int", kept);
    EXPECT_TRUE(kept);
    bool flag = false;
    EXPECT_THROW(GetFieldSize("a char(99999999999)", flag), AppError);
}

} // namespace
