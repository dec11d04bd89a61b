// The cell edits that the table editor and the table viewer are both tried with, in order, on
// the sample environment through the wrapper clients: what the server holds afterwards, what the
// cell shows and what the box says, compared with the server's own files.
#pragma once

#include "DbToolsSampleEnvironment.h"
#include "platform/ado/Variant.h"
#include "services/ScriptedMessageService.h"
#include "support/GeneratedLiterals.h"
#include "support/WrapperClients.h"
#include "ui/qt/ListForm.h"

#include <QHeaderView>
#include <QTableWidget>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace tabletest {

using testsupport::ClientRule;

struct TableEditCase {
    const char* name;
    ClientRule rule; // risbatch's
    const char* schema;
    const char* table;
    const char* locate;   // the edited row on the server ("component_code='GATE0'")
    int findColumn;       // and in the grid: the row whose cell in this column
    const char* find;     // shows this text
    const char* field;    // the edited field
    const char* typed;
    const char* stored;   // the field on the server afterwards, as its file holds it (nullptr: as before)
    const char* cell;     // the cell afterwards (nullptr: as before)
    const char* box;      // the box after the question, from its start ("": none)
    const char* boxHolds; // and a text it holds
    bool sameGrid;        // edits the grid as the case before left it, not the table read anew
    bool othersChange = false; // rows the locate does not find change too (else they stand as they were)
};

// Numbers that the engine's own reading takes for other doubles, from the generated literal
// table: two for a double column, the middle one, with its decimal type, for a decimal column;
// each as typed and as the server's file and the grid write the double the column holds of it
// (the shortest text that reads back as it, the engine's too for these).
struct MisreadNumbers {
    std::string d0, d1, x0, decimalType, d0Shown, x0Shown;
    MisreadNumbers()
    {
        const auto m = testsupport::EngineMisreadLiterals("", 3);
        if (m.size() == 3) {
            d0 = m[0].text, d1 = m[2].text, x0 = m[1].text, decimalType = m[1].type;
            d0Shown = FormatNumberText(std::strtod(d0.c_str(), nullptr));
            x0Shown = FormatNumberText(std::strtod(x0.c_str(), nullptr));
        }
    }
};

inline const MisreadNumbers& Misread()
{
    static const MisreadNumbers numbers;
    return numbers;
}

