// Keyed check-box tree model.
#include "services/CheckTree.h"

#include "platform/AppError.h"

#include <algorithm>

CheckTreeNode& CheckTree::Add(const std::string& parentKey, const std::string& key, const std::string& text)
{
    if (Find(key))
        throw AppError(35602, "CheckTree", "Key is not unique in collection");
    CheckTreeNode* parent = nullptr;
    if (!parentKey.empty()) {
        parent = Find(parentKey);
        if (!parent)
            throw AppError(35601, "CheckTree", "Element not found");
    }
    auto node = std::make_unique<CheckTreeNode>();
    node->key = key;
    node->text = text;
    node->parent = parent;
    CheckTreeNode* raw = node.get();
    if (parent)
        parent->children.push_back(raw);
    storage_.push_back(std::move(node));
    order_.push_back(raw);
    byKey_.emplace(key, raw);
    Notify(Change::Added);
    return *raw;
}

CheckTreeNode* CheckTree::Find(const std::string& key)
{
    auto it = byKey_.find(key);
    return it == byKey_.end() ? nullptr : it->second;
}

const CheckTreeNode* CheckTree::Find(const std::string& key) const
{
    return const_cast<CheckTree*>(this)->Find(key);
}

std::vector<CheckTreeNode*> CheckTree::Roots() const
{
    std::vector<CheckTreeNode*> roots;
    for (CheckTreeNode* n : order_)
        if (!n->parent)
            roots.push_back(n);
    return roots;
}

void CheckTree::Clear()
{
    order_.clear();
    byKey_.clear();
    storage_.clear();
    Notify(Change::Replaced);
}

void CheckTree::Remove(const std::string& key)
{
    CheckTreeNode* node = Find(key);
    if (!node)
        return;
    std::vector<CheckTreeNode*> doomed{node};
    for (size_t i = 0; i < doomed.size(); ++i)
        doomed.insert(doomed.end(), doomed[i]->children.begin(), doomed[i]->children.end());
    if (node->parent) {
        auto& siblings = node->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), node), siblings.end());
    }
    for (const CheckTreeNode* n : doomed)
        byKey_.erase(n->key);
    auto isDoomed = [&](const CheckTreeNode* n) { return std::find(doomed.begin(), doomed.end(), n) != doomed.end(); };
    order_.erase(std::remove_if(order_.begin(), order_.end(), isDoomed), order_.end());
    storage_.erase(std::remove_if(storage_.begin(), storage_.end(),
                                  [&](const std::unique_ptr<CheckTreeNode>& n) { return isDoomed(n.get()); }),
                   storage_.end());
    Notify(Change::Replaced);
}

void CheckTree::CheckChildNodes(CheckTreeNode& node)
{
    node.backColor = kTreeColorHighlightText;
    if (node.checked && !node.children.empty())
        node.children.front()->ensureVisible = true;
    for (CheckTreeNode* child : node.children) {
        child->checked = node.checked;
        CheckChildNodes(*child);
    }
}

void CheckTree::SpreadUpward(CheckTreeNode& changed)
{
    CheckTreeNode* n = &changed;
    while (n->parent) {
        const auto& siblings = n->parent->children;
        const bool anyUnchecked =
            std::any_of(siblings.begin(), siblings.end(), [](const CheckTreeNode* s) { return !s->checked; });
        const bool otherChecked = std::any_of(siblings.begin(), siblings.end(), [&](const CheckTreeNode* s) {
            return s->checked && s->text != n->text;
        });
        n = n->parent;
        n->backColor = anyUnchecked ? kTreeColorButtonFace : kTreeColorHighlightText;
        if (otherChecked)
            return;
        if (!n->children.empty())
            n->children.front()->ensureVisible = true;
        n->checked = !n->checked;
        if (!n->checked)
            n->backColor = kTreeColorHighlightText;
    }
}
