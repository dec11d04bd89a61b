// The table editor: pick a project, one of its schemas and a table, and see, filter, sort and
// edit the table in a grid. Modeless; remembers the last choice in the settings file.
#pragma once

#include "platform/ado/Variant.h"

#include <QWidget>

#include <string>
#include <vector>

class ListForm;
class QComboBox;
class QTimer;

class frmRISTable : public QWidget {
    Q_OBJECT

public:
    explicit frmRISTable(QWidget* parent = nullptr);

    // Opens the window for the project (may be empty) and shows it modeless; a window already
    // open is only brought forward. The window deletes itself when closed.
    static frmRISTable* ShowMe(const std::string& project);
    // The open table editor, or nullptr.
    static frmRISTable* Current();

    // Drops the open recordset and empties the grid and its caption.
    void ClearGrid();
    // The filter row's change and the header click of the grid.
    void TDBGrid_FilterChange();
    void TDBGrid_HeadClick(int column);

    QComboBox* cmbProject = nullptr;
    QComboBox* cmbSchema = nullptr;
    QComboBox* cmbTable = nullptr;
    ListForm* TDBGrid = nullptr; // caption, filter row and cells
    QTimer* Timer1 = nullptr;

public slots:
    // The deferred start: project list, then the remembered (or given) project, schema, table.
    void Timer1_Timer();
    void cmbProject_Click();
    void cmbSchema_Click();
    void cmbTable_Click();
    void Form_Resize();

protected:
    void closeEvent(class QCloseEvent* event) override;
    void resizeEvent(class QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Unload();
    // The grid's cell edit: asks, runs the UPDATE on the chosen schema, answers whether the
    // change stands.
    bool TDBGrid_BeforeColUpdate(int column, const Variant& oldValue, std::string& text);

    std::string project_;
};
