// Piping model restore: model list parsing, dump check, and the cut of a model's tables; and on
// the sample environment with RIS clients that fail, the restore never reports success for tables
// it cleared and could not fill, and the model list is this run's whole answer or none.
#include "admin/PipingModelRestore.h"

#include "AdminTestSupport.h"
#include "dbaccess/LoadMarks.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"
#include "support/SampleEnvironment.h"
#include "support/WrapperClients.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/StandInEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

using testsupport::ClientRule;
using admintest::ReadHostFile;
using admintest::WriteHostFile;
using Strings = std::vector<std::string>;

std::string block(const std::string& table, const Strings& rows)
{
    std::string s = "create table " + table + " (system_unique_no int, note char(40))\r\n" + "insert into " + table +
                    " (system_unique_no, note) values (?, ?)\r\n" + "***variable*** system_unique_no note \r\n";
    for (const std::string& r : rows)
        s += r + "\r\n";
    return s + "***RIS*** End of Table ***RIS***\r\n";
}

class PipingModelRestoreTest : public ::testing::Test {
protected:
    std::string dump(const std::string& content)
    {
        WriteHostFile(folder_.host("dd_abc.dmp"), content);
        return folder_.win("dd_abc.dmp");
    }
    std::string cut(const std::string& content, const std::string& partition, Strings* copied = nullptr)
    {
        Strings tables = PipingModelRestore::WritePartialDump(dump(content), "abc", partition, folder_.win("part.dmp"));
        if (copied)
            *copied = tables;
        return ReadHostFile(folder_.host("part.dmp"));
    }

    admintest::AdminFolder folder_{"pipingrestore"};
};

TEST_F(PipingModelRestoreTest, ModelsComeFromTheModelNoLinesAndTheNextLineAndBrokenListsAreRefused)
{
    const std::string output = "model_no: 'P1001'\r\npartition_no: 1\r\n\r\nmodel_no: 'P 2'\r\npartition_no:  12 \r\n"
                               "\r\nmodel_no: 'P\r'3'\r\npartition_no: 3\r\n\r\nEnd of Data Found\r\n";
    const std::vector<PipingModel> models = PipingModelRestore::ParseModelList(output);
    ASSERT_EQ(models.size(), 3u);
    EXPECT_EQ(models[0].modelNo + "/" + models[0].partitionNo, "P1001/1");
    EXPECT_EQ(models[1].modelNo + "/" + models[1].partitionNo, "P 2/12");
    EXPECT_EQ(models[2].modelNo + "/" + models[2].partitionNo, "P\r'3/3"); // a CR and a quote are the number's
    EXPECT_TRUE(PipingModelRestore::ParseModelList("End of Data Found\r\n").empty());
    const std::string risError = std::string(78, '*') + "*\r\nRIS Error: RIS_E_UNKNOWN_SCHEMA\r\n" + std::string(79, '*') + "\r\n";
    for (const std::string& broken : {std::string("model_no: P1001\r\npartition_no: 1\r\n"),
                                      std::string("model_no: 'P1001'\r\n"),
                                      std::string("model_no: 'P1001'\r\npartition_no: \r\n"), risError,
                                      output.substr(0, output.find("\r\nmodel_no: 'P 2'")), std::string()})
        EXPECT_THROW(PipingModelRestore::ParseModelList(broken), AppError) << broken;
    EXPECT_THROW(PipingModelRestore::ListModels("a b'c"), AppError); // a bad project name, before the list
}

