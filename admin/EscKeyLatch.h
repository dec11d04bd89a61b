// The Esc key as the main window's loops test it: down now, or pressed since the last test.
#pragma once

#include <QObject>

class EscKeyLatch : public QObject {
    Q_OBJECT

public:
    // Installs the one application-wide latch on first use.
    static EscKeyLatch& Instance();

    // True when Esc was pressed since the last call or is down now; clears the latch.
    bool Test();
    // Sets the latch as a key press would (tests).
    void Press() { pressed_ = true; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    EscKeyLatch();
    bool pressed_ = false;
    bool down_ = false;
};
