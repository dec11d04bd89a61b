// The text-file driver: text tables described by "Schema.ini" queried with the engine's
// spellings (their translation is tested on its own), their field types and sizes, and imports
// into Access databases.
#include "platform/ado/TextDriverConnection.h"

#include "platform/AppError.h"
#include "support/Raised.h"
#include "platform/WinPath.h"
#include "platform/ado/AccessConnection.h"
#include "platform/ado/Connection.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using testsupport::Raised;

const std::string kDir = "C:\\work\\tw";
const std::string kDriver = "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=C:\\work\\tw\\;";

void WriteFile(const std::string& winPath, const std::string& text)
{
    std::ofstream out(HostPath(winPath), std::ios::binary | std::ios::trunc);
    out << text;
}

// What the dump conversion writes for a table in the variable layout: values separated by the
// character with code 1, each row ending with one, and the section describing it.
class TextDriverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(StandInRoot() + "/drives/c/work/tw");
        const std::string d = "\x01";
        WriteFile(kDir + "\\T1.txt",
                  "1" + d + "A100" + d + "3" + d + "2.5" + d + "2024-01-05" + d + "\r\n" +
                  "2" + d + "a200" + d + "4" + d + "" + d + "2024-02-10" + d + "\r\n" +
                  "3" + d + "B 100" + d + "3" + d + "-1.25" + d + "" + d + "\r\n" +
                  "4" + d + "it's \"x\"" + d + "" + d + "7" + d + "2023-12-31" + d + "\n");
        // Numbers of more digits than a double holds: the first two have one nearest double.
        WriteFile(kDir + "\\W.txt",
                  "W1" + d + "12345678901234567891" + d + "1234567890123456.78" + d + "\r\n" +
                  "W2" + d + "12345678901234567168" + d + "12.5" + d + "\r\n" +
                  "W3" + d + "99999999999999999999999999999999999999" + d + "-1234567890123456.78" + d + "\r\n" +
                  "W4" + d + "5" + d + "" + d + "\r\n");
        // The server's values, as the dump conversion describes them: a text of blanks beside NULL,
        // moments, doubles; and a text column of the driver's own reading.
        WriteFile(kDir + "\\S.txt",
                  "S1" + d + "  " + d + "2024-03-01:00:00:00" + d + "0.727938731738" + d + "x  " + d + "\r\n" +
                  "S2" + d + "" + d + "2024-03-01:08:00:00" + d + "0.12345678901234566" + d + "" + d + "\r\n" +
                  "S3" + d + "x  " + d + "2024-03-02:00:00:00" + d + "2.5" + d + "x" + d + "\r\n");
        WriteFile(kDir + "\\Schema.ini",
                  "[T1.txt]\r\nColNameHeader=False\r\nFormat=Delimited(" + d + ")\r\nCharacterSet=ANSI\r\n"
                  "Col1=model_index_no long\r\nCol2=model_no char width 21\r\nCol3=partition_no short\r\n"
                  "Col4=weight double\r\nCol5=created char width 240\r\n"
                  "[W.txt]\r\nColNameHeader=False\r\nFormat=Delimited(" + d + ")\r\nCharacterSet=ANSI\r\n"
                  "Col1=model_no char width 3\r\nCol2=big double\r\nCol3=amt double\r\n"
                  "[S.txt]\r\nColNameHeader=False\r\nFormat=Delimited(" + d + ")\r\nCharacterSet=ANSI\r\n"
                  "Col1=model_no char width 3 server char\r\nCol2=c char width 9 server char\r\n"
                  "Col3=dt char width 240 server moment\r\nCol4=d double server double\r\nCol5=j char width 9\r\n");
    }
    void TearDown() override { std::filesystem::remove_all(StandInRoot() + "/drives/c/work"); }

    Recordset Query(const std::string& sql)
    {
        Connection conn;
        conn.Open(kDriver);
        Recordset rs;
        rs.SetCursorLocation(adUseClient);
        rs.Open(sql, conn, adOpenStatic, adLockOptimistic, adCmdText);
        conn.Close();
        return rs;
    }

    std::vector<std::string> Column(Recordset& rs, const std::string& field)
    {
        std::vector<std::string> out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
            const Variant v = rs.Fields()[field].Value();
            out.push_back(v.IsNull() ? "<null>" : v.ToText());
        }
        return out;
    }
};

