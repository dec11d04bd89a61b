// The DDL check window: controls, the tree's check rule and the button handlers.
#include "dbtools/frmCheckDatabaseDDL.h"

#include "dbtools/DdlCheck.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/DdlNodeCheck.h"
#include "dbtools/DdlRepair.h"
#include "ui/qt/CheckTreeMirror.h"
#include "ui/qt/QtBuilders.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

QPointer<frmCheckDatabaseDDL> gWindow;

// Twips as the window's layout gives them, 15 to a pixel.
int px(int twips) { return twips / 15; }

QPushButton* makeButton(QWidget* parent, const char* name, const char* caption, int left, int top, int width,
                        int height)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(name);
    b->setGeometry(px(left), px(top), px(width), px(height));
    return b;
}

} // namespace

frmCheckDatabaseDDL::frmCheckDatabaseDDL(std::function<std::string()> project, DdlDatabase* db, QWidget* parent)
    : QWidget(parent, Qt::Window),
      context_{tree_, db ? *db : DdlDatabase::Program(), std::move(project), {}, {}, 0}
{
    setObjectName("frmCheckDatabaseDDL");
    setWindowTitle("Check database against DDL-files");
    setFont(QFont("Tahoma"));
    setFixedSize(px(9570), px(9675));

    tvwTreeView = new QTreeWidget(this);
    tvwTreeView->setObjectName("tvwTreeView");
    tvwTreeView->setGeometry(px(105), px(105), px(9360), px(7890));
    cmdCheck = makeButton(this, "cmdCheck", "Check", 7035, 8085, 1170, 330);
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(0, px(9345), px(9570), px(330));
    cmdAddColumns = makeButton(this, "cmdAddColumns", "Add missing columns", 5145, 8085, 1800, 330);
    cmdClose = makeButton(this, "cmdClose", "Close", 8295, 8085, 1170, 330);
    cmdDropTable = makeButton(this, "cmdDropTable",
                              "Drop selected tables from dd schema, whose related models were not found in database "
                              "(pdtable_113)",
                              105, 8505, 9360, 330);
    cmdDeleteModel = makeButton(this, "cmdDeleteModel",
                                "Delete selected piping models from pdtable_113, pdtable_114, whose related tables were "
                                "not found in database (dd schema)",
                                105, 8925, 9360, 330);
    // The long captions show whole in the buttons' width.
    for (QPushButton* b : {cmdAddColumns, cmdDropTable, cmdDeleteModel})
        FitCaption(b);
    setTabOrder(tvwTreeView, cmdCheck);
    setTabOrder(cmdCheck, cmdAddColumns);
    setTabOrder(cmdAddColumns, cmdClose);
    setTabOrder(cmdClose, cmdDropTable);
    setTabOrder(cmdDropTable, cmdDeleteModel);

    context_.setStatusText = [this](const std::string& text) { setStatusText(text); };
    context_.enableButtons = [this](bool enable) { EnableButtons(enable); };
    mirror_ = new CheckTreeMirror(tree_, tvwTreeView, [this](CheckTreeNode& node) { tvwTreeView_NodeCheck(node); });

    connect(cmdCheck, &QPushButton::clicked, this, &frmCheckDatabaseDDL::cmdCheck_Click);
    connect(cmdAddColumns, &QPushButton::clicked, this, &frmCheckDatabaseDDL::cmdAddColumns_Click);
    connect(cmdDropTable, &QPushButton::clicked, this, &frmCheckDatabaseDDL::cmdDropTable_Click);
    connect(cmdDeleteModel, &QPushButton::clicked, this, &frmCheckDatabaseDDL::cmdDeleteModel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &frmCheckDatabaseDDL::cmdClose_Click);

    QtForm::Attach(this, [this](const QString& text) { StatusBar->showMessage(text); });
    Form_Load();
}

