// The design table copy through the stand-in RIS clients: what arrives in the target schema
// when the source table's values hold the texts of dump statements.
#include "projcopy/DesignTableCopy.h"

#include "dbaccess/SqlLiteral.h"
#include "dbaccess/TableCopyCheck.h"
#include "projcopy/CopyJournal.h"
#include "projcopy/CopyLog.h"
#include "projcopy/RisParamsAccess.h"
#include "projcopy/ProjCopyTestSupport.h"

#include <functional>
#include <gtest/gtest.h>

using projcopytest::Rows;
using projcopytest::RunSql;

namespace {

using projcopytest::Table;

// Values whose text is that of a schema, grant or index line; the first column is a character
// column, so in the dump's rows these texts stand at the start of a line.
const std::vector<std::string> kNotes = {
    "create schema dd_demo on database",
    "create schema x",
    "default schema dd_demo",
    "grant select, insert, delete, update on pdtable_12_9 to PUBLIC",
    "create unique index updtable_12_9 on pdtable_12_9 (system_unique_no)",
    // Bytes a reader could lose: a CR inside a text and at its end, code 1, quote, backslash.
    "create schema dd_demo\ron database\x01" "'\\\r",
    // Blanks the fixed layout of the copy's unload does not carry: trailing ones, and a text of
    // blanks only, which arrives as NULL.
    "  ends in blanks   ",
    "   ",
};

// Partition 9 of the source's design schema: the five piping tables (each key refusing NULL), the
// first with the rows above, its unique index and its grant. Dropped again when the test ends, whatever happened.
class DesignTableCopyClientsTest : public projcopytest::TwoProjects {
protected:
    void SetUp() override
    {
        TwoProjects::SetUp();
        std::string sql = "default schema dd_demo;\r\n";
        for (int t : DesignTableCopy::TableNumbers(1))
            sql += "create table pdtable_" + std::to_string(t) +
                   "_9 (note_text char(80), system_unique_no int not null);\r\n";
        for (size_t i = 0; i < kNotes.size(); ++i)
            sql += "insert into pdtable_12_9 (note_text, system_unique_no) values (" + SqlStringLiteral(kNotes[i]) +
                   ", " + std::to_string(900 + i) + ");\r\n";
        sql += "create unique index updtable_12_9 on pdtable_12_9 (system_unique_no);\r\n"
               "grant select, insert, delete, update on pdtable_12_9 to PUBLIC;\r\n";
        RunSql(StandInRoot(), sql);
        ASSERT_EQ(source().size(), kNotes.size());
    }
    void TearDown() override
    {
        std::string sql = "default schema dd_demo;\r\n";
        for (int t : DesignTableCopy::TableNumbers(1))
            sql += "drop table pdtable_" + std::to_string(t) + "_9;\r\n";
        RunSql(StandInRoot(), sql);
        TwoProjects::TearDown();
    }
    static Table rowsOf(const std::string& root)
    {
        return Rows(root, "dd_demo", "SELECT note_text, system_unique_no FROM pdtable_12_9 ORDER BY system_unique_no");
    }
    Table source() const { return rowsOf(StandInRoot()); }
    Table target() const { return rowsOf(targetRoot); }
};

} // namespace

TEST_F(DesignTableCopyClientsTest, ValuesArriveUnchangedAndTheTableKeepsItsIndexAndGrant)
{
    CopyLog log;
    log.Reset();
    RisParamsAccess ris(log);
    CopyJournal journal(CopyTarget{"demo", newParams, {}}, ris, log);
    // Judged after every load by what the target holds: the four empty tables count too.
    DesignTableCopy::LoadJournal looked;
    looked.look = std::bind_front(&CopyJournal::LoadState, &journal);
    EXPECT_TRUE(DesignTableCopy(log).LoadModelTable(oldParams, newParams, "dd_demo", "dd_demo", 9, 1, looked))
        << CopyLogText();

    // As the server compares them: a char value blank-padded; a text of blanks in this column,
    // which takes NULL, as the fixed layout carries it: NULL.
    Table compared = source();
    for (auto& row : compared)
        if (row[0] = ComparedValue(row[0], true); row[0] && row[0]->empty())
            row[0].reset();
    EXPECT_EQ(target(), compared) << CopyLogText();
    EXPECT_EQ(target()[6][0], std::optional<std::string>("  ends in blanks"));
    EXPECT_EQ(target()[7][0], std::nullopt);
    // The unique index came along: the target refuses a second row with a key it holds.
    const std::string answer =
        RunSql(targetRoot, "default schema dd_demo;\r\n"
                           "insert into pdtable_12_9 (note_text, system_unique_no) values ('again', 901);\r\n");
    EXPECT_NE(answer.find("RIS_E_DUP_KEY"), std::string::npos) << answer;
    // And the key refuses NULL there, as in the source.
    const std::string nullKey =
        RunSql(targetRoot, "default schema dd_demo;\r\n"
                           "insert into pdtable_12_9 (note_text, system_unique_no) values ('none', null);\r\n");
    EXPECT_NE(nullKey.find("RIS_E_NULL_VALUE"), std::string::npos) << nullKey;
    EXPECT_EQ(target().size(), kNotes.size());
    DbServer server(targetRoot);
    EXPECT_EQ(server.GrantsOn("dd_demo", "pdtable_12_9"), std::vector<std::string>{"PUBLIC"});
}
