// The project file check window.
#include "filecheck/frmUpgradeCheck.h"

#include "filecheck/UpgradeCheckRuns.h"
#include "filecheck/UpgradeCheckSettings.h"
#include "filecheck/UpgradeTreeRules.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "ui/qt/CheckTreeMirror.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtBuilders.h"
#include "ui/qt/QtText.h"
#include "services/AppGlobals.h"
#include "services/Dialog.h"
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
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* kCaption = "PDS upgrade check";
QPointer<frmUpgradeCheck> gInstance;

QGroupBox* makeFrame(QWidget* parent, const char* name, const char* caption)
{
    auto* f = new QGroupBox(caption, parent);
    f->setObjectName(name);
    return f;
}

} // namespace

frmUpgradeCheck* frmUpgradeCheck::ShowMe(const std::string& project)
{
    const bool load = !gInstance;
    if (load)
        gInstance = new frmUpgradeCheck;
    // A run pumps events, so the main window can ask for another project while it works: the
    // run keeps its project to the end and the next run takes the new one.
    if (gInstance->running_)
        gInstance->nextProject_ = project;
    else
        gInstance->ctx_.projectName = project;
    if (load)
        gInstance->Form_Load();
    gInstance->show();
    gInstance->raise();
    gInstance->activateWindow();
    return gInstance.data();
}

frmUpgradeCheck* frmUpgradeCheck::Instance()
{
    return gInstance.data();
}

frmUpgradeCheck::frmUpgradeCheck() : QWidget(nullptr, Qt::Window)
{
    setObjectName("frmUpgradeCheck");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(760, 560);
    auto* top = new QVBoxLayout(this);

    Frame1 = makeFrame(this, "Frame1", "Search missing files in these directories:");
    auto* dirs = new QGridLayout(Frame1);
    lstDirs = new QListWidget(Frame1);
    lstDirs->setObjectName("lstDirs");
    cmdAddNew = MakeButton(Frame1, "cmdAddNew", "Add");
    cmdRemove = MakeButton(Frame1, "cmdRemove", "Remove");
    cmdRemoveAll = MakeButton(Frame1, "cmdRemoveAll", "Remove all");
    dirs->addWidget(lstDirs, 0, 0, 4, 1);
    dirs->addWidget(cmdAddNew, 0, 1);
    dirs->addWidget(cmdRemove, 1, 1);
    dirs->addWidget(cmdRemoveAll, 2, 1);
    top->addWidget(Frame1);

    QLineEdit** boxes[2] = {&txtFWSeedFile, &txtSeedFile};
    const char* boxNames[2] = {"txtFWSeedFile", "txtSeedFile"};
    Frame3 = makeFrame(this, "Frame3", "FrameWorks seed file:");
    Frame2 = makeFrame(this, "Frame2", "Other disciplines seed file:");
    QGroupBox* frames[2] = {Frame3, Frame2};
    for (int i = 0; i < 2; ++i) {
        auto* row = new QHBoxLayout(frames[i]);
        *boxes[i] = new QLineEdit(frames[i]);
        (*boxes[i])->setObjectName(boxNames[i]);
        cmdSelectFile[i] = MakeButton(frames[i], "cmdSelectFile", "Browse...");
        cmdSelectFile[i]->setProperty("Index", i);
        row->addWidget(*boxes[i]);
        row->addWidget(cmdSelectFile[i]);
        top->addWidget(frames[i]);
        connect(cmdSelectFile[i], &QPushButton::clicked, this, [this, i] { cmdSelectFile_Click(i); });
    }

    auto* buttons = new QHBoxLayout;
    cmdCheck = MakeButton(this, "cmdCheck", kCheckCaption);
    cmdRestore = MakeButton(this, "cmdRestore", kRestoreCaption);
    cmdClose = MakeButton(this, "cmdClose", "Close");
    buttons->addWidget(cmdCheck);
    buttons->addWidget(cmdRestore);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    top->addLayout(buttons);

    tvwTreeView = new QTreeWidget(this);
    tvwTreeView->setObjectName("tvwTreeView");
    top->addWidget(tvwTreeView, 1);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    top->addWidget(StatusBar1);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);

    cmdCheck->setEnabled(false);
    cmdRestore->setEnabled(false);
    mirror_ = new CheckTreeMirror(ctx_.tree, tvwTreeView, [](CheckTreeNode& node) { UserChangedCheck(node); });

    connect(Timer1, &QTimer::timeout, this, &frmUpgradeCheck::Timer1_Timer);
    connect(cmdCheck, &QPushButton::clicked, this, &frmUpgradeCheck::cmdCheck_Click);
    connect(cmdRestore, &QPushButton::clicked, this, &frmUpgradeCheck::cmdRestore_Click);
    connect(cmdAddNew, &QPushButton::clicked, this, &frmUpgradeCheck::cmdAddNew_Click);
    connect(cmdRemove, &QPushButton::clicked, this, &frmUpgradeCheck::cmdRemove_Click);
    connect(cmdRemoveAll, &QPushButton::clicked, this, &frmUpgradeCheck::cmdRemoveAll_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmUpgradeCheck::cmdClose_Click);
    connect(tvwTreeView, &QTreeWidget::itemDoubleClicked, this, &frmUpgradeCheck::tvwTreeView_DblClick);
    // Every change of a seed box, typed or set, is kept in the settings at once.
    connect(txtFWSeedFile, &QLineEdit::textChanged, this,
            [](const QString& text) { SaveSeedFile(gIniFile, kFWSeedFileKey, FromQString(text)); });
    connect(txtSeedFile, &QLineEdit::textChanged, this,
            [](const QString& text) { SaveSeedFile(gIniFile, kSeedFileKey, FromQString(text)); });
    // A check writes two status lines per row: the bar is given them straight, not looked up
    // among the window's controls for each.
    QtForm::Attach(this, [bar = StatusBar1](const QString& text) { bar->showMessage(text); });
}

