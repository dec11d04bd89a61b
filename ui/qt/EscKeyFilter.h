// The application-wide event filter that feeds the Esc latch from key presses in any window.
#pragma once

#include <QObject>

class EscKeyFilter : public QObject {
    Q_OBJECT

public:
    // Installs the one filter on the running QApplication (once; later calls do nothing).
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
