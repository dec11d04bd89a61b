// The linkage reading window: layout, start-up loading, the directory list, the report field
// and the scan button.
#include "designfiles/frmReadLinkages.h"

#include "designfiles/LinkageRun.h"
#include "designfiles/LinkageSettings.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtBuilders.h"
#include "ui/qt/QtText.h"
#include "services/AppGlobals.h"
#include "services/Dialog.h"
#include "services/FileOperation.h"
#include "services/FormRegistry.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QPointer<frmReadLinkages> gInstance;

// The text of the main window's project field, read through the loaded windows.
std::string mainWindowProject()
{
    LoadedForm* main = FormRegistry::Find("Form1");
    if (!main)
        return {};
    for (const auto& control : main->controls())
        if (control->name() == "Projname") {
            std::string text;
            control->property("Text", text);
            return text;
        }
    return {};
}

void showError(const AppError& e)
{
    ShowMessage(e.description(), MsgStyle::Exclamation);
}

} // namespace

frmReadLinkages* frmReadLinkages::ShowWindow()
{
    if (!gInstance)
        gInstance = new frmReadLinkages;
    gInstance->show();
    gInstance->raise();
    gInstance->activateWindow();
    return gInstance.data();
}

frmReadLinkages* frmReadLinkages::Instance()
{
    return gInstance.data();
}