TEST_F(PipingModelRestoreTest, DumpCheckWantsHundredBytesAndTheDesignSchemaLine)
{
    const std::string line = "default schema DD_ABC\r\n";
    EXPECT_FALSE(PipingModelRestore::IsDesignSchemaDump(dump(line + std::string(99 - line.size(), 'x')), "abc"));
    EXPECT_TRUE(PipingModelRestore::IsDesignSchemaDump(dump(line + std::string(100 - line.size(), 'x')), "abc"));
    EXPECT_TRUE(PipingModelRestore::IsDesignSchemaDump(dump("create schema dd_abc on database x\r\n" + std::string(100, 'x')), "abc"));
    EXPECT_FALSE(PipingModelRestore::IsDesignSchemaDump(dump("default schema pd_abc\r\n" + std::string(100, 'x')), "abc"));
    // Another project whose name begins like this one's: the name counts whole.
    EXPECT_FALSE(PipingModelRestore::IsDesignSchemaDump(dump("default schema dd_abcd\r\n" + std::string(100, 'x')), "abc"));
    EXPECT_EQ(PipingModelRestore::DumpSchemaOf(dump("create schema dd_abcd on database x\r\n")), "dd_abcd");
    EXPECT_FALSE(PipingModelRestore::IsDesignSchemaDump(folder_.win("none.dmp"), "abc"));
    EXPECT_FALSE(PipingModelRestore::IsDesignSchemaDump("", "abc"));
}

TEST_F(PipingModelRestoreTest, PartialDumpHoldsExactlyThePartitionsTablesWithTheirIndexesAndGrants)
{
    Strings copied;
    const std::string index = "create unique index i12 on pdtable_12_1 (a)\r\n";
    const std::string grant = "grant select, insert, delete, update on pdtable_12_1 to PUBLIC\r\n";
    // Index and grant lines of other tables stay out: of pdtable_12_10 (a longer name), and of
    // pdtable_34_1, whose block is not in the dump.
    const std::string content = "default schema dd_abc\r\n" + block("pdtable_12_10", {"1 'ten'"}) +
                                block("pdtable_12_1", {"2 'one'"}) + "create unique index i1210 on pdtable_12_10 (a)\r\n" +
                                index + "create unique index i34 on pdtable_34_1 (a)\r\n" +
                                "grant select, insert, delete, update on pdtable_12_10 to PUBLIC\r\n" + grant;
    EXPECT_EQ(cut(content, "1", &copied), "default schema dd_abc\r\n" + block("pdtable_12_1", {"2 'one'"}) + index +
                                              grant + "***RIS*** End of Schema ***RIS***\r\n");
    EXPECT_EQ(copied, (Strings{"pdtable_12_1"}));
}

TEST_F(PipingModelRestoreTest, BlocksComeInTableNumberOrderWhateverTheDumpOrder)
{
    Strings copied;
    const std::string content = "default schema dd_abc\r\n" + block("pdtable_80_3", {"8 'x'"}) +
                                block("pdtable_67_2", {"6 'other model'"}) + block("PDTABLE_12_3", {"1 'x'"}) +
                                block("pdtable_50_3", {"5 'x'"});
    EXPECT_EQ(cut(content, "3", &copied), "default schema dd_abc\r\n" + block("PDTABLE_12_3", {"1 'x'"}) +
                                              block("pdtable_50_3", {"5 'x'"}) + block("pdtable_80_3", {"8 'x'"}) +
                                              "***RIS*** End of Schema ***RIS***\r\n");
    EXPECT_EQ(copied, (Strings{"pdtable_12_3", "pdtable_50_3", "pdtable_80_3"}));
}