// In this order: each edit starts from the values the ones before left.
inline std::vector<TableEditCase> TableEditCases()
{
    const char* models = "model_no='P1001'";
    const char* gate0 = "component_code='GATE0'";
    return {
        {"DiesBefore", ClientRule::DieBefore(139).When("UPDATE pdtable_113"), "pd_demo", "pdtable_113", models, 3,
         "P1001", "model_description", "Pumps and valves", nullptr, nullptr,
         "The UPDATE of table 'pdtable_113' was not done: risbatch ended with exit code 139",
         "; the row still holds model_description ", false},
        {"EndsWellHavingChangedNothing",
         ClientRule::Scripted(std::string("1 row updated.\r\n"), std::nullopt).When("UPDATE pdtable_113"), "pd_demo",
         "pdtable_113", models, 3, "P1001", "model_description", "Pumps and valves", nullptr, nullptr,
         "The UPDATE of table 'pdtable_113' ended without an error, but nothing of it stands",
         ": the row still holds model_description ", false},
        {"DiesAfter", ClientRule::DieAfter(139).When("UPDATE pdtable_113"), "pd_demo", "pdtable_113", models, 3,
         "P1001", "model_description", "Pumps and valves", "Pumps and valves", "Pumps and valves",
         "The UPDATE of table 'pdtable_113' was done although risbatch ended with exit code 139",
         "; the row holds model_description 'Pumps and valves'.", false},
        // A text ending in blanks is kept so; the row is found by the text the grid shows, which the
        // server compares blank-padded, in the next edit and in one after the table is read anew.
        {"ATextEndingInBlanks", ClientRule::PassThrough(), "pd_demo", "pdtable_113", models, 3, "P1001",
         "model_description", "Pumps  ", "Pumps  ", "Pumps", "", "", true},
        {"ARowWhoseTextEndsInBlanks", ClientRule::PassThrough(), "pd_demo", "pdtable_113", models, 3, "P1001",
         "model_file_spec", "p1001b.dgn", "p1001b.dgn", "p1001b.dgn", "", "", false},
        {"AndItsNextEdit", ClientRule::PassThrough(), "pd_demo", "pdtable_113", models, 3, "P1001",
         "model_description", "Pipe rack south", "Pipe rack south", "Pipe rack south", "", "", true},
        // The server rounds to the scale: the cell shows what it stored, and the box says so.
        {"MoreDecimalsThanTheScale", ClientRule::PassThrough(), "dd_demo", "pdtable_34_1", gate0, 1, "GATE0",
         "design_temp", "120.555", "120.56", "120.56",
         "The UPDATE of table 'pdtable_34_1' was done: design_temp is stored as 120.56, not as typed (120.555).", "",
         false},
        // The row is found by the stored value the cell now shows.
        {"TheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "pdtable_34_1", gate0, 1, "GATE0",
         "design_temp", "99.999", "100", "100",
         "The UPDATE of table 'pdtable_34_1' was done: design_temp is stored as 100, not as typed (99.999).", "",
         true},
        {"AWholeNumberGivenAFraction", ClientRule::PassThrough(), "dd_demo", "pdtable_34_1", gate0, 1, "GATE0",
         "system_unique_no", "7.5", "8", "8",
         "The UPDATE of table 'pdtable_34_1' was done: system_unique_no is stored as 8, not as typed (7.5).", "",
         true},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "pdtable_34_1", "system_unique_no=8", 1, "GATE0",
         "component_code", "GATE8", "GATE8", "GATE8", "", "", true},
        // A value the server refuses leaves the row as it was, and the box names the refusal.
        {"BeyondThePrecision", ClientRule::PassThrough(), "dd_demo", "pdtable_34_1", "component_code='GATE8'", 1,
         "GATE8", "design_temp", "1234567.5", nullptr, nullptr,
         "The UPDATE of table 'pdtable_34_1' was not done: RIS Error: RIS_E_INV_VALUE - ORA-01438: value larger than "
         "specified precision allowed for this column (column 'design_temp')",
         "; the row still holds design_temp '100'.", true},
        {"ATextTooLong", ClientRule::PassThrough(), "dd_demo", "pdtable_34_1", "component_code='GATE8'", 1, "GATE8",
         "component_code", "GATE-VALVE-12", nullptr, nullptr,
         "The UPDATE of table 'pdtable_34_1' was not done: RIS Error: RIS_E_INV_VALUE - A value does not fit the type "
         "of column 'component_code'",
         "; the row still holds component_code 'GATE8'.", true},
        {"DiesAfterARoundedValue", ClientRule::DieAfter(139).When("UPDATE pdtable_34_1"), "dd_demo", "pdtable_34_1",
         "component_code='GATE1'", 1, "GATE1", "design_temp", "121.555", "121.56", "121.56",
         "The UPDATE of table 'pdtable_34_1' was done although risbatch ended with exit code 139",
         "; design_temp is stored as 121.56, not as typed (121.555).", false},
        // A client that stores another value than the one written: the look finds neither, and
        // names what the row holds.
        {"AClientThatStoresAnotherValue", ClientRule::EditLines("=121.999", "=119"), "dd_demo", "pdtable_34_1",
         "component_code='GATE1'", 1, "GATE1", "design_temp", "121.999", "119", nullptr,
         "The UPDATE of table 'pdtable_34_1' ended without an error, but it is not whole: 0 row(s) hold the old "
         "values and 0 the new; the row alike in every other column holds design_temp '119'; choose the table "
         "again to read it anew.",
         "", true},
        // Numbers of more digits than a double holds: the cells show every digit, and a row of
        // them is found by them (rows 1 and 3 hold numbers of one nearest double).
        {"AnotherCellOfARowOfWideNumbers", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=1", 1,
         "12345678901234567891", "note", "x", "x", "x", "", "", false},
        {"AWideNumberTyped", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=2", 1,
         "99999999999999999999999999999999999999", "big", "99999999999999999999999999999999999998",
         "99999999999999999999999999999999999998", "99999999999999999999999999999999999998", "", "", true},
        {"MoreDecimalsThanTheScaleOfAWideNumber", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=3", 2,
         "12.5", "amt", "1234567890123456.785", "1234567890123456.79", "1234567890123456.79",
         "The UPDATE of table 'wide_edit' was done: amt is stored as 1234567890123456.79, not as typed "
         "(1234567890123456.785).",
         "", true},
        {"AndTheNextEditOfThatWideRow", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=3", 1,
         "12345678901234567168", "note", "y", "y", "y", "", "", true},
        // Whole numbers of 19 and 20 digits that the server keeps as a double: the cell shows the
        // number the server holds, never the double's binary digits, and the row is found by it.
        {"ARowOfAWholeNumberADoubleHolds", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=4", 1,
         "9999999999999990000", "note", "x", "x", "x", "", "", false},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=4", 1,
         "9999999999999990000", "note", "y", "y", "y", "", "", true},
        {"ARowOfTwentyDigitsADoubleHolds", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=5", 1,
         "12345678901234500000", "note", "x", "x", "x", "", "", false},
        {"ThatNumberEditedInItsCell", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=5", 1,
         "12345678901234500000", "big", "-9999999999999990000", "-9.99999999999999e+18", "-9999999999999990000", "",
         "", true},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "wide_edit", "k=5", 1,
         "-9999999999999990000", "note", "y", "y", "y", "", "", true},
        // Numbers a double holds in columns of many scales (0.5 of a decimal(38,38) written with
        // 38 decimals): the table opens, the cells show the numbers, and a row is found by them.
        {"ACellOfARowOfNumbersOfManyScales", ClientRule::PassThrough(), "dd_demo", "scale_edit", "k=1", 0, "1",
         "note", "x", "x", "x", "", "", false},
        {"ANumberOfManyDecimalsTyped", ClientRule::PassThrough(), "dd_demo", "scale_edit", "k=2", 1, "-98765.4321",
         "a", "12345.6789", "12345.6789", "12345.6789", "", "", true},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "scale_edit", "k=2", 0, "2", "note", "y",
         "y", "y", "", "", false},
        // A client that changes every row: three rows hold what one should.
        {"AClientThatChangesEveryRow", ClientRule::EditLines(" WHERE ", " WHERE 1=1 OR "), "pd_demo", "pdtable_114",
         "rowid=3", 0, "3", "partition_no", "7", "7", nullptr,
         "The UPDATE of table 'pdtable_114' ended without an error, but it is not whole: 0 row(s) hold the old "
         "values and 3 the new; choose the table again to read it anew.",
         "", false, true},
        // Numbers the engine's own reading takes for other doubles: a row of them is found by them,
        // and one typed is stored and found whole.
        {"ACellOfARowOfNumbersTheEngineMisreads", ClientRule::PassThrough(), "dd_demo", "num_edit", "k=1", 0, "1",
         "note", "x", "x", "x", "", "", false},
        {"ADoubleTheEngineMisreadsTyped", ClientRule::PassThrough(), "dd_demo", "num_edit", "k=2", 0, "2", "d",
         Misread().d0.c_str(), Misread().d0Shown.c_str(), Misread().d0Shown.c_str(), "", "", true},
        {"ADecimalTheEngineMisreadsTyped", ClientRule::PassThrough(), "dd_demo", "num_edit", "k=2", 0, "2", "x",
         Misread().x0.c_str(), Misread().x0Shown.c_str(), Misread().x0Shown.c_str(), "", "", true},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "num_edit", "k=2", 0, "2", "note", "y",
         "y", "y", "", "", false},
        // The date alone is that day's first moment, stored and shown so, and the row is found by it.
        {"TheDateAloneTypedIntoADate", ClientRule::PassThrough(), "dd_demo", "num_edit", "k=2", 0, "2", "dd",
         "2024-05-06", "2024-05-06:00:00:00", "2024-05-06:00:00:00", "", "", true},
        {"TheDateAloneTypedIntoATimestamp", ClientRule::PassThrough(), "pd_demo", "pdtable_102",
         "type_of_rdb_data=99", 0, "99", "date_approved", "2024-05-06", "2024-05-06:00:00:00",
         "2024-05-06:00:00:00", "", "", false},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "pd_demo", "pdtable_102", "type_of_rdb_data=99", 0,
         "99", "rdb_file_spec", "demo3.prj", "demo3.prj", "demo3.prj", "", "", true},
        // A text of blanks beside its NULL twin: each grid row edits its own row alone.
        {"TheRowOfABlankText", ClientRule::PassThrough(), "dd_demo", "tw", "c='  '", 1, "  ", "n", "y", "y", "y", "",
         "", false},
        {"TheRowOfItsNullTwin", ClientRule::PassThrough(), "dd_demo", "tw", "c IS NULL", 1, "", "n", "z", "z", "z", "",
         "", true},
        {"ABlankTextTyped", ClientRule::PassThrough(), "dd_demo", "tw", "c IS NULL", 1, "", "n", "   ", "   ", "   ",
         "", "", true},
        {"AndTheNextEditOfThatRow", ClientRule::PassThrough(), "dd_demo", "tw", "c IS NULL", 1, "", "n", "w", "w",
         "w", "", "", false},
    };
}

