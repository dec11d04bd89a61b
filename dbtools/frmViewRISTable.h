// The older table viewer: a schema typed or picked from the last six used, a table of it in
// the grid, filtered, sorted and edited cell by cell with a read-back of each change.
#pragma once

#include "platform/ado/Variant.h"

#include <QWidget>

#include <string>

class ListForm;
class QComboBox;

class frmViewRISTable : public QWidget {
    Q_OBJECT

public:
    explicit frmViewRISTable(QWidget* parent = nullptr);

    // Caption from the main window's, the empty grid, the table list's drop-down height.
    void Form_Load();
    // Gives the table list's drop-down part a height of 4 inches; true when nothing failed.
    bool SetComboDropDownHeight();

    void TDBGrid_FilterChange();
    void TDBGrid_HeadClick(int column);

    QComboBox* cmbSchema = nullptr;
    QComboBox* cmbTables = nullptr;
    ListForm* TDBGrid = nullptr;

public slots:
    // Fills the schema list from the history before it drops down.
    void cmbSchema_DropDown();
    void cmbSchema_Click();
    // A schema other than the remembered one: its tables listed and the history updated.
    void cmbSchema_LostFocus();
    void cmbTables_Click();
    void Form_Resize();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(class QCloseEvent* event) override;
    void resizeEvent(class QResizeEvent* event) override;

private:
    bool TDBGrid_BeforeColUpdate(int column, const Variant& oldValue, std::string& text);

    std::string schema_; // the remembered schema name
};
