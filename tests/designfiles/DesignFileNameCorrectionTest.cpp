// The correction runs against the stand-in server and files on its file server: which files
// are renamed, what is refused, and that a row and its files always end in step. (A further
// file that another row names is the window test's case.)
#include "designfiles/DesignFileNameCorrection.h"

#include "DesignFilesTestSupport.h"
#include "platform/AppError.h"
#include "services/CheckTree.h"
#include "support/Raised.h"
#include "support/SampleEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using designfilestest::Sql;
using designfilestest::StatusCapture;
using designfilestest::Stored;

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
    CheckTreeNode* drawing(const std::string& n, const std::string& spec, bool checked = true)
    {
        Sql("default schema pd_demo; insert into pdtable_121 (drawing_type, drawing_no, network_address, path_name, "
            "drawing_file_spec) values (9, '" + n + "', 'PDSSRV1', '" + std::string(kPath) + "', '" + spec + "');");
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

TEST_F(DesignFileNameCorrectionTest, RowThatTheStatementMissesIsRolledBack)
{
    makeFiles({"a2.dgn", "a2.bak"});
    CheckTreeNode& node = model("P-7002 ", "a2.dgn"); // the read trims the number, the table keeps it
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorRed);
    EXPECT_EQ(node.tag, "0 rows of pdtable_113 changed for model_no: 'P-7002' (1 expected). Files moved back to "
                        "their old names");
    EXPECT_TRUE(exists("a2.dgn"));
    EXPECT_TRUE(exists("a2.bak"));
    EXPECT_FALSE(exists("P-7002.dgn"));
    EXPECT_EQ(Stored("SELECT model_file_spec FROM pdtable_113 WHERE model_no = 'P-7002 '"), "a2.dgn");
}

TEST_F(DesignFileNameCorrectionTest, KeyOfSeveralRowsMovesNothing)
{
    makeFiles({"a3.dgn", "sub\\b3.dgn"});
    CheckTreeNode& node = model("P-7003", "a3.dgn");
    model("P-7003", "b3.dgn", 1, 0, std::string(kPath) + "\\sub");
    correctModels();
    EXPECT_EQ(node.tag, "2 rows in pdtable_113 found for model_no: 'P-7003'. Nothing changed");
    EXPECT_TRUE(exists("a3.dgn"));
    EXPECT_TRUE(exists("sub\\b3.dgn"));
    EXPECT_EQ(spec("P-7003"), "a3.dgn");
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
};

class DesignFileNameCorrectionRefusalTest : public DesignFileNameCorrectionTest,
                                            public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DesignFileNameCorrectionRefusalTest, RefusedRowKeepsFilesAndTable)
{
    makeFiles(GetParam().files);
    CheckTreeNode& node = model(GetParam().number, "a4.dgn");
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorRed);
    EXPECT_EQ(node.tag, GetParam().tag);
    EXPECT_EQ(spec(GetParam().number), "a4.dgn");
    for (const std::string& f : GetParam().files)
        EXPECT_TRUE(exists(f)) << f;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesignFileNameCorrectionRefusalTest,
    ::testing::Values(RefusalCase{"OldMissingNewPresent", "P2", {"P2.dgn"},
                                  "Model file: '\\\\PDSSRV1\\pds\\fix\\P2.dgn' already exists"},
                      RefusalCase{"FifteenCharacters", "ABCDEFGHIJK", {"a4.dgn"},
                                  "model_file_spec: 'ABCDEFGHIJK.dgn' is to long. (Max 14 character)"},
                      RefusalCase{"Blank", "P 2", {"a4.dgn"},
                                  "model_file_spec: 'P 2.dgn' is incorrect. Any special characters are not allowed"}),
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

TEST_F(DesignFileNameCorrectionTest, FailedStatementMovesTheFilesBack)
{
    makeFiles({"a5.dgn", "a5.bak"});
    model("P-7005", "a5.dgn");
    tables.write = [](const std::string&, const std::string&) -> int32_t {
        throw AppError(1, "CRIS::DBWrite", "RIS Error: RIS_E_TABLE_LOCKED");
    };
    const AppError e = testsupport::Raised([&] { correctModels(); });
    EXPECT_EQ(e.source(), "CorrectModelFiles");
    EXPECT_EQ(e.description(), "CRIS::DBWrite: RIS Error: RIS_E_TABLE_LOCKED");
    EXPECT_TRUE(exists("a5.dgn"));
    EXPECT_TRUE(exists("a5.bak"));
    EXPECT_FALSE(exists("P-7005.dgn"));
    EXPECT_FALSE(status.contains("Correcting model files successfully"));
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