TEST_F(PipingModelRestoreTest, DataValuesDoNotOpenOrCloseBlocks)
{
    // A note that reads like an end-of-table line stays data; a create-table text in another
    // table's rows opens nothing.
    const Strings rows{"1 'see End of Table below'", "2 '***RIS*** End of Table ***RIS*** quoted'"};
    const std::string content = "default schema dd_abc\r\n" + block("pdtable_67_4", {"9 'create table pdtable_12_1 ('"}) +
                                block("pdtable_12_1", rows);
    Strings copied;
    EXPECT_EQ(cut(content, "1", &copied),
              "default schema dd_abc\r\n" + block("pdtable_12_1", rows) + "***RIS*** End of Schema ***RIS***\r\n");
    EXPECT_EQ(copied, (Strings{"pdtable_12_1"}));

    // Rows of the fixed layout begin with their first value: a text there that reads like a
    // create-table line of the model's table is still a row of its own table.
    const std::string fixed = "create table pdtable_67_4 (note char(40))\r\ninsert into pdtable_67_4 (note) values (?)\r\n"
                              "note 1 40\r\ncreate table pdtable_12_1 (a int)\r\n***RIS*** End of Table ***RIS***\r\n";
    EXPECT_EQ(cut("default schema dd_abc\r\n" + fixed + block("pdtable_12_1", rows), "1", &copied),
              "default schema dd_abc\r\n" + block("pdtable_12_1", rows) + "***RIS*** End of Schema ***RIS***\r\n");
}

TEST_F(PipingModelRestoreTest, NoTableOfTheModelOrAnUnclosedBlockIsRefused)
{
    EXPECT_THROW(cut("default schema dd_abc\r\n" + block("pdtable_12_2", {"1 'x'"}), "1"), AppError);
    EXPECT_THROW(cut("default schema dd_abc\r\ncreate table pdtable_12_1 (a int)\r\n1 \r\n", "1"), AppError);
    EXPECT_THROW(cut("default schema dd_abc\r\n" + block("pdtable_12_1", {}), "1;drop"), AppError);
    // Nothing of the part files stays behind.
    for (const auto& e : std::filesystem::directory_iterator(folder_.host("")))
        EXPECT_NE(e.path().extension(), ".part") << e.path();
}

class PipingModelRestoreFailureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }
    void TearDown() override { SetHostFileFault(nullptr); }

    // What the call raised; empty when it went through.
    template <class Call> static std::string failureOf(Call call)
    {
        try {
            call();
            return {};
        } catch (const AppError& e) {
            return e.description();
        }
    }

    admintest::AdminFolder folder_{"pipingfailure"};
    testsupport::WrapperClients clients_;
    const std::string dump_ = WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/dd_demo.dmp");
};

// The rows of a table of dd_demo as the server holds them.
size_t rowsOf(const std::string& table)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    return session.Database("dd_demo").QueryRows("SELECT * FROM \"" + table + "\"").size();
}

void execute(const std::string& statement)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    std::string out;
    session.Execute("default schema dd_demo", out);
    session.Execute(statement, out);
}

