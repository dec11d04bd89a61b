// The correction runs against the stand-in server and files on its file server: which files
// are renamed, what is refused, and that a row and its files always end in step. (A further
// file that another row names is the window test's case.)
#include "designfiles/DesignFileNameCorrection.h"
#include "designfiles/FileNameCorrectionRecord.h"
#include "platform/RunMark.h"
#include "support/OtherProcesses.h"

#include "DesignFilesTestSupport.h"
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "services/CheckTree.h"
#include "support/Raised.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using designfilestest::Sql;
using designfilestest::StatusCapture;
using designfilestest::Stored;
using testsupport::ClientRule;

// The test's own folder on the file server, D:\pds\fix of PDSSRV1.
const char* const kPath = "D:\\pds\\fix";
const char* const kDir = "\\\\PDSSRV1\\pds\\fix\\";

std::string host(const std::string& name) { return HostPath(kDir + name); }
void makeFiles(const std::vector<std::string>& names)
{
    for (const std::string& n : names)
        testsupport::WriteHostFile(host(n), "design " + n);
}
bool exists(const std::string& name) { return fs::exists(host(name)); }

// Every file of the test folder with its bytes.
std::map<std::string, std::string> folderNow()
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(host("")))
        files[e.path().filename().string()] = testsupport::ReadHostFile(e.path().string());
    return files;
}

std::vector<std::string> storedSpecs(const std::string& sql)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    std::vector<std::string> out;
    for (const auto& row : session.Database("pd_demo").QueryRows(sql))
        out.push_back(row.at(0).value_or("<null>"));
    return out;
}

class DesignFileNameCorrectionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StandInEnvironmentOptions options = testsupport::SampleEnvironmentOptions();
        options.misnamedDesignFiles = true;
        testsupport::BuildSampleEnvironment(options);
    }
    void TearDown() override
    {
        Sql("default schema pd_demo; delete from pdtable_113 where model_index_no >= 900;"
            "delete from pdtable_121 where drawing_type = 9;");
        fs::remove_all(host(""));
        // What a run left unsettled in the record went with those rows and files.
        RunMark::RemoveLeft("file name correction pd_demo");
    }

    // A row of pdtable_113 (values as stored, blanks kept) and its checked mismatch node.
    CheckTreeNode& model(const std::string& m, const std::string& spec, int discipline = 1, int type = 0,
                         const std::string& path = kPath)
    {
        Sql("default schema pd_demo; insert into pdtable_113 (model_index_no, discipline_indx_no, area_index_no, "
            "model_no, network_address, path_name, model_file_spec, model_type, partition_no) values (" +
            std::to_string(900 + nextIndex_++) + ", " + std::to_string(discipline) + ", 1, '" + ReplaceAll(m, "'", "''") +
            "', 'PDSSRV1', '" + path + "', '" + spec + "', " + std::to_string(type) + ", 0);");
        const std::string d = "Discipline" + std::to_string(discipline);
        for (const auto& [parent, key] : {std::pair<std::string, std::string>("", "Models"), {"Models", d},
                                          {d, d + "Area1"}, {d + "Area1", d + "Model" + Trim(m)}})
            if (!tree.Contains(key))
                tree.Add(parent, key, key);
        const std::string key = d + "Model" + Trim(m) + "ErrorNotMatch" + std::to_string(type);
        CheckTreeNode& fault = tree.Contains(key) ? *tree.Find(key) : tree.Add(d + "Model" + Trim(m), key, "NOT match");
        fault.checked = true;
        return fault;
    }
    // A row of pdtable_121 of drawing type 9, with its checked mismatch node when checked.
    CheckTreeNode* drawing(const std::string& n, const std::string& spec, bool checked = true,
                           const std::string& path = kPath)
    {
        Sql("default schema pd_demo; insert into pdtable_121 (drawing_type, drawing_no, network_address, path_name, "
            "drawing_file_spec) values (9, '" + n + "', 'PDSSRV1', '" + path + "', '" + spec + "');");
        if (!checked)
            return nullptr;
        if (!tree.Contains("Drawings"))
            tree.Add("", "Drawings", "Drawings");
        if (!tree.Contains("DrawingType9"))
            tree.Add("Drawings", "DrawingType9", "9");
        tree.Add("DrawingType9", "DrawingType9Drawing" + n, n);
        CheckTreeNode& fault = tree.Add("DrawingType9Drawing" + n, "DrawingType9Drawing" + n + "ErrorNotMatch" + spec, "x");
        fault.checked = true;
        return &fault;
    }
    static std::string spec(const std::string& m)
    {
        return Stored("SELECT model_file_spec FROM pdtable_113 WHERE model_no = '" + m + "'");
    }

    void correctModels() { DesignFileNameCorrection(tree, tables).CorrectModelFiles("demo"); }
    void correctDrawings() { DesignFileNameCorrection(tree, tables).CorrectDrawingFiles("demo"); }

    // The access object runs the wrapper clients while it lives.
    struct WrappedClients {
        testsupport::WrapperClients clients;
        std::string saved = gCRIS->GetRISPath();
        WrappedClients() { gCRIS->SetUseRIS(clients.WinFolder()); }
        ~WrappedClients() { gCRIS->SetUseRIS(saved); }
    };

    ProjectTables tables = ProjectTables::Cris();
    CheckTree tree;
    StatusCapture status;
    int nextIndex_ = 0;
};

