// The check-box tree model shown in a tree widget.
#include "ui/qt/CheckTreeMirror.h"

#include "ui/qt/QtText.h"
#include "services/CheckTree.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QTimer>
#include <QTreeWidget>

namespace {

// The model's colours: 0 the tree's default, the two system colours from the palette, any
// other value a BGR number.
QBrush brushOf(int64_t color)
{
    if (color == 0)
        return QBrush();
    if (color == kTreeColorHighlightText)
        return QApplication::palette().color(QPalette::HighlightedText);
    if (color == kTreeColorButtonFace)
        return QApplication::palette().color(QPalette::Button);
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

} // namespace

CheckTreeMirror::CheckTreeMirror(CheckTree& model, QTreeWidget* widget, NodeCheck onUserCheck)
    : QObject(widget), model_(model), widget_(widget), onUserCheck_(std::move(onUserCheck))
{
    widget_->setHeaderHidden(true);
    widget_->setColumnCount(1);
    model_.SetObserver([this] { schedule(); });
    connect(widget_, &QTreeWidget::itemChanged, this, &CheckTreeMirror::itemChanged);
    rebuild();
}

CheckTreeMirror::~CheckTreeMirror()
{
    model_.SetObserver({});
}

void CheckTreeMirror::schedule()
{
    if (scheduled_)
        return;
    scheduled_ = true;
    QPointer<CheckTreeMirror> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self)
            self->Sync();
    });
}

void CheckTreeMirror::rebuild()
{
    updating_ = true;
    widget_->clear();
    nodes_.clear();
    items_.clear();
    nodeOf_.clear();
    updating_ = false;
}

void CheckTreeMirror::Sync()
{
    scheduled_ = false;
    const std::vector<CheckTreeNode*>& nodes = model_.Nodes();
    bool same = nodes.size() >= nodes_.size();
    for (size_t i = 0; same && i < nodes_.size(); ++i)
        same = nodes[i] == nodes_[i].node && nodes[i]->key == nodes_[i].key && nodes[i]->parent == nodes_[i].parent;
    if (!same)
        rebuild();
    updating_ = true;
    for (size_t i = nodes_.size(); i < nodes.size(); ++i) {
        CheckTreeNode* node = nodes[i];
        auto parent = node->parent ? items_.find(node->parent) : items_.end();
        auto* item = parent != items_.end() ? new QTreeWidgetItem(parent->second) : new QTreeWidgetItem(widget_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        items_[node] = item;
        nodeOf_[item] = node;
        nodes_.push_back({node, node->key, node->parent});
    }
    for (CheckTreeNode* node : nodes) {
        QTreeWidgetItem* item = items_[node];
        item->setText(0, ToQString(node->text));
        item->setCheckState(0, node->checked ? Qt::Checked : Qt::Unchecked);
        item->setBackground(0, brushOf(node->backColor));
        if (node->ensureVisible) {
            node->ensureVisible = false;
            // The view opens collapsed parents itself only when idle, not amid a click.
            for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
                p->setExpanded(true);
            widget_->scrollToItem(item);
        }
    }
    updating_ = false;
}

void CheckTreeMirror::itemChanged(QTreeWidgetItem* item, int column)
{
    if (updating_ || column != 0)
        return;
    auto it = nodeOf_.find(item);
    if (it == nodeOf_.end())
        return;
    CheckTreeNode& node = *it->second;
    const bool checked = item->checkState(0) == Qt::Checked;
    if (checked == node.checked)
        return;
    node.checked = checked;
    if (onUserCheck_)
        onUserCheck_(node);
    Sync();
}

CheckTreeNode* CheckTreeMirror::NodeAt(const QPoint& viewportPos) const
{
    auto it = nodeOf_.find(widget_->itemAt(viewportPos));
    return it == nodeOf_.end() ? nullptr : it->second;
}

QTreeWidgetItem* CheckTreeMirror::ItemOf(const CheckTreeNode* node) const
{
    auto it = items_.find(node);
    return it == items_.end() ? nullptr : it->second;
}
