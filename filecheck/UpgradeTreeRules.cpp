// Result tree interaction of the file check window.
#include "filecheck/UpgradeTreeRules.h"

#include "filecheck/SeedFileChoice.h"
#include "services/BatchLauncher.h"
#include "platform/TextUtil.h"
#include "services/CheckTree.h"

#include <algorithm>

namespace {

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}

std::string FileNameOfKey(const std::string& key)
{
    const size_t slash = key.rfind('\\');
    return slash == std::string::npos ? key : key.substr(slash + 1);
}

const std::vector<CheckTreeNode*>* Siblings(const CheckTreeNode& node)
{
    return node.parent ? &node.parent->children : nullptr;
}

// The file system does not tell names apart by letter case, and neither does the search that
// found the candidates.
bool SameNamed(const CheckTreeNode& a, const CheckTreeNode& b)
{
    return EqualsNoCase(FileNameOfKey(a.key), FileNameOfKey(b.key));
}

} // namespace

bool IsRestorable(const CheckTreeNode& node)
{
    return node.key == "Models" || node.key == "Drawings" || StartsWith(node.key, "DrawingType") ||
           StartsWith(node.key, "Discipline");
}

bool IsCandidateLeaf(const CheckTreeNode& node)
{
    return node.children.empty() && node.key.find("File") != std::string::npos &&
           node.key.find("FILE_NOT_FOUND") == std::string::npos;
}

bool IsAlternativeAlreadyChecked(const CheckTreeNode& node)
{
    if (!IsRestorable(node) || !IsCandidateLeaf(node))
        return false;
    const auto* siblings = Siblings(node);
    if (!siblings)
        return node.checked;
    return std::any_of(siblings->begin(), siblings->end(),
                       [&](const CheckTreeNode* s) { return s->checked && SameNamed(*s, node); });
}

void CheckChildNodes(CheckTreeNode& node)
{
    node.backColor = kTreeColorHighlightText;
    if (!IsRestorable(node) || node.children.empty())
        return;
    if (node.checked)
        node.children.front()->ensureVisible = true;
    for (CheckTreeNode* child : node.children) {
        const bool keep = node.checked && IsCandidateLeaf(*child) && IsAlternativeAlreadyChecked(*child);
        if (!keep) {
            child->checked = node.checked;
            child->backColor = kTreeColorHighlightText;
        }
        if (!child->children.empty())
            CheckChildNodes(*child);
    }
}

void NodeCheck(CheckTreeNode& node)
{
    CheckChildNodes(node);
    CheckTree::SpreadUpward(node);
}

void MouseUp(CheckTreeNode& node)
{
    if (!IsRestorable(node)) {
        node.checked = false;
        NodeCheck(node);
        return;
    }
    if (!node.checked || !IsCandidateLeaf(node))
        return;
    const auto* siblings = Siblings(node);
    if (!siblings)
        return;
    const auto sameChecked = std::count_if(siblings->begin(), siblings->end(),
                                           [&](const CheckTreeNode* s) { return s->checked && SameNamed(*s, node); });
    if (sameChecked > 1)
        node.checked = false;
}

void UserChangedCheck(CheckTreeNode& node)
{
    NodeCheck(node);
    MouseUp(node);
}

std::string DoubleClickFile(const CheckTreeNode& node)
{
    if (!node.children.empty() || node.key.find("File") == std::string::npos ||
        node.key.find("FILE_NOT_FOUND") != std::string::npos)
        return {};
    return CandidatePath(node);
}

void OpenCandidate(const CheckTreeNode& node)
{
    const std::string file = DoubleClickFile(node);
    if (file.empty())
        return;
    long result = 0;
    ShellExec("Open", file, "", "", result);
}