frmUpgradeCheck::~frmUpgradeCheck()
{
    // The mirror belongs to the tree widget, which outlives the members: it lets go of the
    // model while the model still exists.
    delete mirror_;
    mirror_ = nullptr;
}

void frmUpgradeCheck::Form_Load()
{
    setWindowTitle(ToQString(std::string(kCaption) + " - PDS-Project: " + ctx_.projectName));
    Timer1->start(1);
}

void frmUpgradeCheck::Timer1_Timer()
{
    Timer1->stop();
    FormRegistry::SetMousePointer(11);
    cmdCheck->setEnabled(false);
    cmdRestore->setEnabled(false);
    try {
        for (const std::string& dir : LoadSearchDirs(gIniFile)) {
            lstDirs->addItem(ToQString(dir));
            DoEvents();
        }
        txtFWSeedFile->setText(ToQString(LoadSeedFile(gIniFile, kFWSeedFileKey)));
        txtSeedFile->setText(ToQString(LoadSeedFile(gIniFile, kSeedFileKey)));
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
    cmdCheck->setEnabled(true);
    FormRegistry::SetMousePointer(0);
}

std::vector<std::string> frmUpgradeCheck::listedDirs() const
{
    std::vector<std::string> dirs;
    for (int i = 0; i < lstDirs->count(); ++i)
        dirs.push_back(FromQString(lstDirs->item(i)->text()));
    return dirs;
}

void frmUpgradeCheck::takeControls()
{
    ctx_.searchDirs = listedDirs();
    ctx_.fwSeedFile = FromQString(txtFWSeedFile->text());
    ctx_.seedFile = FromQString(txtSeedFile->text());
}

void frmUpgradeCheck::setBusy(bool busy)
{
    running_ = busy;
    if (!busy && nextProject_) {
        ctx_.projectName = *nextProject_;
        nextProject_.reset();
    }
    FormRegistry::SetMousePointer(busy ? 11 : 0);
    cmdCheck->setEnabled(!busy);
    cmdRestore->setEnabled(!busy);
}

void frmUpgradeCheck::cmdCheck_Click()
{
    setBusy(true);
    takeControls();
    RunCheck(ctx_);
    setBusy(false);
    cmdRestore->setEnabled(ctx_.tree.Count() > 0);
    mirror_->Sync();
    if (closeAfterRun_)
        close();
}

void frmUpgradeCheck::cmdRestore_Click()
{
    setBusy(true);
    takeControls();
    RunRestore(ctx_);
    setBusy(false);
    mirror_->Sync();
    if (closeAfterRun_)
        close();
}

void frmUpgradeCheck::cmdAddNew_Click()
{
    try {
        std::vector<std::string> dirs = listedDirs();
        AddSearchDir(dirs, BrowseForFolder("Please select directory to search for missing files", ""));
        lstDirs->addItem(ToQString(dirs.back()));
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
}

void frmUpgradeCheck::cmdRemove_Click()
{
    try {
        QListWidgetItem* item = lstDirs->currentItem();
        if (!item || !item->isSelected())
            RaiseError("", "Directory to remove not selected");
        delete lstDirs->takeItem(lstDirs->row(item));
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
}

void frmUpgradeCheck::cmdRemoveAll_Click()
{
    try {
        if (lstDirs->count() == 0)
            RaiseError("", "No directories to remove");
        if (ShowMessage("Delete all directories from list?",
                        MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) == MsgAnswer::Yes)
            lstDirs->clear();
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
}

void frmUpgradeCheck::cmdSelectFile_Click(int index)
{
    try {
        QLineEdit* box = index == 0 ? txtFWSeedFile : txtSeedFile;
        const std::string current = FromQString(box->text());
        std::string initialDir;
        if (!current.empty()) {
            const size_t slash = current.rfind('\\');
            initialDir = Trim(slash == std::string::npos ? current : current.substr(0, slash + 1));
        }
        const std::string filter = index == 0 ? "FrameWorks seed file (*.dgn)|*.dgn" : "Seed file (*.dgn)|*.dgn";
        const std::string chosen = GetDialog().OpenFile(filter, initialDir);
        if (!Trim(chosen).empty())
            box->setText(ToQString(chosen));
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
}

void frmUpgradeCheck::tvwTreeView_DblClick()
{
    try {
        QTreeWidgetItem* item = tvwTreeView->currentItem();
        if (!item)
            return;
        const QList<QTreeWidgetItem*> selected = tvwTreeView->selectedItems();
        if (selected.isEmpty())
            return;
        for (CheckTreeNode* node : ctx_.tree.Nodes())
            if (mirror_->ItemOf(node) == selected.front()) {
                OpenCandidate(*node);
                break;
            }
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
}

void frmUpgradeCheck::cmdClose_Click()
{
    close();
}

void frmUpgradeCheck::closeEvent(QCloseEvent* event)
{
    // A run on the stack still uses the window: the close waits for its end.
    if (running_) {
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void frmUpgradeCheck::Form_Unload()
{
    try {
        ctx_.report.ReportClose();
        SaveSearchDirs(gIniFile, listedDirs());
    } catch (const AppError&) {
        // The window closes whatever the settings write did.
    }
}
