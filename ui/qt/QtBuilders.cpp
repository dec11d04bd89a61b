// Builders of named window controls.
#include "ui/qt/QtBuilders.h"

#include "ui/qt/QtText.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

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

void FitCaption(QPushButton* button)
{
    // The room for the caption: the button's width less what the style draws around it.
    QStyleOptionButton option;
    option.initFrom(button);
    const int frame = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button) +
                      2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, button);
    const int room = button->width() - frame;
    QFont font = button->font();
    double size = font.pointSizeF();
    while (size > 6.0 && QFontMetrics(font).horizontalAdvance(button->text()) > room) {
        size -= 0.5;
        font.setPointSizeF(size);
    }
    button->setFont(font);
}
