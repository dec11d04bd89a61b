// Builders of named window controls.
#include "ui/qt/QtBuilders.h"

#include "ui/qt/QtText.h"

#include <QLineEdit>
#include <QPushButton>

QPushButton* MakeButton(QWidget* parent, const std::string& name, const std::string& caption, const std::string& tip)
{
    auto* b = new QPushButton(ToQString(caption), parent);
    b->setObjectName(ToQString(name));
    if (!tip.empty())
        b->setToolTip(ToQString(tip));
    return b;
}

QLineEdit* MakeLineEdit(QWidget* parent, const std::string& name, const std::string& tip)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(ToQString(name));
    if (!tip.empty())
        e->setToolTip(ToQString(tip));
    return e;
}
