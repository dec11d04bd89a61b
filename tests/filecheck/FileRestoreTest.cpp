// FrameWorks companions, frozen models, undefined columns and the seed rules of the model
// restore, on the sample project with extra model rows.
#include "filecheck/FileRestore.h"

#include "FileCheckFixtures.h"
#include "SampleProjectFixture.h"
#include "filecheck/AlternativeFiles.h"
#include "filecheck/DrawingLibraryCheck.h"
#include "filecheck/ModelCheck.h"
#include "filecheck/ReportSheet.h"
#include "filecheck/UpgradeCheckRuns.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"

using filechecktest::Row;
using Strings = std::vector<std::string>;

class FileRestoreTest : public SampleProjectFixture {
protected:
    void SetUp() override
    {
        SampleProjectFixture::SetUp();
        execute("insert into pdtable_113 (model_index_no, discipline_indx_no, area_index_no, model_no, "
                "model_description, network_address, path_name, model_file_spec, model_type, partition_no) values "
                "(10, 3, 1, 'FW1', 'sparse', 'PDSSRV1', 'D:\\pds\\demo\\fw', 'fw1.DGN', 1, 1)");
        execute("insert into pdtable_113 values (11, 3, 1, 'FW2', 'frozen', 'PDSSRV1', 'D:\\pds\\demo\\fw', "
                "'fw2.dgn', 0, 1)");
        execute("insert into pdtable_113 values (12, 4, 1, 'X4', '', 'PDSSRV1', 'D:\\pds\\demo\\model', 'x4.dgn', 0, 1)");
        execute("insert into pdtable_113 values (13, 1, 1, 'N1', '', NULL, NULL, 'n1.dgn', 0, 1)");
        testsupport::WriteHostFile(HostPath(std::string(kFwDir) + "fw1.dgn"), "sparse model");
        testsupport::WriteHostFile(HostPath(std::string(kFwDir) + "fw1.arc"), "companion");
        testsupport::WriteHostFile(HostPath("C:\\seeds\\fw.cpr"), "fw seed cpr");
        ctx.fwSeedFile = "C:\\seeds\\fw.dgn";
    }
    void TearDown() override
    {
        execute("delete from pdtable_113 where model_index_no >= 10");
        execute("update pdtable_113 set model_file_spec = 'e2001.dgn' where model_index_no = 3");
        execute("delete from pdtable_121 where drawing_file_spec <> 'd100.dwg' and drawing_file_spec <> 'd101.dwg'");
        std::filesystem::remove_all(HostPath(kFwDir));
        for (const std::string& file : {std::string(kModelDir) + "p1001b.dgn", std::string(kModelDir) + "lower.dgn",
                                        std::string(kDrawingDir) + "lowerd.dwg", std::string(kDrawingDir) + "d101b.dwg"})
            std::filesystem::remove(HostPath(file));
        SampleProjectFixture::TearDown();
    }
    static void execute(const std::string& statement)
    {
        DbServer server(StandInRoot());
        RisSession session(server);
        std::string out;
        session.Execute("default schema pd_demo", out);
        session.Execute(statement, out);
    }
    Strings childrenOf(const std::string& key) const
    {
        Strings keys;
        for (const CheckTreeNode* n : ctx.tree.Find(key)->children)
            keys.push_back(n->key.substr(key.size()));
        return keys;
    }

    // Ticks every file node below the root.
    void tickFilesUnder(const std::string& root)
    {
        for (CheckTreeNode* node : ctx.tree.Nodes()) {
            const CheckTreeNode* top = node;
            while (top->parent)
                top = top->parent;
            if (top->key == root && node->children.empty() && node->key.find("File") != std::string::npos)
                node->checked = true;
        }
    }
    static std::string creating(const char* kind, const std::string& target, const std::string& seed)
    {
        return std::string("Creating ") + kind + " file: '" + target + "' from seed file: '" + seed + "'";
    }

