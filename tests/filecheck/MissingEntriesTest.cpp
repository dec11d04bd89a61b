// Tree keys and report rows of the file check findings.
#include "filecheck/MissingEntries.h"

#include "FileCheckFixtures.h"
#include "filecheck/ReportSheet.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/Workbook.h"
#include "services/CheckTree.h"

#include <gtest/gtest.h>

using namespace filechecktest;
using Strings = std::vector<std::string>;

class MissingEntriesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        app = ExcelApplication::Start();
        app->Workbooks().Add();
        sheet = &app->Workbooks(1).Worksheets(1);
        WriteSectionStart(*sheet, TitlePlace::UsedRow, "Missing model files",
                          {"Discipline", "Area", "Model", "Description", "Alternative files"});
    }

    Strings keys() const
    {
        Strings k;
        for (const CheckTreeNode* n : tree.Nodes())
            k.push_back(n->key);
        return k;
    }
    std::string text(const std::string& key) const { return tree.Find(key) ? tree.Find(key)->text : "<none>"; }

    std::unique_ptr<ExcelApplication> app;
    Worksheet* sheet = nullptr;
    CheckTree tree;
    Recordset disciplines = Disciplines({{1, "Piping"}, {2, "   "}});
    Recordset areas = Areas({{1, 3, "A3", "North"}, {2, 3, "B3", "other discipline"}, {1, 4, "A4", "  "}});
};

struct EntryCase {
    const char* name;
    std::vector<Variant> model;
    std::string entry, description;
    bool fileEntry;
    std::string entryKey;   // "" when no entry node
    Strings row;
};

class EntryTest : public MissingEntriesTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryTest, KeyAndRow)
{
    const EntryCase& c = GetParam();
    Recordset models = Models({c.model});
    AddMissingModel(tree, sheet, &disciplines, &areas, models, c.entry, c.description, c.fileEntry);
    if (c.entryKey.empty())
        EXPECT_EQ(keys().size(), 4u);
    else
        EXPECT_EQ(text(c.entryKey), c.description);
    EXPECT_EQ(Row(*sheet, 3), c.row);
}

INSTANTIATE_TEST_SUITE_P(
    Models, EntryTest,
    ::testing::Values(
        EntryCase{"NotFound", {1, 3, "P-101", Variant::Null()}, "FILE_NOT_FOUNDp101.dgn", "File not found (x)", true,
                  "Discipline1ModelP-101FileFILE_NOT_FOUNDp101.dgn", {"Piping", "A3 - North", "P-101", "File not found (x)", ""}},
        EntryCase{"ErrorEntry", {1, 3, "P-101", ""}, "network_address", "'network_address' not defined", false,
                  "Discipline1ModelP-101Errornetwork_address", {"Piping", "A3 - North", "P-101", "'network_address' not defined", ""}},
        EntryCase{"NullModelNo", {1, 3, Variant::Null(), "Desc"}, "model_no", "'model_no' not defined", false,
                  "Discipline1ModelErrormodel_no", {"Piping", "A3 - North", " - Desc", "'model_no' not defined", ""}},
        EntryCase{"BlankDescription", {1, 3, "P-101", ""}, "FILE_NOT_FOUNDp.dgn", "   ", true, "",
                  {"Piping", "A3 - North", "P-101", "", ""}},
        EntryCase{"UnknownDisciplineAndArea", {7, 9, "X", ""}, "e", "t", false, "Discipline7ModelXErrore",
                  {"UNKNOWN_DISCIPLINE", "UNKNOWN_AREA", "X", "t", ""}},
        EntryCase{"BlankNamesAndNullIndex", {2, Variant::Null(), "X", ""}, "e", "t", false, "Discipline2ModelXErrore",
                  {"UNKNOWN_DISCIPLINE", "UNKNOWN_AREA", "X", "t", ""}},
        EntryCase{"AreaByIndexAloneBlankDescription", {1, 4, "X", ""}, "e", "t", false, "Discipline1ModelXErrore",
                  {"Piping", "A4", "X", "t", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MissingEntriesTest, SameModelNumberInTwoAreasSharesTheModelNode)
{
    Recordset models = Models({{1, 3, "P-1", ""}, {1, 4, "P-1", ""}});
    AddMissingModel(tree, sheet, &disciplines, &areas, models, "a", "first", false);
    models.MoveNext();
    AddMissingModel(tree, sheet, &disciplines, &areas, models, "b", "second", false);
    EXPECT_EQ(tree.Find("Discipline1ModelP-1Errorb")->parent->parent->key, "Discipline1Area3");
    EXPECT_EQ(Row(*sheet, 4), (Strings{"Piping", "A4", "P-1", "second", ""}));
}

// The branches of drawings, area markers and the project file, and alternatives sharing a model's
// nodes, are checked on the sample project; here the approval states the sample has not.
TEST_F(MissingEntriesTest, LibraryBranchNamesEveryApprovalState)
{
    Recordset libraries = Table({{"approval_status", adSmallInt}, {"type_of_rdb_data", adSmallInt}},
                                {{0, 1}, {1, 2}, {7, 3}});
    const Strings statuses{"Approved", "Unapproved", "Unknown"};
    for (size_t i = 0; i < statuses.size(); ++i) {
        AddMissingLibrary(tree, sheet, libraries, "rdb_file_spec", "'rdb_file_spec' not defined", false);
        EXPECT_EQ(Row(*sheet, UsedRows(*sheet), 3),
                  (Strings{statuses[i], std::to_string(i + 1), "'rdb_file_spec' not defined"}));
        libraries.MoveNext();
    }
    EXPECT_EQ(text("ApprovalStatus7"), "Unknown");
    EXPECT_EQ(text("ApprovalStatus1Library2Errorrdb_file_spec"), "'rdb_file_spec' not defined");
}

TEST_F(MissingEntriesTest, WithoutReportSheetOnlyTheTreeIsFilled)
{
    Recordset models = Models({{1, 3, "P-101", ""}});
    AddMissingModel(tree, nullptr, &disciplines, nullptr, models, "FILE_NOT_FOUNDp.dgn", "t", true);
    EXPECT_EQ(text("Discipline1Area3"), "UNKNOWN_AREA");
    EXPECT_TRUE(tree.Contains("Discipline1ModelP-101FileFILE_NOT_FOUNDp.dgn"));
    EXPECT_EQ(UsedRows(*sheet), 2);
}

TEST_F(MissingEntriesTest, SectionsFollowEachOtherWithoutEmptyRows)
{
    WriteSectionStart(*sheet, TitlePlace::BelowUsedRows, "Missing drawing files",
                      {"Drawing Type", "Drawing", "Description", "Alternative files"});
    EXPECT_EQ(Row(*sheet, 2), (Strings{"Discipline", "Area", "Model", "Description", "Alternative files"}));
    EXPECT_EQ(Row(*sheet, 3, 1), (Strings{"Missing drawing files"}));
    EXPECT_EQ(Row(*sheet, 4, 4), (Strings{"Drawing Type", "Drawing", "Description", "Alternative files"}));
    const CellFormat title = sheet->EffectiveFormat(3, 1).Resolved();
    EXPECT_TRUE(*title.bold);
    EXPECT_EQ(*title.size, 12);
    EXPECT_TRUE(*sheet->EffectiveFormat(4, 4).Resolved().bold);
    EXPECT_FALSE(*sheet->EffectiveFormat(4, 5).Resolved().bold);
}
