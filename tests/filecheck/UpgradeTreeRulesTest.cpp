// The check rules of the file check tree: what may stay checked, how checks spread, one
// candidate per missing file, what a double-click opens.
#include "filecheck/UpgradeTreeRules.h"

#include "services/CheckTree.h"

#include <gtest/gtest.h>

class UpgradeTreeRulesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        add("", "Models", "Missing model files");
        add("Models", "Discipline1", "Piping");
        add("Discipline1", "Discipline1Area2", "A2");
        add("Discipline1Area2", "Discipline1ModelP1", "P1");
        add("Discipline1ModelP1", newer, "new");
        add("Discipline1ModelP1", older, "old");
        add("Discipline1Area2", "Discipline1ModelP2", "P2");
        add("Discipline1ModelP2", missing, "not found");
        add("", "RDB", "Missing RDB files");
        add("RDB", "ApprovalStatus0", "Approved");
        add("ApprovalStatus0", "ApprovalStatus0Library2", "2");
    }
    void add(const std::string& parent, const std::string& key, const std::string& text) { tree.Add(parent, key, text); }
    CheckTreeNode& node(const std::string& key) { return *tree.Find(key); }
    bool checked(const std::string& key) { return node(key).checked; }
    // The user's click on the node's check box.
    void click(const std::string& key)
    {
        node(key).checked = !node(key).checked;
        UserChangedCheck(node(key));
    }

    CheckTree tree;
    const std::string newer = "Discipline1ModelP1FileC:\\b\\new\\p1.dgn";
    // The candidates of one missing file differ in letter case as the search finds them.
    const std::string older = "Discipline1ModelP1FileC:\\b\\old\\P1.DGN";
    const std::string missing = "Discipline1ModelP2FileFILE_NOT_FOUNDp2.dgn";
};

TEST_F(UpgradeTreeRulesTest, CheckingTheRootChecksTheFirstCandidateOfEachFile)
{
    click("Models");
    EXPECT_TRUE(checked("Discipline1ModelP1"));
    EXPECT_TRUE(checked(newer));
    EXPECT_FALSE(checked(older));
    EXPECT_TRUE(checked(missing));
    EXPECT_EQ(node("Discipline1ModelP1").backColor, kTreeColorHighlightText);

    click("Models");
    for (const CheckTreeNode* n : tree.Nodes())
        EXPECT_FALSE(n->checked) << n->key;
}

TEST_F(UpgradeTreeRulesTest, SecondCandidateIsUndoneAndLastUncheckWalksUp)
{
    click(newer);
    EXPECT_TRUE(checked("Discipline1ModelP1"));
    EXPECT_TRUE(checked("Models"));
    click(older);
    EXPECT_FALSE(checked(older));
    EXPECT_TRUE(checked(newer));

    click(newer);
    EXPECT_FALSE(checked("Discipline1ModelP1"));
    EXPECT_FALSE(checked("Discipline1Area2"));
    EXPECT_FALSE(checked("Models"));
    click(older); // switching candidates: the first is unchecked, now the second may be chosen
    EXPECT_TRUE(checked(older));
}

TEST_F(UpgradeTreeRulesTest, NodesOutsideModelsAndDrawingsNeverStayChecked)
{
    click("RDB");
    EXPECT_FALSE(checked("RDB"));
    EXPECT_FALSE(checked("ApprovalStatus0Library2"));
    click("ApprovalStatus0Library2");
    EXPECT_FALSE(checked("ApprovalStatus0Library2"));
    EXPECT_FALSE(checked("ApprovalStatus0"));
    EXPECT_FALSE(checked("RDB"));
}

TEST_F(UpgradeTreeRulesTest, DoubleClickOpensOnlyCandidateFiles)
{
    EXPECT_EQ(DoubleClickFile(node(newer)), "C:\\b\\new\\p1.dgn");
    EXPECT_EQ(DoubleClickFile(node(missing)), "");
    EXPECT_EQ(DoubleClickFile(node("Discipline1ModelP1")), "");
    EXPECT_EQ(DoubleClickFile(node("Models")), "");
}