    static constexpr const char* kFwDir = "\\\\PDSSRV1\\pds\\demo\\fw\\";
};

TEST_F(FileRestoreTest, CheckFindsCompanionsFrozenModelsAndUndefinedColumns)
{
    CheckModels(ctx, FileListing(""));
    Strings companions;
    for (const char* ext : {"cpr", "dpr", "drw", "frz", "lod", "mem", "mod", "ovr", "ovs", "slb", "vus", "wal"})
        companions.push_back(std::string("FileFILE_NOT_FOUNDfw1.") + ext);
    EXPECT_EQ(childrenOf("Discipline3ModelFW1"), companions);
    EXPECT_EQ(childrenOf("Discipline3ModelFW2"), (Strings{"Errorsparse model not found"}));
    EXPECT_EQ(ctx.tree.Find("Discipline3ModelFW2Errorsparse model not found")->text, "sparse model (*.dgn) not found");
    EXPECT_EQ(childrenOf("Discipline1ModelN1"), (Strings{"Errornetwork_address", "Errorpath_name"}));
    EXPECT_EQ(childrenOf("Discipline4ModelX4"), (Strings{"FileFILE_NOT_FOUNDx4.dgn"}));
    EXPECT_EQ(ctx.tree.Find("Discipline3")->text, "UNKNOWN_DISCIPLINE");
}

TEST_F(FileRestoreTest, SeedRulesOfFrameWorksAndOtherDisciplines)
{
    CheckModels(ctx, FileListing(""));
    for (const char* key : {"Discipline3ModelFW1FileFILE_NOT_FOUNDfw1.cpr", "Discipline3ModelFW1FileFILE_NOT_FOUNDfw1.drw",
                            "Discipline4ModelX4FileFILE_NOT_FOUNDx4.dgn"})
        ctx.tree.Find(key)->checked = true;
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir);
    const Worksheet& sheet = *ctx.Sheet();

    EXPECT_EQ(content(std::string(kFwDir) + "fw1.cpr"), "fw seed cpr");
    EXPECT_EQ(Row(sheet, 3, 4),
              (Strings{"UNKNOWN_DISCIPLINE", "A1 - Piping area north", "FW1 - sparse",
                       "Creating model file: '" + std::string(kFwDir) + "fw1.cpr' from seed file: 'C:\\seeds\\fw.cpr'"}));
    EXPECT_EQ(Row(sheet, 4, 4).at(3), "Seed file: 'C:\\seeds\\fw.drw' not exists");
    EXPECT_EQ(Row(sheet, 5, 4).at(3), "Seed file for discipline_index_no: 4 not exists");
    EXPECT_FALSE(exists(std::string(kFwDir) + "fw1.drw"));
    EXPECT_FALSE(exists(std::string(kModelDir) + "x4.dgn"));
}

