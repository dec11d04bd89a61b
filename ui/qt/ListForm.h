// The list window: a read-only grid over an in-memory recordset, with a filter row above the
// columns, sorting by a click on a column header, and the record count as the grid's caption.
#pragma once

#include "ui/qt/ListFilter.h"
#include "ui/qt/ListSort.h"
#include "platform/ado/Recordset.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTableWidget;

class ListForm : public QWidget {
    Q_OBJECT

public:
    explicit ListForm(QWidget* parent = nullptr);
    ~ListForm() override;

    // The window's recordset, made on first use; closed and released when the window closes.
    Recordset& ListRecordset();
    bool hasRecordset() const { return recordset_ != nullptr; }

    // Binds the grid to ListRecordset: one column per field, headed by the field's name, one
    // filter cell above each, the rows the recordset's filter leaves in its sort order.
    void Bind();
    // Takes rs as the window's recordset on its first record and binds the grid to it.
    void Bind(Recordset rs);

    // The grid's text of a cell, and its number of rows (for callers and tests).
    QString cellText(int row, int column) const;
    int rowCount() const;

    // Hooks for a window that embeds the grid (the table editor).
    // The rule that puts the filter cells on the recordset and gives the caption;
    // ListFilter::Apply when not set.
    std::function<std::string(Recordset*, const std::vector<ListFilterCell>&)> filterRule;
    // Makes the cells editable: each changed cell is offered to the hook with the recordset on
    // the cell's row, the column and the cell's old value; the hook answers whether the change
    // stands and may alter the text the cell keeps. A change that stands is stored in the
    // recordset (an empty text as Null); one that does not gets the old text back.
    using BeforeColUpdate = std::function<bool(int column, const Variant& oldValue, std::string& text)>;
    void SetBeforeColUpdate(BeforeColUpdate hook);
    // Closes and drops the recordset and empties the grid: no columns, no filter cells, no caption.
    void Unbind();

    QLabel* TDBGridCaption = nullptr;
    QTableWidget* TDBGrid = nullptr;
    std::vector<QLineEdit*> filterCells;

public slots:
    // Filters the recordset by the filter cells and sets the caption.
    void TDBGrid_FilterChange();
    // Sorts by the clicked column (index from 0).
    void TDBGrid_HeadClick(int column);

protected:
    void closeEvent(class QCloseEvent* event) override;
    bool eventFilter(QObject* watched, class QEvent* event) override;

private:
    void Form_Unload();
    void fillRows();
    void clearFilterRow();
    // Puts each filter cell exactly over its column as the grid lays out, resizes and scrolls.
    void placeFilterCells();
    void TDBGrid_ItemChanged(class QTableWidgetItem* item);

    std::unique_ptr<Recordset> recordset_;
    ListSort sort_;
    BeforeColUpdate beforeColUpdate_;
    std::vector<long> rowBookmarks_; // the record of each grid row
    QWidget* filterBar_ = nullptr;      // the strip above the grid
    QWidget* filterViewport_ = nullptr; // its part over the grid's columns, clipping the cells
};

// Replaces the one list window by a new one, shown modeless with the caption, bound to the
// recordset that fill returns. A failure of fill is shown in a message box; the window stays
// with what had been filled. The window deletes itself when closed.
ListForm* ShowListForm(const std::string& caption, const std::function<Recordset()>& fill);
// The list window in place, or nullptr.
ListForm* CurrentListForm();
