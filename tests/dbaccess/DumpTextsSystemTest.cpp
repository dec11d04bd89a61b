// Values that hold the dump's own keywords and markers, taken through the real stand-in
// clients: unload, the conversion behind every query, the listings and the load back. And a
// client that prints a banner of stars on a clean run.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpParse.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/DumpTestFiles.h"
#include "dbaccess/SampleServerFixture.h"
#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace fs = std::filesystem;
using namespace dumptest;
using Names = std::vector<std::string>;

namespace {

// Every text a reader of dumps once took for a line of its own.
const Names kTexts = {
    "plain",
    "***RIS*** End of Table ***RIS***",
    "default schema pd_x",
    "create schema pd_y on database (oracle)",
    "create table mk_z (a int)",
    "***RIS*** End of Schema ***RIS***",
    "a 1 4 b 6 10",
    // A CR ends no line of a dump or an answer: it is the value's, inside it or at its end.
    "cr\rinside, a quote ' and a backslash \\",
    "ends in cr\r",
    "last",
};
const Names kTables = {"mk_first", "mk_middle", "mk_last"};

class DumpTextsSystemTest : public SampleServerFixture {
protected:
    DumpTextsSystemTest() : SampleServerFixture("dumptexts") {}

    void SetUp() override
    {
        SampleServerFixture::SetUp();
        CreateSchema("pd_marks");
        for (const std::string& table : kTables) {
            std::string sql = "create table " + table + " (id int, txt char(60))";
            for (size_t i = 0; i < kTexts.size(); ++i)
                sql += ";\r\ninsert into " + table + " values (" + std::to_string(i + 1) + ", " +
                       SqlStringLiteral(kTexts[i]) + ")";
            cris.DBWrite("pd_marks", sql);
        }
    }

    Names Texts(Recordset rs)
    {
        Names texts;
        if (rs.RecordCount() != 0)
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                texts.push_back(rs.Fields()["txt"].Value().ToText());
        return texts;
    }

    Names ServerTexts(const std::string& table)
    {
        Names texts;
        for (const auto& row : Rows("pd_marks", "SELECT txt FROM " + table + " ORDER BY id"))
            texts.push_back(row[0].value_or("NULL"));
        return texts;
    }
};

using testsupport::Raised;

} // namespace

TEST_F(DumpTextsSystemTest, KeywordsAndMarkersInValuesSurviveEveryReader)
{
    // The query path: risunlod, then the conversion, for the first, the middle and the last table.
    for (const std::string& table : kTables)
        EXPECT_EQ(Texts(cris.DBRead("pd_marks", "SELECT id, txt FROM " + table + " ORDER BY id", 3)), kTexts)
            << table;

    const std::string dump = Out("marks.dmp");
    cris.RISUnload(dump, "pd_marks", kTables, std::nullopt, "", 0, false, UnloadExtras::ViewsIndexesGrants);
    EXPECT_EQ(cris.RISDumpGetSchemas(dump), Names{"pd_marks"});
    EXPECT_EQ(cris.RISDumpGetTables(dump), (Names{"pd_marks|mk_first", "pd_marks|mk_middle", "pd_marks|mk_last"}));

    // The conversion of each table, with chunk borders falling everywhere.
    const std::string work = cris.GetTempDir();
    for (size_t chunk : {size_t{9}, size_t{31}, size_t{64}, size_t{113}, DumpFormat::kChunkSize}) {
        for (const std::string& table : kTables) {
            std::string text, ini;
            RISDumpParse(work, dump, "pd_marks", table, text, ini, false, chunk);
            const std::string rows = ReadHostFile(HostPath(text));
            EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), static_cast<long>(kTexts.size()))
                << table << " chunk " << chunk << ":\n" << rows;
            EXPECT_NE(rows.find("\x01***RIS*** End of Table ***RIS***\x01"), std::string::npos) << rows;
            EXPECT_NE(rows.find("\x01last\x01"), std::string::npos) << rows;
            DeleteFileA(text, false);
            DeleteFileA(ini, false);
        }
    }
    EXPECT_EQ(Texts(cris.RISDumpRead(dump, "pd_marks", "SELECT txt FROM mk_last ORDER BY id")), kTexts);

    // And back through the load client: every row, whole.
    cris.RISLoad(dump, std::nullopt, 0, "pd_marks", Out("load.log"), 25);
    for (const std::string& table : kTables)
        EXPECT_EQ(ServerTexts(table), kTexts) << table;
}

