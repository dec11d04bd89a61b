// The command lines, risbatch inputs and risunlod parameter lines, as texts.
#include "dbaccess/RISCommandLine.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

using Names = std::vector<std::string>;

namespace {

const std::string kRis = "C:\\RIS\\BIN\\";

} // namespace

TEST(RISCommandLineTest, StatementInputWithSchema)
{
    EXPECT_EQ(RisbatchStatementInput("pd_abc", "delete from t"),
              "default schema pd_abc;\r\ndelete from t;\r\ncommit;\r\nquit;\r\n");
    EXPECT_EQ(RisbatchStatementInput("pd_abc", "delete from t;"),
              "default schema pd_abc;\r\ndelete from t;\r\ncommit;\r\nquit;\r\n");
    // A blank after the ";" is the last character: one more ";" follows.
    EXPECT_EQ(RisbatchStatementInput("pd_abc", "delete from t; "),
              "default schema pd_abc;\r\ndelete from t; ;\r\ncommit;\r\nquit;\r\n");
}

TEST(RISCommandLineTest, StatementInputOfSeveralLines)
{
    EXPECT_EQ(RisbatchStatementInput("dd_x", "delete from a;\r\ndelete from b"),
              "default schema dd_x;\r\ndelete from a;\r\ndelete from b;\r\ncommit;\r\nquit;\r\n");
}

TEST(RISCommandLineTest, StatementInputWithoutSchemaIsNotCommitted)
{
    EXPECT_EQ(RisbatchStatementInput("  ", "DROP SCHEMA pd_x FORCE;"), "DROP SCHEMA pd_x FORCE;\r\nquit;\r\n");
    EXPECT_EQ(RisbatchStatementInput("", "x"), "x;\r\nquit;\r\n");
}

TEST(RISCommandLineTest, DictionaryInputs)
{
    EXPECT_EQ(RisbatchCommandInput("show schema names;"), "show schema names;\r\nquit;\r\n");
    EXPECT_EQ(RisbatchCommandInput("show schema file location;"), "show schema file location;\r\nquit;\r\n");
}

TEST(RISCommandLineTest, ClientCommandLines)
{
    EXPECT_EQ(RisbatchCommand(kRis, "C:\\T\\W\\in.tmp", "C:\\T\\W\\out.tmp"),
              "\"C:\\RIS\\BIN\\risbatch.exe\" -i \"C:\\T\\W\\in.tmp\" -o \"C:\\T\\W\\out.tmp\"");
    EXPECT_EQ(RisunlodListCommand(kRis, "C:\\T\\l.tmp", "pd_abc", nullptr),
              "\"C:\\RIS\\BIN\\risunlod.exe\" -m w -o \"C:\\T\\l.tmp\" -s pd_abc table all");
    const std::string table = "pdtable_113";
    EXPECT_EQ(RisunlodListCommand(kRis, "C:\\T\\l.tmp", "pd_abc", &table),
              "\"C:\\RIS\\BIN\\risunlod.exe\" -m w -o \"C:\\T\\l.tmp\" -s pd_abc table pdtable_113");
    EXPECT_EQ(RisunlodDumpCommand(kRis, "C:\\T\\d.tmp", "C:\\T\\p.tmp"),
              "\"C:\\RIS\\BIN\\risunlod.exe\" -m w -o \"C:\\T\\d.tmp\" -f \"C:\\T\\p.tmp\"");
    EXPECT_EQ(RisclnsrCommand(kRis, "pd_abc"), "\"C:\\RIS\\BIN\\risclnsr.exe\" pd_abc");
    EXPECT_EQ(RisclnsrCommand(kRis, " pd_abc "), "\"C:\\RIS\\BIN\\risclnsr.exe\"  pd_abc ");
}

