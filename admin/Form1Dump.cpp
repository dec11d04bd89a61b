// The main window's dump unload and load buttons and operations.
#include "admin/Form1.h"

#include "admin/AdminGlobals.h"
#include "admin/DumpCommandLines.h"
#include "admin/DumpCommands.h"
#include "admin/FormWidgets.h"
#include "admin/ProjectSchemaRules.h"
#include "admin/SchemaFamilies.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "services/AppGlobals.h"
#include "services/Dialog.h"
#include "services/ControlsLock.h"
#include "services/Messages.h"

#include <QCheckBox>

using namespace formwidgets;

namespace {
constexpr int kYesNoQuestionSecond = 4 + 32 + 256;
constexpr int kAnswerNo = 7;
} // namespace

template <class Body> void Form1::runLocked(Body body)
{
    LockControls();
    dump_->report().Clear();
    const bool outer = !busy_;
    busy_ = true;
    try {
        const bool whole = body();
        // Asked to end during the run: the run stopped after its running client, and the
        // program ends now without a further box.
        if (!endRequested_ && whole)
            ShowMessage(dump_->report().ClosingMessage(gLogFile), 0);
    } catch (const AppError& e) {
        if (!endRequested_)
            ShowMessage(RISErrorLine(e.description()), 0);
    }
    busy_ = !outer;
    UnlockControls("");
    if (endRequested_ && outer)
        endProgram();
}

void Form1::RISUnload(const std::string& params)
{
    dump_->RISUnload(params);
}

void Form1::edrisdmp(const std::string& params)
{
    dump_->edrisdmp(params);
}

void Form1::RISLoad(const std::string& params)
{
    dump_->RISLoad(params);
}

void Form1::risunloadall()
{
    dump_->risunloadall();
}

void Form1::Unload_Auswahl_Click()
{
    runLocked([this] {
        for (size_t i = 0; i < kSchemaFamilies.size(); ++i) {
            if (endRequested_)
                return false;
            if (familyBoxes[i]->checkState() != Qt::Checked)
                continue;
            gCurrentSchema = std::string(kSchemaFamilies[i].prefix) + projectName();
            dump_->UnloadSchema(gCurrentSchema);
        }
        return true;
    });
}

void Form1::UnLoad_proj_schemen_Click()
{
    runLocked([this] {
        std::string project = projectName();
        CheckIdentifier(project, "Project", "UnLoad_proj_schemen");
        for (const auto& schema : SchemasOfProject(gSchemaNames, project)) {
            if (endRequested_)
                return false;
            dump_->UnloadSchema(schema);
        }
        return true;
    });
}

void Form1::UnLoad_all_Schemen_Click()
{
    // Esc ends the walk, yet the command still closes with its message.
    runLocked([this] {
        dump_->risunloadall();
        return true;
    });
}

void Form1::Load_all_dmp_files_Click()
{
    if (ShowMessage("Are you sure?", kYesNoQuestionSecond) == kAnswerNo)
        return;
    runLocked([this] { return dump_->LoadDumpDirectory("", true); });
}

void Form1::Load_proj_schemen_Click()
{
    if (ShowMessage("Are you sure?", kYesNoQuestionSecond) == kAnswerNo)
        return;
    runLocked([this] {
        std::string project = projectName();
        CheckIdentifier(project, "Project", "Load_proj_schemen");
        return dump_->LoadDumpDirectory(project, false);
    });
}

void Form1::Load_auswahl_Click()
{
    std::vector<std::string> files = GetDialog().OpenFiles("Ris-DMP-File (*.*)|*.*", "");
    if (files.empty())
        return;
    runLocked([this, &files] { return dump_->LoadChosenFiles(files); });
}