// Model numbers that differ only in letter case (P1001 and p1001) and P1001 in two areas, all
// files missing: every ticked candidate fills its own row's file, and no other.
TEST_F(FileRestoreTest, EachCandidateFillsOnlyItsOwnModelsFile)
{
    execute("insert into pdtable_113 values (14, 1, 2, 'P1001', 'second', 'PDSSRV1', 'D:\\pds\\demo\\model', "
            "'p1001b.dgn', 0, 1)");
    execute("insert into pdtable_113 values (15, 1, 1, 'p1001', 'lower', 'PDSSRV1', 'D:\\pds\\demo\\model', "
            "'lower.dgn', 0, 1)");
    std::filesystem::remove(HostPath(std::string(kModelDir) + "p1001.dgn"));
    place("a\\p1001.dgn", "candidate of p1001.dgn", 2004);
    place("b\\P1001B.DGN", "candidate of p1001b.dgn", 2004);
    place("c\\lower.dgn", "candidate of lower.dgn", 2004);
    CheckModels(ctx, FileListing(FindInit(ctx.searchDirs)));
    const std::string a = std::string(kBackup) + "\\a\\p1001.dgn", b = std::string(kBackup) + "\\b\\P1001B.DGN",
                      c = std::string(kBackup) + "\\c\\lower.dgn";
    EXPECT_EQ(childrenOf("Discipline1ModelP1001"), (Strings{"File" + a, "File" + b}));
    EXPECT_EQ(childrenOf("Discipline1Modelp1001"), (Strings{"File" + c}));
    for (const std::string& key : {"Discipline1ModelP1001File" + a, "Discipline1ModelP1001File" + b,
                                   "Discipline1Modelp1001File" + c})
        ctx.tree.Find(key)->checked = true;

    auto expected = projectFiles();
    expected["model/p1001.dgn"] = "candidate of p1001.dgn";
    expected["model/p1001b.dgn"] = "candidate of p1001b.dgn";
    expected["model/lower.dgn"] = "candidate of lower.dgn";
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir);
    EXPECT_EQ(projectFiles(), expected);
    Worksheet& sheet = *ctx.Sheet();
    EXPECT_EQ(UsedRows(sheet), 5);
    EXPECT_EQ(Row(sheet, 3, 4), (Strings{"Piping", "A1 - Piping area north", "P1001 - Pipe rack north",
                                         creating("model", std::string(kModelDir) + "p1001.dgn", a)}));
    EXPECT_EQ(Row(sheet, 4, 4).at(3), creating("model", std::string(kModelDir) + "p1001b.dgn", b));
    EXPECT_EQ(Row(sheet, 5, 4), (Strings{"Piping", "A1 - Piping area north", "p1001 - lower",
                                         creating("model", std::string(kModelDir) + "lower.dgn", c)}));
    EXPECT_NE(log().find("Restoring model files successfully"), std::string::npos);
}

// d-101 beside D-101, and D-101 listed a second time with a file of its own: each candidate is
// written under its own row's file name only.
TEST_F(FileRestoreTest, EachCandidateFillsOnlyItsOwnDrawingsFile)
{
    execute("insert into pdtable_121 values (1, 'd-101', 'lower case', 'PDSSRV1', 'D:\\pds\\demo\\dwg', "
            "'lowerd.dwg')");
    execute("insert into pdtable_121 values (1, 'D-101', 'Piping plan north', 'PDSSRV1', 'D:\\pds\\demo\\dwg', "
            "'d101b.dwg')");
    place("dwg2\\lowerd.dwg", "candidate of lowerd.dwg", 2004);
    place("dwg3\\d101b.dwg", "candidate of d101b.dwg", 2004);
    CheckDrawings(ctx, FileListing(FindInit(ctx.searchDirs)));
    tickFilesUnder("Drawings");
    EXPECT_EQ(childrenOf("DrawingType1DrawingD-101"),
              (Strings{"File" + std::string(kBackup) + "\\dwg\\D101.DWG", "File" + std::string(kBackup) + "\\dwg3\\d101b.dwg"}));

    auto expected = projectFiles();
    expected["dwg/d101.dwg"] = "copy of D-101";
    expected["dwg/d101b.dwg"] = "candidate of d101b.dwg";
    expected["dwg/lowerd.dwg"] = "candidate of lowerd.dwg";
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir); // nothing ticked: its section comes first
    RestoreMissingDrawingFiles(ctx, kProjectDir);
    EXPECT_EQ(projectFiles(), expected);
    Worksheet& sheet = *ctx.Sheet();
    EXPECT_EQ(UsedRows(sheet), 7);
    EXPECT_EQ(Row(sheet, 5, 3), (Strings{"1", "DrawingD-101 - Piping plan north",
                                         creating("drawing", std::string(kDrawingDir) + "d101.dwg",
                                                  std::string(kBackup) + "\\dwg\\D101.DWG")}));
    EXPECT_EQ(Row(sheet, 6, 3).at(2), creating("drawing", std::string(kDrawingDir) + "d101b.dwg",
                                               std::string(kBackup) + "\\dwg3\\d101b.dwg"));
    EXPECT_EQ(Row(sheet, 7, 3), (Strings{"1", "Drawingd-101 - lower case",
                                         creating("drawing", std::string(kDrawingDir) + "lowerd.dwg",
                                                  std::string(kBackup) + "\\dwg2\\lowerd.dwg")}));
}

