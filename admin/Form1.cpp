// The main window: its controls, their layout and the wiring of their handlers.
#include "admin/Form1.h"

#include "admin/DumpCommands.h"
#include "admin/Families.h"
#include "admin/FormWidgets.h"
#include "admin/SchemaFamilies.h"
#include "dbtools/frmAlterDBColumn.h"
#include "dbtools/frmRISTable.h"
#include "platform/EscKey.h"
#include "ui/qt/QtForm.h"
#include "projcopy/frmProjCopy.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace formwidgets;

Form1::Form1(QWidget* parent) : QWidget(parent), dump_(new DumpCommands), families_(new Families)
{
    setObjectName("Form1");
    buildLayout();
    connectHandlers();
    connectFamilies();
    connectTools();
    QtForm::Attach(this);
    dump_->escPressed = [] { return EscKey::Pressed(); };
    dump_->stopRequested = [this] { return endRequested_; };
    // A dump is loaded into a freshly made database user and RIS schema; a step that is not
    // done after its tool failed counts in the load's closing message.
    auto failuresOf = [this](UserSchemaStep step) {
        return [this, step](const std::string& params) {
            const UserSchemaChange change =
                ChangeUserOrSchema(step, families_->users(), families_->schemas(), params);
            if (change.outcome.Failed())
                ShowStatus((change.outcome.Done() ? "" : "Failed: ") + change.Sentence());
            return change.outcome.Done() ? std::vector<std::string>() : std::vector<std::string>{change.Sentence()};
        };
    };
    dump_->creDBUser = failuresOf(UserSchemaStep::CreateUser);
    dump_->creSchema = failuresOf(UserSchemaStep::CreateSchema);
}

Form1::~Form1()
{
    delete families_;
    delete dump_;
}

