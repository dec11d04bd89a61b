// The project copy window.
#include "projcopy/frmProjCopy.h"

#include "ui/qt/CheckTreeMirror.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtText.h"
#include "projcopy/ModelCopyRun.h"
#include "projcopy/UnfinishedCopies.h"
#include "platform/TextUtil.h"
#include "services/Dialog.h"
#include "services/MessageService.h"
#include "services/Messages.h"
#include "services/FileOperation.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <vector>

namespace {

QPointer<frmProjCopy> gInstance;

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

template <typename W>
W* named(W* w, const char* name)
{
    w->setObjectName(name);
    return w;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption)
{
    return named(new QPushButton(caption, parent), name);
}

} // namespace

frmProjCopy::frmProjCopy(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmProjCopy");
    setWindowTitle("Models copy");
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    sides_.oldProject = [this] { return FromQString(cmbProj1->currentText()); };
    sides_.newProject = [this] { return FromQString(cmbProj2->currentText()); };
    sides_.oldParams = [this] { return FromQString(txtOldParms->text()); };
    sides_.newParams = [this] { return FromQString(txtNewParms->text()); };
    QtForm::Attach(this);
}

frmProjCopy::~frmProjCopy()
{
    // The mirror observes the tree, which goes before the widgets do.
    delete mirror_;
    mirror_ = nullptr;
}

void frmProjCopy::buildControls()
{
    auto* top = new QVBoxLayout(this);

    auto paramsFrame = [&](const char* frameName, const char* caption, QLineEdit*& text, const char* textName,
                           QPushButton*& browse, const char* browseName) {
        auto* frame = named(new QGroupBox(caption, this), frameName);
        auto* row = new QHBoxLayout(frame);
        text = named(new QLineEdit(frame), textName);
        browse = button(frame, browseName, "Browse...");
        row->addWidget(text, 1);
        row->addWidget(browse);
        top->addWidget(frame);
        return frame;
    };
    Frame2 = paramsFrame("Frame2", "Old PARMS file", txtOldParms, "txtOldParms", btnOpenOldParms, "btnOpenOldParms");
    Frame3 = paramsFrame("Frame3", "New PARMS file", txtNewParms, "txtNewParms", btnOpenNewParms, "btnOpenNewParms");
    chkBothEqual = named(new QCheckBox("Both files are equal", this), "chkBothEqual");
    top->addWidget(chkBothEqual);

    auto* projects = new QGridLayout;
    lblStatic1 = named(new QLabel("Old project:", this), "lblStatic1");
    cmbProj1 = named(new QComboBox(this), "cmbProj1");
    lblStatic2 = named(new QLabel("New project:", this), "lblStatic2");
    cmbProj2 = named(new QComboBox(this), "cmbProj2");
    projects->addWidget(lblStatic1, 0, 0);
    projects->addWidget(cmbProj1, 0, 1);
    projects->addWidget(lblStatic2, 1, 0);
    projects->addWidget(cmbProj2, 1, 1);
    projects->setColumnStretch(1, 1);
    top->addLayout(projects);
    cmbProj1->setEnabled(false);
    cmbProj2->setEnabled(false);

    tvwTreeView = named(new QTreeWidget(this), "tvwTreeView");
    mirror_ = new CheckTreeMirror(tree_, tvwTreeView, [this](CheckTreeNode& node) { tvwTreeView_NodeCheck(node); });
    top->addWidget(tvwTreeView, 1);

    Frame1 = paramsFrame("Frame1", "File with models", txtFileWithModels, "txtFileWithModels", btnOpenFileWithModels,
                         "btnOpenFileWithModels");
    btnSelectModels = button(Frame1, "btnSelectModels", "Select models");
    Frame1->layout()->addWidget(btnSelectModels);

    auto* bottom = new QHBoxLayout;
    lblLog = named(new QLabel(this), "lblLog");
    // A long line (a failure named with its file) wraps within the window, never widens it.
    lblLog->setWordWrap(true);
    lblLog->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    btnCopyProject = button(this, "btnCopyProject", "Copy");
    bottom->addWidget(lblLog, 1);
    bottom->addWidget(btnCopyProject);
    top->addLayout(bottom);
    resize(520, 640);

    connect(btnOpenOldParms, &QPushButton::clicked, this, &frmProjCopy::btnOpenOldParms_Click);
    connect(btnOpenNewParms, &QPushButton::clicked, this, &frmProjCopy::btnOpenNewParms_Click);
    connect(btnOpenFileWithModels, &QPushButton::clicked, this, &frmProjCopy::btnOpenFileWithModels_Click);
    connect(btnSelectModels, &QPushButton::clicked, this, &frmProjCopy::btnSelectModels_Click);
    connect(btnCopyProject, &QPushButton::clicked, this, &frmProjCopy::btnCopyProject_Click);
    connect(chkBothEqual, &QCheckBox::clicked, this, &frmProjCopy::chkBothEqual_Click);
    connect(cmbProj1, &QComboBox::activated, this, &frmProjCopy::cmbProj1_Click);
    txtOldParms->installEventFilter(this);
    txtNewParms->installEventFilter(this);
}

