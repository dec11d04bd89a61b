// The model tree of the source project, the models list file and the version check.
#include "projcopy/ModelSelectionTree.h"

#include "platform/WinPath.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "support/TestFiles.h"
#include "support/WrapperClients.h"

#include <gtest/gtest.h>

using projcopytest::RunSql;

class ModelSelectionTreeTest : public projcopytest::TwoProjects {
protected:
    std::vector<std::string> keys() const
    {
        std::vector<std::string> out;
        for (const CheckTreeNode* n : tree.Nodes())
            out.push_back((n->parent ? n->parent->key + "/" : "") + n->key + "=" + n->text);
        return out;
    }
    std::string modelsFile(const std::string& text)
    {
        testsupport::WriteHostFile(HostPath("C:\\parms\\models.txt"), text);
        return "C:\\parms\\models.txt";
    }
    CopyLog log;
    RisParamsAccess ris{log};
    CheckTree tree;
    ModelSelectionTree selection{sides, ris, log, tree};
};

TEST_F(ModelSelectionTreeTest, ReadsDisciplinesAreasAndModels)
{
    EXPECT_TRUE(selection.ReadProjectTree("demo"));
    EXPECT_EQ(keys(), (std::vector<std::string>{"Discipline1=Piping", "Discipline2=Equipment",
                                                "Discipline1/Area1=A1", "Discipline1/Area2=A2",
                                                "Discipline2/Area3=E1", "Area1/Model1=P1001", "Area2/Model2=P1002",
                                                "Area3/Model3=E2001"}));
    EXPECT_NE(CopyLogText().find("demo: 3 models found"), std::string::npos);
}

TEST_F(ModelSelectionTreeTest, AnAreaNumberUnderTwoDisciplinesStopsTheReading)
{
    oldParams = newParams;
    RunSql(targetRoot, "default schema pd_demo; insert into pdtable_112 values (2, 1, 'E9', 'twin', 0);");
    EXPECT_FALSE(selection.ReadProjectTree("demo"));
    EXPECT_EQ(tree.Count(), 5u); // two disciplines, three areas; no model was read
    EXPECT_NE(CopyLogText().find("demo: reading data complete"), std::string::npos);
}

// A list whose read fails is no empty one: the reading stops there, the log names the list and
// why, and the lists read before it stay in the tree. A list without rows is no failure.
TEST_F(ModelSelectionTreeTest, AListThatCannotBeReadStopsTheReading)
{
    testsupport::WrapperClients clients;
    const struct {
        const char* table;
        std::string logged;
        size_t nodes;
    } cases[] = {
        {"pdtable_111", "Cannot read the discipline list (pdtable_111) of project 'demo': ", 0},
        {"pdtable_112", "Cannot read the area list (pdtable_112) of project 'demo': ", 2},
        {"pdtable_113", "Cannot read the model list (pdtable_113) of project 'demo': ", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        log.Reset();
        clients.Set("risbatch", testsupport::ClientRule::DieBefore(1).When(std::string("FROM ") + c.table));
        EXPECT_FALSE(selection.ReadProjectTree("demo"));
        EXPECT_EQ(tree.Count(), c.nodes);
        const std::string text = CopyLogText();
        EXPECT_NE(text.find(c.logged + "risbatch gave no answer"), std::string::npos) << text;
    }
    clients.Set("risbatch", testsupport::ClientRule::PassThrough());
    oldParams = newParams;
    RunSql(targetRoot, "default schema pd_demo; delete from pdtable_113;");
    EXPECT_TRUE(selection.ReadProjectTree("demo"));
    EXPECT_EQ(tree.Count(), 5u);
}

TEST_F(ModelSelectionTreeTest, ModelsListChecksModelsAndSpreadsUpward)
{
    selection.ReadProjectTree("demo");
    selection.SelectModels(modelsFile("\r\n  p1001  \r\nE2001\r\nnot-a-model\r\n"));
    // Each node's text, check mark and colour.
    const auto marks = [&] {
        std::vector<std::string> out;
        for (const CheckTreeNode* n : tree.Nodes())
            out.push_back(n->text + (n->checked ? " checked " : " ") + std::to_string(n->backColor));
        return out;
    };
    std::vector<std::string> checked;
    for (const CheckTreeNode* n : tree.Nodes())
        if (n->checked)
            checked.push_back(n->text);
    EXPECT_EQ(checked, (std::vector<std::string>{"Piping", "Equipment", "A1", "E1", "P1001", "E2001"}));
    EXPECT_EQ(tree.Find("Discipline1")->backColor, kTreeColorButtonFace); // A2 is unchecked
    // A missing file and no file at all change nothing and raise nothing.
    const std::vector<std::string> before = marks();
    for (const char* file : {"C:\\parms\\none.txt", ""}) {
        EXPECT_NO_THROW(selection.SelectModels(file)) << file;
        EXPECT_EQ(marks(), before) << file;
    }
}

TEST_F(ModelSelectionTreeTest, VersionsMustBeReadAndEqual)
{
    EXPECT_TRUE(selection.CheckProjectVersions("demo", "demo"));
    RunSql(targetRoot, "default schema pd_demo; update pdtable_103 set product_version_no = '07.00.00.16 ';");
    EXPECT_FALSE(selection.CheckProjectVersions("demo", "demo"));
    RunSql(targetRoot, "default schema pd_demo; delete from pdtable_103;");
    EXPECT_FALSE(selection.CheckProjectVersions("demo", "demo"));
    EXPECT_FALSE(selection.CheckProjectVersions("demo", "nothing"));
}
