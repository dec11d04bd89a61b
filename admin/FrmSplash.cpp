// The splash window of the start-up.
#include "admin/FrmSplash.h"

#include "admin/Form1.h"
#include "admin/FormWidgets.h"
#include "services/FileOperation.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

using namespace formwidgets;

FrmSplash::FrmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen)
{
    setObjectName("frmSplash");
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel("Vorlant Tarnwick", this);
    QFont f = title->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title);
    lblVersion = new QLabel(this);
    lblVersion->setObjectName("lblVersion");
    layout->addWidget(lblVersion);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &FrmSplash::Timer1_Timer);
}

void FrmSplash::Form_Load()
{
    move(0, 0);
    lblVersion->setText(ToQ("Version " + GetAppVersion("", false)));
    show();
    form1_ = new Form1;
    form1_->Form_Load();
    Timer1->start(1000);
}

void FrmSplash::Timer1_Timer()
{
    Timer1->stop();
    if (form1_)
        form1_->show();
    close();
}
