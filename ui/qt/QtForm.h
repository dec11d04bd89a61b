// A Qt window as a loaded window of the services: registered with FormRegistry from Attach
// until the window is destroyed, so the status line, the locks and the error box reach it.
#pragma once

#include "services/LoadedForm.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QtForm : public QObject, public LoadedForm {
public:
    using StatusSetter = std::function<void(const QString&)>;

    // Registers the window under its objectName (Form1, frmUpgradeCheck, ...). statusSetter
    // shows status texts; without one the window's QStatusBar named "StatusBar1" shows them, in
    // its first QLabel (the first panel) when it has one, else as its message. The QtForm
    // belongs to the window and unregisters when the window is destroyed.
    static QtForm* Attach(QWidget* window, StatusSetter statusSetter = {});
    ~QtForm() override;

    std::string name() const override;
    bool isVisible() const override;
    bool isMinimized() const override;
    bool isTopMost() const override;
    void setTopMost(bool topMost) override;
    bool setStatusText(const std::string& text) override;
    // The named child widgets of the window (not Qt's internal ones, not other windows).
    std::vector<std::unique_ptr<FormControl>> controls() override;

private:
    QtForm(QWidget* window, StatusSetter statusSetter);

    QPointer<QWidget> window_;
    StatusSetter statusSetter_;
};
