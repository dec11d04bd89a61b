// The dump writer from an Access database: column types, quoting, index and grant lines, and
// what a failure leaves behind.
#include "dbaccess/CRIS.h"

#include "dbaccess/DumpTestFiles.h"
#include "dbaccess/DumpWriteLeftovers.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "platform/ado/AccessConnection.h"
#include "platform/ado/Connection.h"
#include "platform/ado/JetEngine.h"
#include "support/TestEnvironment.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using namespace dumptest;

using testsupport::Raised;

namespace {

class CRISDumpWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mdb_ = Win(dir_.host()) + "\\source.mdb";
        dump_ = Win(dir_.host()) + "\\out.dmp";
        AccessConnection::CreateDatabase(mdb_);
        Run("CREATE TABLE pipes (name TEXT(10), n INTEGER, d DOUBLE, laid DATETIME, ok BIT, price CURRENCY, "
            "note MEMO, s SMALLINT)");
        Run("INSERT INTO pipes VALUES ('P''1', 3, 2.5, #2024-01-31#, True, 12.5, 'long note', 7)");
        Run("INSERT INTO pipes (name) VALUES ('')");
        Run("CREATE TABLE empty_t (k INTEGER)");
    }

    void Run(const std::string& sql)
    {
        Connection conn;
        conn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + mdb_ + ";");
        conn.Execute(sql);
    }

    std::string Dump() const { return ReadHostFile(HostPath(dump_)); }

    testsupport::ScopedDir dir_{"dumpwrite"};
    std::string mdb_;
    std::string dump_;
    CRIS cris_;
};

} // namespace

TEST_F(CRISDumpWriteTest, WritesTypesQuotingAndIndexAndGrantLines)
{
    // A currency amount keeps every digit of its four decimals, a double every digit of a number
    // a double does not hold.
    Run("INSERT INTO pipes (name, price) VALUES ('min', -922337203685477.5808), ('max', '922337203685477.5807')");
    Run("INSERT INTO pipes (name, d) VALUES ('wide', '-12345678901234567891.5')");
    cris_.RISDumpCreate(dump_, "dd_demo", mdb_, {"pipes", "empty_t"}, std::nullopt, true);
    EXPECT_EQ(Dump(),
              "default schema dd_demo\r\n"
              "create table pipes (name char(9), n int, d double, laid char(19), ok char(5), price char(24), "
              "note char(240), s smallint)\r\n"
              "insert into pipes (name, n, d, laid, ok, price, note, s) values (?, ?, ?, ?, ?, ?, ?, ?)\r\n"
              "***variable*** name n d laid ok price note s \r\n"
              "'P''1' 3 2.5 '2024-01-31' 'True' '12.5' 'long note' 7 \r\n"
              // an empty text, then seven NULLs: one blank each, each followed by its separator
              "'' " + std::string(14, ' ') + "\r\n"
              "'min' " + std::string(8, ' ') + "'-922337203685477.5808' " + std::string(4, ' ') + "\r\n"
              "'max' " + std::string(8, ' ') + "'922337203685477.5807' " + std::string(4, ' ') + "\r\n"
              "'wide' " + std::string(2, ' ') + "-12345678901234567891.5 " + std::string(10, ' ') + "\r\n"
              "***RIS*** End of Table ***RIS***\r\n"
              "create table empty_t (k int)\r\n"
              "insert into empty_t (k) values (?)\r\n"
              "***variable*** k \r\n"
              "***RIS*** End of Table ***RIS***\r\n"
              "create unique index upipes on pipes (name)\r\n"
              "create unique index uempty_t on empty_t (k)\r\n"
              "grant select, insert, delete, update on pipes to PUBLIC\r\n"
              "grant select, insert, delete, update on empty_t to PUBLIC\r\n"
              "***RIS*** End of Schema ***RIS***\r\n");
}

TEST_F(CRISDumpWriteTest, QuoteTokenInAValueBecomesAQuote)
{
    Run("CREATE TABLE tok (t TEXT(30))");
    Run("INSERT INTO tok VALUES ('a_SINGLE_QUOTE_CHAR_b')");
    cris_.RISDumpCreate(dump_, "s", mdb_, {"tok"}, std::nullopt, false);
    EXPECT_NE(Dump().find("\r\n'a''b' \r\n"), std::string::npos) << Dump();
}

TEST_F(CRISDumpWriteTest, RowConditionsByPositionAndNoIndexLines)
{
    cris_.RISDumpCreate(dump_, "s", mdb_, {"pipes"}, std::vector<std::string>{"n = 3"}, false);
    const std::string dump = Dump();
    EXPECT_NE(dump.find("'P''1'"), std::string::npos);
    EXPECT_EQ(dump.find("''  "), std::string::npos);
    EXPECT_NE(dump.find("***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n"),
              std::string::npos);
}