TEST(RISCommandLineTest, LoadCommandLines)
{
    const std::string head = "\"C:\\RIS\\BIN\\rislod.exe\" -m w -i \"C:\\T\\w.tmp\" -l \"C:\\T\\l.tmp\" -b \"C:\\T\\b.tmp\"";
    EXPECT_EQ(RislodCommand(kRis, "C:\\T\\w.tmp", "C:\\T\\l.tmp", "C:\\T\\b.tmp", 25, "pd_abc", 0, "all"),
              head + " -c 25 -s pd_abc clear table with data all view all index all grant all");
    EXPECT_EQ(RislodCommand(kRis, "C:\\T\\w.tmp", "C:\\T\\l.tmp", "C:\\T\\b.tmp", 1, "dd_x", 2, "a b"),
              head + " -c 1 -s dd_x  table with data a b view all index a b grant a b");
    EXPECT_EQ(RislodModeWord(0), "clear");
    EXPECT_EQ(RislodModeWord(1), "new");
    EXPECT_EQ(RislodModeWord(2), "");
    EXPECT_EQ(RislodModeWord(7), "new");
    EXPECT_EQ(RislodModeWord(-1), "new");
    EXPECT_EQ(RisTableList(std::nullopt), "all");
    EXPECT_EQ(RisTableList(Names{"pdtable_113"}), "pdtable_113");
    EXPECT_EQ(RisTableList(Names{"a", "b"}), "a b");
}

struct ParameterCase {
    const char* name;
    std::optional<Names> tables;
    std::optional<Names> where;
    int32_t layout;
    bool extras;
    std::string line;
};

class RisunlodParameterLineTest : public ::testing::TestWithParam<ParameterCase> {};

TEST_P(RisunlodParameterLineTest, Line)
{
    const ParameterCase& c = GetParam();
    EXPECT_EQ(RisunlodParameterLine("pd_abc", c.tables, c.where, c.layout, c.extras), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RisunlodParameterLineTest,
    ::testing::Values(
        ParameterCase{"AllVarWithExtras", std::nullopt, std::nullopt, 0, true,
                      "pd_abc table with var data all view all index all grant all"},
        ParameterCase{"OneTableWithCondition", Names{"pdtable_113"}, Names{"model_index_no = 5"}, 1, false,
                      "pd_abc table with data pdtable_113 where \" model_index_no = 5 \""},
        ParameterCase{"ConditionsIgnoredWithoutTables", std::nullopt, Names{"x = 1"}, 1, false,
                      "pd_abc table with data all"},
        ParameterCase{"OneTextUntrimmed", Names{" t1 "}, std::nullopt, 7, false, "pd_abc table with data  t1 "},
        ParameterCase{"TwoTablesOneCondition", Names{"a", "b"}, Names{" x = 1 "}, 1, true,
                      "pd_abc table with data a where \" x = 1 \" b view all index a b grant a b"},
        ParameterCase{"BlankConditionAddsNothing", Names{"a", "b"}, Names{"  ", "y > 2", "z"}, 1, false,
                      "pd_abc table with data a b where \" y > 2 \""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RISCommandLineTest, ConditionEntryOf40Characters)
{
    const std::string line = RisunlodParameterLine("pd_abc", Names{"pdtable_113"}, Names{"model_index_no = 5"}, 1, false);
    EXPECT_EQ(line.substr(std::string("pd_abc table with data ").size()).size(), 40u);
}

TEST(RISCommandLineTest, ClientNotFoundTexts)
{
    EXPECT_EQ(RisClientNotFound("risbatch", kRis), "risbatch in 'C:\\RIS\\BIN\\' not found");
    EXPECT_EQ(RisClientNotFound("rislod", ""), "rislod not found");
}

TEST(RISCommandLineTest, BadFileBanners)
{
    const std::string begin = BadFileBeginBanner();
    const std::string end = BadFileEndBanner();
    EXPECT_EQ(begin.size(), 120u);
    EXPECT_EQ(end.size(), 120u);
    EXPECT_EQ(begin, std::string(50, '*') + "Begin of RIS bad file" + std::string(49, '*'));
    EXPECT_EQ(end, std::string(50, '*') + "End of RIS bad file" + std::string(51, '*'));
}

TEST(RISCommandLineTest, NameChecks)
{
    EXPECT_NO_THROW(CheckRISName("Schema", "pd_abc"));
    EXPECT_NO_THROW(CheckRISName("Schema", " pd_abc "));
    for (const char* bad : {"", "  ", "pd abc", "pd_abc&del x", "a\"b", "t;drop", "x>y"}) {
        try {
            CheckRISName("Table", bad);
            ADD_FAILURE() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 1);
            EXPECT_EQ(e.description(), std::string("Table name '") + bad + "' is not a valid RIS name");
        }
    }
}
