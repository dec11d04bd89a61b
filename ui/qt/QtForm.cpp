// Qt windows registered as loaded windows.
#include "ui/qt/QtForm.h"

#include "ui/qt/QtControl.h"
#include "ui/qt/QtText.h"
#include "services/FormRegistry.h"

#include <QLabel>
#include <QStatusBar>

QtForm* QtForm::Attach(QWidget* window, StatusSetter statusSetter)
{
    return new QtForm(window, std::move(statusSetter));
}

QtForm::QtForm(QWidget* window, StatusSetter statusSetter)
    : QObject(window), window_(window), statusSetter_(std::move(statusSetter))
{
    FormRegistry::Register(this);
}

QtForm::~QtForm() { FormRegistry::Unregister(this); }

std::string QtForm::name() const { return window_ ? FromQString(window_->objectName()) : std::string(); }

bool QtForm::isVisible() const { return window_ && window_->isVisible(); }

bool QtForm::isMinimized() const { return window_ && window_->isMinimized(); }

bool QtForm::isTopMost() const { return window_ && window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void QtForm::setTopMost(bool topMost)
{
    if (!window_ || isTopMost() == topMost)
        return;
    // Changing window flags hides a window; a shown one is shown again.
    const bool shown = window_->isVisible();
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, topMost);
    if (shown)
        window_->show();
}

bool QtForm::setStatusText(const std::string& text)
{
    if (!window_)
        return false;
    const QString t = ToQString(text);
    if (statusSetter_) {
        statusSetter_(t);
        return true;
    }
    auto* bar = window_->findChild<QStatusBar*>("StatusBar1");
    if (!bar)
        return false;
    if (auto* panel = bar->findChild<QLabel*>())
        panel->setText(t);
    else
        bar->showMessage(t);
    return true;
}

std::vector<std::unique_ptr<FormControl>> QtForm::controls()
{
    std::vector<std::unique_ptr<FormControl>> out;
    if (!window_)
        return out;
    for (QWidget* w : window_->findChildren<QWidget*>()) {
        const QString n = w->objectName();
        if (n.isEmpty() || n.startsWith("qt_") || w->isWindow() || w->window() != window_)
            continue;
        out.push_back(std::make_unique<QtControl>(w));
    }
    return out;
}
