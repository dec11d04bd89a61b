// The correction runs on files of this computer's C: drive: which files are renamed, what is
// refused, the statement of each row, and that a row is changed whole or not at all.
#include "designfiles/DesignFileNameCorrection.h"

#include "DesignFilesTestSupport.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/CheckTree.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

using designfilestest::StatusCapture;
using designfilestest::Table;
using Row = std::vector<Variant>;

const char* const kDir = "C:\\proj\\model";

std::string hostFile(const std::string& name)
{
    return HostPath(std::string(kDir) + "\\" + name);
}

void makeFiles(const std::vector<std::string>& names, const std::string& content = "design")
{
    for (const std::string& n : names) {
        fs::create_directories(fs::path(hostFile(n)).parent_path());
        std::ofstream(hostFile(n), std::ios::binary) << content;
    }
}

bool exists(const std::string& name)
{
    return fs::exists(hostFile(name));
}

std::string content(const std::string& name)
{
    std::ifstream in(hostFile(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DesignFileNameCorrectionTest : public ::testing::Test {
protected:
    void TearDown() override { fs::remove_all(HostPath("C:\\proj")); }

    // A checked mismatch node of a model, as the check enters it.
    CheckTreeNode& modelFault(const std::string& d, const std::string& m, const std::string& type)
    {
        if (!tree.Contains("Models"))
            tree.Add("", "Models", "Models");
        if (!tree.Contains("Discipline" + d))
            tree.Add("Models", "Discipline" + d, "Piping");
        const std::string area = "Discipline" + d + "Area1";
        if (!tree.Contains(area))
            tree.Add("Discipline" + d, area, "A1");
        const std::string model = "Discipline" + d + "Model" + m;
        tree.Add(area, model, m);
        CheckTreeNode& fault = tree.Add(model, model + "ErrorNotMatch" + type, "NOT match");
        fault.checked = true;
        return fault;
    }

    CheckTreeNode& drawingFault(const std::string& t, const std::string& n, const std::string& spec)
    {
        if (!tree.Contains("Drawings"))
            tree.Add("", "Drawings", "Drawings");
        tree.Add("Drawings", "DrawingType" + t, t);
        tree.Add("DrawingType" + t, "DrawingType" + t + "Drawing" + n, "Drawing" + n);
        CheckTreeNode& fault =
            tree.Add("DrawingType" + t + "Drawing" + n, "DrawingType" + t + "Drawing" + n + "ErrorNotMatch" + spec, "x");
        fault.checked = true;
        return fault;
    }

    void addModel(int d, const std::string& m, const std::string& spec, int type = 0, const std::string& dir = kDir)
    {
        models.push_back({d, m, server, dir, spec, type});
    }

    ProjectTables tables()
    {
        return {[this](const std::string&, const std::string& sql) {
                    if (sql.find("pdtable_113") != std::string::npos)
                        return Table({"discipline_indx_no", "model_no", "network_address", "path_name",
                                      "model_file_spec", "model_type"},
                                     models, {"discipline_indx_no", "model_type"});
                    return Table({"drawing_type", "drawing_no", "network_address", "path_name", "drawing_file_spec"},
                                 drawings, {"drawing_type"});
                },
                [this](const std::string& schema, const std::string& sql) {
                    if (!writeError.empty())
                        throw AppError(1, "CRIS::DBWrite", writeError);
                    statements.push_back(sql);
                }};
    }

    void correctModels() { DesignFileNameCorrection(tree, tables()).CorrectModelFiles("demo"); }
    void correctDrawings() { DesignFileNameCorrection(tree, tables()).CorrectDrawingFiles("demo"); }

    std::string server = ComputerName();
    std::vector<Row> models;
    std::vector<Row> drawings;
    std::vector<std::string> statements;
    std::string writeError;
    CheckTree tree;
    StatusCapture status;
};

TEST_F(DesignFileNameCorrectionTest, RenamesTheModelFileAndFurtherFilesAndChangesItsRowOnly)
{
    makeFiles({"a1.dgn", "a1.bak", "a1.dgn.old", "a1.a1x", "other.dgn"});
    addModel(1, "P-100", "a1.dgn");
    CheckTreeNode& node = modelFault("1", "P-100", "0");
    correctModels();
    for (const char* moved : {"P-100.dgn", "P-100.bak", "P-100.dgn.old", "P-100.P-100x"})
        EXPECT_TRUE(exists(moved)) << moved;
    EXPECT_FALSE(exists("a1.dgn"));
    EXPECT_TRUE(exists("other.dgn"));
    EXPECT_EQ(node.backColor, kTreeColorGreen);
    EXPECT_EQ(node.tag, "Model file moved successfully");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0], "UPDATE pdtable_113 SET model_file_spec = 'P-100.dgn' WHERE (discipline_indx_no = 1 AND "
                             "model_no = 'P-100' AND model_type = 0 AND network_address = '" +
                                 server + "' AND path_name = 'C:\\proj\\model' AND model_file_spec = 'a1.dgn');");
    EXPECT_TRUE(status.contains("Correcting model files successfully"));
}

struct RefusalCase {
    const char* name;
    const char* number;
    std::vector<std::string> files;
    const char* tag;
    const char* alsoLogged;
};

class DesignFileNameCorrectionRefusalTest : public DesignFileNameCorrectionTest,
                                      public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DesignFileNameCorrectionRefusalTest, RefusedRowKeepsFilesAndTable)
{
    makeFiles(GetParam().files);
    addModel(1, GetParam().number, "a2.dgn");
    CheckTreeNode& node = modelFault("1", GetParam().number, "0");
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorRed);
    EXPECT_EQ(node.tag, GetParam().tag);
    EXPECT_TRUE(status.contains(GetParam().alsoLogged));
    EXPECT_TRUE(statements.empty());
    for (const std::string& f : GetParam().files)
        EXPECT_TRUE(exists(f)) << f;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DesignFileNameCorrectionRefusalTest,
    ::testing::Values(
        RefusalCase{"OldMissingNewPresent", "P2", {"P2.dgn"}, "Model file: 'C:\\proj\\model\\P2.dgn' already exists",
                    "Model file: 'C:\\proj\\model\\a2.dgn' not exists"},
        RefusalCase{"FifteenCharacters", "ABCDEFGHIJK", {"a2.dgn"},
                    "model_file_spec: 'ABCDEFGHIJK.dgn' is to long. (Max 14 character)",
                    "Correcting model: 'ABCDEFGHIJK' ..."},
        RefusalCase{"Blank", "P 2", {"a2.dgn"},
                    "model_file_spec: 'P 2.dgn' is incorrect. Any special characters are not allowed",
                    "Correcting model: 'P 2' ..."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DesignFileNameCorrectionTest, FourteenCharactersPass)
{
    makeFiles({"a2.dgn"});
    addModel(1, "ABCDEFGHIJ", "a2.dgn");
    modelFault("1", "ABCDEFGHIJ", "0");
    correctModels();
    EXPECT_TRUE(exists("ABCDEFGHIJ.dgn"));
}

TEST_F(DesignFileNameCorrectionTest, FrameWorksModelMovesItsCompanionsOrNothing)
{
    std::vector<std::string> files{"f1.dgn"};
    for (const std::string& ext : DesignFileNameCorrection::CompanionExtensions())
        files.push_back("f1." + ext);
    files.pop_back(); // f1.wal is missing
    makeFiles(files);
    addModel(3, "FW1", "f1.dgn", 1);
    CheckTreeNode& node = modelFault("3", "FW1", "1");
    correctModels();
    EXPECT_EQ(node.tag, "Model file: 'C:\\proj\\model\\f1.wal' not exists");
    EXPECT_TRUE(exists("f1.dgn"));
    EXPECT_TRUE(statements.empty());

    makeFiles({"f1.wal"});
    node.backColor = 0;
    correctModels();
    EXPECT_EQ(node.backColor, kTreeColorGreen);
    for (const std::string& ext : DesignFileNameCorrection::CompanionExtensions())
        EXPECT_TRUE(exists("FW1." + ext)) << ext;
    EXPECT_EQ(statements.size(), 1u);
}

TEST_F(DesignFileNameCorrectionTest, FurtherFileNeverReplacesAnExistingFile)
{
    makeFiles({"a1.dgn", "a1.bak"});
    makeFiles({"P-100.bak"}, "keep");
    addModel(1, "P-100", "a1.dgn");
    CheckTreeNode& node = modelFault("1", "P-100", "0");
    correctModels();
    EXPECT_EQ(content("P-100.bak"), "keep");
    EXPECT_TRUE(exists("a1.bak"));
    EXPECT_TRUE(exists("P-100.dgn"));
    EXPECT_EQ(node.backColor, kTreeColorRed);
    EXPECT_EQ(node.tag, "File: 'C:\\proj\\model\\P-100.bak' already exists");
    EXPECT_EQ(statements.size(), 1u); // the design file has its new name, so the row follows
}

TEST_F(DesignFileNameCorrectionTest, FailedStatementMovesTheFilesBack)
{
    makeFiles({"a1.dgn", "a1.bak"});
    addModel(1, "P-100", "a1.dgn");
    modelFault("1", "P-100", "0");
    writeError = "RIS Error: RIS_E_TABLE_LOCKED";
    try {
        correctModels();
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.source(), "CorrectModelFiles");
        EXPECT_EQ(e.description(), "CRIS::DBWrite: RIS Error: RIS_E_TABLE_LOCKED");
    }
    EXPECT_TRUE(exists("a1.dgn"));
    EXPECT_TRUE(exists("a1.bak"));
    EXPECT_FALSE(exists("P-100.dgn"));
    EXPECT_FALSE(exists("P-100.bak"));
    EXPECT_FALSE(status.contains("Correcting model files successfully"));
}

