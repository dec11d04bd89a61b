// The keyed check-box tree: keys, order, and the spreading of check marks.
#include "services/CheckTree.h"

#include "support/Raised.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Models
//   D1            (discipline)
//     D1M1        (model)  -> files F1a, F1b
//     D1M2        (model)  -> file F2
CheckTree sampleTree()
{
    CheckTree t;
    t.Add("", "Models", "Models");
    t.Add("Models", "D1", "Piping");
    t.Add("D1", "D1M1", "m1.dgn");
    t.Add("D1M1", "D1M1Fa", "a\\m1.dgn");
    t.Add("D1M1", "D1M1Fb", "b\\m1.dgn");
    t.Add("D1", "D1M2", "m2.dgn");
    t.Add("D1M2", "D1M2F", "c\\m2.dgn");
    return t;
}

} // namespace

TEST(CheckTree, KeysAreUniqueAndParentsMustExist)
{
    CheckTree t = sampleTree();
    EXPECT_EQ(testsupport::Raised([&] { t.Add("", "D1", "again"); }).number(), 35602);
    EXPECT_EQ(testsupport::Raised([&] { t.Add("Nope", "X", "x"); }).number(), 35601);
    EXPECT_EQ(t.Count(), 7u);
    EXPECT_EQ(t.Nodes()[3]->key, "D1M1Fa");
    ASSERT_EQ(t.Roots().size(), 1u);
}

TEST(CheckTree, RemoveTakesTheSubtree)
{
    CheckTree t = sampleTree();
    t.Remove("D1M1");
    EXPECT_EQ(t.Count(), 4u);
    EXPECT_FALSE(t.Contains("D1M1Fb"));
    EXPECT_EQ(t.Find("D1")->children.size(), 1u);
}

TEST(CheckTree, CheckingARootChecksItsSubtree)
{
    CheckTree t = sampleTree();
    CheckTreeNode& root = *t.Find("Models");
    root.checked = true;
    CheckTree::SpreadCheck(root);
    for (const CheckTreeNode* n : t.Nodes())
        EXPECT_TRUE(n->checked) << n->key;
}

TEST(CheckTree, FirstCheckedLeafChecksParentsAndLastUncheckedUnchecksThem)
{
    CheckTree t = sampleTree();
    CheckTreeNode& leaf = *t.Find("D1M2F");
    leaf.checked = true;
    CheckTree::SpreadCheck(leaf);
    EXPECT_TRUE(t.Find("D1M2")->checked);
    EXPECT_TRUE(t.Find("D1")->checked);
    EXPECT_TRUE(t.Find("Models")->checked);
    // D1 has an unchecked child (D1M1): button face.
    EXPECT_EQ(t.Find("D1")->backColor, kTreeColorButtonFace);

    // A second checked branch keeps the parents when the first is unchecked again.
    CheckTreeNode& other = *t.Find("D1M1Fa");
    other.checked = true;
    CheckTree::SpreadCheck(other);
    leaf.checked = false;
    CheckTree::SpreadCheck(leaf);
    EXPECT_FALSE(t.Find("D1M2")->checked);
    EXPECT_TRUE(t.Find("D1")->checked);
    EXPECT_TRUE(t.Find("Models")->checked);

    other.checked = false;
    CheckTree::SpreadCheck(other);
    EXPECT_FALSE(t.Find("D1M1")->checked);
    EXPECT_FALSE(t.Find("D1")->checked);
    EXPECT_FALSE(t.Find("Models")->checked);
}

// A window follows the model by its notices: appended nodes, changed marks and a replaced tree.
TEST(CheckTree, TellsItsObserverWhatChanged)
{
    CheckTree t = sampleTree();
    std::vector<CheckTree::Change> told;
    t.SetObserver([&](CheckTree::Change change) { told.push_back(change); });
    t.Add("D1", "D1M3", "m3.dgn");
    t.Changed();
    t.Remove("D1M3");
    t.Clear();
    EXPECT_EQ(told, (std::vector<CheckTree::Change>{CheckTree::Change::Added, CheckTree::Change::Marks,
                                                    CheckTree::Change::Replaced, CheckTree::Change::Replaced}));
}
