// The column length change window: controls, deferred start, the run, settings.
#include "dbtools/frmAlterDBColumn.h"

#include "dbaccess/ProjectData.h"
#include "dbtools/CharColumnAlter.h"
#include "dbtools/CharColumnChange.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Variant.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtWindowPlacement.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/Dialog.h"
#include "services/FileOperation.h"
#include "services/FormLock.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr const char* kSection = "frmAlterDBColumn";

QIcon MainWindowIcon()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Form1")
            return w->windowIcon();
    return {};
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

} // namespace

frmAlterDBColumn::frmAlterDBColumn(const std::string& project, QWidget* parent) : QDialog(parent), project_(project)
{
    setObjectName("frmAlterDBColumn");
    setWindowTitle("Alter database column length");
    auto* top = new QVBoxLayout(this);
    top->addWidget(new QLabel("For all string columns with following string at the end of the column name:", this));
    txtColumn = new QLineEdit("commodity_code", this);
    txtColumn->setObjectName("txtColumn");
    top->addWidget(txtColumn);
    top->addWidget(new QLabel("Length (should be at least the length of such columns in the database):", this));
    txtLength = new QLineEdit("0", this);
    txtLength->setObjectName("txtLength");
    top->addWidget(txtLength);

    auto* schemaFrame = new QGroupBox("Schema", this);
    schemaFrame->setObjectName("fraSchema");
    auto* schemaLayout = new QVBoxLayout(schemaFrame);
    lstSchema = new QListWidget(schemaFrame);
    lstSchema->setObjectName("lstSchema");
    lstSchema->setSelectionMode(QAbstractItemView::ExtendedSelection);
    schemaLayout->addWidget(lstSchema);
    top->addWidget(schemaFrame, 1);

    auto* backupFrame = new QGroupBox("Dump File Backup Directory", this);
    backupFrame->setObjectName("fraBackup");
    auto* backupLayout = new QHBoxLayout(backupFrame);
    txtBackup = new QLineEdit(backupFrame);
    txtBackup->setObjectName("txtBackup");
    cmdSelect = MakeButton(backupFrame, "cmdSelect", "Browse...");
    backupLayout->addWidget(txtBackup, 1);
    backupLayout->addWidget(cmdSelect);
    top->addWidget(backupFrame);

    top->addWidget(
        new QLabel("Note: If any error occurs during processing, you can restore the schemas from the dump backup file.", this));
    auto* buttons = new QHBoxLayout;
    cmdProcess = MakeButton(this, "cmdProcess", "Process selected schemas");
    cmdCancel = MakeButton(this, "cmdCancel", "Close");
    buttons->addWidget(cmdProcess);
    buttons->addStretch();
    buttons->addWidget(cmdCancel);
    top->addLayout(buttons);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    StatusBar1->installEventFilter(this);
    top->addWidget(StatusBar1);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmAlterDBColumn::Timer1_Timer);
    connect(cmdProcess, &QPushButton::clicked, this, &frmAlterDBColumn::cmdProcess_Click);
    connect(cmdSelect, &QPushButton::clicked, this, &frmAlterDBColumn::cmdSelect_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmAlterDBColumn::cmdCancel_Click);
    // Registered as a loaded window, so the status line reaches StatusBar1 and the locks find it.
    form_ = QtForm::Attach(this);
}

void frmAlterDBColumn::ShowMe(const std::string& project)
{
    frmAlterDBColumn form(project);
    form.Form_Load();
    form.exec();
}

void frmAlterDBColumn::Form_Load()
{
    try {
        RestoreWindowPos(this);
        setWindowIcon(MainWindowIcon());
        setWindowTitle(ToQString(project_) + " - " + windowTitle());
        Timer1->start(1);
    } catch (const AppError& e) {
        ShowErrorMessage(e, MsgStyle::Exclamation);
    }
}