// A value the dump cannot carry is named and nothing is written: the dump that was there stays.
// The engine refuses an infinity or a whole number beyond its field; a file written before it
// kept its fields' ranges may still hold one.
TEST_F(CRISDumpWriteTest, AValueTheDumpCannotCarryIsNamedAndTheOldDumpStays)
{
    Run("CREATE TABLE notes (k INTEGER, t MEMO, r DOUBLE, s SMALLINT)");
    WriteHostFile(HostPath(dump_), "the old dump");
    const struct {
        std::string values;
        std::string error;
        bool writtenBefore = false; // stored as it is, past the engine's fields
    } cases[] = {
        {"2, '" + std::string(241, 'x') + "', 1, 0",
         "Value of column 't' in row 2 of table 'notes' is longer than 240 characters"},
        {"2, 'first line\r\nsecond', 1, 0",
         "Table 'notes', column 't', row 2: the value holds a line break, which a RIS dump cannot carry"},
        {"2, 'cut\n***RIS*** End of Table ***RIS***', 1, 0",
         "Table 'notes', column 't', row 2: the value holds a line break, which a RIS dump cannot carry"},
        {"2, 'x', 1e999, 0",
         "Table 'notes', column 'r', row 2: the value 'inf' is not a finite number, which a RIS dump cannot carry",
         true},
        {"3000000000, 'x', 1, 0",
         "Value 3000000000 of column 'k' in row 2 of table 'notes' lies beyond the range of int (-2147483648 to "
         "2147483647)",
         true},
        {"2, 'x', 1, -32769",
         "Value -32769 of column 's' in row 2 of table 'notes' lies beyond the range of smallint (-32768 to 32767)",
         true},
    };
    for (const auto& [values, error, writtenBefore] : cases) {
        SCOPED_TRACE(error);
        Run("DELETE FROM notes");
        Run("INSERT INTO notes VALUES (1, 'fine', 2.5, 0)");
        if (writtenBefore) {
            EXPECT_EQ(Raised([&] { Run("INSERT INTO notes VALUES (" + values + ")"); }).description(),
                      "Numeric field overflow.");
            JetEngine file(HostPath(mdb_), false, JetEngine::Dialect{});
            file.Run(JetSqlTranslator::Translate("INSERT INTO notes VALUES (" + values + ")",
                                                 [](const std::string& n) { return n; }));
        } else {
            Run("INSERT INTO notes VALUES (" + values + ")");
        }
        const AppError e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_, {"pipes", "notes"}, std::nullopt, false); });
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source().rfind("RISDumpCreate", 0), 0u) << e.source();
        EXPECT_EQ(e.description(), error);
        EXPECT_EQ(Dump(), "the old dump");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.host()), {}), 2);  // the database and the dump
    }
}

TEST_F(CRISDumpWriteTest, ChecksComeFirst)
{
    AppError e = Raised([&] { cris_.RISDumpCreate(Win(dir_.host()) + "\\no\\x.dmp", "s", mdb_, {"pipes"}, {}, false); });
    EXPECT_EQ(e.description(), "Directory: '" + Win(dir_.host()) + "\\no\\' not exists");
    e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_ + "x", {"pipes"}, {}, false); });
    EXPECT_EQ(e.description(), "Access Database: '" + mdb_ + "x' not exists");
    e = Raised([&] { cris_.RISDumpCreate(dump_, "  ", mdb_, {"pipes"}, {}, false); });
    EXPECT_EQ(e.description(), "Schema name not defined");
    EXPECT_FALSE(std::filesystem::exists(HostPath(dump_)));
}

TEST_F(CRISDumpWriteTest, ProviderErrorsPassOnAndThePartialDumpIsDeleted)
{
    AppError e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_, {"pipes", "missing"}, std::nullopt, false); });
    EXPECT_EQ(e.source().rfind("RISDumpCreate: ", 0), 0u) << e.source();
    EXPECT_FALSE(std::filesystem::exists(HostPath(dump_)));
    e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_, {"pipes", " "}, std::nullopt, false); });
    EXPECT_EQ(e.description(), "Table name not defined");
    e = Raised([&] {
        cris_.RISDumpCreate(dump_, "s", mdb_, {"pipes", "empty_t"}, std::vector<std::string>{"n = 3"}, false);
    });
    EXPECT_EQ(e.description(), "Row condition not defined for table 'empty_t'");
    Run("CREATE TABLE spaced (k INTEGER, [my col] INTEGER)");
    e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_, {"spaced"}, std::nullopt, false); });
    EXPECT_EQ(e.description(), "Table 'spaced', column 'my col': the name holds a character that a create-table "
                               "line cannot carry");
    EXPECT_FALSE(std::filesystem::exists(HostPath(dump_)));
}