TEST_F(DumpTextsSystemTest, DumpQueriesWithoutADumpPathUnloadNothing)
{
    AppError e = Raised([&] { cris.RISDumpRead("", "pd_marks", "SELECT txt FROM mk_first"); });
    EXPECT_EQ(e.description(), "RIS dump file '' not found");
    EXPECT_EQ(e.source(), "CRIS::RISDumpRead");
    e = Raised([&] { cris.RISDumpImport2Access("", "pd_marks", "SELECT txt FROM mk_first", Out("x.mdb"), "", false); });
    EXPECT_EQ(e.description(), "RIS dump file '' not found");
    EXPECT_EQ(e.source(), "CRIS::RISDumpImport2Access");
    EXPECT_FALSE(fs::exists(OutHost("x.mdb")));
    e = Raised([&] { cris.RISDumpRead(Out("x.dmp"), "pd_marks", " SELECT txt FROM mk_first"); });
    EXPECT_EQ(e.description(), "Only SELECT queries can be processed ' SELECT txt FROM mk_first'");
}

TEST_F(DumpTextsSystemTest, ABannerOfStarsIsNoError)
{
    // An unload client that greets with a framed banner before the real one runs.
    const std::string bin = OutHost("ris/BIN");
    fs::create_directories(bin);
    const std::string stars(79, '*');
    std::string boxed = "* RIS Unload stand-in, banner edition";
    boxed += std::string(78 - boxed.size(), ' ') + "*";
    WriteHostFile(bin + "/risunlod.exe", "#!/bin/sh\n: > '" + OutHost("greeted") + "'\nprintf '%s\\r\\n' '" + stars +
                                             "' '" + boxed + "' '" + stars + "'\nexec '" + testsupport::BinDir() +
                                             "/risunlod.exe' \"$@\"\n");
    fs::permissions(bin + "/risunlod.exe", fs::perms::owner_all, fs::perm_options::add);
    fs::create_symlink(testsupport::BinDir() + "/risbatch.exe", bin + "/risbatch.exe");
    cris.SetUseRIS(Win(bin));

    cris.RISUnload(Out("banner.dmp"), "pd_marks", Names{"mk_first"}, std::nullopt, "", 0, false, UnloadExtras::None);
    EXPECT_EQ(Texts(cris.DBRead("pd_marks", "SELECT txt FROM mk_first ORDER BY id", 3)), kTexts);
    EXPECT_TRUE(fs::exists(OutHost("greeted"))); // the greeting client ran
}