TEST_F(DesignFileNameCorrectionTest, PaddedFileSpecIsCorrectedWithItsFurtherFiles)
{
    makeFiles({"a1.dgn", "a1.bak", "a1.dgn.old", "a1.a1x", "other.dgn"});
    CheckTreeNode& node = model("P-7001", "a1.dgn ");
    correctModels();
    for (const char* moved : {"P-7001.dgn", "P-7001.bak", "P-7001.dgn.old", "P-7001.P-7001x", "other.dgn"})
        EXPECT_TRUE(exists(moved)) << moved;
    EXPECT_FALSE(exists("a1.dgn"));
    EXPECT_EQ(spec("P-7001"), "P-7001.dgn");
    EXPECT_EQ(node.backColor, kTreeColorGreen);
    EXPECT_EQ(node.tag, "Model file moved successfully");
    EXPECT_TRUE(status.contains("Correcting model files successfully"));
}

// A statement that matches no row (the number changed between the read and the statement; here
// risbatch gets the statement with another number): the files go back to their old names.
TEST_F(DesignFileNameCorrectionTest, RowThatTheStatementMissesIsRolledBack)
{
    WrappedClients wrapped;
    wrapped.clients.Set("risbatch", ClientRule::EditLines("'P-7002'", "'P-7002x'"));
    makeFiles({"a2.dgn", "a2.bak"});
    CheckTreeNode& node = model("P-7002", "a2.dgn");
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorRed);
    EXPECT_EQ(node.tag, "0 rows of pdtable_113 changed for model_no: 'P-7002' (1 expected). Files moved back to "
                        "their old names");
    EXPECT_TRUE(exists("a2.dgn"));
    EXPECT_TRUE(exists("a2.bak"));
    EXPECT_FALSE(exists("P-7002.dgn"));
    EXPECT_EQ(Stored("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P-7002'"), "a2.dgn");
}

// Two rows of one model number, discipline and type in two folders: each row is corrected on
// its own, its own file in its own folder and its own row, one after the other in one node.
// Two rows naming one file cannot be told apart by their file: neither is touched.
TEST_F(DesignFileNameCorrectionTest, RowsOfOneKeyInTwoFoldersAreCorrectedOneAfterTheOther)
{
    makeFiles({"a3.dgn", "a3.bak", "sub\\b3.dgn", "sub\\b3.bak"});
    CheckTreeNode& node = model("P-7003", "a3.dgn");
    model("P-7003", "b3.dgn", 1, 0, std::string(kPath) + "\\sub");
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorGreen) << node.tag;
    EXPECT_EQ(node.tag, "Model file moved successfully");
    for (const char* moved : {"P-7003.dgn", "P-7003.bak", "sub\\P-7003.dgn", "sub\\P-7003.bak"})
        EXPECT_TRUE(exists(moved)) << moved;
    for (const char* old : {"a3.dgn", "a3.bak", "sub\\b3.dgn", "sub\\b3.bak"})
        EXPECT_FALSE(exists(old)) << old;
    EXPECT_EQ(storedSpecs("SELECT path_name, model_file_spec FROM pdtable_113 WHERE model_no = 'P-7003' "
                          "ORDER BY path_name"),
              (std::vector<std::string>{kPath, std::string(kPath) + "\\sub"}));
    EXPECT_EQ(storedSpecs("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P-7003' ORDER BY path_name"),
              (std::vector<std::string>{"P-7003.dgn", "P-7003.dgn"}));

    // The same folder reached by two server paths: both rows name one file.
    TearDown();
    tree.Clear();
    makeFiles({"c3.dgn"});
    CheckTreeNode& shared = model("P-7004", "c3.dgn");
    model("P-7004", "c3.dgn", 1, 0, std::string(kPath) + "\\");
    correctModels();
    EXPECT_EQ(shared.backColor, kTreeColorRed);
    EXPECT_EQ(shared.tag, "The row of 'D:\\pds\\fix' naming 'c3.dgn': Model file: '\\\\PDSSRV1\\pds\\fix\\c3.dgn' "
                          "is named also by model 'P-7004'. "
                          "Nothing changed. Not worked on: the row of 'D:\\pds\\fix\\' naming 'c3.dgn'");
    EXPECT_TRUE(exists("c3.dgn"));
    EXPECT_EQ(storedSpecs("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P-7004'"),
              (std::vector<std::string>{"c3.dgn", "c3.dgn"}));
}

TEST_F(DesignFileNameCorrectionTest, DrawingFileJustMovedIsNoFurtherFile)
{
    makeFiles({"A.dgn", "A.bak", "a.txt"});
    CheckTreeNode* node = drawing("A.1", "A.dgn");
    correctDrawings();
    EXPECT_TRUE(exists("A.1.dgn"));
    EXPECT_TRUE(exists("A.1.bak"));
    EXPECT_FALSE(exists("A.1.1.dgn"));
    EXPECT_TRUE(exists("a.txt")); // the old name in another letter case: left as it is
    EXPECT_EQ(node->tag, "Drawing file moved successfully");
}

struct RefusalCase {
    const char* name;
    const char* number;
    std::vector<std::string> files;
    const char* tag;
    bool readOnly = false; // a4.dgn is read-only
};