// Each case first takes rows out of model P1001's tables, then restores it with a client that
// misbehaves: what the message says must match the rows that stand afterwards, and the rows a
// table refused are kept in a named bad file.
TEST_F(PipingModelRestoreFailureTest, WhatTheRestoreSaysIsWhatTheTablesHold)
{
    const std::string tmp = GetEnvVar("TMP");
    // A copy of the dump whose last pdtable_12_1 row lacks a field: the table refuses it.
    const std::string badRowDump = folder_.win("dd_demo_badrow.dmp");
    WriteHostFile(HostPath(badRowDump), ReplaceAll(ReadHostFile(HostPath(dump_)), "102 'L-102' 6.5 'PW' ", "102 'L-102' 6.5 "));
    // A dump holding three of the model's five tables.
    std::string three = ReadHostFile(HostPath(dump_));
    for (const char* table : {"pdtable_67_1", "pdtable_80_1"})
        three = ReplaceAll(three, std::string("create table ") + table, std::string("create table x") + table);
    const std::string threeDump = folder_.win("dd_demo_three.dmp");
    WriteHostFile(HostPath(threeDump), three);
    struct Case {
        const char* name;
        std::string dump;
        ClientRule rule;            // of rislod
        Strings said;               // in the message, or in the error when it raised
        bool raises;
        size_t rows12, rows34;      // pdtable_12_1 and pdtable_34_1 afterwards
    };
    const std::vector<Case> cases = {
        {"loaded, then died", dump_, ClientRule::DieAfter(139),
         {"DD schema was restored!\r\n\r\nThe restore of piping model P1001 into dd_demo was done although rislod ended "
          "with exit code 139; schema dd_demo: every table of the dump is there with its rows (5 tables"},
         false, 3, 3},
        {"died before loading", dump_, ClientRule::DieBefore(139),
         {"The restore of piping model P1001 into dd_demo is not whole: schema dd_demo: pdtable_12_1 holds 1 row of "
          "the dump's 3; pdtable_34_1 holds 1 row of the dump's 3; the other 3 tables of the dump are there with their "
          "rows (rislod ended with exit code 139).\r\n"},
         true, 1, 1},
        {"a row refused", badRowDump, ClientRule::PassThrough(),
         {"The restore of piping model P1001 into dd_demo is not whole: ", "pdtable_12_1 holds 2 rows of the dump's 3",
          "see the bad file).\r\n", "The rows rislod refused are kept in the bad file '" + ReplaceAll(tmp, "/", "\\") +
          "\\pipfile_P1001_", "102 'L-102' 6.5 \r\n"},
         true, 2, 3},
        // The load leaves a row out and ends well: the server's count shows it.
        {"a row left out, ended well", dump_, ClientRule::DropLines("'L-102'"),
         {"The restore of piping model P1001 into dd_demo is not whole: schema dd_demo: pdtable_12_1 holds 2 rows of "
          "the dump's 3; the other 4 tables of the dump are there with their rows.\r\n"},
         true, 2, 3},
        {"three tables in the dump", threeDump, ClientRule::PassThrough(),
         {"DD schema was restored in part!", "Restored: pdtable_12_1, pdtable_34_1, pdtable_50_1\r\n",
          "left as they were: pdtable_67_1, pdtable_80_1\r\n", "Please restore now piping model file (P1001.dgn)"},
         false, 3, 3},
        {"loaded", dump_, ClientRule::PassThrough(),
         {"DD schema was restored!\r\n\r\nPlease restore now piping model file (P1001.dgn) from backup\r\n"}, false,
         3, 3},
    };
    const PipingModel model{"P1001", "1"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        execute("delete from pdtable_12_1 where system_unique_no <> 100");
        execute("delete from pdtable_34_1 where system_unique_no <> 200");
        const size_t rows67 = rowsOf("pdtable_67_1");
        clients_.Set("rislod", c.rule);
        std::string message;
        const std::string error = failureOf([&] { message = PipingModelRestore::Restore(c.dump, "demo", model); });
        EXPECT_EQ(clients_.Runs("rislod"), 1);
        const std::string& said = c.raises ? error : message;
        EXPECT_EQ(c.raises, !error.empty()) << error;
        for (const std::string& text : c.said)
            EXPECT_NE(said.find(text), std::string::npos) << text << "\n" << said;
        for (const char* never : {"..", "/", "not known"}) // "/": every path in Windows form
            EXPECT_EQ(said.find(never), std::string::npos) << never << "\n" << said;
        EXPECT_EQ(rowsOf("pdtable_12_1"), c.rows12);
        EXPECT_EQ(rowsOf("pdtable_34_1"), c.rows34);
        EXPECT_EQ(rowsOf("pdtable_67_1"), rows67);
        // A bad file stays only when it holds refused rows.
        size_t badFiles = 0;
        for (const auto& entry : std::filesystem::directory_iterator(HostPath(tmp)))
            if (entry.path().filename().string().rfind("pipfile_P1001_", 0) == 0) {
                ++badFiles;
                EXPECT_NE(said.find(entry.path().filename().string()), std::string::npos);
                std::filesystem::remove(entry.path());
            }
        EXPECT_EQ(badFiles, std::string(c.name) == "a row refused" ? 1u : 0u);
    }
}