frmReadLinkages::frmReadLinkages() : QWidget(nullptr, Qt::Window)
{
    setObjectName("frmReadLinkages");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Read linkages");
    resize(560, 420);
    auto* top = new QVBoxLayout(this);

    auto* dirFrame = new QGroupBox("Search missing files in these directories", this);
    auto* dirGrid = new QGridLayout(dirFrame);
    lstDirs = new QListWidget(dirFrame);
    lstDirs->setObjectName("lstDirs");
    cmdAddNew = MakeButton(dirFrame, "cmdAddNew", "Add");
    cmdRemove = MakeButton(dirFrame, "cmdRemove", "Remove");
    cmdRemoveAll = MakeButton(dirFrame, "cmdRemoveAll", "Remove all");
    dirGrid->addWidget(lstDirs, 0, 0, 4, 1);
    dirGrid->addWidget(cmdAddNew, 0, 1);
    dirGrid->addWidget(cmdRemove, 1, 1);
    dirGrid->addWidget(cmdRemoveAll, 2, 1);
    dirGrid->setRowStretch(3, 1);
    top->addWidget(dirFrame, 1);

    auto* reportFrame = new QGroupBox("Report file:", this);
    auto* reportRow = new QHBoxLayout(reportFrame);
    txtReportFile = new QLineEdit(reportFrame);
    txtReportFile->setObjectName("txtReportFile");
    cmdSelectFile = MakeButton(reportFrame, "cmdSelectFile", "Browse...");
    reportRow->addWidget(txtReportFile, 1);
    reportRow->addWidget(cmdSelectFile);
    top->addWidget(reportFrame);

    auto* buttons = new QHBoxLayout;
    cmdProcess = MakeButton(this, "cmdProcess", "Scan DGN files");
    cmdClose = MakeButton(this, "cmdClose", "Close");
    buttons->addWidget(cmdProcess);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    top->addLayout(buttons);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    top->addWidget(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    Timer1->setInterval(1);

    connect(Timer1, &QTimer::timeout, this, &frmReadLinkages::Timer1_Timer);
    connect(cmdAddNew, &QPushButton::clicked, this, &frmReadLinkages::cmdAddNew_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmReadLinkages::cmdRemove_Click);
    connect(cmdRemoveAll, &QPushButton::clicked, this, &frmReadLinkages::cmdRemoveAll_Click);
    connect(cmdSelectFile, &QPushButton::clicked, this, &frmReadLinkages::cmdSelectFile_Click);
    connect(txtReportFile, &QLineEdit::textChanged, this, &frmReadLinkages::txtReportFile_Change);
    connect(cmdProcess, &QPushButton::clicked, this, &frmReadLinkages::cmdProcess_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmReadLinkages::cmdClose_Click);
    QtForm::Attach(this);
    // Form_Load: the settings are read once the window is up.
    Timer1->start();
}

frmReadLinkages::~frmReadLinkages() = default;

std::vector<std::string> frmReadLinkages::dirs() const
{
    std::vector<std::string> out;
    for (int i = 0; i < lstDirs->count(); ++i)
        out.push_back(FromQString(lstDirs->item(i)->text()));
    return out;
}

bool frmReadLinkages::IsDirInList(const std::string& dir) const
{
    return LinkageSettings::IsDirInList(dirs(), dir);
}

void frmReadLinkages::Timer1_Timer()
{
    Timer1->stop();
    FormRegistry::SetMousePointer(11);
    cmdProcess->setEnabled(false);
    try {
        for (const std::string& dir : LinkageSettings::LoadDirs(gIniFile))
            if (!IsDirInList(dir))
                lstDirs->addItem(ToQString(dir));
        const std::string temp = gTempDir.empty() ? AddBackslash(GetEnvVar("TEMP")) : gTempDir;
        txtReportFile->setText(ToQString(LinkageSettings::StartReportFile(gIniFile, temp, mainWindowProject())));
        // setText of an equal text raises no change, yet the start-up value is stored all the same.
        txtReportFile_Change();
    } catch (const AppError& e) {
        showError(e);
    }
    cmdProcess->setEnabled(true);
    FormRegistry::SetMousePointer(0);
}

void frmReadLinkages::cmdAddNew_Click()
{
    try {
        const std::string dir = BrowseForFolder("Please select directory to search for DGN files", "");
        if (IsBlank(dir))
            RaiseError(kAppTitle, "No directory is selected");
        if (IsDirInList(dir))
            RaiseError(kAppTitle, "Directory: '" + dir + "' already in list exists");
        lstDirs->addItem(ToQString(dir));
    } catch (const AppError& e) {
        showError(e);
    }
}

void frmReadLinkages::cmdRemove_Click()
{
    try {
        const int row = lstDirs->currentRow();
        if (row < 0 || !lstDirs->item(row)->isSelected())
            RaiseError(kAppTitle, "Directory to remove not selected");
        delete lstDirs->takeItem(row);
    } catch (const AppError& e) {
        showError(e);
    }
}

void frmReadLinkages::cmdRemoveAll_Click()
{
    try {
        if (lstDirs->count() == 0)
            RaiseError(kAppTitle, "No directories to remove");
        if (ShowMessage("Delete all directories from list?",
                        MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) != MsgAnswer::No)
            lstDirs->clear();
    } catch (const AppError& e) {
        showError(e);
    }
}

void frmReadLinkages::cmdSelectFile_Click()
{
    const std::string current = FromQString(txtReportFile->text());
    const size_t slash = current.rfind('\\');
    const std::string start = slash == std::string::npos ? std::string() : Trim(current.substr(0, slash + 1));
    // The report is written by the run: a name that does not exist yet must be accepted.
    const std::string chosen = GetDialog().SaveFile("", "Report file (*.xls)|*.xls", start);
    if (!chosen.empty())
        txtReportFile->setText(ToQString(chosen));
}

void frmReadLinkages::txtReportFile_Change()
{
    LinkageSettings::StoreReportFile(gIniFile, FromQString(txtReportFile->text()));
}

void frmReadLinkages::cmdProcess_Click()
{
    running_ = true;
    FormRegistry::SetMousePointer(11);
    cmdProcess->setEnabled(false);
    // The list as it stands when the scan starts: the list buttons stay usable meanwhile.
    LinkageRun(report_).Run(dirs(), FromQString(txtReportFile->text()),
                            [this] { return FromQString(txtReportFile->text()); });
    cmdProcess->setEnabled(true);
    FormRegistry::SetMousePointer(0);
    running_ = false;
}

void frmReadLinkages::cmdClose_Click()
{
    close();
}

void frmReadLinkages::closeEvent(QCloseEvent* event)
{
    if (running_) {
        ShowStatus("Please wait until the scan has finished");
        event->ignore();
        return;
    }
    report_.ReportClose();
    LinkageSettings::SaveDirs(gIniFile, dirs());
    event->accept();
}
