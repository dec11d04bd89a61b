// The linkage reading window: the directories whose design files are scanned, the report
// file, and the scan that writes the discipline and partition of each design file into the
// linkage report.
#pragma once

#include "designfiles/LinkageReport.h"

#include <QWidget>

#include <string>
#include <vector>

class QLineEdit;
class QListWidget;
class QPushButton;
class QStatusBar;
class QTimer;

class frmReadLinkages : public QWidget {
    Q_OBJECT

public:
    // The main window's button: shows the one window (a new one loads its settings; an open
    // one only comes to the front).
    static frmReadLinkages* ShowWindow();
    static frmReadLinkages* Instance();

    ~frmReadLinkages() override;

    std::vector<std::string> dirs() const;
    LinkageReport& report() { return report_; }
    bool isRunning() const { return running_; }

    QListWidget* lstDirs = nullptr;
    QPushButton* cmdAddNew = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdRemoveAll = nullptr;
    QLineEdit* txtReportFile = nullptr;
    QPushButton* cmdSelectFile = nullptr;
    QPushButton* cmdProcess = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* Timer1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;

public slots:
    void Timer1_Timer();
    void cmdAddNew_Click();
    void cmdRemove_Click();
    void cmdRemoveAll_Click();
    void cmdSelectFile_Click();
    void txtReportFile_Change();
    void cmdProcess_Click();
    void cmdClose_Click();

protected:
    // Form_Unload: ends Excel and saves the directory list; refused while a scan runs.
    void closeEvent(class QCloseEvent* event) override;

private:
    frmReadLinkages();
    bool IsDirInList(const std::string& dir) const;

    LinkageReport report_;
    bool running_ = false;
};
