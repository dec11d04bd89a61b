// Builders for the controls of the admin windows.
#include "admin/FormWidgets.h"

#include <QLineEdit>
#include <QPushButton>

namespace formwidgets {

QString ToQ(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQ(const QString& s)
{
    return s.toLatin1().toStdString();
}

QPushButton* MakeButton(QWidget* parent, const std::string& name, const std::string& caption, const std::string& tip)
{
    // A caption's "&&" shows as one "&"; a single "&" would become a shortcut marker.
    auto* b = new QPushButton(ToQ(caption), parent);
    b->setObjectName(ToQ(name));
    if (!tip.empty())
        b->setToolTip(ToQ(tip));
    return b;
}

QLineEdit* MakeLineEdit(QWidget* parent, const std::string& name, const std::string& tip)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(ToQ(name));
    if (!tip.empty())
        e->setToolTip(ToQ(tip));
    return e;
}

} // namespace formwidgets