class DesignFileNameCorrectionRefusalTest : public DesignFileNameCorrectionTest,
                                            public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DesignFileNameCorrectionRefusalTest, RefusedRowKeepsFilesAndTable)
{
    makeFiles(GetParam().files);
    if (GetParam().readOnly)
        SetReadOnlyFile(std::string(kDir) + "a4.dgn", true);
    CheckTreeNode& node = model(GetParam().number, "a4.dgn");
    DesignFileNameCorrection correction(tree, tables);
    correction.CorrectModelFiles("demo");
    EXPECT_EQ(node.backColor, kTreeColorRed);
    EXPECT_EQ(node.tag, GetParam().tag);
    EXPECT_EQ(spec(GetParam().number), "a4.dgn");
    for (const std::string& f : GetParam().files)
        EXPECT_TRUE(exists(f)) << f;
    // The box after the run names the file, why, and what stands.
    const std::string file = std::string(kDir) + "a4.dgn";
    const std::string stands = "Now the row names 'a4.dgn', and '" + file +
                               (exists("a4.dgn") ? "' keeps its name." : "' is not there.");
    ASSERT_EQ(correction.NotRenamed().size(), 1u);
    const std::string& said = correction.NotRenamed()[0];
    EXPECT_EQ(said.rfind("Model '" + std::string(GetParam().number) + "': '" + file + "' was not renamed to '", 0), 0u)
        << said;
    EXPECT_NE(said.find(GetParam().tag), std::string::npos) << said;
    EXPECT_NE(said.find(stands), std::string::npos) << said;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesignFileNameCorrectionRefusalTest,
    ::testing::Values(RefusalCase{"OldMissingNewPresent", "P2", {"P2.dgn"},
                                  "Model file: '\\\\PDSSRV1\\pds\\fix\\P2.dgn' already exists"},
                      RefusalCase{"FifteenCharacters", "ABCDEFGHIJK", {"a4.dgn"},
                                  "model_file_spec: 'ABCDEFGHIJK.dgn' is to long. (Max 14 character)"},
                      RefusalCase{"Blank", "P 2", {"a4.dgn"},
                                  "model_file_spec: 'P 2.dgn' is incorrect. Any special characters are not allowed"},
                      RefusalCase{"ReadOnlyFile", "P3", {"a4.dgn"},
                                  "Permission denied ('\\\\PDSSRV1\\pds\\fix\\a4.dgn' is read-only)", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DesignFileNameCorrectionTest, FrameWorksModelMovesItsCompanionsOrNothing)
{
    std::vector<std::string> files{"f1.dgn"};
    for (const std::string& ext : DesignFileNameCorrection::CompanionExtensions())
        files.push_back("f1." + ext);
    files.pop_back(); // f1.wal is missing
    makeFiles(files);
    CheckTreeNode& node = model("FW1", "f1.dgn", 3, 1);
    correctModels();
    EXPECT_EQ(node.tag, "Model file: '\\\\PDSSRV1\\pds\\fix\\f1.wal' not exists");
    EXPECT_TRUE(exists("f1.dgn"));

    makeFiles({"f1.wal"});
    node.backColor = kTreeColorHighlightText;
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorGreen);
    for (const std::string& ext : DesignFileNameCorrection::CompanionExtensions())
        EXPECT_TRUE(exists("FW1." + ext)) << ext;
    EXPECT_EQ(spec("FW1"), "FW1.dgn");
}

// A statement that the client refuses or that it carries out and then dies, a read of the rows
// afterwards that fails, a lock on a renamed file: the files end where the rows say, and the
// node's text and the raised message say where they are and what the rows name.
TEST_F(DesignFileNameCorrectionTest, AfterAFailedStatementTheFilesFollowTheRows)
{
    WrappedClients wrapped;
    testsupport::WrapperClients& clients = wrapped.clients;
    const ProjectTables real = ProjectTables::Cris();
    std::unique_ptr<FileLock> lock;
    const std::string refused = "RIS Error: RIS_E_NO_PRIVILEGE - Statement refused: ";
    struct Case {
        const char* name;
        bool drawing;    // two equal rows of drawing D-9, else one row of model P-7005
        ClientRule rule; // of risbatch
        bool rereadFails;
        bool holdNewFile;
        std::vector<std::string> files; // the folder afterwards
        const char* rowsName;           // every row of the key afterwards
        std::string error;              // the beginning of the node's text; "" for a green node
        std::string state;              // its end
    };
    const std::vector<Case> cases = {
        {"refused", false, ClientRule::RefuseStatement("UPDATE pdtable_113"), false, false, {"a5.bak", "a5.dgn"},
         "a5.dgn", refused + "UPDATE pdtable_113", ". Files moved back to their old names"},
        {"carried out, then the client died", false, ClientRule::DieAfter(139).When("UPDATE pdtable_113"), false,
         false, {"P-7005.bak", "P-7005.dgn"}, "P-7005.dgn", "", ""},
        {"refused, and the rows cannot be read again", false, ClientRule::RefuseStatement("UPDATE pdtable_113"), true,
         false, {"P-7005.bak", "P-7005.dgn"}, "a5.dgn", refused + "UPDATE pdtable_113",
         ". The rows of pdtable_113 could not be read again (no answer). The files keep their new names: "
         "'\\\\PDSSRV1\\pds\\fix\\P-7005.dgn', '\\\\PDSSRV1\\pds\\fix\\P-7005.bak'"},
        {"refused, and the design file is held", false, ClientRule::RefuseStatement("UPDATE pdtable_113"), false, true,
         {"P-7005.dgn", "a5.bak"}, "a5.dgn", refused + "UPDATE pdtable_113",
         ". Files not moved back: '\\\\PDSSRV1\\pds\\fix\\P-7005.dgn' keeps that name (not moved back to 'a5.dgn': "
         "Permission denied). The row names 'a5.dgn'"},
        {"two equal rows, write-back refused", true, ClientRule::RefuseStatement("drawing_file_spec = 'w9.dgn'"), false,
         false, {"D-9.dgn"}, "D-9.dgn",
         "2 rows of pdtable_121 changed for drawing_no: 'D-9' (1 expected). The old name could not be written back: " +
             refused + "drawing_file_spec = 'w9.dgn'",
         ". The rows name 'D-9.dgn'. The files keep their new names: '\\\\PDSSRV1\\pds\\fix\\D-9.dgn'"},
        {"two equal rows, write-back carried out, then the client died", true,
         ClientRule::DieAfter(139).When("drawing_file_spec = 'w9.dgn'"), false, false, {"w9.dgn"}, "w9.dgn",
         "2 rows of pdtable_121 changed for drawing_no: 'D-9' (1 expected). The old name could not be written back: ",
         ". Files moved back to their old names"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        tree.Clear();
        CheckTreeNode* node = nullptr;
        if (c.drawing) {
            makeFiles({"w9.dgn"});
            node = drawing("D-9", "w9.dgn");
            drawing("D-9", "w9.dgn", false);
        } else {
            makeFiles({"a5.dgn", "a5.bak"});
            node = &model("P-7005", "a5.dgn");
        }
        clients.Set("risbatch", c.rule);
        tables.write = [&](const std::string& schema, const std::string& sql) {
            if (c.holdNewFile)
                lock = std::make_unique<FileLock>(std::string(kDir) + "P-7005.dgn", false);
            return real.write(schema, sql);
        };
        int rowReads = 0; // the first is made before anything moves
        tables.read = [&](const std::string& schema, const std::string& sql) -> Recordset {
            if (c.rereadFails && sql.rfind("SELECT model_file_spec FROM pdtable_113 WHERE", 0) == 0 && ++rowReads > 1)
                throw AppError(1, "CRIS::DBRead", "no answer");
            return real.read(schema, sql);
        };
        std::string raised;
        try {
            c.drawing ? correctDrawings() : correctModels();
        } catch (const AppError& e) {
            raised = e.description();
        }
        lock.reset();
        clients.Set("risbatch", ClientRule::PassThrough());
        std::map<std::string, std::string> expected;
        for (const std::string& f : c.files)
            expected[f] = "design " + (f == "P-7005.dgn" ? std::string("a5.dgn") : f == "P-7005.bak" ? "a5.bak"
                                                                                   : f == "D-9.dgn" ? "w9.dgn" : f);
        EXPECT_EQ(folderNow(), expected);
        const std::vector<std::string> specs =
            c.drawing ? storedSpecs("SELECT drawing_file_spec FROM pdtable_121 WHERE drawing_no = 'D-9'")
                      : storedSpecs("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P-7005'");
        EXPECT_EQ(specs, std::vector<std::string>(c.drawing ? 2 : 1, c.rowsName));
        if (c.error.empty()) {
            EXPECT_EQ(node->backColor, kTreeColorGreen) << node->tag;
            EXPECT_EQ(raised, "");
            continue;
        }
        EXPECT_EQ(node->backColor, kTreeColorRed);
        EXPECT_EQ(node->tag.rfind(c.error, 0), 0u) << node->tag << "\n" << raised;
        ASSERT_GE(node->tag.size(), c.state.size());
        EXPECT_EQ(node->tag.substr(node->tag.size() - c.state.size()), c.state) << node->tag;
        ASSERT_GE(raised.size(), node->tag.size());
        EXPECT_EQ(raised.substr(raised.size() - node->tag.size()), node->tag) << raised;
    }
}

// A key stored in two folders whose UPDATE client dies after its work, answers an error block
// with exit 0, or refuses one row's statement: each row ends naming the file that stands, and
// the node's text says what became of every row.
TEST_F(DesignFileNameCorrectionTest, RowsOfOneKeyInTwoFoldersEndInStepWithTheirFiles)
{
    WrappedClients wrapped;
    const std::string sub = std::string(kPath) + "\\sub";
    struct Case {
        const char* name;
        ClientRule rule; // of risbatch
        bool firstDone, secondDone, raises;
        std::vector<std::string> said; // parts of the node's text
    };
    const std::vector<Case> cases = {
        {"died after its work", ClientRule::DieAfter(139).When("UPDATE pdtable_1"), true, true, false,
         {"file moved successfully; The UPDATE of ", " was done although risbatch ended with exit code 139"}},
        {"error block with exit 0", ClientRule::DieAfter(0, "RIS_E_NET_READ_ERROR").When("UPDATE pdtable_1"), true,
         true, false, {"was done although RIS Error: RIS_E_NET_READ_ERROR"}},
        {"second row refused", ClientRule::RefuseStatement("= 'w2.dgn'"), true, false, true,
         {"The row of 'D:\\pds\\fix\\sub' naming 'w2.dgn': RIS Error: RIS_E_NO_PRIVILEGE",
          ". Files moved back to their old names. Corrected before it: '\\\\PDSSRV1\\pds\\fix\\", "' (was 'w1.dgn')"}},
        {"answered well, changed nothing",
         ClientRule::Scripted(std::string("1 row updated.\r\n"), std::nullopt).When("UPDATE pdtable_1"), false, false,
         false, {"The UPDATE of ", " ended without an error. Files moved back to their old names. Not worked on: "}},
        {"first row refused", ClientRule::RefuseStatement("= 'w1.dgn'"), false, false, true,
         {"The row of 'D:\\pds\\fix' naming 'w1.dgn': RIS Error: RIS_E_NO_PRIVILEGE",
          ". Files moved back to their old names. Not worked on: the row of 'D:\\pds\\fix\\sub' naming 'w2.dgn'"}},
    };
    for (const bool drawings : {true, false})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (drawings ? ", drawing" : ", model"));
            TearDown();
            tree.Clear();
            makeFiles({"w1.dgn", "sub\\w2.dgn"});
            const std::string number = drawings ? "D-200" : "P-7200";
            CheckTreeNode* node = drawings ? drawing(number, "w1.dgn") : &model(number, "w1.dgn");
            drawings ? (void)drawing(number, "w2.dgn", false, sub) : (void)model(number, "w2.dgn", 1, 0, sub);
            wrapped.clients.Set("risbatch", c.rule);
            const auto correct = [&] { drawings ? correctDrawings() : correctModels(); };
            const std::string raised = c.raises ? testsupport::Raised(correct).description() : (correct(), "");
            wrapped.clients.Set("risbatch", ClientRule::PassThrough());
            const std::string first = c.firstDone ? number + ".dgn" : "w1.dgn";
            const std::string second = c.secondDone ? number + ".dgn" : "w2.dgn";
            const std::string rows = drawings ? "drawing_file_spec FROM pdtable_121 WHERE drawing_type = 9 AND drawing_no"
                                              : "model_file_spec FROM pdtable_113 WHERE model_no";
            EXPECT_EQ(storedSpecs("SELECT " + rows + " = '" + number + "' ORDER BY path_name"),
                      (std::vector<std::string>{first, second}));
            EXPECT_EQ(testsupport::ReadHostFile(host(first)), "design w1.dgn");
            EXPECT_EQ(testsupport::ReadHostFile(host("sub\\" + second)), "design sub\\w2.dgn");
            EXPECT_EQ(fs::exists(host("w1.dgn")) + fs::exists(host(number + ".dgn")), 1);
            EXPECT_EQ(node->backColor, c.secondDone ? kTreeColorGreen : kTreeColorRed);
            EXPECT_TRUE(!c.raises || raised.ends_with(node->tag)) << raised; // the message ends with the node's text
            for (const std::string& part : c.said)
                EXPECT_NE(node->tag.find(part), std::string::npos) << node->tag;
        }
}

