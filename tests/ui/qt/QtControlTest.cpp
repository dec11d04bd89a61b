// Qt widgets as controls: their kinds in the system's type names and their texts.
#include "ui/qt/QtControl.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct KindCase {
    const char* expected;
    std::function<QWidget*()> make;
};

TEST(QtControlTest, MapsWidgetClassesToControlKinds)
{
    const std::vector<KindCase> cases = {
        {"CommandButton", [] { return new QPushButton; }}, {"OptionButton", [] { return new QRadioButton; }},
        {"CheckBox", [] { return new QCheckBox; }},         {"Label", [] { return new QLabel; }},
        {"StatusBar", [] { return new QStatusBar; }},       {"TextBox", [] { return new QLineEdit; }},
        {"ComboBox", [] { return new QComboBox; }},         {"ListBox", [] { return new QListWidget; }},
        {"TreeView", [] { return new QTreeWidget; }},       {"Toolbar", [] { return new QToolBar; }},
        {"UniMenu", [] { return new QMenuBar; }},           {"Frame", [] { return new QGroupBox; }},
        {"Frame", [] { return new QFrame; }},               {"Frame", [] { return new QTabWidget; }},
        {"Frame", [] { return new QWidget; }},
    };
    for (const KindCase& c : cases) {
        std::unique_ptr<QWidget> w(c.make());
        EXPECT_EQ(QtControl::TypeNameOf(w.get()), c.expected) << w->metaObject()->className();
    }
}

TEST(QtControlTest, TextsAndIndex)
{
    QPushButton b("&Check");
    b.setObjectName("cmdCheck");
    b.setProperty("Index", 2);
    QtControl c(&b);
    std::string v;
    ASSERT_TRUE(c.property("Caption", v));
    EXPECT_EQ(v, "&Check");
    EXPECT_FALSE(c.property("Text", v));
    EXPECT_EQ(c.index(), "2");
    c.setProperty("Caption", "Pr\xFC"
                             "fen");
    EXPECT_EQ(b.text(), QString::fromUtf8("Prüfen"));

    QLineEdit e("x");
    QtControl text(&e);
    ASSERT_TRUE(text.property("Text", v));
    EXPECT_EQ(v, "x");
    EXPECT_EQ(text.index(), "");
}

TEST(QtControlTest, ToolbarActionsAreItems)
{
    QToolBar bar;
    QAction* edit = bar.addAction("Edit");
    edit->setObjectName("Menu_Edit");
    bar.addSeparator();
    QAction* run = bar.addAction("Run");
    run->setObjectName("Menu_Run");
    QtControl c(&bar);
    ASSERT_EQ(c.itemCount(), 2u);
    EXPECT_EQ(c.itemKey(1), "Menu_Run");
    EXPECT_EQ(c.itemIndex(1), "2");
    c.setItemEnabled(1, false);
    EXPECT_FALSE(run->isEnabled());
    EXPECT_FALSE(c.itemEnabled(1));
}

TEST(QtControlTest, GoneWidgetRaisesInsteadOfCrashing)
{
    auto* b = new QPushButton;
    QtControl c(b);
    delete b;
    EXPECT_THROW(c.setEnabled(false), std::exception);
}

} // namespace
