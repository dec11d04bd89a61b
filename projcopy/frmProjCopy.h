// The project copy window "Models copy": the parameters files and projects of the source and
// the target, the source project's model tree, the models list file and the copy button.
#pragma once

#include "projcopy/CopyLog.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/ProjectSides.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"

#include <QWidget>

#include <string>

class CheckTreeMirror;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class frmProjCopy : public QWidget {
    Q_OBJECT

public:
    explicit frmProjCopy(QWidget* parent = nullptr);
    ~frmProjCopy() override;

    // The main window's button: the one window, loaded and shown modeless when there is none,
    // else brought to the front as it is (a second window would share the copy log and the
    // client files in TMP).
    static frmProjCopy* ShowWindow();
    // The open window, or nullptr.
    static frmProjCopy* Instance();

    // Sets the copy log path, deletes the log of an earlier opening, fills both project lists,
    // and names in a box every model a copy that did not finish may have left half made.
    void Form_Load();

    // Fills box with the projects of the parameters file path, or, with other given, copies
    // the entries of box into other. A list is enabled when it holds an entry.
    void FillProjectCombo(const std::string& path, QComboBox* box, QComboBox* other = nullptr);

    const CopyLog& copyLog() const { return log_; }
    CheckTree& tree() { return tree_; }
    const RisParamsAccess& ris() const { return ris_; }

    QGroupBox* Frame2 = nullptr;
    QLineEdit* txtOldParms = nullptr;
    QPushButton* btnOpenOldParms = nullptr;
    QGroupBox* Frame3 = nullptr;
    QLineEdit* txtNewParms = nullptr;
    QPushButton* btnOpenNewParms = nullptr;
    QCheckBox* chkBothEqual = nullptr;
    QLabel* lblStatic1 = nullptr;
    QComboBox* cmbProj1 = nullptr;
    QLabel* lblStatic2 = nullptr;
    QComboBox* cmbProj2 = nullptr;
    QTreeWidget* tvwTreeView = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLineEdit* txtFileWithModels = nullptr;
    QPushButton* btnOpenFileWithModels = nullptr;
    QPushButton* btnSelectModels = nullptr;
    QPushButton* btnCopyProject = nullptr;
    QLabel* lblLog = nullptr;

public slots:
    void btnOpenOldParms_Click();
    void btnOpenNewParms_Click();
    void btnOpenFileWithModels_Click();
    void chkBothEqual_Click();
    void cmbProj1_Click();
    void txtOldParms_LostFocus();
    void txtNewParms_LostFocus();
    void btnSelectModels_Click();
    void btnCopyProject_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A copy run or a tree reading holds the window: closing is refused until it has ended, as
    // the run writes into the window's log label and tree while it waits for its clients.
    void closeEvent(class QCloseEvent* event) override;

private:
    void buildControls();
    void tvwTreeView_NodeCheck(CheckTreeNode& node);
    void browseParams(QLineEdit* own, QComboBox* ownBox, QLineEdit* other, QComboBox* otherBox);

    CopyLog log_;
    RisParamsAccess ris_{log_};
    ProjectSides sides_;
    CheckTree tree_;
    ModelSelectionTree selection_{sides_, ris_, log_, tree_};
    CheckTreeMirror* mirror_ = nullptr;
    // A copy run or a tree reading waits for a RIS client: no second one may start, as both
    // share the client files in TMP.
    bool busy_ = false;
};
