// Check-box spreading of the DDL check's result tree.
#include "dbtools/DdlNodeCheck.h"

#include "services/CheckTree.h"

#include <algorithm>

void CheckDdlChildNodes(CheckTreeNode& node, int64_t normalColor)
{
    node.backColor = normalColor;
    for (CheckTreeNode* child : node.children) {
        child->checked = node.checked;
        child->backColor = normalColor;
        if (!child->children.empty())
            CheckDdlChildNodes(*child, normalColor);
    }
}

void SpreadDdlNodeCheck(CheckTreeNode& node, int64_t normalColor)
{
    CheckDdlChildNodes(node, normalColor);
    CheckTreeNode* x = &node;
    while (CheckTreeNode* parent = x->parent) {
        const auto& siblings = parent->children;
        const bool unchecked =
            std::any_of(siblings.begin(), siblings.end(), [](const CheckTreeNode* s) { return !s->checked; });
        const bool otherChecked = std::any_of(siblings.begin(), siblings.end(),
                                              [&](const CheckTreeNode* s) { return s != x && s->checked; });
        parent->backColor = unchecked ? kTreeColorButtonFace : normalColor;
        if (otherChecked)
            return;
        if (!siblings.empty())
            siblings.front()->ensureVisible = true;
        parent->checked = !parent->checked;
        if (!parent->checked)
            parent->backColor = normalColor;
        x = parent;
    }
}
