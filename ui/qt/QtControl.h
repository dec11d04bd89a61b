// A Qt widget as a control of a loaded window: its kind in the system's type names, its enabled
// state, its texts, and for toolbars and menu bars their actions as items.
#pragma once

#include "services/FormControl.h"

#include <QAction>
#include <QList>
#include <QPointer>
#include <QWidget>

class QtControl : public FormControl {
public:
    explicit QtControl(QWidget* widget);

    // The system's type name of a widget: QPushButton "CommandButton", QLabel "Label",
    // QLineEdit "TextBox", QStatusBar "StatusBar", QRadioButton "OptionButton", QToolBar
    // "Toolbar", QMenuBar "UniMenu", containers (group boxes, frames, tab widgets, plain
    // widgets) "Frame", ...; any other widget its class name without the leading "Q".
    static std::string TypeNameOf(const QWidget* widget);

    std::string name() const override;
    std::string typeName() const override;
    // The dynamic property "Index" of a widget that is part of a control array.
    std::string index() const override;
    bool isEnabled() const override;
    void setEnabled(bool enabled) override;
    bool property(const std::string& name, std::string& value) const override;
    bool setProperty(const std::string& name, const std::string& value) override;

    size_t itemCount() const override;
    std::string itemKey(size_t i) const override;
    bool itemVisible(size_t i) const override;
    bool itemEnabled(size_t i) const override;
    void setItemEnabled(size_t i, bool enabled) override;

private:
    QWidget& widget() const; // throws AppError when the widget is gone

    QPointer<QWidget> widget_;
    QList<QPointer<QAction>> items_;
};
