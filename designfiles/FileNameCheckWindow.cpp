// The file name check window: layout, the check and correction runs, check spreading and the
// node tooltips.
#include "designfiles/FileNameCheckWindow.h"

#include "designfiles/DesignFileNameCheck.h"
#include "designfiles/DesignFileNameCorrection.h"
#include "platform/AppError.h"
#include "platform/ado/Variant.h"
#include "ui/qt/CheckTreeMirror.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtBuilders.h"
#include "ui/qt/QtText.h"
#include "services/FormRegistry.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char* const kCaption = "Compare & adapt model no and file spec";

QPointer<frmFileSpecCheck> gInstance;

} // namespace

frmFileSpecCheck* frmFileSpecCheck::ShowMe(const std::string& project)
{
    const bool load = !gInstance;
    if (load)
        gInstance = new frmFileSpecCheck;
    gInstance->project_ = project;
    if (load)
        gInstance->Form_Load();
    gInstance->show();
    gInstance->raise();
    gInstance->activateWindow();
    return gInstance.data();
}

frmFileSpecCheck* frmFileSpecCheck::Instance()
{
    return gInstance.data();
}

frmFileSpecCheck::frmFileSpecCheck() : QWidget(nullptr, Qt::Window), tables_(ProjectTables::Cris())
{
    setObjectName("frmFileSpecCheck");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kCaption);
    resize(640, 480);
    auto* top = new QVBoxLayout(this);
    tvwTreeView = new QTreeWidget(this);
    tvwTreeView->setObjectName("tvwTreeView");
    tvwTreeView->setMouseTracking(true);
    tvwTreeView->viewport()->installEventFilter(this);
    top->addWidget(tvwTreeView);
    auto* buttons = new QHBoxLayout;
    cmdCheck = MakeButton(this, "cmdCheck", "Check PDS project");
    cmdRestore = MakeButton(this, "cmdRestore", "Correct files");
    cmdClose = MakeButton(this, "cmdClose", "Close");
    for (auto* b : {cmdCheck, cmdRestore, cmdClose})
        buttons->addWidget(b);
    top->addLayout(buttons);
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName("StatusBar1");
    top->addWidget(StatusBar1);
    mirror_ = new CheckTreeMirror(tree_, tvwTreeView, [this](CheckTreeNode& node) { tvwTreeView_NodeCheck(node); });
    connect(cmdCheck, &QPushButton::clicked, this, &frmFileSpecCheck::cmdCheck_Click);
    connect(cmdRestore, &QPushButton::clicked, this, &frmFileSpecCheck::cmdRestore_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmFileSpecCheck::cmdClose_Click);
    QtForm::Attach(this);
}

frmFileSpecCheck::~frmFileSpecCheck()
{
    // The mirror observes the tree, which goes before the widgets do.
    delete mirror_;
    mirror_ = nullptr;
}

void frmFileSpecCheck::Form_Load()
{
    setWindowTitle(ToQString(std::string(kCaption) + " - PDS-Project: " + project_));
}

void frmFileSpecCheck::setBusy(bool busy)
{
    running_ = busy;
    FormRegistry::SetMousePointer(busy ? 11 : 0);
    cmdCheck->setEnabled(!busy);
    cmdRestore->setEnabled(!busy);
}

void frmFileSpecCheck::cmdCheck_Click()
{
    setBusy(true);
    // A ShowMe for another project while the run waits takes effect with the next run: the
    // models and drawings of one run are those of one project.
    const std::string project = project_;
    try {
        tree_.Clear();
        mirror_->Sync();
        DesignFileNameCheck check(tree_, tables_);
        check.CheckModels(project);
        check.CheckDrawings(project);
        ShowStatus("'" + FromQString(cmdCheck->text()) + "' finished");
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
    setBusy(false);
    cmdRestore->setEnabled(tree_.Count() > 0);
    mirror_->Sync();
}

void frmFileSpecCheck::cmdRestore_Click()
{
    if (ShowMessage("Are you sure?", MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) ==
        MsgAnswer::No)
        return;
    setBusy(true);
    const std::string project = project_;
    try {
        size_t count = 0;
        for (CheckTreeNode* node : tree_.Nodes())
            if (node->children.empty()) {
                if (node->checked)
                    ++count;
                node->backColor = kTreeColorHighlightText;
            }
        tree_.Changed();
        if (count == 0)
            RaiseError(kAppTitle, "No models or drawings to process selected");
        DesignFileNameCorrection correction(tree_, tables_);
        // Every file not renamed is said in a box with what stands, also when a run raised.
        try {
            correction.CorrectModelFiles(project);
            correction.CorrectDrawingFiles(project);
        } catch (const AppError& e) {
            const std::string also = correction.NotRenamedMessage();
            throw AppError(e.number(), e.source(), e.description() + (also.empty() ? "" : "\r\n" + also));
        }
        ShowStatus("'" + FromQString(cmdRestore->text()) + "' finished");
        if (const std::string text = correction.NotRenamedMessage(); !text.empty())
            ShowMessage(text, MsgStyle::Exclamation);
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Exclamation);
    }
    setBusy(false);
    mirror_->Sync();
}

void frmFileSpecCheck::cmdClose_Click()
{
    close();
}

void frmFileSpecCheck::closeEvent(QCloseEvent* event)
{
    if (running_) {
        ShowStatus("Please wait until the run has finished");
        event->ignore();
        return;
    }
    event->accept();
}

void frmFileSpecCheck::tvwTreeView_NodeCheck(CheckTreeNode& node)
{
    CheckTree::SpreadCheck(node);
}

std::string frmFileSpecCheck::NextToolTip(const std::string& current, const CheckTreeNode* node)
{
    if (!node)
        return {};
    if (node->tag.empty() || ParseNumberText(node->tag))
        return current;
    return node->tag;
}

bool frmFileSpecCheck::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tvwTreeView->viewport() && event->type() == QEvent::MouseMove) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        CheckTreeNode* node = mirror_->NodeAt(pos);
        const QString tip = ToQString(NextToolTip(FromQString(tvwTreeView->toolTip()), node));
        tvwTreeView->setToolTip(tip);
        tvwTreeView->viewport()->setToolTip(tip);
        // The view shows an item's own tooltip over an item, so the item under the pointer carries it.
        if (node)
            mirror_->ItemOf(node)->setToolTip(0, tip);
    }
    return QWidget::eventFilter(watched, event);
}
