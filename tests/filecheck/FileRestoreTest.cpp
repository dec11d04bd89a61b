// FrameWorks companions, frozen models, undefined columns and the seed rules of the model
// restore, on the sample project with extra model rows.
#include "filecheck/FileRestore.h"

#include "FileCheckFixtures.h"
#include "SampleProjectFixture.h"
#include "filecheck/AlternativeFiles.h"
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
        std::filesystem::remove_all(HostPath(kFwDir));
        std::filesystem::remove(HostPath(std::string(kModelDir) + "p1002b.dgn"));
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

// P1002 of area 2 and a second P1002 in area 1 share one model node: each missing file's own
// node restores its own model's file and never the other's.
TEST_F(FileRestoreTest, SharedModelNodeRestoresTheTickedFileOnly)
{
    execute("insert into pdtable_113 values (14, 1, 1, 'P1002', 'second', 'PDSSRV1', 'D:\\pds\\demo\\model', "
            "'p1002b.dgn', 0, 1)");
    CheckModels(ctx, FileListing(""));
    EXPECT_EQ(childrenOf("Discipline1ModelP1002"), (Strings{"FileFILE_NOT_FOUNDp1002.dgn", "FileFILE_NOT_FOUNDp1002b.dgn"}));
    ctx.tree.Find("Discipline1ModelP1002FileFILE_NOT_FOUNDp1002b.dgn")->checked = true;
    ctx.report.ReportCreateNew(RestoreReportName("demo"));
    RestoreMissingModelFiles(ctx, kProjectDir);

    const std::string seed = std::string(kProjectDir) + "mdlsdz.dgn";
    EXPECT_EQ(content(std::string(kModelDir) + "p1002b.dgn"), content(seed));
    EXPECT_FALSE(exists(std::string(kModelDir) + "p1002.dgn"));
    EXPECT_EQ(Row(*ctx.Sheet(), 3, 4).at(3),
              "Creating model file: '" + std::string(kModelDir) + "p1002b.dgn' from seed file: '" + seed + "'");
    EXPECT_EQ(UsedRows(*ctx.Sheet()), 3);
}
