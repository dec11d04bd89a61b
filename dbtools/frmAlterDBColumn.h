// The column length change window: new length for the char columns ending with a text, in the
// chosen schemas of the project, through a kept backup dump, an edited copy and a reload. Modal.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QTimer;
class QtForm;

class frmAlterDBColumn : public QDialog {
    Q_OBJECT

public:
    explicit frmAlterDBColumn(const std::string& project, QWidget* parent = nullptr);

    // Opens the window for the project and returns when it has been closed.
    static void ShowMe(const std::string& project);

    // Fills lstSchema with the project's schemas; a failing schema query leaves it empty.
    void LoadSchemaList();

    QLineEdit* txtColumn = nullptr;
    QLineEdit* txtLength = nullptr;
    QListWidget* lstSchema = nullptr;
    QLineEdit* txtBackup = nullptr;
    QPushButton* cmdSelect = nullptr;
    QPushButton* cmdProcess = nullptr;
    QPushButton* cmdCancel = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr;

    // Sets the position, icon and caption and arms the deferred start.
    void Form_Load();

public slots:
    void Timer1_Timer();
    void cmdProcess_Click();
    void cmdSelect_Click();
    void cmdCancel_Click();
    void StatusBar1_Click();

protected:
    void done(int result) override;
    void closeEvent(class QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Unload();

    std::string project_;
    QtForm* form_ = nullptr;
    bool unloaded_ = false;
};
