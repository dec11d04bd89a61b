// The project file check window: search directories and seed files, the check and restore
// runs, the result tree with its check rules, and the status bar of the runs.
#pragma once

#include "filecheck/UpgradeCheckContext.h"

#include <QWidget>

#include <optional>
#include <string>

class CheckTreeMirror;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QTimer;
class QTreeWidget;

class frmUpgradeCheck : public QWidget {
    Q_OBJECT

public:
    // Stores the project and shows the one window modeless, loading it when needed; an open
    // window keeps its caption and comes to the front, its next run works on the new project
    // (a run that is busy keeps its own project to its end).
    static frmUpgradeCheck* ShowMe(const std::string& project);
    // The open window, or nullptr.
    static frmUpgradeCheck* Instance();

    ~frmUpgradeCheck() override;

    const std::string& projectName() const { return ctx_.projectName; }
    UpgradeCheckContext& context() { return ctx_; }
    CheckTreeMirror& mirror() { return *mirror_; }
    bool isRunning() const { return running_; }

    QGroupBox* Frame1 = nullptr;
    QListWidget* lstDirs = nullptr;
    QPushButton* cmdAddNew = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdRemoveAll = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLineEdit* txtFWSeedFile = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtSeedFile = nullptr;
    QPushButton* cmdSelectFile[2] = {nullptr, nullptr};
    QPushButton* cmdCheck = nullptr;
    QPushButton* cmdRestore = nullptr;
    QPushButton* cmdClose = nullptr;
    QTreeWidget* tvwTreeView = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;

public slots:
    void Timer1_Timer();
    void cmdCheck_Click();
    void cmdRestore_Click();
    void cmdAddNew_Click();
    void cmdRemove_Click();
    void cmdRemoveAll_Click();
    void cmdSelectFile_Click(int index);
    void cmdClose_Click();
    void tvwTreeView_DblClick();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    frmUpgradeCheck();
    void Form_Load();
    void Form_Unload();
    void setBusy(bool busy);
    std::vector<std::string> listedDirs() const;
    void takeControls();

    UpgradeCheckContext ctx_;
    CheckTreeMirror* mirror_ = nullptr;
    bool running_ = false;
    bool closeAfterRun_ = false;
    // The project ShowMe named while a run was busy, taken when the run ends.
    std::optional<std::string> nextProject_;
};