void Form1::buildLayout()
{
    auto* top = new QVBoxLayout(this);

    auto* projRow = new QHBoxLayout;
    projRow->addWidget(new QLabel("Project:", this));
    Projname = new QComboBox(this);
    Projname->setObjectName("Projname");
    Projname->setEditable(true);
    Projname->setMinimumWidth(220);
    projRow->addWidget(Projname, 1);
    btnShowCurrentProjects = MakeButton(this, "btnShowCurrentProjects", "...",
                                        "Open the list of current projects (Aktuelle Projekte) to pick the project");
    btnShowCurrentProjects->setMaximumWidth(btnShowCurrentProjects->fontMetrics().horizontalAdvance("...") + 24);
    projRow->addWidget(btnShowCurrentProjects);
    top->addLayout(projRow);

    SSTab1 = new QTabWidget(this);
    SSTab1->setObjectName("SSTab1");
    top->addWidget(SSTab1, 1);

    // Tab 1: script.
    auto* scriptTab = new QWidget;
    auto* sg = new QGridLayout(scriptTab);
    sg->addWidget(new QLabel("Script:"), 0, 0);
    scriptfile = MakeLineEdit(scriptTab, "scriptfile", "Choose Scriptfile");
    sg->addWidget(scriptfile, 0, 1, 1, 2);
    Command1 = MakeButton(scriptTab, "Command1", "Browse...", "");
    sg->addWidget(Command1, 0, 3);
    Editscript = MakeButton(scriptTab, "Editscript", "Open", "Edit the Script");
    sg->addWidget(Editscript, 1, 1);
    SCRstart = MakeButton(scriptTab, "SCRstart", "Start script", "Start Script");
    sg->addWidget(SCRstart, 1, 2);
    aktuellescrzeile = MakeLineEdit(scriptTab, "aktuellescrzeile", "");
    aktuellescrzeile->setReadOnly(true);
    sg->addWidget(aktuellescrzeile, 2, 0, 1, 4);
    for (int i = 0; i < 8; ++i) {
        std::string n = std::to_string(i + 1);
        UserVar[i] = MakeLineEdit(scriptTab, "UserVar" + n,
                                  "BenutzerVariable " + n + "   wird in Script als uservar" + n + " benutzt");
        // A caption, not an edit box: a plain label that hands a click on to its box.
        uservartext[i] = new QLabel(scriptTab);
        uservartext[i]->setObjectName(ToQ("uservartext" + n));
        uservartext[i]->setBuddy(UserVar[i]);
        sg->addWidget(uservartext[i], 3 + i, 0, 1, 2);
        sg->addWidget(UserVar[i], 3 + i, 2, 1, 2);
    }
    SSTab1->addTab(scriptTab, "Script");

    // Tab 2: database users, RIS schemas, dumps.
    auto* userTab = new QWidget;
    auto* ug = new QGridLayout(userTab);
    Frame_User = new QGroupBox("Select database user or RIS schema", userTab);
    Frame_User->setObjectName("Frame_User");
    Frame_User->setToolTip("Select Database-User or RIS-Schema");
    auto* fg = new QGridLayout(Frame_User);
    for (size_t i = 0; i < kSchemaFamilies.size(); ++i) {
        QString name = QString::fromStdString(std::string(kSchemaFamilies[i].boxName));
        familyBoxes[i] = new QCheckBox(name, Frame_User);
        familyBoxes[i]->setObjectName(name);
        fg->addWidget(familyBoxes[i], static_cast<int>(i % 6), static_cast<int>(i / 6));
    }
    selall = MakeButton(Frame_User, "selall", "Select all", "");
    deselall = MakeButton(Frame_User, "deselall", "Deselect all", "");
    fg->addWidget(selall, 6, 0);
    fg->addWidget(deselall, 6, 1);
    ug->addWidget(Frame_User, 0, 0, 3, 1);

    Create_DB_Schema = MakeButton(userTab, "Create_DB_Schema", "Create database user && RIS schema",
                                  "Create Database-User and Schema for the selected User");
    Create_DBUser = MakeButton(userTab, "Create_DBUser", "Create database user", "Create Database-User for the selected User");
    Create_Schema = MakeButton(userTab, "Create_Schema", "Create schema", "Create Schema for the selected Schema");
    Delete_DB_Schema = MakeButton(userTab, "Delete_DB_Schema", "Delete database user && schema",
                                  "Delete selected Schema and Database-User");
    Delete_DBUser = MakeButton(userTab, "Delete_DBUser", "Delete database user", "Delete selected Database-User");
    Delete_Schema = MakeButton(userTab, "Delete_Schema", "Delete schema", "Delete selected schema");
    auto* cmdBox = new QVBoxLayout;
    for (auto* b : {Create_DB_Schema, Create_DBUser, Create_Schema, Delete_DB_Schema, Delete_DBUser, Delete_Schema})
        cmdBox->addWidget(b);
    cmdBox->addStretch();
    ug->addLayout(cmdBox, 0, 1, 3, 1);

    auto* dumpBox = new QGroupBox("RIS dump files", userTab);
    auto* dg = new QGridLayout(dumpBox);
    dg->addWidget(new QLabel("Target folder or source for RIS-DMP-files:"), 0, 0, 1, 2);
    risdmpdir = MakeLineEdit(dumpBox, "risdmpdir", "Path for RIS-Dump");
    dg->addWidget(risdmpdir, 1, 0);
    btnRisDmpDirSearch = MakeButton(dumpBox, "btnRisDmpDirSearch", "Browse...", "");
    dg->addWidget(btnRisDmpDirSearch, 1, 1);
    Unload_Auswahl = MakeButton(dumpBox, "Unload_Auswahl", "Unload selection", "Unload selected Schemas");
    UnLoad_proj_schemen = MakeButton(dumpBox, "UnLoad_proj_schemen", "Unload all schemas of the Project", "Unload Project");
    UnLoad_all_Schemen = MakeButton(dumpBox, "UnLoad_all_Schemen", "Unload all schemas", "Unload complete Database");
    Load_auswahl = MakeButton(dumpBox, "Load_auswahl", "Load selected files", "Select RIS-Dump-Files for loading");
    Load_proj_schemen = MakeButton(dumpBox, "Load_proj_schemen", "Load all schemas of the project", "");
    Load_all_dmp_files = MakeButton(dumpBox, "Load_all_dmp_files", "Load schemas from all DMP-files", "");
    dg->addWidget(Unload_Auswahl, 2, 0);
    dg->addWidget(UnLoad_proj_schemen, 3, 0);
    dg->addWidget(UnLoad_all_Schemen, 4, 0);
    dg->addWidget(Load_auswahl, 2, 1);
    dg->addWidget(Load_proj_schemen, 3, 1);
    dg->addWidget(Load_all_dmp_files, 4, 1);
    ug->addWidget(dumpBox, 3, 0, 1, 2);
    SSTab1->addTab(userTab, "Database user and RIS schema");

    // Tab 3: lists, maintenance, configuration.
    auto* extraTab = new QWidget;
    auto* eg = new QGridLayout(extraTab);
    Zeigschemen = MakeButton(extraTab, "Zeigschemen", "Show existing schemas", "Show all Schema");
    ShowDBuser = MakeButton(extraTab, "ShowDBuser", "Show existing database user", "Show all Database-User");
    show_free_ts = MakeButton(extraTab, "show_free_ts", "Show free tablespace", "Show free Tablespace for Oracle");
    Restore_pipfile = MakeButton(extraTab, "Restore_pipfile", "Piping file restore from dd schema",
                                 "Restore Piping-File in Database with RIS-Dump");
    btnGrantAll = MakeButton(extraTab, "btnGrantAll", "Grant all tables", "");
    btnMscode = MakeButton(extraTab, "btnMscode", "PDS2D - MS Code for all projects", "");
    btnRISClean = MakeButton(extraTab, "btnRISClean", "RIS clean all schemas", "");
    Configuration = MakeButton(extraTab, "Configuration", "Configuration", "Open Config-Menu");
    int row = 0;
    for (auto* b : {Zeigschemen, ShowDBuser, show_free_ts, Restore_pipfile})
        eg->addWidget(b, row++, 0);
    row = 0;
    for (auto* b : {btnGrantAll, btnMscode, btnRISClean, Configuration})
        eg->addWidget(b, row++, 1);
    eg->setRowStretch(row, 1);
    SSTab1->addTab(extraTab, "Extra");

    // Tab 4: upgrade and the tool windows.
    auto* toolTab = new QWidget;
    auto* tg = new QGridLayout(toolTab);
    btnProjcopy = MakeButton(toolTab, "btnProjcopy", "Copy PDS model to another project", "");
    btnUpgradeCheck = MakeButton(toolTab, "btnUpgradeCheck", "PDS upgrade check", "Check files for PDS project upgrade");
    btnViewRISTable = MakeButton(toolTab, "btnViewRISTable", "Edit RIS table", "Show Database Tables");
    cmdAlterDBColumn = MakeButton(toolTab, "cmdAlterDBColumn", "Alter database column length", "");
    cmdCheckDatabaseDDL = MakeButton(toolTab, "cmdCheckDatabaseDDL", "Check database against DDL-files", "");
    cmdFileSpecCheck = MakeButton(toolTab, "cmdFileSpecCheck", "Compare && adapt model no and file spec", "");
    cmdReadLinkages = MakeButton(toolTab, "cmdReadLinkages", "Read linkages", "");
    row = 0;
    for (auto* b : {btnUpgradeCheck, btnViewRISTable, cmdAlterDBColumn, cmdCheckDatabaseDDL})
        tg->addWidget(b, row++, 0);
    row = 0;
    for (auto* b : {cmdFileSpecCheck, cmdReadLinkages, btnProjcopy})
        tg->addWidget(b, row++, 1);
    tg->setRowStretch(4, 1);
    SSTab1->addTab(toolTab, "Upgrade");

    auto* bottom = new QHBoxLayout;
    ZeigeLogfile = MakeButton(this, "ZeigeLogfile", "Show logfile", "Show Log-File");
    cmdHelp = MakeButton(this, "cmdHelp", "Help", "");
    Exit = MakeButton(this, "Exit", "Exit", "Exit Tarnwick");
    bottom->addWidget(ZeigeLogfile);
    bottom->addWidget(cmdHelp);
    bottom->addStretch();
    bottom->addWidget(Exit);
    top->addLayout(bottom);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
}

