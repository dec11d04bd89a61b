// The check-box result tree of the tool windows, as a model without widgets: nodes keyed by a
// text unique in the tree, kept in insertion order, with text, tag, check state and background
// colour. The window layer mirrors it into a tree widget; the checks, restores and reports work
// on the model alone, so they are tested headless.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Background colours as the system gives them (BGR numbers, or system colour indexes).
inline constexpr int64_t kTreeColorRed = 255;
inline constexpr int64_t kTreeColorGreen = 65280;
// System colours 15 (button face) and 14 (highlighted text): the index with the high bit set,
// as colour properties hold system colours.
inline constexpr int64_t kTreeColorButtonFace = 0x8000000F;
inline constexpr int64_t kTreeColorHighlightText = 0x8000000E;

struct CheckTreeNode {
    std::string key; // fixed once the node is added
    std::string text;
    std::string tag;
    bool checked = false;
    int64_t backColor = 0; // 0: the tree's default background
    bool ensureVisible = false;
    CheckTreeNode* parent = nullptr;
    std::vector<CheckTreeNode*> children; // in insertion order
};

class CheckTree {
public:
    // Adds a node as the last root (parentKey empty) or as the last child of parentKey.
    // Throws AppError (number 35602, "Key is not unique in collection") for a present key and
    // (35601, "Element not found") for an absent parent, as the tree control does.
    CheckTreeNode& Add(const std::string& parentKey, const std::string& key, const std::string& text);
    // The node of the key, or nullptr.
    CheckTreeNode* Find(const std::string& key);
    const CheckTreeNode* Find(const std::string& key) const;
    bool Contains(const std::string& key) const { return Find(key) != nullptr; }
    // All nodes in insertion order.
    const std::vector<CheckTreeNode*>& Nodes() const { return order_; }
    std::vector<CheckTreeNode*> Roots() const;
    size_t Count() const { return order_.size(); }
    void Clear();
    // Removes the node and its subtree.
    void Remove(const std::string& key);

    // Gives the node's check state to its whole subtree, marking every node touched with the
    // highlighted-text background. Windows with their own limits (which nodes may take a
    // mark) write their own downward walk and share SpreadUpward.
    static void CheckChildNodes(CheckTreeNode& node);
    // The upward half of the shared spreading rule: walking up from the changed node, a
    // parent's state is flipped when no sibling of the node with a different text is checked,
    // stopping at the first parent that has such a checked child; a parent with an unchecked
    // child gets the button-face background, every other node touched the highlighted-text one.
    static void SpreadUpward(CheckTreeNode& node);
    // Both halves: what a user's click on a node's check box does in the tool windows.
    static void SpreadCheck(CheckTreeNode& node)
    {
        CheckChildNodes(node);
        SpreadUpward(node);
    }

    // What a change notice tells the observer, so that a widget follows a long run of findings
    // at the cost of the new nodes alone.
    enum class Change {
        Added,    // one node appended: the order of the nodes only grows
        Marks,    // texts, checks, colours or visibility requests of present nodes
        Replaced, // nodes removed or the tree cleared
    };
    // Told of every change of the model.
    void SetObserver(std::function<void(Change)> observer) { observer_ = std::move(observer); }
    // Operations call this after they changed the marks of present nodes.
    void Changed() const { Notify(Change::Marks); }

private:
    void Notify(Change change) const
    {
        if (observer_)
            observer_(change);
    }

    std::vector<std::unique_ptr<CheckTreeNode>> storage_;
    std::vector<CheckTreeNode*> order_;
    // Keys to nodes: projects with thousands of missing files look keys up for every entry.
    std::unordered_map<std::string, CheckTreeNode*> byKey_;
    std::function<void(Change)> observer_;
};