// What the cases change on the sample environment, put back when the object goes.
struct TableEditPutBack {
    // A table of numbers of more digits than a double holds and one of numbers in columns of
    // many scales, made through risbatch for the cases and dropped again; the access object's
    // list of the schema's tables, which the windows read, is read anew each time.
    struct WideTable {
        WideTable()
        {
            CRIS cris;
            cris.SetUseRIS("");
            cris.DBWrite("dd_demo", "create table wide_edit (k int, big decimal(38,0), amt decimal(20,2), note char(8));\n"
                                    "insert into wide_edit values (1, 12345678901234567891, 1234567890123456.78, 'a');\n"
                                    "insert into wide_edit values (2, 99999999999999999999999999999999999999, 0.5, 'b');\n"
                                    "insert into wide_edit values (3, 12345678901234567168, 12.5, 'c');\n"
                                    "insert into wide_edit values (4, 9999999999999990000, 1.5, 'd');\n"
                                    "insert into wide_edit values (5, 12345678901234500000, 2.5, 'e');\n"
                                    "create table scale_edit (k int, a decimal(24,12), b decimal(38,0), "
                                    "c decimal(38,38), d decimal(30,17), e decimal(20,16), f decimal(30,14), "
                                    "g decimal(38,0), note char(8));\n"
                                    "insert into scale_edit values (1, 98765.4321, 1000000000000000000000000, 0.1, "
                                    "2.675, 1.1, 1234567.89, -12000000000000000000000000000000, 'a');\n"
                                    "insert into scale_edit values (2, -98765.4321, -1000000000000000000000000, 0.5, "
                                    "-2.675, -1.1, -1234567.89, 12000000000000000000000000000000, 'b');\n"
                                    "create table num_edit (k int, d double, x " + Misread().decimalType +
                                    ", dd date, note char(8));\n"
                                    "insert into num_edit values (1, " + Misread().d0 + ", " + Misread().x0 +
                                    ", '2024-03-01', 'a');\n"
                                    "insert into num_edit values (2, " + Misread().d1 + ", 0.5, NULL, 'b');\n"
                                    "create table tw (k int, c char(8), n char(8));\n"
                                    "insert into tw values (1, NULL, 'x');\ninsert into tw values (1, '  ', 'x');");
            gCRIS->DBGetTables("dd_demo", true);
        }
        ~WideTable()
        {
            try {
                CRIS cris;
                cris.SetUseRIS("");
                cris.DBWrite("dd_demo", "drop table wide_edit;\ndrop table scale_edit;\ndrop table num_edit;\n"
                                        "drop table tw");
                gCRIS->DBGetTables("dd_demo", true);
            } catch (const AppError& e) {
                ADD_FAILURE() << e.description();
            }
        }
    } wide;

