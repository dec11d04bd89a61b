// The check-box tree model in a tree widget: following a changed or rebuilt model, handing back
// only the user's clicks, colours and the requests to make a node visible, new nodes at once and
// marks within the interval.
#include "ui/qt/CheckTreeMirror.h"

#include "services/CheckTree.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class CheckTreeMirrorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        model.Add("", "A", "Area A");
        model.Add("A", "A1", "Model 1");
        model.Add("A1", "A1x", "File x");
        mirror = std::make_unique<CheckTreeMirror>(model, &widget, [this](CheckTreeNode& node) {
            clicked.push_back(node.key);
            CheckTree::SpreadCheck(node);
        });
        mirror->Sync();
    }
    void TearDown() override { mirror.reset(); }
    QTreeWidgetItem* item(const std::string& key) { return mirror->ItemOf(model.Find(key)); }

    CheckTree model;
    QTreeWidget widget;
    std::unique_ptr<CheckTreeMirror> mirror;
    std::vector<std::string> clicked;
};

TEST_F(CheckTreeMirrorTest, AppendsNewNodesInPlaceAndRebuildsAReplacedTree)
{
    QTreeWidgetItem* area = item("A");
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(item("A1x")->parent(), item("A1"));
    model.Add("A", "A2", "Model 2");
    mirror->Sync();
    EXPECT_EQ(item("A"), area);
    EXPECT_EQ(area->childCount(), 2);
    EXPECT_EQ(area->child(1)->text(0), "Model 2");

    model.Clear();
    model.Add("", "B", "Area B");
    mirror->Sync();
    ASSERT_EQ(widget.topLevelItemCount(), 1);
    EXPECT_EQ(widget.topLevelItem(0)->text(0), "Area B");
    EXPECT_EQ(widget.topLevelItem(0)->childCount(), 0);
}

TEST_F(CheckTreeMirrorTest, HandsBackOnlyTheUsersClicksAndShowsWhatTheirRuleChanged)
{
    model.Find("A1")->checked = true; // an operation's mark
    model.Changed();
    mirror->Sync();
    EXPECT_EQ(item("A1")->checkState(0), Qt::Checked);
    EXPECT_TRUE(clicked.empty());

    item("A")->setCheckState(0, Qt::Checked);
    EXPECT_EQ(clicked, std::vector<std::string>{"A"});
    EXPECT_TRUE(model.Find("A1x")->checked);
    EXPECT_EQ(item("A1x")->checkState(0), Qt::Checked);
    EXPECT_EQ(item("A1x")->background(0).color(), widget.palette().color(QPalette::HighlightedText));
}

TEST_F(CheckTreeMirrorTest, ShowsColoursAndOpensTheParentsOfANodeToBeSeen)
{
    model.Find("A1")->backColor = kTreeColorRed;
    model.Find("A1x")->ensureVisible = true;
    mirror->Sync();
    EXPECT_EQ(item("A1")->background(0).color(), QColor(255, 0, 0));
    EXPECT_EQ(item("A")->background(0).style(), Qt::NoBrush);
    EXPECT_TRUE(item("A")->isExpanded());
    EXPECT_TRUE(item("A1")->isExpanded());
    EXPECT_FALSE(model.Find("A1x")->ensureVisible);
}

} // namespace

// A long run of findings is followed at the cost of its new nodes: they appear at the next pass
// of the event loop without a full comparison, and marks set by an operation meanwhile follow
// within the interval.
TEST_F(CheckTreeMirrorTest, FollowsNewNodesAtOnceAndMarksWithinTheInterval)
{
    model.Add("A1", "A1y", "File y");
    model.Find("A1x")->text = "File x renamed";
    QApplication::processEvents();
    ASSERT_NE(item("A1y"), nullptr);
    EXPECT_EQ(item("A1y")->parent(), item("A1"));

    model.Find("A1x")->checked = true;
    model.Changed();
    QElapsedTimer waited;
    waited.start();
    while (item("A1x")->checkState(0) != Qt::Checked && waited.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(item("A1x")->checkState(0), Qt::Checked);
    EXPECT_EQ(item("A1x")->text(0), "File x renamed");
}

// A click that the window's rule undoes shows unchecked again.
TEST(CheckTreeMirror, ClickUndoneByTheRuleShowsUnchecked)
{
    CheckTree model;
    model.Add("", "R", "Library files");
    QTreeWidget widget;
    CheckTreeMirror mirror(model, &widget, [](CheckTreeNode& node) { node.checked = false; });
    mirror.Sync();
    QTreeWidgetItem* root = mirror.ItemOf(model.Find("R"));
    root->setCheckState(0, Qt::Checked);
    EXPECT_FALSE(model.Find("R")->checked);
    EXPECT_EQ(root->checkState(0), Qt::Unchecked);
}