// A text column is declared one narrower than its defined size, which is what a dump column of
// that width becomes in Access; a value that does not fit is named rather than cut.
TEST_F(CRISDumpWriteTest, ATextColumnIsDeclaredOneNarrowerThanItsDefinedSize)
{
    Run("CREATE TABLE widths (a TEXT(20), b TEXT(1), c TEXT(255), d TEXT(250))");
    Run("INSERT INTO widths VALUES ('" + std::string(19, 'a') + "', 'b', 'c', 'd')");
    cris_.RISDumpCreate(dump_, "s", mdb_, {"widths"}, std::nullopt, false);
    EXPECT_NE(Dump().find("create table widths (a char(19), b char(1), c char(240), d char(240))\r\n"),
              std::string::npos)
        << Dump();

    Run("INSERT INTO widths (a) VALUES ('" + std::string(20, 'a') + "')");
    const AppError e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_, {"widths"}, std::nullopt, false); });
    EXPECT_EQ(e.description(), "Value of column 'a' in row 2 of table 'widths' is longer than 19 characters");
}

TEST_F(CRISDumpWriteTest, ALinkedDumpIsWrittenThroughAndAFolderInItsPlaceIsNamed)
{
    namespace fs = std::filesystem;
    const std::string dump = HostPath(dump_), real = dir_.host() + "/real.dmp";
    WriteHostFile(real, "the old dump");
    fs::create_symlink(real, dump);
    cris_.RISDumpCreate(dump_, "s", mdb_, {"empty_t"}, std::nullopt, false);
    EXPECT_TRUE(fs::is_symlink(dump));
    EXPECT_EQ(ReadHostFile(real).rfind("default schema s\r\ncreate table empty_t", 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_.host()), {}), 3); // the database, the link and its file

    fs::remove(dump);
    fs::create_directories(dump);
    const AppError e = Raised([&] { cris_.RISDumpCreate(dump_, "s", mdb_, {"empty_t"}, std::nullopt, false); });
    EXPECT_EQ(e.number(), 58);
    EXPECT_EQ(e.description(), "File already exists '" + dump_ + "'");
    EXPECT_TRUE(fs::is_directory(dump));
}

// The writer never writes over the database it reads, by any of its names; a second writer of
// one dump is refused by the first one's name; a writer killed while it writes its part leaves
// the part named in its mark, and the next start (or the next writer of that dump) removes it.
TEST_F(CRISDumpWriteTest, TheDatabaseStaysAndNoPartOfAKilledWriterOutlivesTheNextStart)
{
    namespace fs = std::filesystem;
    testsupport::ScopedStandInRoot root; // the marks
    const std::string database = ReadHostFile(HostPath(mdb_)), link = Win(dir_.host()) + "\\link.mdb";
    fs::create_symlink(HostPath(mdb_), HostPath(link));
    const auto write = [&](const std::string& dump) {
        cris_.RISDumpCreate(dump, "s", mdb_, {"pipes"}, std::nullopt, true);
    };
    for (const std::string& own : {mdb_, ToUpper(mdb_.substr(0, mdb_.size() - 4)) + ".MDB", link})
        EXPECT_NE(Raised([&] { write(own); }).description().find("is the Access database '" + mdb_ +
                                                                "' it is written from: nothing was written"),
                  std::string::npos) << own;
    EXPECT_EQ(ReadHostFile(HostPath(mdb_)), database);
    EXPECT_TRUE(fs::is_symlink(HostPath(link)));
    {
        const RunMark other(DumpWriteMarkObject(HostPath(dump_)),
                            {{"what", "the writing of the dump '" + dump_ + "' from 'elsewhere.mdb'"}});
        const std::string said = Raised([&] { write(dump_); }).description();
        EXPECT_NE(said.find("was not started: the writing of the dump '" + dump_ + "' from 'elsewhere.mdb' (process"),
                  std::string::npos) << said;
    }
    const auto parts = [&] {
        return std::ranges::count_if(fs::directory_iterator(dir_.host()),
                                     [](const auto& entry) { return entry.path().extension() == ".part"; });
    };
    for (const bool nextStart : {true, false}) {
        WriteHostFile(HostPath(dump_), "the old dump");
        const pid_t child = ::fork();
        if (child == 0) {
            SetHostFileFault([](const std::string& op, const std::string& host) {
                if (op == "write" && host.ends_with(".part"))
                    ::raise(SIGKILL);
                return 0;
            });
            write(dump_);
            ::_exit(0);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(ReadHostFile(HostPath(dump_)), "the old dump");
        EXPECT_EQ(parts(), 1);
        EXPECT_EQ(RunMark::List("dump write ").size(), 1u);
        if (nextStart)
            RemoveLeftDumpWriteParts(); // what the next start does
        else
            write(dump_);
        EXPECT_EQ(parts(), 0);
        EXPECT_TRUE(RunMark::List("dump write ").empty());
    }
    EXPECT_TRUE(ReadHostFile(HostPath(dump_)).starts_with("default schema s\r\n"));
}