TEST_F(TextDriverTest, FieldsHaveTheTypesAndSizesOfTheSection)
{
    Recordset rs = Query("SELECT * FROM C:\\work\\tw\\T1.txt AS [pdtable_113];");
    ASSERT_EQ(rs.State(), adStateOpen);
    ASSERT_EQ(rs.Fields().Count(), 5);
    struct Expected {
        const char* name;
        int type;
        long size;
    };
    const Expected expected[] = {{"model_index_no", adInteger, 4}, {"model_no", adVarChar, 21},
                                 {"partition_no", adSmallInt, 2}, {"weight", adDouble, 8},
                                 {"created", adVarChar, 240}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(rs.Fields()[i].Name(), expected[i].name);
        EXPECT_EQ(rs.Fields()[i].Type(), expected[i].type) << expected[i].name;
        EXPECT_EQ(rs.Fields()[i].DefinedSize(), expected[i].size) << expected[i].name;
    }
    EXPECT_EQ(rs.RecordCount(), 4);
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    EXPECT_EQ(Column(rs, "model_no"), (std::vector<std::string>{"A100", "a200", "B 100", "it's \"x\""}));
    EXPECT_EQ(Column(rs, "weight"), (std::vector<std::string>{"2.5", "<null>", "-1.25", "7"}));
    EXPECT_EQ(Column(rs, "partition_no"), (std::vector<std::string>{"3", "4", "3", "<null>"}));
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields()["model_index_no"].Value(), Variant(1LL));
}

struct QueryCase {
    const char* name;
    const char* sql;
    std::vector<std::string> modelNos;
};

class TextDriverQueryTest : public TextDriverTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(TextDriverQueryTest, SelectsTheRows)
{
    Recordset rs = Query(GetParam().sql);
    EXPECT_EQ(Column(rs, "model_no"), GetParam().modelNos);
}

