// Loads of dumps: round trips for every column type, the modes, rejected rows, and what the
// load leaves in the schema.
#include "standins/dbserver/SchemaLoader.h"

#include "StandInTestServer.h"
#include "dbaccess/DumpParse.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/LockedOutputFile.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/SchemaUnloader.h"
#include "support/DumpSpellingCases.h"
#include "support/OtherProcesses.h"
#include "support/TestFiles.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {
std::string readHost(const std::string& path) { return testsupport::ReadHostFile(path); }
const char* kDump = "default schema pd_src\r\n"
                    "create table t1 (id int not null, name char(12), qty smallint not null, price double, "
                    "amount decimal(9,2), stamp timestamp, ratio real)\r\n"
                    "insert into t1 (id, name, qty, price, amount, stamp, ratio) values (?, ?, ?, ?, ?, ?, ?)\r\n"
                    "***variable*** id name qty price amount stamp ratio \r\n"
                    "1 'O''Neil' -32768 1.5 10.25 '2024-01-02:03:04:05' 0.125 \r\n"
                    "2 '  ' 7 -0.001 0.00   0.5 \r\n"
                    "3   0 12345678.875 -99.90 '1999-12-31:23:59:59'   \r\n"
                    "***RIS*** End of Table ***RIS***\r\n"
                    "create table t2 (k int)\r\n"
                    "insert into t2 (k) values (?)\r\n"
                    "***variable*** k \r\n"
                    "***RIS*** End of Table ***RIS***\r\n"
                    "create unique index ut1 on t1 (id)\r\n"
                    "grant select, insert, delete, update on t1 to PUBLIC\r\n"
                    "***RIS*** End of Schema ***RIS***\r\n";
} // namespace

class SchemaLoaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        t.AddSchema("pd_dst");
        std::ofstream(dir.host() + "/in.dmp", std::ios::binary) << kDump;
    }
    LoadCounts load(const std::string& request, const std::string& dump = "in.dmp")
    {
        RisSession session(t.Server());
        LockedOutputFile bad(WinPathFromHost(dir.host() + "/bad.txt"));
        std::string console;
        LoadCounts c = SchemaLoader(session, &bad, nullptr)
                           .Load(RisTransferRequest::Parse(RisTransferRequest::SplitWords(request)),
                                 WinPathFromHost(dir.host() + "/" + dump), console);
        lastConsole = console;
        return c;
    }
    std::string unloadBody(const std::string& request)
    {
        RisSession session(t.Server());
        std::string console;
        SchemaUnloader(session).Unload(RisTransferRequest::Parse(RisTransferRequest::SplitWords(request)),
                                       WinPathFromHost(dir.host() + "/out.dmp"), console);
        std::string d = readHost(dir.host() + "/out.dmp");
        return d.substr(d.find("\r\n") + 2); // without the schema line
    }
    StandInTestServer t;
    testsupport::ScopedDir dir{"load"};
    std::string lastConsole;
};

TEST_F(SchemaLoaderTest, UnloadGivesBackWhatWasLoadedForEveryType)
{
    LoadCounts c = load("pd_dst clear table with data all view all index all grant all");
    EXPECT_EQ(c.tables, 2);
    EXPECT_EQ(c.rowsLoaded, 3);
    EXPECT_EQ(c.errors, 0) << lastConsole;
    std::string body = unloadBody("pd_dst table with var data all index all grant all");
    std::string original = kDump;
    EXPECT_EQ(body, original.substr(original.find("\r\n") + 2));
}