// One rule for every reader (the listings, the conversion behind the queries, the item reader
// and the load client): a byte-order mark is passed over; an end line with a blank before or
// after it or in other case is neither a marker nor a row and refuses the dump naming the
// line, as does a dump cut inside its last table; and a value holding the text table's
// separator is refused by the conversion naming its table and row instead of shifting the
// row's columns.
TEST_F(DumpTextsSystemTest, EveryReaderTakesAMarkATrailingBlankAndTheSeparatorAlike)
{
    const std::string end = "***RIS*** End of Table ***RIS***";
    const std::string endSchema = "***RIS*** End of Schema ***RIS***";
    int dumps = 0;
    const auto dump = [&](const std::string& mark, const std::string& firstEnd, const std::string& value,
                          const std::string& tail = "***RIS*** End of Table ***RIS***\r\n"
                                                    "***RIS*** End of Schema ***RIS***\r\n") {
        const std::string name = "r" + std::to_string(++dumps) + ".dmp";
        WriteHostFile(OutHost(name), mark + "default schema pd_rd\r\n"
                                               "create table a (k int, t char(10))\r\ninsert into a (k, t) values (?, ?)\r\n"
                                               "***variable*** k t \r\n1 '" + value + "' \r\n2 'y' \r\n" + firstEnd +
                                               "\r\ncreate table b (k int)\r\ninsert into b (k) values (?)\r\n"
                                               "***variable*** k \r\n3 \r\n" + tail);
        return Out(name);
    };
    CreateSchema("pd_rd");
    const std::string ordered = "SELECT k FROM a ORDER BY k";
    struct Reader {
        const char* name;
        std::function<std::string(const std::string&)> read;  // what it makes of the dump
    };
    const std::vector<Reader> readers = {
        {"schema listing", [&](const std::string& d) { return Join(cris.RISDumpGetSchemas(d), ","); }},
        {"table listing", [&](const std::string& d) { return Join(cris.RISDumpGetTables(d), ","); }},
        {"query", [&](const std::string& d) { return std::to_string(cris.RISDumpRead(d, "pd_rd", ordered).RecordCount()); }},
        {"item reader", [&](const std::string& d) {
             DumpReader reader(d);
             DumpItem item;
             int rows = 0;
             while (reader.Next(item))
                 rows += item.kind == DumpItemKind::Row ? 1 : 0;
             return std::to_string(rows);
         }},
        {"load", [&](const std::string& d) {
             cris.RISLoad(d, std::nullopt, 0, "pd_rd", "", 25);
             return std::to_string(Rows("pd_rd", "SELECT * FROM a").size() + Rows("pd_rd", "SELECT * FROM b").size());
         }},
    };
    struct Case {
        const char* name;
        std::string file;
        std::vector<std::string> expected;  // per reader: its answer, or "!" + a part of its error
    };
    const std::string neither = "!line 7 ' ***RIS*** End of Table ***RIS***' is neither an end line nor a row";
    const std::vector<Case> cases = {
        {"plain", dump("", end, "x"), {"pd_rd", "pd_rd|a,pd_rd|b", "2", "3", "3"}},
        {"byte-order mark", dump("\xEF\xBB\xBF", end, "x"), {"pd_rd", "pd_rd|a,pd_rd|b", "2", "3", "3"}},
        {"end line with a trailing blank", dump("", end + " ", "x"),
         std::vector<std::string>(5, "!line 7 '" + end + " ' is an end-of-table line followed by blanks")},
        // Read as a row, the line would take the next table's lines into this one.
        {"end line with a leading blank", dump("", " " + end, "x"), std::vector<std::string>(5, neither)},
        {"end line in lower case", dump("", ToLower(end), "x"),
         std::vector<std::string>(5, "!line 7 '" + ToLower(end) + "' is neither an end line nor a row")},
        {"end-of-schema line with a trailing blank", dump("", end, "x", end + "\r\n" + endSchema + " \r\n"),
         std::vector<std::string>(5, "!line 13 '" + endSchema + " ' is neither an end line nor a row")},
        {"cut inside its last table", dump("", end, "x", ""),
         std::vector<std::string>(5, "!table 'b' (from line 8) ends without its end-of-table line at line 11")},
        {"separator in a value", dump("", end, "x\x01y"),
         {"pd_rd", "pd_rd|a,pd_rd|b", "!Row 1 of table 'a' holds the character with code 1", "3", "3"}},
    };
    for (const Case& c : cases) {
        for (size_t i = 0; i < readers.size(); ++i) {
            SCOPED_TRACE(std::string(c.name) + ", " + readers[i].name);
            for (const char* table : {"a", "b"})
                try {
                    cris.DBWrite("pd_rd", std::string("drop table ") + table);
                } catch (const AppError&) {
                }
            const std::string& expected = c.expected[i];
            if (expected[0] != '!') {
                EXPECT_EQ(readers[i].read(c.file), expected);
                continue;
            }
            const AppError e = Raised([&] { readers[i].read(c.file); });
            // The load client's refusal comes as a framed error block, wrapped mid-sentence.
            const std::string said = RISErrorMessage(e.description()).empty() ? e.description()
                                                                               : RISErrorMessage(e.description());
            EXPECT_NE(said.find(expected.substr(1)), std::string::npos) << said;
            // The load refuses naming the user's dump, not its own work copy, gone by now.
            if (std::string(readers[i].name) == "load") {
                EXPECT_NE(said.find("The file '" + c.file + "' is no whole RIS dump"), std::string::npos) << said;
            }
        }
    }
}
