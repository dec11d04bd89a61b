// Window placement of Qt windows in twips.
#include "ui/qt/QtWindowPlacement.h"

#include "platform/AppError.h"
#include "ui/qt/QtText.h"

#include <QGuiApplication>
#include <QScreen>

QtWindowPlacement::QtWindowPlacement(QWidget* window) : window_(window) {}

QWidget& QtWindowPlacement::window() const
{
    if (!window_)
        throw AppError(91, "", "Object variable or With block variable not set");
    return *window_;
}

QRect QtWindowPlacement::screenRect() const
{
    QScreen* s = window_ && window_->screen() ? window_->screen() : QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect();
}

std::string QtWindowPlacement::name() const { return FromQString(window().objectName()); }

int QtWindowPlacement::windowState() const
{
    if (window().isMinimized())
        return Minimized;
    return window().isMaximized() ? Maximized : Normal;
}

void QtWindowPlacement::setWindowState(int state)
{
    Qt::WindowStates s = window().windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == Minimized)
        s |= Qt::WindowMinimized;
    else if (state == Maximized)
        s |= Qt::WindowMaximized;
    window().setWindowState(s);
}

int QtWindowPlacement::borderStyle() const
{
    const QVariant v = window().property("BorderStyle");
    if (v.isValid())
        return v.toInt();
    return window().minimumSize() == window().maximumSize() ? 1 : 2;
}

long QtWindowPlacement::top() const { return (window().frameGeometry().y() - screenRect().y()) * kTwipsPerPixel; }
long QtWindowPlacement::left() const { return (window().frameGeometry().x() - screenRect().x()) * kTwipsPerPixel; }
long QtWindowPlacement::height() const { return window().frameGeometry().height() * kTwipsPerPixel; }
long QtWindowPlacement::width() const { return window().frameGeometry().width() * kTwipsPerPixel; }

void QtWindowPlacement::setTop(long twips)
{
    window().move(window().frameGeometry().x(), screenRect().y() + static_cast<int>(twips / kTwipsPerPixel));
}

void QtWindowPlacement::setLeft(long twips)
{
    window().move(screenRect().x() + static_cast<int>(twips / kTwipsPerPixel), window().frameGeometry().y());
}

// The stored sizes include the frame; the client area is what Qt resizes.
void QtWindowPlacement::setHeight(long twips)
{
    const int frame = window().frameGeometry().height() - window().height();
    window().resize(window().width(), static_cast<int>(twips / kTwipsPerPixel) - frame);
}

void QtWindowPlacement::setWidth(long twips)
{
    const int frame = window().frameGeometry().width() - window().width();
    window().resize(static_cast<int>(twips / kTwipsPerPixel) - frame, window().height());
}

long QtWindowPlacement::screenWidth() const { return screenRect().width() * kTwipsPerPixel; }
long QtWindowPlacement::screenHeight() const { return screenRect().height() * kTwipsPerPixel; }

void RestoreWindowPos(QWidget* window)
{
    QtWindowPlacement p(window);
    RestoreWindowPos(static_cast<WindowPlacement&>(p));
}

void SaveWindowPos(QWidget* window)
{
    QtWindowPlacement p(window);
    SaveWindowPos(static_cast<WindowPlacement&>(p));
}