// What decides the node is read before its first file moves: a failed read of the files the
// tables name, and a design file that another row names, leave files and rows as they were.
TEST_F(DesignFileNameCorrectionTest, NothingMovesBeforeEverythingIsRead)
{
    makeFiles({"pipe8.dgn", "pipe8.bak", "plan20.dgn"});
    model("P-7008", "pipe8.dgn");
    CheckTreeNode* planNode = drawing("D-20", "plan20.dgn");
    drawing("D-30", "plan20.dgn", false);
    const auto before = folderNow();
    WrappedClients wrapped;
    testsupport::WrapperClients& clients = wrapped.clients;
    // The model run reads pdtable_121 only for the files it names.
    clients.Set("risunlod", ClientRule::DieBefore(139, "RIS unload utility\r\n").When("pdtable_121"));
    const AppError e = testsupport::Raised([&] { correctModels(); });
    EXPECT_NE(e.description().find("risunlod ended with exit code 139"), std::string::npos) << e.description();
    EXPECT_EQ(folderNow(), before);
    EXPECT_EQ(spec("P-7008"), "pipe8.dgn");

    clients.Set("risunlod", ClientRule::PassThrough());
    correctDrawings();
    EXPECT_EQ(planNode->backColor, kTreeColorRed);
    EXPECT_EQ(planNode->tag, "Drawing file: '\\\\PDSSRV1\\pds\\fix\\plan20.dgn' is named also by drawing 'D-30'. "
                             "Nothing changed");
    EXPECT_EQ(folderNow(), before);
    EXPECT_EQ(storedSpecs("SELECT drawing_file_spec FROM pdtable_121 WHERE drawing_type = 9 ORDER BY drawing_no"),
              (std::vector<std::string>{"plan20.dgn", "plan20.dgn"}));
}