INSTANTIATE_TEST_SUITE_P(
    JetSpellings, TextDriverQueryTest,
    ::testing::Values(
        QueryCase{"Where", "SELECT model_no FROM C:\\work\\tw\\T1.txt AS [t] WHERE partition_no=3;", {"A100", "B 100"}},
        QueryCase{"Lcase", "SELECT LCASE(model_no) AS model_no FROM C:\\work\\tw\\T1.txt AS [t] WHERE model_index_no = 1",
                  {"a100"}},
        QueryCase{"DateLiteral", "SELECT model_no FROM C:\\work\\tw\\T1.txt AS [t] WHERE created = #01/05/2024#", {"A100"}},
        QueryCase{"DateRange", "SELECT model_no FROM C:\\work\\tw\\T1.txt AS [t] WHERE created >= #2024-01-01# ORDER BY model_index_no DESC",
                  {"a200", "A100"}},
        QueryCase{"QuoteInValue", "SELECT model_no FROM C:\\work\\tw\\T1.txt AS [t] WHERE model_no LIKE 'it''s*'",
                  {"it's \"x\""}},
        QueryCase{"IsNull", "SELECT model_no FROM C:\\work\\tw\\T1.txt AS [t] WHERE partition_no IS NULL", {"it's \"x\""}},
        QueryCase{"NameInFolder", "SELECT model_no FROM T1.txt AS [t] WHERE model_index_no = 2", {"a200"}},
        QueryCase{"HashForDot", "SELECT model_no FROM T1#txt WHERE model_index_no = 2", {"a200"}},
        QueryCase{"GroupBy", "SELECT partition_no AS model_no, COUNT(*) AS n FROM T1.txt AS [t] WHERE partition_no = 3 GROUP BY partition_no",
                  {"3"}},
        // Numbers a double does not hold compare, order and read with every digit.
        QueryCase{"EveryDigitEquals", "SELECT model_no FROM W.txt AS [w] WHERE big = 12345678901234567891", {"W1"}},
        QueryCase{"EveryDigitBelow", "SELECT model_no FROM W.txt AS [w] WHERE big < 12345678901234567891 ORDER BY big",
                  {"W4", "W2"}},
        QueryCase{"EveryDigitOrder", "SELECT model_no FROM W.txt AS [w] ORDER BY big DESC, amt", {"W3", "W1", "W2", "W4"}},
        QueryCase{"NegativeLiteral", "SELECT model_no FROM W.txt AS [w] WHERE amt = -1234567890123456.78", {"W3"}},
        QueryCase{"DecimalsAbove", "SELECT model_no FROM W.txt AS [w] WHERE amt >= 1234567890123456.77 OR amt < -12",
                  {"W1", "W3"}},
        QueryCase{"TextLiteralAndList",
                  "SELECT model_no FROM W.txt AS [w] WHERE big = '12345678901234567891' OR big IN (12345678901234567168, 5.0) "
                  "ORDER BY model_no",
                  {"W1", "W2", "W4"}},
        QueryCase{"ArithmeticStillComputes", "SELECT model_no FROM W.txt AS [w] WHERE big - 1 < 10", {"W4"}},
        QueryCase{"ValuesWithEveryDigit", "SELECT big AS model_no FROM W.txt AS [w] ORDER BY big",
                  {"5", "12345678901234567168", "12345678901234567891", "99999999999999999999999999999999999999"}},
        QueryCase{"Greatest", "SELECT max(amt) AS model_no FROM W.txt AS [w]", {"1234567890123456.78"}},
        QueryCase{"DoublesBesideAWideLiteral",
                  "SELECT model_no FROM T1.txt AS [t] WHERE weight < 2.50000000000000001 ORDER BY weight", {"B 100", "A100"}},
        // The server's values compare as the server compares them; the driver's own texts exactly.
        QueryCase{"ServerTextOfBlanks", "SELECT model_no FROM S.txt AS [s] WHERE c = '  '", {"S1"}},
        QueryCase{"ServerTextBlankPadded", "SELECT model_no FROM S.txt AS [s] WHERE c = 'x' OR c = ''", {"S3"}},
        QueryCase{"OwnTextExactly", "SELECT model_no FROM S.txt AS [s] WHERE j = 'x'", {"S3"}},
        QueryCase{"ServerDateAlone",
                  "SELECT model_no FROM S.txt AS [s] WHERE dt = '2024-03-01' OR dt IN ('2024-03-02') ORDER BY dt DESC",
                  {"S3", "S1"}},
        QueryCase{"ServerDoubleBesideAWideLiteral", "SELECT model_no FROM S.txt AS [s] WHERE d = 0.12345678901234567",
                  {"S2"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextDriverTest, AnEmptyResultIsAnOpenRecordsetAtEof)
{
    Recordset rs = Query("SELECT * FROM C:\\work\\tw\\T1.txt AS [t] WHERE model_no = 'none'");
    EXPECT_EQ(rs.State(), adStateOpen);
    EXPECT_EQ(rs.RecordCount(), 0);
    EXPECT_TRUE(rs.BOF() && rs.Eof());
    EXPECT_EQ(rs.Fields()["model_no"].DefinedSize(), 21);
}

TEST_F(TextDriverTest, FixedLengthAndTabDelimitedTables)
{
    WriteFile(kDir + "\\F.txt", "  12 abc        \r\n   7 de fg      \r\n");
    WriteFile(kDir + "\\G.txt", "5\tx\"\"y\t1.5\r\n6\t\t\r\n");
    WriteFile(kDir + "\\Schema.ini",
              "[F.txt]\r\nColNameHeader=False\r\nFormat=FixedLength\r\nCharacterSet=ANSI\r\n"
              "Col1=n long width 5\r\nCol2=s char width 11\r\n"
              "[G.txt]\r\nColNameHeader=False\r\nFormat=TabDelimited\r\nCharacterSet=ANSI\r\n"
              "Col1=id short\r\nCol2=txt char width 38\r\nCol3=v double\r\n");
    Recordset fixed = Query("SELECT * FROM F.txt AS [f] ORDER BY n");
    EXPECT_EQ(Column(fixed, "s"), (std::vector<std::string>{"de fg", "abc"}));
    EXPECT_EQ(fixed.Fields()["s"].DefinedSize(), 11);
    Recordset tab = Query("SELECT * FROM G.txt AS [g]");
    EXPECT_EQ(Column(tab, "txt"), (std::vector<std::string>{"x\"y", "<null>"}));
    EXPECT_EQ(Column(tab, "v"), (std::vector<std::string>{"1.5", "<null>"}));
    EXPECT_EQ(tab.Fields()["id"].Type(), adSmallInt);
}

TEST_F(TextDriverTest, DriverErrorsReachTheCaller)
{
    Connection conn;
    conn.Open(kDriver);
    AppError e = Raised([&] { conn.Execute("SELECT nosuch FROM T1.txt AS [t]"); });
    EXPECT_EQ(e.number(), adoerr::kTooFewParameters);
    EXPECT_NE(e.description().find("[Microsoft][ODBC Text Driver]"), std::string::npos);
    // A second table that is no file.
    e = Raised([&] { conn.Execute("SELECT * FROM C:\\work\\tw\\T1.txt AS [a], pdtable_102 AS [b]"); });
    EXPECT_EQ(e.number(), adoerr::kObjectNotFound);
    EXPECT_NE(e.description().find("'pdtable_102'"), std::string::npos);
    EXPECT_THROW(conn.Execute("DELETE FROM T1.txt"), AppError);
    EXPECT_THROW(conn.Execute("SELECT * FROM T1.txt WHERE created = #13/45/2024#"), AppError);
    // The connection stays usable after failures.
    EXPECT_EQ(conn.Execute("SELECT * FROM T1.txt").RecordCount(), 4);
}

TEST_F(TextDriverTest, ImportsIntoAnAccessDatabase)
{
    const std::string mdb = kDir + "\\it's.mdb";
    AccessConnection::CreateDatabase(mdb);
    Connection conn;
    conn.Open(kDriver);
    // The names as the callers escape them: "]" doubled inside brackets, "'" doubled inside quotes.
    const std::string in = " IN '" + kDir + "\\it''s.mdb'";
    conn.Execute("SELECT * INTO [odd]]name]" + in + " FROM (SELECT * FROM C:\\work\\tw\\T1.txt AS [t] WHERE partition_no = 3);");
    conn.Execute("INSERT INTO [odd]]name]" + in + " SELECT * FROM (SELECT * FROM C:\\work\\tw\\T1.txt AS [t] WHERE model_index_no = 4);");
    EXPECT_THROW(conn.Execute("INSERT INTO [missing]" + in + " SELECT * FROM (SELECT * FROM T1.txt AS [t]);"), AppError);
    EXPECT_EQ(Raised([&] {
                  conn.Execute("SELECT * INTO [x] IN 'C:\\work\\tw\\none.mdb' FROM (SELECT * FROM T1.txt AS [t]);");
              }).number(),
              adoerr::kUnspecified);
    conn.Close();

    Connection access;
    access.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb + ";");
    Recordset rs = access.Execute("SELECT * FROM [odd]]name] ORDER BY model_index_no");
    EXPECT_EQ(Column(rs, "model_no"), (std::vector<std::string>{"A100", "B 100", "it's \"x\""}));
    EXPECT_EQ(rs.Fields()["model_no"].Type(), adVarWChar);
    EXPECT_EQ(rs.Fields()["model_no"].DefinedSize(), 21);
    EXPECT_EQ(rs.Fields()["model_index_no"].Type(), adInteger);
    EXPECT_EQ(rs.Fields()["partition_no"].Type(), adSmallInt);
    EXPECT_EQ(rs.Fields()["weight"].Type(), adDouble);
}

} // namespace
