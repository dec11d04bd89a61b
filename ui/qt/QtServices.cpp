// Installation of the Qt message service, dialogs and mouse pointer.
#include "ui/qt/QtServices.h"

#include "ui/qt/EscKeyFilter.h"
#include "ui/qt/QtDialogs.h"
#include "ui/qt/QtMessageService.h"
#include "platform/Clock.h"
#include "services/FormRegistry.h"

#include <QApplication>

namespace {

constexpr int kHourglass = 11;

QtMessageService gMessages;
QtDialogs gDialogs;
bool gWaitCursorShown = false;

// The locks do not count: one default pointer ends any number of hourglasses.
void showPointer(int pointer)
{
    if (pointer == kHourglass) {
        if (!gWaitCursorShown)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        gWaitCursorShown = true;
    } else if (gWaitCursorShown) {
        QApplication::restoreOverrideCursor();
        gWaitCursorShown = false;
    }
}

} // namespace

void InstallQtServices()
{
    MessageService::Set(&gMessages);
    Dialogs::Set(&gDialogs);
    FormRegistry::SetMousePointerHook(showPointer);
    // The waits of the services run the interface's pending events between their polls.
    SetEventPump([] { QCoreApplication::processEvents(); });
    // Loops ask the Esc latch between their steps; the filter feeds it from every window.
    EscKeyFilter::Install();
}