void frmAlterDBColumn::Timer1_Timer()
{
    Timer1->stop();
    const std::string key = LockForms();
    try {
        LoadSchemaList();
        const std::string backup = ReadIniValue(GetIniFileName(), kSection, "txtBackup", "");
        if (!backup.empty() && IsFileExists(backup, 1))
            txtBackup->setText(ToQString(backup));
        const std::string length = ReadIniValue(GetIniFileName(), kSection, "txtLength", "");
        if (!length.empty())
            txtLength->setText(ToQString(FormatNumberText(LeadingNumber(length))));
    } catch (const AppError& e) {
        ShowErrorMessage(e, MsgStyle::Exclamation);
    }
    UnlockForms(key);
}

void frmAlterDBColumn::LoadSchemaList()
{
    try {
        lstSchema->clear();
        if (Trim(project_).empty())
            return;
        std::vector<std::string> schemas;
        try {
            schemas = GetProjectSchemas(project_, false);
        } catch (const AppError&) {
            return;
        }
        for (const std::string& s : schemas)
            lstSchema->addItem(ToQString(s));
    } catch (const AppError& e) {
        throw PassOn(e, "LoadSchemaList");
    }
}

void frmAlterDBColumn::cmdProcess_Click()
{
    const std::string key = LockForms({}, form_);
    std::optional<AppError> error;
    std::string notChanged;  // the schemas left as they were since their backup failed, and why
    try {
        const std::string column = Trim(FromQString(txtColumn->text()));
        txtColumn->setText(ToQString(column));
        std::vector<std::string> schemas;
        for (int i = 0; i < lstSchema->count(); ++i)
            if (lstSchema->item(i)->isSelected())
                schemas.push_back(FromQString(lstSchema->item(i)->text()));
        const CharColumnRequest request = CharColumnAlter::Validate(column, FromQString(txtLength->text()),
                                                                    FromQString(txtBackup->text()), schemas);
        if (ShowErrorMessage(CharColumnAlter::Question(request),
                             MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) != MsgAnswer::No)
            CharColumnAlter::Run(request, notChanged);
    } catch (const AppError& e) {
        error = e;
    }
    if (!notChanged.empty()) {
        const std::string text = "No whole backup dump could be made, so these schemas were left unchanged:" + notChanged;
        error = error ? AppError(error->number(), error->source(), error->description() + "\r\n" + text)
                      : AppError(1, "cmdProcess_Click", text);
    }
    // A client's failure is shown as its one line, never as the frame of its error block.
    if (error)
        ShowErrorMessage(AppError(error->number(), error->source(), RISErrorLine(error->description())),
                         MsgStyle::Exclamation);
    UnlockForms(key, {}, form_);
    ShowStatus("Ready.");
}

void frmAlterDBColumn::cmdSelect_Click()
{
    const std::string folder = BrowseForFolder("Please select a backup folder:", FromQString(txtBackup->text()));
    if (!folder.empty())
        txtBackup->setText(ToQString(folder));
}

void frmAlterDBColumn::cmdCancel_Click()
{
    close();
}

void frmAlterDBColumn::StatusBar1_Click()
{
    if (gLogFile.empty())
        return;
    try {
        long result = 0;
        ShellExec("Open", gLogFile, "", "", result);
    } catch (const AppError& e) {
        ShowErrorMessage(e, MsgStyle::Exclamation);
    }
}

bool frmAlterDBColumn::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == StatusBar1 && event->type() == QEvent::MouseButtonDblClick)
        StatusBar1_Click();
    return QDialog::eventFilter(watched, event);
}

void frmAlterDBColumn::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmAlterDBColumn::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    QDialog::closeEvent(event);
}

void frmAlterDBColumn::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    WriteIniValue(GetIniFileName(), kSection, "txtBackup", FromQString(txtBackup->text()));
    WriteIniValue(GetIniFileName(), kSection, "txtLength", FromQString(txtLength->text()));
    SaveWindowPos(this);
}