frmProjCopy* frmProjCopy::ShowWindow()
{
    if (!gInstance) {
        gInstance = new frmProjCopy;
        gInstance->Form_Load();
    }
    gInstance->show();
    gInstance->raise();
    gInstance->activateWindow();
    return gInstance.data();
}

frmProjCopy* frmProjCopy::Instance() { return gInstance.data(); }

bool frmProjCopy::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == txtOldParms)
            txtOldParms_LostFocus();
        else if (watched == txtNewParms)
            txtNewParms_LostFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void frmProjCopy::closeEvent(QCloseEvent* event)
{
    if (busy_) {
        lblLog->setText("Please wait until the run has finished");
        event->ignore();
        return;
    }
    event->accept();
}

void frmProjCopy::Form_Load()
{
    log_ = CopyLog();
    log_.SetLabel([this](const std::string& text) { lblLog->setText(ToQString(text)); });
    log_.Reset();
    FillProjectCombo(FromQString(txtOldParms->text()), cmbProj1);
    FillProjectCombo(FromQString(txtNewParms->text()), cmbProj2);
    // A log that cannot be written keeps no line of this window: said here, where the user
    // looks, and again by a copy that is refused over it.
    if (const std::string why = log_.WriteFailure(); !why.empty()) {
        const std::string text = log_.UnwritableText(why) + ModelCopyRun::kUnwritableLogStands;
        lblLog->setText(ToQString(text));
        ShowMessage(text, MsgStyle::Exclamation);
    }
    // Said where the user looks before copying: a model a dead copy left half made.
    const std::vector<std::string> unfinished = UnfinishedCopies();
    if (!unfinished.empty())
        ShowMessage(Join(unfinished, "\r\n"), MsgStyle::Exclamation);
}

void frmProjCopy::FillProjectCombo(const std::string& path, QComboBox* box, QComboBox* other)
{
    if (busy_)
        return;
    WaitCursor wait;
    (other ? other : box)->clear();
    if (!path.empty() && IsFileExists(path, 0)) {
        if (!other) {
            std::string failure;
            const std::vector<std::string> projects = ris_.GetProjects(path, &failure);
            for (size_t i = 1; i < projects.size(); ++i)
                box->addItem(ToQString(projects[i]));
            // An empty list of a listing that failed is no environment without projects.
            if (!failure.empty())
                log_.WriteLog("The projects of the RIS parameters file '" + path + "' could not be listed: " + failure);
        } else {
            for (int i = 0; i < box->count(); ++i)
                other->addItem(box->itemText(i));
        }
    }
    box->setEnabled(box->count() > 0);
    if (other)
        other->setEnabled(other->count() > 0);
}

