// The splash window: shows the version, loads the main window hidden, shows it a second later.
#pragma once

#include <QWidget>

class Form1;
class QLabel;
class QTimer;

class FrmSplash : public QWidget {
    Q_OBJECT

public:
    explicit FrmSplash(QWidget* parent = nullptr);

    // Places the window at 0,0, shows the version, loads Form1 hidden (its start-up runs) and
    // starts the one-second timer.
    void Form_Load();

    // The main window loaded by Form_Load; owned by the splash until it is shown.
    Form1* mainWindow() const { return form1_; }

    QLabel* lblVersion = nullptr;
    QTimer* Timer1 = nullptr;

public slots:
    // Shows the main window and closes the splash.
    void Timer1_Timer();

private:
    Form1* form1_ = nullptr;
};
