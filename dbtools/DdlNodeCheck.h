// How a changed check box spreads through the DDL check's result tree: down to every
// descendant, and up while a parent's state flips, with the partly checked parents shown in
// the button-face colour.
#pragma once

#include <cstdint>

struct CheckTreeNode;

// The node's check state given to all its descendants, each reset to the normal colour.
void CheckDdlChildNodes(CheckTreeNode& node, int64_t normalColor);

// tvwTreeView_NodeCheck: the whole spreading after the user changed the node's check box. A
// parent is checked while at least one child is; it shows the button-face colour while some
// child is unchecked.
void SpreadDdlNodeCheck(CheckTreeNode& node, int64_t normalColor);
