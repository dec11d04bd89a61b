// The application-wide Esc latch.
#include "admin/EscKeyLatch.h"

#include <QCoreApplication>
#include <QKeyEvent>

EscKeyLatch& EscKeyLatch::Instance()
{
    static EscKeyLatch* latch = new EscKeyLatch; // lives as long as the application
    return *latch;
}

EscKeyLatch::EscKeyLatch()
{
    if (QCoreApplication::instance())
        QCoreApplication::instance()->installEventFilter(this);
}

bool EscKeyLatch::Test()
{
    bool result = pressed_ || down_;
    pressed_ = false;
    return result;
}

bool EscKeyLatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
            down_ = event->type() == QEvent::KeyPress;
            if (down_)
                pressed_ = true;
        }
    }
    return QObject::eventFilter(watched, event);
}
