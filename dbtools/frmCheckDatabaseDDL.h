// The window "Check database against DDL-files": the result tree of the design schema check,
// the check button and the three repair buttons. The work is done by the Ddl* logic; the window
// shows the logic's tree through a CheckTreeMirror and passes the clicks on.
#pragma once

#include "dbtools/DdlCheckContext.h"

#include <QWidget>

#include <functional>
#include <string>

enum class DdlRepairAction;
class CheckTreeMirror;
class QPushButton;
class QStatusBar;
class QTreeWidget;

class frmCheckDatabaseDDL : public QWidget {
    Q_OBJECT

public:
    // project reads the main window's project field each time it is asked; db defaults to the
    // program's databases.
    explicit frmCheckDatabaseDDL(std::function<std::string()> project, DdlDatabase* db = nullptr,
                                 QWidget* parent = nullptr);
    ~frmCheckDatabaseDDL() override;

    // The main window's button: shows the one window without making it modal (a new one, or
    // the open one brought to the front).
    static frmCheckDatabaseDDL* ShowModeless(std::function<std::string()> project);

    QTreeWidget* tvwTreeView = nullptr;
    QPushButton* cmdCheck = nullptr;
    QStatusBar* StatusBar = nullptr;
    QPushButton* cmdAddColumns = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdDropTable = nullptr;
    QPushButton* cmdDeleteModel = nullptr;

    // The logic's tree, which the widget shows.
    CheckTree& tree() { return tree_; }
    std::string statusText() const;
    int64_t normalNodeColor() const { return context_.normalNodeColor; }

    void EnableButtons(bool enable);

public slots:
    void Form_Load();
    void cmdCheck_Click();
    void cmdAddColumns_Click();
    void cmdDropTable_Click();
    void cmdDeleteModel_Click();
    void cmdClose_Click();
    // The main window's project field changed (also asked when this window becomes active and
    // before each repair): a tree of another project is emptied, and the repair buttons stay
    // disabled until the next check.
    void ProjectFieldChanged();

protected:
    void changeEvent(QEvent* event) override;
    // A close while a check or repair runs (the close button stays enabled) only hides the
    // window; it is closed once the run is over, so the run never outlives its window.
    void closeEvent(class QCloseEvent* event) override;

private:
    template <class Action> void run(Action action);
    // ProjectFieldChanged's work; true when it emptied the tree.
    bool dropOtherProjectCheck();
    void repair(DdlRepairAction action);
    void tvwTreeView_NodeCheck(CheckTreeNode& node);
    void setStatusText(const std::string& text);

    CheckTree tree_;
    DdlCheckContext context_;
    CheckTreeMirror* mirror_ = nullptr;
    bool busy_ = false;
    bool running_ = false;
    bool closePending_ = false;
};