void frmProjCopy::browseParams(QLineEdit* own, QComboBox* ownBox, QLineEdit* other, QComboBox* otherBox)
{
    if (busy_)
        return;
    const std::string file = GetDialog().OpenFile("PARAMS-File (*.*)|*.*", "");
    if (file.empty())
        return;
    own->setText(ToQString(file));
    FillProjectCombo(file, ownBox);
    if (chkBothEqual->isChecked()) {
        other->setText(ToQString(file));
        FillProjectCombo(file, ownBox, otherBox);
    }
}

void frmProjCopy::btnOpenOldParms_Click() { browseParams(txtOldParms, cmbProj1, txtNewParms, cmbProj2); }

void frmProjCopy::btnOpenNewParms_Click() { browseParams(txtNewParms, cmbProj2, txtOldParms, cmbProj1); }

void frmProjCopy::btnOpenFileWithModels_Click()
{
    const std::string file = GetDialog().OpenFile("File with models (*.txt)|*.txt|(*.*)|*.*", "");
    if (!file.empty())
        txtFileWithModels->setText(ToQString(file));
}

void frmProjCopy::chkBothEqual_Click()
{
    if (!chkBothEqual->isChecked() || busy_)
        return;
    if (!txtOldParms->text().isEmpty()) {
        txtNewParms->setText(txtOldParms->text());
        FillProjectCombo(FromQString(txtOldParms->text()), cmbProj1, cmbProj2);
    } else if (!txtNewParms->text().isEmpty()) {
        txtOldParms->setText(txtNewParms->text());
        FillProjectCombo(FromQString(txtNewParms->text()), cmbProj2, cmbProj1);
    }
}

void frmProjCopy::cmbProj1_Click()
{
    const std::string project = FromQString(cmbProj1->currentText());
    if (project.empty() || busy_)
        return;
    setEnabled(false);
    busy_ = true;
    std::string failure;
    bool whole = false;
    {
        WaitCursor wait;
        whole = selection_.ReadProjectTree(project, &failure);
    }
    mirror_->Sync();
    busy_ = false;
    setEnabled(true);
    // A tree cut short looks like a project with fewer models: say so where the user looks.
    if (!whole) {
        const std::string text = "The model tree of project '" + project +
                                 "' shows only what was read before the reading stopped: " + failure +
                                 ". See the copy log '" + log_.Path() + "'";
        log_.WriteLog(text);
        ShowMessage(text, MsgStyle::Exclamation);
    }
}

void frmProjCopy::txtOldParms_LostFocus() { FillProjectCombo(FromQString(txtOldParms->text()), cmbProj1); }

void frmProjCopy::txtNewParms_LostFocus() { FillProjectCombo(FromQString(txtNewParms->text()), cmbProj2); }

void frmProjCopy::btnSelectModels_Click()
{
    WaitCursor wait;
    selection_.SelectModels(FromQString(txtFileWithModels->text()));
    mirror_->Sync();
}

void frmProjCopy::btnCopyProject_Click()
{
    if (busy_)
        return;
    // The run copies into the target it started with, and undoes there: the projects and
    // parameters files stay as they are until it ends.
    const std::vector<QWidget*> held = {btnCopyProject, cmbProj1,        cmbProj2,        txtOldParms,
                                        txtNewParms,    btnOpenOldParms, btnOpenNewParms, chkBothEqual};
    std::vector<bool> enabled;
    for (QWidget* w : held) {
        enabled.push_back(w->isEnabled());
        w->setEnabled(false);
    }
    busy_ = true;
    {
        WaitCursor wait;
        ModelCopyRun(sides_, ris_, log_, selection_, tree_).Run();
    }
    mirror_->Sync();
    busy_ = false;
    for (size_t i = 0; i < held.size(); ++i)
        held[i]->setEnabled(enabled[i]);
    btnCopyProject->setEnabled(true);
}

void frmProjCopy::tvwTreeView_NodeCheck(CheckTreeNode& node) { ModelSelectionTree::NodeCheck(node); }