// The tables changed between the check and the restore: a node whose row no longer names its
// file copies nothing, says so, and keeps the restore from ending as successful.
TEST_F(FileRestoreTest, RowChangedSinceTheCheckRestoresNothing)
{
    execute("insert into pdtable_121 values (1, 'D-101', 'Piping plan north', 'PDSSRV1', 'D:\\pds\\demo\\dwg', "
            "'d101b.dwg')");
    place("dwg3\\d101b.dwg", "candidate of d101b.dwg", 2004);
    const FileListing listing(FindInit(ctx.searchDirs));
    CheckModels(ctx, listing);
    CheckDrawings(ctx, listing);
    ctx.tree.Find("Discipline2ModelE2001FileFILE_NOT_FOUNDe2001.dgn")->checked = true;
    ctx.tree.Find("DrawingType1DrawingD-101File" + std::string(kBackup) + "\\dwg3\\d101b.dwg")->checked = true;
    execute("update pdtable_113 set model_file_spec = 'e2001x.dgn' where model_index_no = 3");
    execute("delete from pdtable_121 where drawing_file_spec = 'd101b.dwg'");

    const auto before = projectFiles();
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir);
    RestoreMissingDrawingFiles(ctx, kProjectDir);
    EXPECT_EQ(projectFiles(), before);
    Worksheet& sheet = *ctx.Sheet();
    EXPECT_EQ(Row(sheet, 3, 4), (Strings{"Equipment", "E1 - Equipment area", "E2001 - Vessels",
                                         "Model file 'e2001.dgn' of model_no 'E2001' is no longer in the project "
                                         "table - the row changed since the check"}));
    EXPECT_EQ(Row(sheet, 6, 3), (Strings{"1", "DrawingD-101 - Piping plan north",
                                         "Drawing file 'd101b.dwg' of drawing_no 'D-101' is no longer in the "
                                         "project table - the row changed since the check"}));
    EXPECT_EQ(UsedRows(sheet), 6);
    for (const char* end : {"Restoring model files ended with 1 file(s) not restored - see the report",
                            "Restoring drawing files ended with 1 file(s) not restored - see the report"})
        EXPECT_NE(log().find(end), std::string::npos) << end;
}

// One model number (and one drawing number) listed in two folders under the same file name:
// the folder of the extra row sorts before or after the sample's own folder, and its file is
// missing while the sample's is there, or both are missing. The ticked node restores exactly
// the files the check found missing; a present file is passed over, not counted as a failure.
struct TwoFoldersCase {
    const char* name;
    const char* folder; // "a..." sorts before the sample's folder, "z..." after it
    bool bothMissing;
    friend void PrintTo(const TwoFoldersCase& c, std::ostream* os) { *os << c.name; }
};

class SameFileNameInTwoFoldersTest : public FileRestoreTest, public ::testing::WithParamInterface<TwoFoldersCase> {
protected:
    void TearDown() override
    {
        execute("delete from pdtable_121 where path_name <> 'D:\\pds\\demo\\dwg'");
        std::filesystem::remove_all(HostPath(folder()));
        FileRestoreTest::TearDown();
    }
    std::string folder() const { return "\\\\PDSSRV1\\pds\\demo\\" + std::string(GetParam().folder) + "\\"; }
    // The extra row's folder exists and holds nothing; the sample's file goes when both are missing.
    void prepare(const std::string& ownFile)
    {
        std::filesystem::create_directories(HostPath(folder()));
        if (GetParam().bothMissing)
            std::filesystem::remove(HostPath(ownFile));
    }
};

