// Check-box spreading through the DDL check's result tree.
#include "dbtools/DdlNodeCheck.h"

#include "services/CheckTree.h"

#include <gtest/gtest.h>

namespace {

constexpr int64_t kNormal = 0x00FFFFFF;

class DdlNodeCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.Add("", "R", "root");
        tree.Add("R", "P", "parent");
        for (const char* k : {"A", "B", "C"})
            tree.Add("P", k, k);
    }
    // The user's click on a check box.
    void click(const char* key)
    {
        CheckTreeNode& n = *tree.Find(key);
        n.checked = !n.checked;
        SpreadDdlNodeCheck(n, kNormal);
    }
    CheckTreeNode& node(const char* key) { return *tree.Find(key); }
    CheckTree tree;
};

TEST_F(DdlNodeCheckTest, ParentFollowsItsChildrenOneByOne)
{
    struct Step {
        const char* click;
        bool parentChecked;
        int64_t parentColor;
    } steps[] = {{"A", true, kTreeColorButtonFace}, {"B", true, kTreeColorButtonFace}, {"C", true, kNormal},
                 {"A", true, kTreeColorButtonFace}, {"B", true, kTreeColorButtonFace}, {"C", false, kNormal}};
    for (const Step& s : steps) {
        click(s.click);
        EXPECT_EQ(node("P").checked, s.parentChecked) << "after " << s.click;
        EXPECT_EQ(node("P").backColor, s.parentColor) << "after " << s.click;
        // The root flips together with the parent, since the parent is its only child.
        EXPECT_EQ(node("R").checked, s.parentChecked) << "after " << s.click;
    }
}

TEST_F(DdlNodeCheckTest, ParentClickGivesItsStateToAllDescendantsInTheNormalColour)
{
    click("A");
    ASSERT_EQ(node("P").backColor, kTreeColorButtonFace);
    click("P");   // checked, shown partly: the click unchecks it and everything below
    for (const char* k : {"P", "A", "B", "C", "R"}) {
        EXPECT_FALSE(node(k).checked) << k;
        EXPECT_EQ(node(k).backColor, kNormal) << k;
    }
    click("R");
    for (const char* k : {"P", "A", "B", "C"})
        EXPECT_TRUE(node(k).checked) << k;
}

} // namespace