TEST_F(DesignFileNameCorrectionTest, QuoteInNumberReachesTheRow)
{
    makeFiles({"q.dgn"});
    model("P'1", "q.dgn");
    CheckTreeNode& unknown = model("P404", "none.dgn");
    Sql("default schema pd_demo; delete from pdtable_113 where model_no = 'P404';");
    correctModels();
    EXPECT_TRUE(exists("P'1.dgn"));
    EXPECT_EQ(spec("P''1"), "P'1.dgn");
    EXPECT_EQ(unknown.tag, "model_no not in pdtable_113 found");
}

} // namespace

namespace {

// A move never deletes or replaces a file the run did not make: a file another program puts
// under the old name while the statement runs keeps its bytes when the files go back, and a copy
// that another program replaced while the source could not be deleted is left as it is.
TEST_F(DesignFileNameCorrectionTest, MovesNeverTouchAFileTheRunDidNotMake)
{
    WrappedClients wrapped;
    const ProjectTables real = ProjectTables::Cris();
    struct Case {
        const char* name;
        const char* number;
        const char* old;
        bool refuseUpdate;   // the statement is refused after the files moved
        bool otherAtOldName; // another program writes the old name while the statement runs
        bool sourceHeld;     // deleting the old file fails
        bool otherReplaces;  // ... and another program replaces the copy meanwhile
        std::map<std::string, std::string> folder; // afterwards
        std::string tagStart;
        std::string tagEnd;
        bool recordStays; // the run names what it could not put in step and keeps its record
    };
    const std::string dir = kDir;
    const std::vector<Case> cases = {
        {"old name made by another program before the move back", "P-7006", "a6.dgn", true, true, false, false,
         {{"P-7006.dgn", "design a6.dgn"}, {"a6.dgn", "another program's a6.dgn"}},
         "RIS Error: RIS_E_NO_PRIVILEGE",
         ". Files not moved back: '" + dir + "P-7006.dgn' keeps that name (not moved back to 'a6.dgn': File already "
         "exists). The row names 'a6.dgn'", true},
        {"source held, the run's copy taken away", "P-7007", "a7.dgn", false, false, true, false,
         {{"a7.dgn", "design a7.dgn"}}, "Permission denied", "", false},
        {"source held, the copy replaced by another program", "P-7008", "a8.dgn", false, false, true, true,
         {{"a8.dgn", "design a8.dgn"}, {"P-7008.dgn", "another program's P-7008.dgn"}},
         "Whether the move of '" + dir + "a8.dgn' to '" + dir + "P-7008.dgn' was done is not known: ",
         "both '" + dir + "a8.dgn' and '" + dir + "P-7008.dgn' are there.", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        tree.Clear();
        makeFiles({c.old});
        CheckTreeNode& node = model(c.number, c.old);
        wrapped.clients.Set("risbatch", c.refuseUpdate ? ClientRule::RefuseStatement("UPDATE pdtable_113")
                                                       : ClientRule::PassThrough());
        tables.write = [&](const std::string& schema, const std::string& sql) {
            if (c.otherAtOldName)
                testsupport::WriteHostFile(host(c.old), std::string("another program's ") + c.old);
            return real.write(schema, sql);
        };
        const std::string newName = std::string(c.number) + ".dgn";
        SetHostFileFault([&](const std::string& op, const std::string& hostPath) {
            if (!c.sourceHeld || op != "delete" || hostPath != host(c.old))
                return 0;
            if (c.otherReplaces)
                testsupport::WriteHostFile(host(newName), "another program's " + newName);
            return EACCES;
        });
        try {
            correctModels();
        } catch (const AppError&) {
        }
        SetHostFileFault(nullptr);
        wrapped.clients.Set("risbatch", ClientRule::PassThrough());
        EXPECT_EQ(folderNow(), c.folder);
        EXPECT_EQ(spec(c.number), c.old);
        EXPECT_EQ(node.backColor, kTreeColorRed);
        EXPECT_EQ(node.tag.rfind(c.tagStart, 0), 0u) << node.tag;
        EXPECT_TRUE(node.tag.size() >= c.tagEnd.size() &&
                    node.tag.compare(node.tag.size() - c.tagEnd.size(), c.tagEnd.size(), c.tagEnd) == 0)
            << node.tag;
        // The record this program kept is its own: the drawings of the same click are corrected,
        // no start of it names the record as cut off, and it stays for the next start.
        EXPECT_NO_THROW(correctDrawings());
        EXPECT_TRUE(FileNameCorrectionRecord::MendLeft(tables).empty());
        EXPECT_EQ(RunMark::Look("file name correction pd_demo").state,
                  c.recordStays ? RunMark::State::Left : RunMark::State::Free);
        EXPECT_EQ(folderNow(), c.folder);
    }
}

} // namespace

// A correction killed between its file moves and its UPDATE (or in a move, or after the UPDATE
// ran): the next start, or the next correction, puts the files under the names the row gives,
// each only while it is as the killed run made it; what it cannot put in step it names, and the
// next correction is refused by that text until it is in step.
TEST_F(DesignFileNameCorrectionTest, ACorrectionKilledMidWayIsPutInStepByTheNextStartOrCorrection)
{
    WrappedClients wrapped;
    const std::string named = "model 'P-7006': its row names '";
    const struct {
        const char* name;
        ClientRule rule;          // of risbatch
        bool killedInMove;        // killed at the removal of a6.dgn after its copy was made
        bool userEdits;           // the user writes into P-7006.dgn after the kill
        bool byCorrection;        // mended by the next correction, else by the start
        std::vector<std::string> files; // the folder afterwards
        std::string row;          // the row's file afterwards
        std::string said;         // by the mending
        ClientRule atMend = ClientRule::PassThrough(); // of risunlod while the start mends
        bool userTouches = false; // the user saves P-7006.dgn unchanged after the kill: a new last write
        const char* readOnlyAtRun = nullptr;  // a file the user made read-only before the correction
        const char* readOnlyAtKill = nullptr; // ... after the kill
    } rows[] = {
        {"killed before the UPDATE", ClientRule::KillProgram(false).When("UPDATE pdtable_113"), false, false, false,
         {"a6.bak", "a6.dgn"}, "a6.dgn", named + "a6.dgn' and its files stand under the names it gives; renamed "
                                                "back now: 'P-7006.dgn' to 'a6.dgn', 'P-7006.bak' to 'a6.bak'"},
        {"killed after the UPDATE ran", ClientRule::KillProgram(true).When("UPDATE pdtable_113"), false, false, false,
         {"P-7006.bak", "P-7006.dgn"}, "P-7006.dgn", named + "P-7006.dgn' and its files stand under the names it gives"},
        {"killed in the move of the design file", ClientRule::PassThrough(), true, false, false, {"a6.bak", "a6.dgn"},
         "a6.dgn", named + "a6.dgn' and its files stand under the names it gives"},
        {"killed before the UPDATE, then corrected again", ClientRule::KillProgram(false).When("UPDATE pdtable_113"),
         false, false, true, {"P-7006.bak", "P-7006.dgn"}, "P-7006.dgn",
         named + "a6.dgn' and its files stand under the names it gives; renamed back now"},
        {"killed before the UPDATE, then the user edited the file", ClientRule::KillProgram(false).When("UPDATE "
                                                                                                         "pdtable_113"),
         false, true, true, {"P-7006.dgn", "a6.bak"}, "a6.dgn",
         named + "a6.dgn', but '\\\\PDSSRV1\\pds\\fix\\a6.dgn' is not there; '\\\\PDSSRV1\\pds\\fix\\P-7006.dgn' is "
                 "not as the correction left it, and left as it is"},
        // A file is as the run made it by its size, last write and digest: one saved again
        // unchanged is the user's now, and stays.
        {"killed before the UPDATE, then the user saved the file unchanged",
         ClientRule::KillProgram(false).When("UPDATE pdtable_113"), false, false, false, {"P-7006.dgn", "a6.bak"},
         "a6.dgn",
         named + "a6.dgn', but '\\\\PDSSRV1\\pds\\fix\\a6.dgn' is not there; '\\\\PDSSRV1\\pds\\fix\\P-7006.dgn' is "
                 "not as the correction left it, and left as it is",
         ClientRule::PassThrough(), true},
        // The start's read of the rows comes back short: no answer that is not whole decides a
        // move, and the record stays for the next start.
        {"killed before the UPDATE, the rows read short at the start",
         ClientRule::KillProgram(false).When("UPDATE pdtable_113"), false, false, false, {"P-7006.bak", "P-7006.dgn"},
         "a6.dgn", "model 'P-7006': the rows of pdtable_113 could not be read (The read of pdtable_113 of schema "
                   "pd_demo is not whole: ", ClientRule::ThinRows("pdtable_113", 0)},
        // A further file's move the run gave up is not made by the mend; a file the mend would
        // move that can be copied but not removed is not copied.
        {"killed after the UPDATE ran, its further file read-only",
         ClientRule::KillProgram(true).When("UPDATE pdtable_113"), false, false, false, {"P-7006.dgn", "a6.bak"},
         "P-7006.dgn", named + "P-7006.dgn' and its files stand under the names it gives", ClientRule::PassThrough(),
         false, "a6.bak"},
        {"killed before the UPDATE, then the user made a file read-only",
         ClientRule::KillProgram(false).When("UPDATE pdtable_113"), false, false, false, {"P-7006.bak", "a6.dgn"},
         "a6.dgn",
         named + "a6.dgn', but '\\\\PDSSRV1\\pds\\fix\\a6.bak' is not there; '\\\\PDSSRV1\\pds\\fix\\P-7006.bak' was not "
                 "moved to it (Permission denied ('\\\\PDSSRV1\\pds\\fix\\P-7006.bak' is read-only)) and is left as it is",
         ClientRule::PassThrough(), false, nullptr, "P-7006.bak"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        tree.Clear();
        makeFiles({"a6.dgn", "a6.bak"});
        CheckTreeNode& node = model("P-7006", "a6.dgn");
        if (row.readOnlyAtRun)
            SetReadOnlyFile(kDir + std::string(row.readOnlyAtRun), true);
        wrapped.clients.Set("risbatch", row.rule);
        testsupport::FileOpMatch stop;
        if (row.killedInMove)
            stop = [](const std::string& op, const std::string& h) { return op == "delete" && h == host("a6.dgn"); };
        testsupport::ForkedProgram killed(
            [&] {
                correctModels();
                return 0;
            },
            stop, testsupport::ForkedProgram::AtStop::Kill);
        EXPECT_EQ(killed.Wait(), -SIGKILL);
        EXPECT_TRUE(killed.WaitGroupGone());
        wrapped.clients.Set("risbatch", ClientRule::PassThrough());
        if (row.userEdits)
            testsupport::WriteHostFile(host("P-7006.dgn"), "design a6.dgn, edited");
        if (row.userTouches)
            fs::last_write_time(host("P-7006.dgn"), fs::last_write_time(host("P-7006.dgn")) + std::chrono::seconds(5));
        if (row.readOnlyAtKill)
            SetReadOnlyFile(kDir + std::string(row.readOnlyAtKill), true);

        std::string said;
        if (row.byCorrection) {
            node.backColor = kTreeColorHighlightText;
            said = row.userEdits ? testsupport::Raised([&] { correctModels(); }).description()
                                 : (correctModels(), Join(status.lines(), "\n"));
        } else {
            wrapped.clients.Set("risunlod", row.atMend);
            for (const auto& left : FileNameCorrectionRecord::MendLeft(tables))
                said += left.text;
            wrapped.clients.Set("risunlod", ClientRule::PassThrough());
        }
        EXPECT_NE(said.find("The correction of file names in pd_demo (process " + std::to_string(killed.pid())),
                  std::string::npos) << said;
        EXPECT_NE(said.find(row.said), std::string::npos) << said;
        std::vector<std::string> files;
        for (const auto& [file, content] : folderNow())
            files.push_back(file);
        EXPECT_EQ(files, row.files);
        EXPECT_EQ(spec("P-7006"), row.row);
        const bool stays = said.find("; the next start or correction in pd_demo looks again") != std::string::npos;
        EXPECT_EQ(stays, row.userEdits || row.userTouches || row.readOnlyAtKill ||
                             said.find("could not be read") != std::string::npos)
            << said;
        EXPECT_EQ(RunMark::Look("file name correction pd_demo").state, stays ? RunMark::State::Left : RunMark::State::Free);
        if (row.byCorrection && !row.userEdits) {
            EXPECT_EQ(node.backColor, kTreeColorGreen) << node.tag;
        }
        RunMark::RemoveLeft("file name correction pd_demo");
    }
}

// Two programs at once on one project's correction: two corrections, or two starts (or a start
// and a correction) putting in step what a killed correction left. The second is refused by name
// and moves nothing; the first ends with the files and the row in step, and the record goes.
TEST_F(DesignFileNameCorrectionTest, TwoProgramsAtOnceOnOneCorrectionAreRefusedByName)
{
    WrappedClients wrapped;
    enum class Program { Correction, Start };
    const struct {
        const char* name;
        bool killedFirst; // a correction was killed before its UPDATE: the first program mends it
        Program first, second;
        std::string said; // by the second, after the first's process
        std::map<std::string, std::string> files; // the folder at the end
        const char* row;                          // the row's file at the end
    } rows[] = {
        {"two corrections", false, Program::Correction, Program::Correction,
         ") is under way in that schema. Nothing was changed.", {{"P-7008.dgn", "design a8.dgn"}}, "P-7008.dgn"},
        {"two starts mending a killed correction", true, Program::Start, Program::Start,
         ") puts what it left in step now", {{"a8.dgn", "design a8.dgn"}}, "a8.dgn"},
        {"a correction while a start mends", true, Program::Start, Program::Correction,
         ") is under way in that schema. Nothing was changed.", {{"a8.dgn", "design a8.dgn"}}, "a8.dgn"},
    };
    const auto run = [&](Program program) {
        if (program == Program::Correction) {
            correctModels();
            return std::string();
        }
        std::string said;
        for (const auto& left : FileNameCorrectionRecord::MendLeft(tables))
            said += left.text;
        return said;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TearDown();
        tree.Clear();
        makeFiles({"a8.dgn"});
        model("P-7008", "a8.dgn");
        std::string first = "a8.dgn", then = "P-7008.dgn"; // the first program stops at the move of `first`
        if (row.killedFirst) {
            wrapped.clients.Set("risbatch", ClientRule::KillProgram(false).When("UPDATE pdtable_113"));
            testsupport::ForkedProgram killed(
                [&] {
                    correctModels();
                    return 0;
                },
                {}, testsupport::ForkedProgram::AtStop::Kill);
            EXPECT_EQ(killed.Wait(), -SIGKILL);
            EXPECT_TRUE(killed.WaitGroupGone());
            wrapped.clients.Set("risbatch", ClientRule::PassThrough());
            std::swap(first, then); // the mend renames the file back
        }
        testsupport::ForkedProgram one(
            [&] {
                run(row.first);
                return 0;
            },
            [&](const std::string& op, const std::string& h) {
                return (op == "delete" || op == "move") && h == host(first);
            });
        ASSERT_TRUE(one.Reached());
        const auto during = folderNow();
        const std::string said = row.second == Program::Correction
                                     ? testsupport::Raised([&] { correctModels(); }).description()
                                     : run(row.second);
        const std::string who = "(process " + std::to_string(one.pid()) + " ";
        EXPECT_NE(said.find(who), std::string::npos) << said;
        EXPECT_NE(said.find(row.said, said.find(who)), std::string::npos) << said;
        if (row.second == Program::Correction) {
            EXPECT_EQ(said.rfind("The correction of file names in pd_demo was not started: ", 0), 0u) << said;
        }
        EXPECT_EQ(folderNow(), during);
        one.Release();
        EXPECT_EQ(one.Wait(), 0);
        EXPECT_EQ(folderNow(), row.files);
        EXPECT_EQ(spec("P-7008"), row.row);
        EXPECT_EQ(RunMark::Look("file name correction pd_demo").state, RunMark::State::Free);
    }
}

// A change a dead program left in part on the project schema refuses the correction, also once a
// later load has carried its mark on; the refusal names the dead change, nothing moves, and the
// mark stays for the load that finds the schema whole.
TEST_F(DesignFileNameCorrectionTest, ASchemaADeadChangeLeftInPartIsNotCorrected)
{
    makeFiles({"a8.dgn"});
    model("P-7008", "a8.dgn");
    const RunMark::Fields dead = {{"what", "the change of column lengths in pd_demo"}, {"whole if cut off", "no"}};
    const RunMark::Fields carried = {{"what", "the load of 'C:\\pdsdump\\pd_demo.dmp' into pd_demo"},
                                     {"dump", "C:\\pdsdump\\pd_demo.dmp"},
                                     {"whole if cut off", "no"},
                                     {"left what", "the change of column lengths in pd_demo"},
                                     {"left by", "process 4711 (tarnwick) on PC1, started 2026-12-07 16:41:02"}};
    for (const RunMark::Fields& fields : {dead, carried}) {
        testsupport::ForkedProgram other(
            [&] {
                RunMark mark("schema pd_demo", fields);
                return mark.held() ? 0 : 1;
            },
            testsupport::MarkWritten(), testsupport::ForkedProgram::AtStop::Kill);
        other.Wait();
        ASSERT_EQ(RunMark::Look("schema pd_demo").state, RunMark::State::Left);
        const auto before = folderNow();
        const std::string refused = testsupport::Raised([&] { correctModels(); }).description();
        EXPECT_NE(refused.find("the change of column lengths in pd_demo (process "), std::string::npos) << refused;
        EXPECT_NE(refused.find(") was cut off by the end of its program, so schema pd_demo may not be whole. Nothing "
                               "was changed."),
                  std::string::npos) << refused;
        EXPECT_EQ(folderNow(), before);
        EXPECT_EQ(spec("P-7008"), "a8.dgn");
        EXPECT_EQ(RunMark::Look("schema pd_demo").state, RunMark::State::Left);
        RunMark::RemoveLeft("schema pd_demo");
        RunMark::RemoveLeft("file name correction pd_demo");
    }
}
