// Shows a check-box tree model in a QTreeWidget: node texts, check boxes, background colours
// and the requests to make a node visible follow the model; the user's check-box clicks are
// handed back as the node whose box changed. Marks set by operations raise no click.
#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <string>
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

    // Observes model (replacing its observer) for as long as the mirror lives; onUserCheck
    // gets the node after its check state took the user's click.
    CheckTreeMirror(CheckTree& model, QTreeWidget* widget, NodeCheck onUserCheck);
    ~CheckTreeMirror() override;

    // Brings the widget in line with the model now (changes are otherwise mirrored at the
    // next pass of the event loop).
    void Sync();
    // The node under a point of the tree's viewport, or nullptr.
    CheckTreeNode* NodeAt(const QPoint& viewportPos) const;
    QTreeWidgetItem* ItemOf(const CheckTreeNode* node) const;

private:
    void schedule();
    void rebuild();
    void itemChanged(QTreeWidgetItem* item, int column);

    CheckTree& model_;
    QTreeWidget* widget_;
    NodeCheck onUserCheck_;
    struct Mirrored {
        const CheckTreeNode* node;
        std::string key; // a new tree may reuse a freed node's address, never its key and parent
        const CheckTreeNode* parent;
    };
    std::vector<Mirrored> nodes_; // in the model's order
    std::map<const CheckTreeNode*, QTreeWidgetItem*> items_;
    std::map<QTreeWidgetItem*, CheckTreeNode*> nodeOf_;
    bool updating_ = false;
    bool scheduled_ = false;
};
