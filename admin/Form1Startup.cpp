// The main window's start-up, project list, settings handlers, launchers of dialogs and end.
#include "admin/Form1.h"

#include "admin/AdminGlobals.h"
#include "admin/AktuelleProj.h"
#include "admin/ConfigForm.h"
#include "admin/DeadRunTraces.h"
#include "admin/DumpCommandLines.h"
#include "admin/DumpCommands.h"
#include "admin/FormWidgets.h"
#include "admin/ProjectSchemaRules.h"
#include "admin/SchemaNames.h"
#include "admin/ScriptSettings.h"
#include "admin/Startup.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/LoadMarks.h"
#include "dbtools/SchemaChangeMark.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/Dialog.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/ControlsLock.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QCoreApplication>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>

using namespace formwidgets;

namespace {

// The projects that have a project schema, with the status lines of the schema list query.
std::vector<std::string> projectList()
{
    ShowStatus("Getting list of pd_schemas...");
    std::vector<std::string> projects;
    try {
        projects = gCRIS->RISGetSchemas(true, false);
    } catch (const AppError& e) {
        std::string incoming = e.source().empty() || e.source() == kAppTitle ? "" : e.source() + ": ";
        throw AppError(1, "GetSchemas", incoming + e.description());
    }
    ShowStatus(std::to_string(projects.size()) + " schemas found");
    return projects;
}

} // namespace

bool Form1::Form_Load()
{
    try {
        LocalTime start = GetClock().Now();
        InitProcessValues(start);
        setWindowTitle(ToQ("Vorlant Tarnwick " + GetAppVersion("", false)));
        StartProgramLog(start);
        for (const std::string& problem : StartupProblems())
            ShowMessage(problem, MsgStyle::Critical);
        // Loads a program cut off, or a look found not whole: their dumps are kept until then; and
        // the other changes of a schema a program left in part.
        std::vector<std::string> loads = LoadMarks::LeftTexts();
        for (std::string& change : SchemaChangeMark::LeftTexts())
            loads.push_back(std::move(change));
        for (std::string& trace : MendDeadRunTraces())
            loads.push_back(std::move(trace));
        if (!loads.empty()) {
            for (const std::string& load : loads)
                ShowStatus(load);
            ShowMessage(Join(loads, "\r\n\r\n"), MsgStyle::Exclamation);
        }
        aktuellescrzeile->clear();
        StartupSettings s = ReadStartupSettings();
        for (int i = 0; i < 8; ++i) {
            uservartext[i]->setText(ToQ(s.userVarCaptions[i]));
            UserVar[i]->setText(ToQ(s.userVars[i]));
        }
        risdmpdir->setText(ToQ(s.dumpDir));
        scriptfile->setText(ToQ(s.scriptFile));
        // The schema list and the project list run the RIS clients through batch files in TEMP:
        // without it they would only fail again with a less true message.
        if (!FolderWriteProblem(gTempDir).empty()) {
            UnlockControls("");
            return false;
        }
        RemoveEndedRunsWorkFiles();
        get_schemanamen();
        UnlockControls("");
        Timer1->start(1);
        return true;
    } catch (const AppError& e) {
        ShowMessage(e.description(), 0);
        UnlockControls("");
        return false;
    }
}

void Form1::get_schemanamen()
{
    ::get_schemanamen();
}

void Form1::Timer1_Timer()
{
    Timer1->stop();
    LockControls();
    try {
        std::vector<std::string> projects = projectList();
        // Filling the list must not write a half-filled text to the settings.
        QSignalBlocker block(Projname);
        Projname->clear();
        for (const auto& p : projects)
            Projname->addItem(ToQ(p));
        Projname->setEditText(ToQ(ReadIniValue(gIniFile, "TARNWICK", "projname", "testproj")));
    } catch (const AppError& e) {
        ShowMessage(RISErrorLine(e.description()), 0);
    }
    UnlockControls("");
}

void Form1::Projname_Change()
{
    WriteIniValue(gIniFile, "TARNWICK", "projname", projectName());
}

void Form1::Projname_LostFocus()
{
    std::string project = projectName();
    WriteIniValue(gIniFile, "TARNWICK", "projname", project);
    ShowMessage(IsExistingProject(gSchemaNames, project) ? "Existing Project" : "New Project", 0);
}

void Form1::btnRisDmpDirSearch_Click()
{
    std::string dir;
    do {
        dir = BrowseForFolder("Choose a Directory ...", "");
        risdmpdir->setText(ToQ(dir));
    } while (dir.empty());
    gDumpDir = dir;
    WriteIniValue(gIniFile, "TARNWICK", "risdmpdir", gDumpDir);
}

void Form1::risdmpdir_LostFocus()
{
    gDumpDir = FromQ(risdmpdir->text());
    WriteIniValue(gIniFile, "TARNWICK", "risdmpdir", gDumpDir);
}

void Form1::ZeigeLogfile_Click()
{
    ScriptSettings::OpenInEditor(gLogFile);
}

void Form1::Configuration_Click()
{
    ConfigForm dialog(this);
    dialog.exec();
}

void Form1::cmdHelp_Click()
{
    try {
        long result = 0;
        ShellExec("Open", FileInDir(ProgramFolder(), "Docs\\Docu-Tarnwick-engl.pdf"), "", "", result);
    } catch (const AppError& e) {
        ShowMessage(e.description(), 0);
    }
}

void Form1::ShowCurrentProjects()
{
    auto* pick = new AktuelleProj(ProjectsOfSchemaList(gSchemaNames),
                                  [this](const std::string& project) { Projname->setEditText(ToQ(project)); }, this);
    pick->show();
}

void Form1::Exit_Click()
{
    close();
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A dump command in the middle of its run ends after the client that runs now (a client is
    // never stopped mid-write); the window stays until then, saying so.
    if (busy_) {
        event->ignore();
        if (!endRequested_) {
            const std::string ending = "Exit: Tarnwick ends when the running client has finished";
            ShowStatus(ending);
            setWindowTitle(windowTitle() + ToQ(" - " + ending));
        }
        endRequested_ = true;
        return;
    }
    event->accept();
    endProgram();
}

void Form1::runEndable(const std::function<void()>& body)
{
    // A command started from inside another (a button pressed while a script runs) leaves the
    // ending to the outer one.
    const bool outer = !busy_;
    busy_ = true;
    try {
        body();
    } catch (...) {
        busy_ = !outer;
        throw;
    }
    busy_ = !outer;
    if (endRequested_ && outer)
        endProgram();
}

void Form1::endProgram()
{
    if (quitProgram)
        quitProgram();
    else
        QCoreApplication::quit();
}