// Definition lines spelled as SQL allows: the load makes what a statement of the same text makes,
// and the program reads the lines as the load did, so that its look finds what the load made.
TEST_F(SchemaLoaderTest, DefinitionsSpelledAsSqlAllowsAreMadeAndReadAsTheLoadMakesThem)
{
    for (const char* schema : {"dd_demo", "pd_demo", "pd_reader"})
        t.AddSchema(schema);
    for (const testsupport::DumpSpellingCase& c : testsupport::DumpSpellingCases()) {
        SCOPED_TRACE(c.what);
        std::ofstream(dir.host() + "/spelled.dmp", std::ios::binary) << c.dump;
        const DumpWholeness whole = CheckDumpWhole(WinPathFromHost(dir.host() + "/spelled.dmp"));
        ASSERT_TRUE(whole.Whole()) << whole.problem;
        const LoadCounts n = load("dd_demo clear table with data all index all grant all", "spelled.dmp");
        EXPECT_EQ(n.rowsLoaded, 1);
        EXPECT_EQ(n.errors, 0) << lastConsole;
        RisSession session(t.Server());
        std::vector<std::string> made;
        for (const RisColumn& column : SchemaTables(session.Database("dd_demo")).Columns("spelled_t"))
            made.push_back(column.name + " " + column.type + (column.notNull ? " not null" : ""));
        EXPECT_EQ(made, c.columns);
        EXPECT_EQ(t.Server().GrantsOn("dd_demo", "spelled_t"), c.grantees);
        // The dump's definitions as the check before the load read them, against the listing.
        const auto listed = SchemaDumpSummary::FromListing(unloadBody("dd_demo table all index all grant all"));
        EXPECT_EQ(SchemaDumpSummary::FromListing(Join(whole.definitions, "\n")).MadeDifferences(listed, "spelled_t"),
                  std::vector<std::string>{});
        std::string dropped;
        session.Execute("drop table dd_demo.spelled_t", dropped);
    }
}