    std::string description = value("pd_demo", "SELECT model_description FROM pdtable_113 WHERE model_no='P1001'");
    DbToolsSampleEnvironment::ExecAtEnd models{"pd_demo", "UPDATE pdtable_113 SET model_description=" +
                                                              literal(description) +
                                                              ", model_file_spec='p1001.dgn' WHERE model_no='P1001'"};
    DbToolsSampleEnvironment::ExecAtEnd partitions{
        "pd_demo", "DELETE FROM pdtable_114; INSERT INTO pdtable_114 VALUES (1), (2), (3)"};
    std::string approved = value("pd_demo", "SELECT date_approved FROM pdtable_102 WHERE type_of_rdb_data=99");
    std::string spec = value("pd_demo", "SELECT rdb_file_spec FROM pdtable_102 WHERE type_of_rdb_data=99");
    DbToolsSampleEnvironment::ExecAtEnd directory{
        "pd_demo", "UPDATE pdtable_102 SET date_approved=" + literal(approved) + ", rdb_file_spec=" + literal(spec) +
                       " WHERE type_of_rdb_data=99"};
    DbToolsSampleEnvironment::ExecAtEnd gates{
        "dd_demo", "DELETE FROM pdtable_34_1; INSERT INTO pdtable_34_1 VALUES (200, 'GATE0', 120.5), "
                   "(201, 'GATE1', 121.5), (202, 'GATE2', 122.5)"};

