// The check-box tree model shown in a tree widget.
#include "ui/qt/CheckTreeMirror.h"

#include "ui/qt/QtText.h"
#include "services/CheckTree.h"

#include <QApplication>
#include <QPalette>
#include <QTreeWidget>

#include <algorithm>

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
    passTimer_.setSingleShot(true);
    connect(&passTimer_, &QTimer::timeout, this, &CheckTreeMirror::pass);
    sinceMarks_.start();
    model_.SetObserver([this](CheckTree::Change change) {
        if (change == CheckTree::Change::Replaced)
            replaced_ = true;
        else if (change == CheckTree::Change::Marks)
            marksChanged_ = true;
        arm();
    });
    connect(widget_, &QTreeWidget::itemChanged, this, &CheckTreeMirror::itemChanged);
    rebuild();
}

CheckTreeMirror::~CheckTreeMirror()
{
    model_.SetObserver({});
}

void CheckTreeMirror::arm()
{
    // New or replaced nodes are shown at the next turn of the event loop.
    const bool structure = replaced_ || model_.Count() != nodes_.size();
    const int wait = structure ? 0 : std::max<int>(0, kMarksIntervalMs - static_cast<int>(sinceMarks_.elapsed()));
    if (!passTimer_.isActive() || passTimer_.remainingTime() > wait)
        passTimer_.start(wait);
}

void CheckTreeMirror::pass()
{
    if (replaced_ || model_.Count() < nodes_.size())
        rebuild();
    appendNew();
    if (marksChanged_) {
        if (sinceMarks_.elapsed() >= kMarksIntervalMs)
            refreshMarks();
        else
            arm();
    }
}

bool CheckTreeMirror::sameNodes() const
{
    const std::vector<CheckTreeNode*>& nodes = model_.Nodes();
    if (nodes.size() < nodes_.size())
        return false;
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (nodes[i] != nodes_[i].node || nodes[i]->key != nodes_[i].key || nodes[i]->parent != nodes_[i].parent)
            return false;
    return true;
}

void CheckTreeMirror::rebuild()
{
    updating_ = true;
    widget_->clear();
    nodes_.clear();
    indexOf_.clear();
    nodeOf_.clear();
    replaced_ = false;
    updating_ = false;
}

void CheckTreeMirror::Sync()
{
    passTimer_.stop();
    if (replaced_ || !sameNodes())
        rebuild();
    appendNew();
    refreshMarks();
}

void CheckTreeMirror::appendNew()
{
    const std::vector<CheckTreeNode*>& nodes = model_.Nodes();
    if (nodes.size() <= nodes_.size())
        return;
    updating_ = true;
    // Items are filled before they join the widget, and the new children of a shown item join
    // it together: one insertion per parent instead of one per item and mark.
    std::vector<std::pair<QTreeWidgetItem*, QList<QTreeWidgetItem*>>> joins;
    std::unordered_map<QTreeWidgetItem*, size_t> joinOf;
    std::vector<QTreeWidgetItem*> toReveal;
    const size_t firstNew = nodes_.size();
    for (size_t i = firstNew; i < nodes.size(); ++i) {
        CheckTreeNode* node = nodes[i];
        auto* item = new QTreeWidgetItem;
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setText(0, ToQString(node->text));
        item->setCheckState(0, node->checked ? Qt::Checked : Qt::Unchecked);
        item->setBackground(0, brushOf(node->backColor));
        nodes_.push_back({node, node->key, node->parent, item, node->text, node->checked, node->backColor});
        indexOf_[node] = i;
        nodeOf_[item] = node;
        if (node->ensureVisible)
            toReveal.push_back(item);
        node->ensureVisible = false;

        const auto parent = node->parent ? indexOf_.find(node->parent) : indexOf_.end();
        QTreeWidgetItem* parentItem = parent != indexOf_.end() ? nodes_[parent->second].item : nullptr;
        if (parentItem && parent->second >= firstNew) {
            parentItem->addChild(item); // not yet in the widget: no view work
            continue;
        }
        auto [at, added] = joinOf.try_emplace(parentItem, joins.size());
        if (added)
            joins.push_back({parentItem, {}});
        joins[at->second].second.append(item);
    }
    for (auto& [parentItem, items] : joins) {
        if (parentItem)
            parentItem->addChildren(items);
        else
            widget_->addTopLevelItems(items);
    }
    for (QTreeWidgetItem* item : toReveal)
        reveal(item);
    updating_ = false;
}

void CheckTreeMirror::refreshMarks()
{
    marksChanged_ = false;
    updating_ = true;
    for (Mirrored& m : nodes_) {
        show(m);
        if (m.node->ensureVisible) {
            m.node->ensureVisible = false;
            reveal(m.item);
        }
    }
    updating_ = false;
    sinceMarks_.restart();
}

void CheckTreeMirror::show(Mirrored& m)
{
    const CheckTreeNode& node = *m.node;
    if (node.text != m.text) {
        m.text = node.text;
        m.item->setText(0, ToQString(m.text));
    }
    if (node.checked != m.checked) {
        m.checked = node.checked;
        m.item->setCheckState(0, m.checked ? Qt::Checked : Qt::Unchecked);
    }
    if (node.backColor != m.backColor) {
        m.backColor = node.backColor;
        m.item->setBackground(0, brushOf(m.backColor));
    }
}

void CheckTreeMirror::reveal(QTreeWidgetItem* item)
{
    // The view opens collapsed parents itself only when idle, not amid a click.
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        p->setExpanded(true);
    widget_->scrollToItem(item);
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
    // The item shows the click now; a rule that undoes it is then shown as a change.
    nodes_[indexOf_.at(&node)].checked = checked;
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
    auto it = indexOf_.find(node);
    return it == indexOf_.end() ? nullptr : nodes_[it->second].item;
}