// A restore refused before its client runs keeps the user's dump from every unload, naming why,
// until a restore of that model from the file is found whole.
TEST_F(PipingModelRestoreFailureTest, ARefusedRestoreKeepsItsDumpUntilTheModelIsRestoredWhole)
{
    const std::string whole = ReadHostFile(HostPath(dump_));
    const std::string endOfTable = "***RIS*** End of Table ***RIS***\r\n";
    const size_t table34 = whole.find("create table pdtable_34_1 ");
    const struct {
        const char* name;
        std::string dump;
        std::string why; // in the record's words
    } cases[] = {
        {"an end-of-table line of the model lost",
         whole.substr(0, whole.find(endOfTable, table34)) + whole.substr(whole.find(endOfTable, table34) + endOfTable.size()),
         "was not started (The partial dump"},
        {"no table of the model", ReplaceAll(whole, "create table pdtable_", "create table xpdtable_"),
         "was not started (None of the tables of partition 1"},
    };
    const std::string userDump = folder_.win("dd_demo.dmp");
    const PipingModel model{"P1001", "1"};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteHostFile(HostPath(userDump), c.dump);
        clients_.Set("rislod", ClientRule::PassThrough());
        EXPECT_FALSE(failureOf([&] { PipingModelRestore::Restore(userDump, "demo", model); }).empty());
        EXPECT_EQ(clients_.Runs("rislod"), 0);
        const std::string kept = LoadMarks::KeptFor(userDump);
        EXPECT_NE(kept.find("the restore of piping model P1001 into dd_demo from '" + userDump + "'"), std::string::npos)
            << kept;
        EXPECT_NE(kept.find(c.why), std::string::npos) << kept;
        EXPECT_NE(kept.find("nothing of it was loaded, schema dd_demo is as it was"), std::string::npos) << kept;
        EXPECT_NE(kept.find("(or a restore of piping model P1001 from it)"), std::string::npos) << kept;
        EXPECT_EQ(ReadHostFile(HostPath(userDump)), c.dump);
        // Mended, the model is restored whole from it: the record goes.
        WriteHostFile(HostPath(userDump), whole);
        EXPECT_EQ(failureOf([&] { PipingModelRestore::Restore(userDump, "demo", model); }), "");
        EXPECT_EQ(LoadMarks::KeptFor(userDump), "");
    }
}

TEST_F(PipingModelRestoreFailureTest, AStaleOrPartialModelListIsNoList)
{
    const std::string output = HostPath(PipingModelRestore::OutputFile());
    struct Case {
        const char* name;
        bool oldOutputStays; // an earlier run's output that cannot be deleted
        ClientRule rule;     // of risbatch
        std::string error;   // "" = listed
    };
    const std::vector<Case> cases = {
        {"old output that cannot be deleted", true, ClientRule::PassThrough(), "could not be deleted"},
        {"died after its answer", false, ClientRule::DieAfter(134), "risbatch ended with exit code 134"},
        {"cut after a model, exit 0", false, ClientRule::CutAnswer(8), "ends without its \"End of Data Found\" line"},
        {"refused the query", false, ClientRule::RefuseStatement("pdtable_113", "RIS_E_TABLE_NOT_FOUND"),
         "RIS_E_TABLE_NOT_FOUND"},
        {"listed", false, ClientRule::PassThrough(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients_.Set("risbatch", c.rule);
        if (c.oldOutputStays) {
            admintest::WriteHostFile(output, "model_no: 'OLD1'\npartition_no: 9\n");
            SetHostFileFault([&](const std::string& op, const std::string& host) {
                return op == "delete" && host == output ? EACCES : 0;
            });
        }
        std::vector<PipingModel> models;
        const std::string error = failureOf([&] { models = PipingModelRestore::ListModels("demo"); });
        SetHostFileFault(nullptr);
        std::filesystem::remove(output);
        if (!c.error.empty()) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(error, "");
        ASSERT_EQ(models.size(), 2u);
        EXPECT_EQ(models[1].modelNo, "P1002");
        EXPECT_EQ(models[1].partitionNo, "2");
    }
}

} // namespace
