// The window of the piping model restore: pick a piping model of the project, pick a dump of
// the design schema, start the restore of the model's tables.
#pragma once

#include "admin/PipingModelRestore.h"

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

class PipeFileRestoreForm : public QWidget {
    Q_OBJECT

public:
    explicit PipeFileRestoreForm(QWidget* parent = nullptr);

    // The main window's button: a new window listing the models of the project last chosen
    // ([TARNWICK] projname), shown modeless. A failure of the listing is shown in a message box
    // and no window stays open (nullptr).
    static PipeFileRestoreForm* Restore_pipfile_Click();

    // Lists the piping models of the project. Raises when they cannot be listed.
    void Form_Load();

    QListWidget* PipeFileListe = nullptr;
    QPushButton* Schemafilewahl = nullptr;
    QPushButton* Start = nullptr;
    QPushButton* Cancel = nullptr;
    // The schema of the chosen dump, shown before the restore is started.
    QLabel* lblDumpSchema = nullptr;

    // The project, the models listed, the chosen dump.
    const std::string& project() const { return project_; }
    const std::vector<PipingModel>& models() const { return models_; }
    const std::string& dumpFile() const { return dumpFile_; }

    // The dump file chosen by the user (Windows path; empty when cancelled). The open-file
    // dialog starting in the dump directory unless a test puts its own choice in place.
    std::function<std::string()> chooseDumpFile;

public slots:
    void PipeFileListe_Click();
    void Schemafilewahl_Click();
    void Start_Click();
    void Cancel_Click();

private:
    std::string project_;
    std::vector<PipingModel> models_;
    std::string dumpFile_;
};