TEST_F(DesignFileNameCorrectionTest, EveryRowOfTheNodeIsCorrectedInItsOwnDirectory)
{
    makeFiles({"a1.dgn", "sub\\b1.dgn"});
    addModel(1, "P9", "a1.dgn");
    addModel(1, "P9", "b1.dgn", 0, std::string(kDir) + "\\sub");
    modelFault("1", "P9", "0");
    correctModels();
    EXPECT_TRUE(exists("P9.dgn"));
    EXPECT_TRUE(exists("sub\\P9.dgn"));
    ASSERT_EQ(statements.size(), 2u);
    EXPECT_NE(statements[1].find("path_name = 'C:\\proj\\model\\sub' AND model_file_spec = 'b1.dgn'"),
              std::string::npos);
}

TEST_F(DesignFileNameCorrectionTest, QuoteInNumberIsDoubledInFilterAndStatement)
{
    makeFiles({"q.dgn"});
    addModel(1, "P'1", "q.dgn");
    modelFault("1", "P'1", "0");
    correctModels();
    EXPECT_TRUE(exists("P'1.dgn"));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_NE(statements[0].find("SET model_file_spec = 'P''1.dgn' WHERE (discipline_indx_no = 1 AND model_no = 'P''1'"),
              std::string::npos);
}