frmCheckDatabaseDDL::~frmCheckDatabaseDDL()
{
    // The mirror observes the tree, which goes before the widgets do.
    delete mirror_;
    mirror_ = nullptr;
    if (busy_)
        QApplication::restoreOverrideCursor();
}

frmCheckDatabaseDDL* frmCheckDatabaseDDL::ShowModeless(std::function<std::string()> project)
{
    if (!gWindow) {
        gWindow = new frmCheckDatabaseDDL(std::move(project));
        gWindow->setAttribute(Qt::WA_DeleteOnClose);
        // The main window's project field, found by its name: a change of project ends what
        // the tree's findings may repair.
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == "Form1")
                if (auto* field = w->findChild<QComboBox*>("Projname")) {
                    QObject::connect(field, &QComboBox::editTextChanged, gWindow.data(),
                                     &frmCheckDatabaseDDL::ProjectFieldChanged);
                    QObject::connect(field, &QComboBox::currentTextChanged, gWindow.data(),
                                     &frmCheckDatabaseDDL::ProjectFieldChanged);
                }
    }
    gWindow->show();
    gWindow->raise();
    gWindow->activateWindow();
    return gWindow.data();
}

std::string frmCheckDatabaseDDL::statusText() const { return FromQString(StatusBar->currentMessage()); }

void frmCheckDatabaseDDL::setStatusText(const std::string& text) { StatusBar->showMessage(ToQString(text)); }

void frmCheckDatabaseDDL::Form_Load() { setStatusText(kDdlStartText); }

void frmCheckDatabaseDDL::EnableButtons(bool enable)
{
    if (!enable && !busy_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        busy_ = true;
    }
    for (QPushButton* b : {cmdCheck, cmdAddColumns, cmdDropTable, cmdDeleteModel})
        b->setEnabled(enable);
    if (enable && busy_) {
        QApplication::restoreOverrideCursor();
        busy_ = false;
    }
}

template <class Action> void frmCheckDatabaseDDL::run(Action action)
{
    if (running_)
        return;
    running_ = true;
    action();
    running_ = false;
    mirror_->Sync();
    // The project may have changed while the run handed events to the interface.
    ProjectFieldChanged();
    if (closePending_)
        close();
}

void frmCheckDatabaseDDL::cmdCheck_Click()
{
    run([this] { RunDdlCheck(context_); });
}
void frmCheckDatabaseDDL::cmdAddColumns_Click() { repair(DdlRepairAction::AddColumns); }
void frmCheckDatabaseDDL::cmdDropTable_Click() { repair(DdlRepairAction::DropTables); }
void frmCheckDatabaseDDL::cmdDeleteModel_Click() { repair(DdlRepairAction::DeleteModels); }

void frmCheckDatabaseDDL::repair(DdlRepairAction action)
{
    if (running_ || dropOtherProjectCheck())
        return;
    run([this, action] { RunRepairAction(context_, action); });
}

void frmCheckDatabaseDDL::ProjectFieldChanged()
{
    if (!running_)
        dropOtherProjectCheck();
}

bool frmCheckDatabaseDDL::dropOtherProjectCheck()
{
    if (!DropCheckOfOtherProject(context_))
        return false;
    mirror_->Sync();
    setStatusText(kDdlStartText);
    for (QPushButton* b : {cmdAddColumns, cmdDropTable, cmdDeleteModel})
        b->setEnabled(false);
    return true;
}

void frmCheckDatabaseDDL::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        ProjectFieldChanged();
    QWidget::changeEvent(event);
}

void frmCheckDatabaseDDL::cmdClose_Click() { close(); }

void frmCheckDatabaseDDL::closeEvent(QCloseEvent* event)
{
    if (running_) {
        closePending_ = true;
        hide();
        event->ignore();
        return;
    }
    closePending_ = false;
    QWidget::closeEvent(event);
}

void frmCheckDatabaseDDL::tvwTreeView_NodeCheck(CheckTreeNode& node)
{
    SpreadDdlNodeCheck(node, context_.normalNodeColor);
}