TEST_P(SameFileNameInTwoFoldersTest, ModelNodeRestoresOnlyTheMissingFiles)
{
    const std::string own = std::string(kModelDir) + "p1001.dgn";
    prepare(own);
    execute("insert into pdtable_113 values (16, 1, 1, 'P1001', 'Pipe rack north', 'PDSSRV1', 'D:\\pds\\demo\\" +
            std::string(GetParam().folder) + "', 'p1001.dgn', 0, 1)");
    CheckModels(ctx, FileListing(""));
    EXPECT_EQ(childrenOf("Discipline1ModelP1001"), (Strings{"FileFILE_NOT_FOUNDp1001.dgn"}));
    ctx.tree.Find("Discipline1ModelP1001FileFILE_NOT_FOUNDp1001.dgn")->checked = true;

    const std::string seed = std::string(kProjectDir) + "mdlsdz.dgn";
    auto expected = projectFiles();
    expected[std::string(GetParam().folder) + "/p1001.dgn"] = content(seed);
    if (GetParam().bothMissing)
        expected["model/p1001.dgn"] = content(seed);
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir);

    EXPECT_EQ(projectFiles(), expected);
    Worksheet& sheet = *ctx.Sheet();
    EXPECT_EQ(UsedRows(sheet), 3);
    // The row names the file restored last: with one missing file, that file.
    const std::string last = GetParam().bothMissing && std::string(GetParam().folder) < "model" ? own
                                                                                                  : folder() + "p1001.dgn";
    EXPECT_EQ(Row(sheet, 3, 4),
              (Strings{"Piping", "A1 - Piping area north", "P1001 - Pipe rack north", creating("model", last, seed)}));
    EXPECT_NE(log().find("Restoring model files successfully"), std::string::npos);
    EXPECT_EQ(log().find("already exists"), std::string::npos);
}

TEST_P(SameFileNameInTwoFoldersTest, DrawingNodeRestoresOnlyTheMissingFiles)
{
    const std::string own = std::string(kDrawingDir) + "d100.dwg";
    prepare(own);
    execute("insert into pdtable_121 values (1, 'D-100', 'General arrangement', 'PDSSRV1', 'D:\\pds\\demo\\" +
            std::string(GetParam().folder) + "', 'd100.dwg')");
    CheckDrawings(ctx, FileListing(""));
    EXPECT_EQ(childrenOf("DrawingType1DrawingD-100"), (Strings{"FileFILE_NOT_FOUNDd100.dwg"}));
    ctx.tree.Find("DrawingType1DrawingD-100FileFILE_NOT_FOUNDd100.dwg")->checked = true;

    const std::string seed = std::string(kProjectDir) + "drwsdz.dgn";
    auto expected = projectFiles();
    expected[std::string(GetParam().folder) + "/d100.dwg"] = content(seed);
    if (GetParam().bothMissing)
        expected["dwg/d100.dwg"] = content(seed);
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir);
    RestoreMissingDrawingFiles(ctx, kProjectDir);

    EXPECT_EQ(projectFiles(), expected);
    Worksheet& sheet = *ctx.Sheet();
    EXPECT_EQ(UsedRows(sheet), 5);
    const std::string last = GetParam().bothMissing && std::string(GetParam().folder) < "dwg" ? own
                                                                                                : folder() + "d100.dwg";
    EXPECT_EQ(Row(sheet, 5, 3), (Strings{"1", "DrawingD-100 - General arrangement", creating("drawing", last, seed)}));
    EXPECT_NE(log().find("Restoring drawing files successfully"), std::string::npos);
    EXPECT_EQ(log().find("already exists"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Folders, SameFileNameInTwoFoldersTest,
                         ::testing::Values(TwoFoldersCase{"MissingRowSortsFirst", "amodel", false},
                                           TwoFoldersCase{"MissingRowSortsLast", "zmodel", false},
                                           TwoFoldersCase{"BothMissing", "zmodel", true}),
                         [](const auto& info) { return std::string(info.param.name); });
