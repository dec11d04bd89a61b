// Shows a check-box tree model in a QTreeWidget: node texts, check boxes, background colours
// and the requests to make a node visible follow the model; the user's check-box clicks are
// handed back as the node whose box changed. Marks set by operations raise no click.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

class CheckTree;
struct CheckTreeNode;
class QPoint;
class QTreeWidget;
class QTreeWidgetItem;

class CheckTreeMirror : public QObject {
    Q_OBJECT

public:
    using NodeCheck = std::function<void(CheckTreeNode&)>;

    // How long changed marks of present nodes may wait before the widget shows them: a run
    // that marks node after node pays one pass over the tree per interval, not per mark.
    static constexpr int kMarksIntervalMs = 200;

    // Observes model (replacing its observer) for as long as the mirror lives; onUserCheck
    // gets the node after its check state took the user's click.
    CheckTreeMirror(CheckTree& model, QTreeWidget* widget, NodeCheck onUserCheck);
    ~CheckTreeMirror() override;

    // Brings the widget in line with the model now: every node is compared. Otherwise new
    // nodes are mirrored at the next pass of the event loop, changed marks within the interval.
    void Sync();
    // The node under a point of the tree's viewport, or nullptr.
    CheckTreeNode* NodeAt(const QPoint& viewportPos) const;
    QTreeWidgetItem* ItemOf(const CheckTreeNode* node) const;

private:
    // One mirrored node and what its item shows.
    struct Mirrored {
        CheckTreeNode* node;
        std::string key; // a new tree may reuse a freed node's address, never its key and parent
        const CheckTreeNode* parent;
        QTreeWidgetItem* item;
        std::string text;
        bool checked;
        int64_t backColor;
    };

    // Arms the pass: at the next turn of the event loop, or for changed marks alone once the
    // interval since the last comparison is over.
    void arm();
    void pass();
    bool sameNodes() const;
    void rebuild();
    void appendNew();
    void refreshMarks();
    void show(Mirrored& m);
    void reveal(QTreeWidgetItem* item);
    void itemChanged(QTreeWidgetItem* item, int column);

    CheckTree& model_;
    QTreeWidget* widget_;
    NodeCheck onUserCheck_;
    std::vector<Mirrored> nodes_; // in the model's order
    std::unordered_map<const CheckTreeNode*, size_t> indexOf_;
    std::unordered_map<const QTreeWidgetItem*, CheckTreeNode*> nodeOf_;
    QTimer passTimer_;
    QElapsedTimer sinceMarks_;
    bool replaced_ = false;
    bool marksChanged_ = false;
    bool updating_ = false;
};
