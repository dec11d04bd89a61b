// The file name check window (class frmFileSpecCheck): finds the models and drawings of a
// project whose design file names do not fit their numbers, lists them in a check-box tree and
// corrects the checked ones.
#pragma once

#include "designfiles/ProjectTables.h"
#include "services/CheckTree.h"

#include <QWidget>

#include <string>

class CheckTreeMirror;
class QPushButton;
class QStatusBar;
class QTreeWidget;

class frmFileSpecCheck : public QWidget {
    Q_OBJECT

public:
    // Stores the project and shows the one window (loading it when needed); an open window
    // keeps its caption and tree, and its next run works on the new project.
    static frmFileSpecCheck* ShowMe(const std::string& project);
    // The open window, or nullptr.
    static frmFileSpecCheck* Instance();

    ~frmFileSpecCheck() override;

    const std::string& projectName() const { return project_; }
    CheckTree& tree() { return tree_; }
    CheckTreeMirror& mirror() { return *mirror_; }
    // Tests put their own project tables in place; the program reads through gCRIS.
    void setProjectTables(ProjectTables tables) { tables_ = std::move(tables); }
    bool isRunning() const { return running_; }

    // The tooltip after the pointer moved onto node (nullptr: empty tree space): a node with
    // a message in its tag shows it; a node without one, or with a number, keeps the text.
    static std::string NextToolTip(const std::string& current, const CheckTreeNode* node);

    QTreeWidget* tvwTreeView = nullptr;
    QPushButton* cmdCheck = nullptr;
    QPushButton* cmdRestore = nullptr;
    QPushButton* cmdClose = nullptr;
    QStatusBar* StatusBar1 = nullptr;

public slots:
    void cmdCheck_Click();
    void cmdRestore_Click();
    void cmdClose_Click();

protected:
    // A run holds the window: closing is refused until it has ended.
    void closeEvent(class QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    frmFileSpecCheck();
    void Form_Load();
    void tvwTreeView_NodeCheck(CheckTreeNode& node);
    void setBusy(bool busy);

    std::string project_;
    CheckTree tree_;
    CheckTreeMirror* mirror_ = nullptr;
    ProjectTables tables_;
    bool running_ = false;
};
