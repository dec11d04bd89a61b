// Esc presses of every window into the Esc latch.
#include "ui/qt/EscKeyFilter.h"

#include "platform/EscKey.h"

#include <QCoreApplication>
#include <QKeyEvent>

void EscKeyFilter::Install()
{
    static EscKeyFilter* filter = nullptr;
    if (filter || !QCoreApplication::instance())
        return;
    filter = new EscKeyFilter;
    filter->setParent(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(filter);
}

bool EscKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && !key->isAutoRepeat()) {
            if (event->type() == QEvent::KeyPress)
                EscKey::NoteDown();
            else
                EscKey::NoteUp();
        }
    }
    // The key goes on to its window as well: the latch only listens.
    return QObject::eventFilter(watched, event);
}