    // A value as value() gave it, written into a statement.
    static std::string literal(const std::string& v) { return v == "<null>" ? std::string("NULL") : "'" + v + "'"; }

    // The one value of the query as the server's file holds it ("<null>" for Null).
    static std::string value(const std::string& schema, const std::string& sql)
    {
        const auto rows = DbToolsSampleEnvironment::UserDb(schema)->QueryRows(sql);
        return rows.size() == 1 ? rows[0][0].value_or("<null>") : "<" + std::to_string(rows.size()) + " rows>";
    }
};

// Runs the cases through a window: open gives its grid on the case's schema and table, read
// anew; risPath is the access object's own client folder, given back after each edit.
inline void RunTableEdits(ScriptedMessageService& boxes, const std::function<ListForm*(const TableEditCase&)>& open)
{
    const TableEditPutBack putBack;
    const std::string risPath = gCRIS->GetRISPath();
    ListForm* grid = nullptr;
    for (const TableEditCase& c : TableEditCases()) {
        SCOPED_TRACE(c.name);
        if (!c.sameGrid || !grid)
            grid = open(c);
        ASSERT_NE(grid, nullptr);
        int column = 0;
        while (column < grid->TDBGrid->columnCount() && grid->TDBGrid->horizontalHeaderItem(column)->text() != c.field)
            ++column;
        int row = 0;
        while (row < grid->rowCount() && grid->cellText(row, c.findColumn) != c.find)
            ++row;
        ASSERT_LT(row, grid->rowCount());
        ASSERT_LT(column, grid->TDBGrid->columnCount());
        const std::string stored = std::string("SELECT ") + c.field + " FROM " + c.table + " WHERE " + c.locate;
        const std::string before = TableEditPutBack::value(c.schema, stored);
        // The rows the locate does not find, by the rowids it finds before the edit.
        const auto db = DbToolsSampleEnvironment::UserDb(c.schema);
        const auto located = db->QueryRows(std::string("SELECT rowid FROM ") + c.table + " WHERE " + c.locate);
        const auto others = [&] {
            auto rows = db->QueryRows(std::string("SELECT rowid, * FROM ") + c.table + " ORDER BY rowid");
            std::erase_if(rows, [&](const auto& r) {
                return std::any_of(located.begin(), located.end(), [&](const auto& l) { return l[0] == r[0]; });
            });
            return rows;
        };
        const auto othersBefore = others();
        const QString shown = grid->cellText(row, column);
        {
            testsupport::WrapperClients clients;
            clients.Set("risbatch", c.rule);
            gCRIS->SetUseRIS(clients.WinFolder());
            const size_t asked = boxes.asked().size();
            boxes.Answer(MsgAnswer::Yes);
            grid->TDBGrid->item(row, column)->setText(QString::fromStdString(c.typed));
            gCRIS->SetUseRIS(risPath);

            const auto& said = boxes.asked();
            ASSERT_EQ(said.size(), asked + (*c.box ? 2u : 1u)) << said.back().prompt;
            if (*c.box) {
                EXPECT_EQ(said.back().prompt.rfind(c.box, 0), 0u) << said.back().prompt;
                EXPECT_NE(said.back().prompt.find(c.boxHolds), std::string::npos) << said.back().prompt;
            }
        }
        EXPECT_EQ(TableEditPutBack::value(c.schema, stored), c.stored ? std::string(c.stored) : before);
        if (!c.othersChange) {
            EXPECT_EQ(others(), othersBefore);
        }
        EXPECT_EQ(grid->cellText(row, column).toStdString(), c.cell ? std::string(c.cell) : shown.toStdString());
    }
}

} // namespace tabletest
