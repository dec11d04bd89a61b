// The piping model restore window: model list, dump choice and check, restore.
#include "admin/PipeFileRestoreForm.h"

#include "admin/AdminGlobals.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "ui/qt/QtBuilders.h"
#include "ui/qt/QtText.h"
#include "services/AppGlobals.h"
#include "services/Dialog.h"
#include "services/HourglassPointer.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

PipeFileRestoreForm::PipeFileRestoreForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("PipeFileRestoreForm");
    setWindowTitle("Piping file restore from RIS DMP-file");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("1. Select piping file", this), 0, 0);
    PipeFileListe = new QListWidget(this);
    PipeFileListe->setObjectName("PipeFileListe");
    grid->addWidget(PipeFileListe, 1, 0, 3, 1);
    grid->addWidget(new QLabel("2", this), 1, 1);
    Schemafilewahl = MakeButton(this, "Schemafilewahl", "Select dd_schema file...");
    grid->addWidget(Schemafilewahl, 1, 2);
    grid->addWidget(new QLabel("3", this), 2, 1);
    Start = MakeButton(this, "Start", "Start restore");
    grid->addWidget(Start, 2, 2);
    Cancel = MakeButton(this, "Cancel", "Cancel");
    grid->addWidget(Cancel, 3, 2);
    lblDumpSchema = new QLabel(this);
    lblDumpSchema->setObjectName("lblDumpSchema");
    lblDumpSchema->setWordWrap(true);
    grid->addWidget(lblDumpSchema, 4, 0, 1, 3);
    Schemafilewahl->setEnabled(false);
    Start->setEnabled(false);

    chooseDumpFile = [] { return GetDialog().OpenFile("Ris-DMP-File (*.*)|*.*", gDumpDir); };

    connect(PipeFileListe, &QListWidget::itemClicked, this, &PipeFileRestoreForm::PipeFileListe_Click);
    connect(Schemafilewahl, &QPushButton::clicked, this, &PipeFileRestoreForm::Schemafilewahl_Click);
    connect(Start, &QPushButton::clicked, this, &PipeFileRestoreForm::Start_Click);
    connect(Cancel, &QPushButton::clicked, this, &PipeFileRestoreForm::Cancel_Click);
}

PipeFileRestoreForm* PipeFileRestoreForm::Restore_pipfile_Click()
{
    auto* form = new PipeFileRestoreForm;
    try {
        HourglassPointer wait;
        form->Form_Load();
    } catch (const AppError& e) {
        delete form;
        ShowMessage(e.description(), MsgStyle::OkOnly);
        return nullptr;
    }
    form->show();
    return form;
}

void PipeFileRestoreForm::Form_Load()
{
    project_ = ReadIniValue(gIniFile, "TARNWICK", "projname", "testproj");
    models_ = PipingModelRestore::ListModels(project_);
    PipeFileListe->clear();
    for (const PipingModel& m : models_)
        PipeFileListe->addItem(ToQString(m.modelNo));
    Start->setEnabled(false);
    Schemafilewahl->setEnabled(false);
}

void PipeFileRestoreForm::PipeFileListe_Click()
{
    Schemafilewahl->setEnabled(PipeFileListe->currentRow() >= 0);
}

void PipeFileRestoreForm::Schemafilewahl_Click()
{
    dumpFile_ = chooseDumpFile ? chooseDumpFile() : std::string();
    Start->setEnabled(false);
    lblDumpSchema->clear();
    if (dumpFile_.empty()) {
        ShowMessage("RIS-DMP-File existiert nicht", MsgStyle::Critical);
        return;
    }
    // The user sees which schema's data the restore would write before starting it.
    const std::string schema = PipingModelRestore::DumpSchemaOf(dumpFile_);
    const std::string target = "dd_" + project_;
    if (PipingModelRestore::IsDesignSchemaDump(dumpFile_, project_)) {
        lblDumpSchema->setText(ToQString("Dump of schema " + schema + " - restore into " + target));
        Start->setEnabled(true);
        return;
    }
    const std::string why = schema.empty() ? "'" + dumpFile_ + "' is no RIS dump of a schema"
                            : EqualsNoCase(schema, target)
                                ? "'" + dumpFile_ + "' is shorter than 100 bytes"
                                : "'" + dumpFile_ + "' is a dump of schema " + schema + ", not of " + target;
    lblDumpSchema->setText(ToQString(why));
    ShowMessage("RIS-DMP-File ist falsch\r\n" + why, MsgStyle::Critical);
}

void PipeFileRestoreForm::Start_Click()
{
    const int row = PipeFileListe->currentRow();
    if (row < 0 || row >= static_cast<int>(models_.size()))
        return;
    const PipingModel model = models_[static_cast<size_t>(row)];
    gSelectedEntry = model.modelNo;
    try {
        std::string message;
        {
            HourglassPointer wait;
            message = PipingModelRestore::Restore(dumpFile_, project_, model);
        }
        ShowMessage(message, MsgStyle::OkOnly);
    } catch (const AppError& e) {
        ShowMessage(e.description(), MsgStyle::Critical);
    }
    close();
}

void PipeFileRestoreForm::Cancel_Click()
{
    close();
}