TEST_F(DesignFileNameCorrectionTest, OnlyCheckedMismatchNodesOfTheKindAreWorkedOn)
{
    makeFiles({"a1.dgn"});
    addModel(1, "P1", "a1.dgn");
    CheckTreeNode& unchecked = modelFault("1", "P1", "0");
    unchecked.checked = false;
    tree.Find("Discipline1ModelP1")->checked = true;
    CheckTreeNode& unknown = modelFault("1", "P404", "0");
    drawingFault("1", "D-1", "d1.dgn");
    correctModels();
    EXPECT_TRUE(exists("a1.dgn"));
    EXPECT_EQ(unknown.tag, "model_no not in pdtable_113 found");
    EXPECT_TRUE(statements.empty());
}

TEST_F(DesignFileNameCorrectionTest, DrawingFileJustMovedIsNoFurtherFile)
{
    makeFiles({"A.dgn", "A.bak", "a.txt"});
    drawings = {{1, "A.1", server, kDir, "A.dgn"}};
    CheckTreeNode& node = drawingFault("1", "A.1", "A.dgn");
    correctDrawings();
    EXPECT_TRUE(exists("A.1.dgn"));
    EXPECT_TRUE(exists("A.1.bak"));
    EXPECT_FALSE(exists("A.1.1.dgn"));
    EXPECT_TRUE(exists("a.txt")); // the old name in another letter case: left as it is
    EXPECT_TRUE(status.contains("File: 'C:\\proj\\model\\a.txt' keeps its name"));
    EXPECT_EQ(node.tag, "Drawing file moved successfully");
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].rfind("UPDATE pdtable_121 SET drawing_file_spec = 'A.1.dgn' WHERE (drawing_type = 1 AND "
                                  "drawing_no = 'A.1' AND network_address = ",
                                  0),
              0u);
}

TEST_F(DesignFileNameCorrectionTest, CorrectedDrawingCorrectedAgainTurnsRed)
{
    makeFiles({"D-100.dgn"});
    drawings = {{1, "D-100", server, kDir, "D-100.dgn"}};
    CheckTreeNode& node = drawingFault("1", "D-100", "d100.dgn");
    correctDrawings();
    EXPECT_EQ(node.tag, "Drawing file: 'C:\\proj\\model\\D-100.dgn' already exists");
    EXPECT_TRUE(exists("D-100.dgn"));
}

} // namespace
