// The main window's script controls, list, free-space and piping restore buttons and the
// maintenance runs over the schema list.
#include "admin/Form1.h"

#include "admin/AdminGlobals.h"
#include "admin/CommandScriptHost.h"
#include "admin/Families.h"
#include "admin/FreeSpaceForm.h"
#include "admin/ExistingLists.h"
#include "ui/qt/ListForm.h"
#include "admin/Maintenance.h"
#include "admin/PipeFileRestoreForm.h"
#include "admin/ScriptRunner.h"
#include "admin/ScriptUserSteps.h"
#include "platform/AppError.h"
#include "admin/ScriptSettings.h"

#include <QLineEdit>
#include <QPushButton>

void Form1::connectTools()
{
    connect(SCRstart, &QPushButton::clicked, this, &Form1::SCRstart_Click);
    connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Editscript, &QPushButton::clicked, this, &Form1::Editscript_Click);
    for (QLineEdit* box : UserVar)
        box->installEventFilter(this);
    connect(Zeigschemen, &QPushButton::clicked, this, &Form1::Zeigschemen_Click);
    connect(ShowDBuser, &QPushButton::clicked, this, &Form1::ShowDBuser_Click);
    connect(show_free_ts, &QPushButton::clicked, this, &Form1::show_free_ts_Click);
    connect(Restore_pipfile, &QPushButton::clicked, this, &Form1::Restore_pipfile_Click);
    connect(btnGrantAll, &QPushButton::clicked, this, &Form1::btnGrantAll_Click);
    connect(btnMscode, &QPushButton::clicked, this, &Form1::btnMscode_Click);
    connect(btnRISClean, &QPushButton::clicked, this, &Form1::btnRISClean_Click);
}

void Form1::SCRstart_Click()
{
    // The script's lines call the same operations as the buttons; the interface stays unlocked
    // while it runs, so the other windows remain usable. A user or schema command whose tool
    // reports an error ends the run at its line, as a failed unload or load does (the next
    // lines may rely on it), unless the error only says that a create's object is there
    // already or a drop's object is not there.
    ScriptUserSteps steps;
    CommandScriptHost host(*dump_, steps.Operations());
    ScriptRunner runner(host);
    runner.showLine = [this](const std::string& text) {
        aktuellescrzeile->setText(QString::fromStdString(text));
        aktuellescrzeile->repaint();
    };
    runner.stopRequested = [this] { return endRequested_; };
    runEndable([&] { runner.SCRstart(scriptfile->text().toStdString()); });
}

void Form1::Command1_Click()
{
    const std::string chosen = ScriptSettings::Command1_Click(scriptfile->text().toStdString());
    if (!chosen.empty())
        scriptfile->setText(QString::fromStdString(chosen));
}

void Form1::Editscript_Click() { ScriptSettings::Editscript_Click(); }

void Form1::UserVar_LostFocus(int index)
{
    ScriptSettings::UserVar_LostFocus(index, UserVar[static_cast<size_t>(index - 1)]->text().toStdString());
}

void Form1::Zeigschemen_Click()
{
    ShowExistingSchemas([this] {
        get_schemanamen();
        return gSchemaNames;
    });
}

void Form1::ShowDBuser_Click() { ShowExistingDbUsers(); }

void Form1::show_free_ts_Click() { FreeSpaceForm::show_free_ts_Click(); }

void Form1::Restore_pipfile_Click() { PipeFileRestoreForm::Restore_pipfile_Click(); }

// The maintenance runs, like the family commands, mark the window busy: Exit pressed while a
// client runs ends the program after that client, without a further box.
void Form1::runMaintenance(const std::function<void(Maintenance&)>& body)
{
    runEndable([this, &body] {
        Maintenance run;
        run.stopRequested = [this] { return endRequested_; };
        body(run);
    });
}

void Form1::btnGrantAll_Click()
{
    runMaintenance([this](Maintenance& run) { run.btnGrantAll_Click(gSchemaNames, projectName()); });
}

void Form1::btnMscode_Click()
{
    runMaintenance([](Maintenance& run) { run.btnMscode_Click(gSchemaNames); });
}

void Form1::btnRISClean_Click()
{
    runMaintenance([](Maintenance& run) { run.btnRISClean_Click(gSchemaNames); });
}
