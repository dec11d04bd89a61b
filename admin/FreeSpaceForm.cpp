// The free-space window: grid set-up, one-shot query and fitting to the window.
#include "admin/FreeSpaceForm.h"

#include "admin/FreeSpace.h"
#include "platform/AppError.h"
#include "ui/qt/QtText.h"
#include "services/HourglassPointer.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <algorithm>
#include <QHeaderView>
#include <QPointer>
#include <QResizeEvent>
#include <QTableWidget>
#include <QTimer>

namespace {

QPointer<FreeSpaceForm> gFreeSpaceForm;

// The first column takes two thirds of the grid, the second one third less a little.
void fitColumns(QTableWidget* grid)
{
    const int width = grid->width();
    grid->setColumnWidth(0, 2 * width / 3);
    grid->setColumnWidth(1, std::max(0, width / 3 - 7));
}

} // namespace

FreeSpaceForm::FreeSpaceForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("freets");
    setWindowTitle("Free table space");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(420, 300);
    dGrid = new QTableWidget(0, 2, this);
    dGrid->setObjectName("dGrid");
    dGrid->setHorizontalHeaderLabels({"TABLESPACE_NAME", "Free (Gbyte)"});
    dGrid->horizontalHeaderItem(0)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    dGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dGrid->verticalHeader()->hide();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(1);
    connect(Timer1, &QTimer::timeout, this, &FreeSpaceForm::Timer1_Timer);
    Timer1->start();
}

FreeSpaceForm* FreeSpaceForm::show_free_ts_Click()
{
    if (!gFreeSpaceForm)
        gFreeSpaceForm = new FreeSpaceForm;
    gFreeSpaceForm->show();
    gFreeSpaceForm->raise();
    gFreeSpaceForm->activateWindow();
    return gFreeSpaceForm.data();
}

void FreeSpaceForm::Timer1_Timer()
{
    Timer1->stop();
    try {
        HourglassPointer wait;
        dGrid->setRowCount(0);
        for (const FreeSpaceRow& r : FreeSpace::Query()) {
            const int row = dGrid->rowCount();
            dGrid->insertRow(row);
            dGrid->setItem(row, 0, new QTableWidgetItem(ToQString(r.tablespace)));
            auto* value = new QTableWidgetItem(ToQString(r.freeGbytes));
            value->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            dGrid->setItem(row, 1, value);
        }
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::OkOnly);
    }
}

void FreeSpaceForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Margins as the window has them: 500 twips (about 33 pixels) below, 350 (about 23) beside.
    const int height = event->size().height() - 33;
    const int width = event->size().width() - 23;
    dGrid->move(12, 8);
    if (height > 0)
        dGrid->resize(dGrid->width(), height);
    if (width > 0)
        dGrid->resize(width, dGrid->height());
    fitColumns(dGrid);
}