// A moment of a dump written as the date alone is that day's first moment: stored, found and
// unloaded as the full moment, and one with it in a unique index.
TEST_F(SchemaLoaderTest, TheDateAloneLoadsAsTheDaysFirstMoment)
{
    const struct {
        const char* written;
        const char* stands;
    } cases[] = {{"1999-12-31", "1999-12-31:00:00:00"}, {"2000-02-29", "2000-02-29:00:00:00"},
                 {"1999-12-31:23:59:59", "1999-12-31:23:59:59"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        std::string dump = ReplaceAll(kDump, "1999-12-31:23:59:59", c.written);
        dump.insert(dump.find("create unique index"), "create unique index us on t1 (stamp)\r\n");
        std::ofstream(dir.host() + "/date.dmp", std::ios::binary) << dump;
        const LoadCounts loaded = load("pd_dst clear table with data all index all", "date.dmp");
        EXPECT_EQ(loaded.rowsLoaded, 3) << lastConsole;
        RisSession session(t.Server());
        SqliteDb& db = session.Database("pd_dst");
        EXPECT_EQ(db.QueryText("SELECT stamp FROM t1 WHERE id = 3").value_or(""), c.stands);
        EXPECT_NE(unloadBody("pd_dst table with var data t1").find(std::string("'") + c.stands + "'"),
                  std::string::npos);
        std::string out;
        EXPECT_THROW(session.Execute("insert into pd_dst.t1 (id, stamp) values (4, '" + std::string(c.stands) + "')",
                                     out),
                     AppError);
    }
}

TEST_F(SchemaLoaderTest, FixedLayoutRoundTripsToo)
{
    load("pd_dst clear table with data all");
    std::string fixedDump = "default schema pd_dst\r\n" + unloadBody("pd_dst table with data all");
    ASSERT_EQ(fixedDump.find("***variable***"), std::string::npos);
    std::ofstream(dir.host() + "/fixed.dmp", std::ios::binary) << fixedDump;
    t.AddSchema("pd_two");
    RisSession session(t.Server());
    std::string console;
    LoadCounts c = SchemaLoader(session, nullptr, nullptr)
                       .Load(RisTransferRequest::Parse(RisTransferRequest::SplitWords("pd_two table with data all")),
                             WinPathFromHost(dir.host() + "/fixed.dmp"), console);
    EXPECT_EQ(c.rowsLoaded, 3) << console;
    // A text of blanks only reads back as NULL from the fixed layout; all else is the same.
    EXPECT_EQ(ReplaceAll(unloadBody("pd_dst table with var data all"), "'  ' ", "  "),
              unloadBody("pd_two table with var data all"));
}

TEST_F(SchemaLoaderTest, RowsThatDoNotFitGoToTheBadFileAndTheRestLoads)
{
    std::string dump = kDump;
    dump.insert(dump.find("***RIS*** End of Table"), "4 'way too long a name' 1 1 1   1 \r\nx 'n' 1 1 1   1 \r\n");
    std::ofstream(dir.host() + "/bad.dmp", std::ios::binary) << dump;
    LoadCounts c = load("pd_dst clear table with data all", "bad.dmp");
    EXPECT_EQ(c.rowsLoaded, 3);
    EXPECT_EQ(c.rowsRejected, 2);
    EXPECT_EQ(readHost(dir.host() + "/bad.txt"), "4 'way too long a name' 1 1 1   1 \r\nx 'n' 1 1 1   1 \r\n");
    EXPECT_NE(lastConsole.find("RIS_E_ROWS_REJECTED"), std::string::npos);

    // A row the database passes over without an error is not counted as loaded: the bad file
    // keeps it, and the counts say what the table holds.
    RisSession session(t.Server());
    session.Database("pd_dst").Exec("DELETE FROM t1; CREATE TRIGGER keep_out BEFORE INSERT ON t1 WHEN NEW.id = 2 "
                                    "BEGIN SELECT RAISE(IGNORE); END");
    c = load("pd_dst table with data t1");
    EXPECT_EQ(c.rowsLoaded, 2);
    EXPECT_EQ(c.rowsRejected, 1);
    EXPECT_EQ(SchemaTables(session.Database("pd_dst")).RowCount("t1"), 2);
    EXPECT_NE(lastConsole.find("Table t1: 2 rows loaded, 1 rows rejected."), std::string::npos) << lastConsole;
    EXPECT_NE(lastConsole.find("line 6: the database did not keep it"), std::string::npos) << lastConsole;
    EXPECT_EQ(readHost(dir.host() + "/bad.txt"), "2 '  ' 7 -0.001 0.00   0.5 \r\n");
}

TEST_F(SchemaLoaderTest, ModesClearNewAndAppend)
{
    load("pd_dst clear table with data all index all");
    RisSession session(t.Server());
    SchemaTables tables(session.Database("pd_dst"));
    LoadCounts append = load("pd_dst table with data t1");
    EXPECT_EQ(append.rowsRejected, 3); // the unique index on id refuses the same rows again
    EXPECT_EQ(tables.RowCount("t1"), 3);
    LoadCounts fresh = load("pd_dst new table with data t1");
    EXPECT_GE(fresh.errors, 1);
    EXPECT_NE(lastConsole.find("RIS_E_TABLE_EXISTS"), std::string::npos);
    t.Batch("default schema pd_dst; delete from t1 where id = 1; alter table t1 add extra char(4);");
    LoadCounts clear = load("pd_dst clear table with data t1");
    EXPECT_EQ(clear.rowsLoaded, 3);
    EXPECT_EQ(tables.RowCount("t1"), 3);
    EXPECT_EQ(tables.Columns("t1").size(), 7u); // the definition of the dump again
    EXPECT_TRUE(tables.Indexes("t1").empty()); // not asked for this time
}

TEST_F(SchemaLoaderTest, SchemaFromTheDumpWhenNoneIsGiven)
{
    t.AddSchema("pd_src");
    RisSession session(t.Server());
    LoadCounts c = SchemaLoader(session, nullptr, nullptr)
                       .Load(RisTransferRequest::Parse({"", "table", "with", "data", "all"}),
                             WinPathFromHost(dir.host() + "/in.dmp"), lastConsole);
    EXPECT_EQ(c.rowsLoaded, 3);
    EXPECT_NE(lastConsole.find("Loading into schema pd_src."), std::string::npos);
}

// A field of blanks in the fixed layout, which writes NULL and a text of blanks alike, read
// by the load and by the conversion into a text table: a text of blanks where the column is
// declared NOT NULL and can hold nothing else, NULL where it takes NULL, and refused, naming the
// row, in a NOT NULL number column, which cannot hold blanks.
struct FixedBlankCase {
    const char* name;
    DumpRow written; // k, c, n, q; NULL is the field of blanks
    std::vector<std::optional<std::string>> stored; // the row in the table, none when refused
    const char* said;      // in the load's refusal of the row
    const char* converted; // the row of the text table
};

void PrintTo(const FixedBlankCase& c, std::ostream* os) { *os << c.name; }

class SchemaLoaderFixedBlankTest : public SchemaLoaderTest, public ::testing::WithParamInterface<FixedBlankCase> {};

TEST_P(SchemaLoaderFixedBlankTest, IsATextOnlyWhereNullIsRefused)
{
    const FixedBlankCase& c = GetParam();
    const std::vector<DumpColumn> columns = {
        {"k", "int", true}, {"c", "char(4)", true}, {"n", "char(4)", false}, {"q", "int", true}};
    const std::vector<DumpFixedField> fields = DumpFormat::FixedFieldsFor(columns);
    std::string row;
    ASSERT_TRUE(DumpFormat::AppendFixedRow(row, c.written, fields));
    std::ofstream(dir.host() + "/blank.dmp", std::ios::binary)
        << "default schema pd_dst\r\n" + DumpFormat::CreateTableLine("f", columns) + "\r\n" +
               DumpFormat::InsertLine("f", columns) + "\r\n" + DumpFormat::FixedHeaderLine(fields) + "\r\n" + row +
               "\r\n***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n";
    const LoadCounts counts = load("pd_dst clear table with data all", "blank.dmp");
    RisSession session(t.Server());
    const auto stands = session.Database("pd_dst").QueryRows("SELECT k, c, n, q FROM f");
    EXPECT_EQ(stands, c.stored.empty() ? decltype(stands)() : decltype(stands){c.stored}) << lastConsole;
    EXPECT_EQ(counts.rowsRejected, c.stored.empty() ? 1 : 0);
    EXPECT_NE(RISErrorMessage(lastConsole).find(c.said), std::string::npos) << lastConsole;

    std::filesystem::create_directories(dir.host() + "/work");
    std::string text, ini;
    RISDumpParse(WinPathFromHost(dir.host() + "/work") + "\\", WinPathFromHost(dir.host() + "/blank.dmp"), "pd_dst",
                 "f", text, ini);
    EXPECT_EQ(readHost(HostPath(text)), c.converted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemaLoaderFixedBlankTest,
    ::testing::Values(
        FixedBlankCase{"NotNullCharIsABlank", {"1", std::nullopt, "x", "7"}, {"1", " ", "x", "7"}, "",
                       "1\x01 \x01x\x01" "7\x01\r\n"},
        FixedBlankCase{"NullableCharIsNull", {"2", "a\"b", std::nullopt, "7"}, {"2", "a\"b", std::nullopt, "7"}, "",
                       "2\x01" "a\"\"b\x01\x01" "7\x01\r\n"},
        FixedBlankCase{"NotNullNumberIsRefused", {"3", "ab", "x", std::nullopt}, {},
                       "line 5: ORA-01722: invalid number (column 'q')", "3\x01" "ab\x01x\x01 \x01\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// What a table declares of NULL, on each road of the load: made as the dump declares it, or, in a
// table loaded into as it stands, said with what stands and never made by dropping rows.
struct NotNullLoadCase {
    const char* name;
    const char* standing;   // t1 as it stands before the load, empty for none
    const char* request;    // of the load into pd_dst
    bool olderDump;         // a dump that declares no NOT NULL
    bool refusesNull;       // t1's id and qty afterwards
    long long rows;         // of t1 afterwards
    const char* said;       // in the load's console, empty for no error
};

void PrintTo(const NotNullLoadCase& c, std::ostream* os) { *os << c.name; }

class SchemaLoaderNotNullTest : public SchemaLoaderTest, public ::testing::WithParamInterface<NotNullLoadCase> {};

TEST_P(SchemaLoaderNotNullTest, DeclaredAsTheDumpSaysOrSaidWithWhatStands)
{
    const NotNullLoadCase& c = GetParam();
    if (*c.standing) {
        int failed = 0;
        t.Batch(std::string("default schema pd_dst;\n") + c.standing, &failed);
        ASSERT_EQ(failed, 0);
    }
    std::string dump = kDump;
    if (c.olderDump)
        dump = ReplaceAll(dump, " not null", "");
    std::ofstream(dir.host() + "/nn.dmp", std::ios::binary) << dump;
    const LoadCounts counts = load(c.request, "nn.dmp");
    RisSession session(t.Server());
    SchemaTables tables(session.Database("pd_dst"));
    EXPECT_EQ(tables.RowCount("t1"), c.rows);
    std::vector<bool> declared;
    for (const RisColumn& column : tables.Columns("t1"))
        declared.push_back(column.notNull);
    const bool n = c.refusesNull;
    EXPECT_EQ(declared, (std::vector<bool>{n, false, n, false, false, false, false}));
    if (*c.said) {
        EXPECT_EQ(counts.errors, 1);
        const std::string said = RISErrorMessage(lastConsole);
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_NE(said.find("nn.dmp' declares it"), std::string::npos) << said;
    } else {
        EXPECT_EQ(counts.errors, 0) << lastConsole;
    }
    int failed = 0;
    const std::string out = t.Batch("default schema pd_dst;\ninsert into t1 (id, qty) values (null, 1);\n", &failed);
    EXPECT_EQ(failed, n ? 1 : 0) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Roads, SchemaLoaderNotNullTest,
    ::testing::Values(
        NotNullLoadCase{"IntoAFreshSchema", "", "pd_dst table with data t1", false, true, 3, ""},
        NotNullLoadCase{"ClearOverATableThatTakesNull",
                        "create table t1 (id int, name char(12), qty smallint, price double, amount decimal(9,2), "
                        "stamp timestamp, ratio real);\ninsert into t1 (id) values (9);\n",
                        "pd_dst clear table with data t1", false, true, 3, ""},
        NotNullLoadCase{"IntoATableThatTakesNullAsItStands",
                        "create table t1 (id int, name char(12), qty smallint, price double, amount decimal(9,2), "
                        "stamp timestamp, ratio real);\ninsert into t1 (id) values (9);\n",
                        "pd_dst table with data t1", false, false, 4,
                        "column 'id' takes NULL (0 rows hold NULL there), column 'qty' takes NULL (1 row holds NULL "
                        "there)"},
        NotNullLoadCase{"AnOlderDumpLoadsAsBefore", "", "pd_dst table with data t1", true, false, 3, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A load killed right before its commit or right after it: the schema's tables and the grants the
// catalogue keeps for them agree, both as they were or both as loaded, never the new tables with
// the old grants.
struct KilledLoadCase {
    const char* name;
    const char* at;                  // the point it is killed at
    long long rows;                  // of t1 afterwards
    std::vector<std::string> grants; // on t1 afterwards
};

void PrintTo(const KilledLoadCase& c, std::ostream* os) { *os << c.name; }

class SchemaLoaderKilledTest : public SchemaLoaderTest, public ::testing::WithParamInterface<KilledLoadCase> {};

TEST_P(SchemaLoaderKilledTest, TablesAndGrantsAgree)
{
    const KilledLoadCase& c = GetParam();
    load("pd_dst clear table with data all view all index all grant all");
    t.Server().AddGrant("pd_dst", "t1", "KEEPER");
    std::string dump = kDump;
    dump.insert(dump.find("***RIS*** End of Table"), "4 'four' 4 4 4   4 \r\n");
    std::ofstream(dir.host() + "/new.dmp", std::ios::binary) << dump;
    const std::string root = t.Root(), newDump = WinPathFromHost(dir.host() + "/new.dmp");
    testsupport::ForkedProgram loader(
        [&] {
            DbServer server(root);
            RisSession session(server);
            std::string console;
            SchemaLoader(session, nullptr, nullptr)
                .Load(RisTransferRequest::Parse(RisTransferRequest::SplitWords("pd_dst clear table with data all "
                                                                               "index all grant all")),
                      newDump, console);
            return 0;
        },
        [&](const std::string& op, const std::string&) { return op == c.at; }, testsupport::ForkedProgram::AtStop::Kill);
    EXPECT_TRUE(loader.Reached());
    EXPECT_EQ(loader.Wait(), -SIGKILL);

    RisSession session(t.Server());
    EXPECT_EQ(SchemaTables(session.Database("pd_dst")).RowCount("t1"), c.rows);
    EXPECT_EQ(t.Server().GrantsOn("pd_dst", "t1"), c.grants);
}

INSTANTIATE_TEST_SUITE_P(
    KillPoints, SchemaLoaderKilledTest,
    ::testing::Values(KilledLoadCase{"BeforeItsCommit", "commit", 3, {"KEEPER", "PUBLIC"}},
                      KilledLoadCase{"AfterItsCommit", "committed", 4, {"PUBLIC"}}),
    [](const auto& info) { return std::string(info.param.name); });
