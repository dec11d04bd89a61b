// Mapping of Qt widgets to the control kinds and properties the services use.
#include "ui/qt/QtControl.h"

#include "platform/AppError.h"
#include "ui/qt/QtText.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

namespace {

void collectMenuActions(const QList<QAction*>& actions, QList<QPointer<QAction>>& out)
{
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        out.append(a);
        if (QMenu* sub = a->menu())
            collectMenuActions(sub->actions(), out);
    }
}

} // namespace

QtControl::QtControl(QWidget* widget) : widget_(widget)
{
    if (auto* bar = qobject_cast<QToolBar*>(widget)) {
        for (QAction* a : bar->actions())
            if (!a->isSeparator())
                items_.append(a);
    } else if (auto* menu = qobject_cast<QMenuBar*>(widget)) {
        collectMenuActions(menu->actions(), items_);
    }
}

std::string QtControl::TypeNameOf(const QWidget* w)
{
    if (qobject_cast<const QRadioButton*>(w))
        return "OptionButton";
    if (qobject_cast<const QCheckBox*>(w))
        return "CheckBox";
    if (qobject_cast<const QPushButton*>(w) || qobject_cast<const QToolButton*>(w))
        return "CommandButton";
    if (qobject_cast<const QLabel*>(w))
        return "Label";
    if (qobject_cast<const QStatusBar*>(w))
        return "StatusBar";
    if (qobject_cast<const QToolBar*>(w))
        return "Toolbar";
    if (qobject_cast<const QMenuBar*>(w))
        return "UniMenu";
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
        qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QAbstractSpinBox*>(w))
        return "TextBox";
    if (qobject_cast<const QComboBox*>(w))
        return "ComboBox";
    if (qobject_cast<const QTreeView*>(w))
        return "TreeView";
    if (qobject_cast<const QTableView*>(w))
        return "Grid";
    if (qobject_cast<const QListView*>(w))
        return "ListBox";
    if (qobject_cast<const QProgressBar*>(w))
        return "ProgressBar";
    // Containers are frames: disabling one would disable what it holds, exempt buttons included.
    const QString cls = QString::fromLatin1(w->metaObject()->className());
    if (qobject_cast<const QGroupBox*>(w) || qobject_cast<const QTabWidget*>(w) ||
        qobject_cast<const QScrollArea*>(w) || qobject_cast<const QSplitter*>(w) ||
        qobject_cast<const QStackedWidget*>(w) || cls == "QFrame" || cls == "QWidget")
        return "Frame";
    return FromQString(cls.startsWith('Q') ? cls.mid(1) : cls);
}

QWidget& QtControl::widget() const
{
    if (!widget_)
        throw AppError(91, "", "Object variable or With block variable not set");
    return *widget_;
}

std::string QtControl::name() const { return FromQString(widget().objectName()); }

std::string QtControl::typeName() const { return TypeNameOf(&widget()); }

std::string QtControl::index() const
{
    const QVariant v = widget().property("Index");
    return v.isValid() ? FromQString(v.toString()) : std::string();
}

bool QtControl::isEnabled() const { return widget().isEnabled(); }

void QtControl::setEnabled(bool enabled) { widget().setEnabled(enabled); }

bool QtControl::property(const std::string& name, std::string& value) const
{
    QWidget& w = widget();
    if (name == "Caption") {
        if (auto* b = qobject_cast<QAbstractButton*>(&w))
            value = FromQString(b->text());
        else if (auto* l = qobject_cast<QLabel*>(&w))
            value = FromQString(l->text());
        else if (auto* g = qobject_cast<QGroupBox*>(&w))
            value = FromQString(g->title());
        else
            return false;
        return true;
    }
    if (name == "Text") {
        if (auto* e = qobject_cast<QLineEdit*>(&w))
            value = FromQString(e->text());
        else if (auto* t = qobject_cast<QTextEdit*>(&w))
            value = FromQString(t->toPlainText());
        else if (auto* p = qobject_cast<QPlainTextEdit*>(&w))
            value = FromQString(p->toPlainText());
        else if (auto* c = qobject_cast<QComboBox*>(&w))
            value = FromQString(c->currentText());
        else
            return false;
        return true;
    }
    if (name == "ToolTipText")
        value = FromQString(w.toolTip());
    else if (name == "Tag")
        value = FromQString(w.property("Tag").toString());
    else if (name == "FontName")
        value = FromQString(w.font().family());
    else
        return false;
    return true;
}

bool QtControl::setProperty(const std::string& name, const std::string& value)
{
    QWidget& w = widget();
    const QString v = ToQString(value);
    if (name == "Caption") {
        if (auto* b = qobject_cast<QAbstractButton*>(&w))
            b->setText(v);
        else if (auto* l = qobject_cast<QLabel*>(&w))
            l->setText(v);
        else if (auto* g = qobject_cast<QGroupBox*>(&w))
            g->setTitle(v);
        else
            return false;
        return true;
    }
    if (name == "Text") {
        if (auto* e = qobject_cast<QLineEdit*>(&w))
            e->setText(v);
        else if (auto* t = qobject_cast<QTextEdit*>(&w))
            t->setPlainText(v);
        else if (auto* p = qobject_cast<QPlainTextEdit*>(&w))
            p->setPlainText(v);
        else if (auto* c = qobject_cast<QComboBox*>(&w))
            c->setCurrentText(v);
        else
            return false;
        return true;
    }
    if (name == "ToolTipText") {
        w.setToolTip(v);
    } else if (name == "Tag") {
        w.setProperty("Tag", v);
    } else if (name == "FontName") {
        QFont f = w.font();
        f.setFamily(v);
        w.setFont(f);
    } else {
        return false;
    }
    return true;
}

size_t QtControl::itemCount() const { return static_cast<size_t>(items_.size()); }

std::string QtControl::itemKey(size_t i) const
{
    QAction* a = items_.value(static_cast<qsizetype>(i));
    return a ? FromQString(a->objectName()) : std::string();
}

bool QtControl::itemVisible(size_t i) const
{
    QAction* a = items_.value(static_cast<qsizetype>(i));
    return a && a->isVisible();
}

bool QtControl::itemEnabled(size_t i) const
{
    QAction* a = items_.value(static_cast<qsizetype>(i));
    return a && a->isEnabled();
}

void QtControl::setItemEnabled(size_t i, bool enabled)
{
    if (QAction* a = items_.value(static_cast<qsizetype>(i)))
        a->setEnabled(enabled);
}
