// The free-space window "freets": the free space of every tablespace in gigabytes, read once
// after the window has loaded.
#pragma once

#include <QWidget>

class QTableWidget;
class QTimer;

class FreeSpaceForm : public QWidget {
    Q_OBJECT

public:
    explicit FreeSpaceForm(QWidget* parent = nullptr);

    QTableWidget* dGrid = nullptr;
    QTimer* Timer1 = nullptr;

    // The button of the main window: shows the one window (a new one reads the figures; an open
    // one only comes to the front).
    static FreeSpaceForm* show_free_ts_Click();

public slots:
    // Runs the query once and fills the grid; a failure is shown in a message box and the grid
    // keeps what it holds.
    void Timer1_Timer();

protected:
    void resizeEvent(class QResizeEvent* event) override;
};