void Form1::connectHandlers()
{
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(Projname, &QComboBox::editTextChanged, this, &Form1::Projname_Change);
    Projname->installEventFilter(this);
    risdmpdir->installEventFilter(this);
    connect(btnRisDmpDirSearch, &QPushButton::clicked, this, &Form1::btnRisDmpDirSearch_Click);
    connect(ZeigeLogfile, &QPushButton::clicked, this, &Form1::ZeigeLogfile_Click);
    connect(Exit, &QPushButton::clicked, this, &Form1::Exit_Click);
    connect(Unload_Auswahl, &QPushButton::clicked, this, &Form1::Unload_Auswahl_Click);
    connect(UnLoad_proj_schemen, &QPushButton::clicked, this, &Form1::UnLoad_proj_schemen_Click);
    connect(UnLoad_all_Schemen, &QPushButton::clicked, this, &Form1::UnLoad_all_Schemen_Click);
    connect(Load_all_dmp_files, &QPushButton::clicked, this, &Form1::Load_all_dmp_files_Click);
    connect(Load_proj_schemen, &QPushButton::clicked, this, &Form1::Load_proj_schemen_Click);
    connect(Load_auswahl, &QPushButton::clicked, this, &Form1::Load_auswahl_Click);
    connect(Configuration, &QPushButton::clicked, this, &Form1::Configuration_Click);
    connect(cmdHelp, &QPushButton::clicked, this, &Form1::cmdHelp_Click);
    connect(btnShowCurrentProjects, &QPushButton::clicked, this, &Form1::ShowCurrentProjects);
    connect(btnViewRISTable, &QPushButton::clicked, this, [this] { frmRISTable::ShowMe(projectName()); });
    connect(cmdAlterDBColumn, &QPushButton::clicked, this, [this] {
        if (projectName().empty())
            ShowErrorMessage(std::string("Please select a project first."), MsgStyle::Exclamation);
        else
            frmAlterDBColumn::ShowMe(projectName());
    });
    connect(cmdCheckDatabaseDDL, &QPushButton::clicked, this, &Form1::cmdCheckDatabaseDDL_Click);
    connect(cmdFileSpecCheck, &QPushButton::clicked, this, &Form1::cmdFileSpecCheck_Click);
    connect(cmdReadLinkages, &QPushButton::clicked, this, &Form1::cmdReadLinkages_Click);
    connect(btnProjcopy, &QPushButton::clicked, this, &Form1::btnProjcopy_Click);
    connect(btnUpgradeCheck, &QPushButton::clicked, this, &Form1::btnUpgradeCheck_Click);
}

void Form1::btnProjcopy_Click() { frmProjCopy::ShowWindow(); }

bool Form1::focusMovesWithin(QEvent* event) const
{
    // Qt has already given the focus to the new widget when the old one hears of it; switching
    // to another program or window, or opening the combo's own list, is no move within.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return false;
    const QWidget* now = QApplication::focusWidget();
    return now && now->window() == this && now != Projname && !Projname->isAncestorOf(now);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        // Its message box would take the focus from whatever the user turned to.
        if (watched == Projname && focusMovesWithin(event))
            Projname_LostFocus();
        else if (watched == risdmpdir)
            risdmpdir_LostFocus();
        for (size_t i = 0; i < UserVar.size(); ++i)
            if (watched == UserVar[i])
                UserVar_LostFocus(static_cast<int>(i) + 1);
    }
    return QWidget::eventFilter(watched, event);
}

std::string Form1::projectName() const
{
    return Projname->currentText().toStdString();
}
