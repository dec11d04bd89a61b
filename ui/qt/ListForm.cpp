// The list window: grid, filter row, header-click sort, and the one-window rule of the lists.
#include "ui/qt/ListForm.h"

#include "ui/qt/ListFilter.h"
#include "platform/AppError.h"
#include "ui/qt/QtText.h"
#include "services/HourglassPointer.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QPointer<ListForm> gListForm;


} // namespace

ListForm::ListForm(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("ListForm");
    setWindowTitle("Ausgabeliste");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(420, 480);
    auto* layout = new QVBoxLayout(this);
    TDBGridCaption = new QLabel(this);
    TDBGridCaption->setObjectName("TDBGridCaption");
    TDBGridCaption->setAlignment(Qt::AlignCenter);
    layout->addWidget(TDBGridCaption);
    filterRow_ = new QHBoxLayout;
    filterRow_->setSpacing(0);
    layout->addLayout(filterRow_);
    TDBGrid = new QTableWidget(this);
    TDBGrid->setObjectName("TDBGrid");
    TDBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    TDBGrid->horizontalHeader()->setStretchLastSection(true);
    TDBGrid->horizontalHeader()->setSectionsClickable(true);
    layout->addWidget(TDBGrid);
    connect(TDBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, &ListForm::TDBGrid_HeadClick);
    // The filter cells stand above their columns and follow their widths.
    connect(TDBGrid->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int section, int, int size) {
                if (section >= 0 && section < static_cast<int>(filterCells.size()))
                    filterCells[static_cast<size_t>(section)]->setFixedWidth(size);
            });
    connect(TDBGrid, &QTableWidget::itemChanged, this, &ListForm::TDBGrid_ItemChanged);
}

ListForm::~ListForm()
{
    // The grid outlives this part of the window while the children go: it must no longer reach
    // the filter cells.
    disconnect(TDBGrid->horizontalHeader(), nullptr, this, nullptr);
    Form_Unload();
}

Recordset& ListForm::ListRecordset()
{
    if (!recordset_)
        recordset_ = std::make_unique<Recordset>();
    return *recordset_;
}

void ListForm::clearFilterRow()
{
    while (QLayoutItem* item = filterRow_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    filterCells.clear();
}

void ListForm::Bind(Recordset rs)
{
    if (!(rs.BOF() && rs.Eof()))
        rs.MoveFirst();
    ListRecordset() = std::move(rs);
    Bind();
}

void ListForm::Bind()
{
    Recordset& rs = ListRecordset();
    clearFilterRow();
    const std::vector<FieldInfo>& fields = rs.FieldInfos();
    TDBGrid->setColumnCount(static_cast<int>(fields.size()));
    QStringList headings;
    for (const FieldInfo& f : fields) {
        headings << ToQString(f.name);
        auto* cell = new QLineEdit(this);
        cell->setObjectName("filter_" + ToQString(f.name));
        cell->setPlaceholderText("Filter");
        filterRow_->addWidget(cell);
        filterCells.push_back(cell);
        connect(cell, &QLineEdit::textChanged, this, &ListForm::TDBGrid_FilterChange);
    }
    TDBGrid->setHorizontalHeaderLabels(headings);
    filterRow_->setContentsMargins(TDBGrid->verticalHeader()->sizeHint().width() + TDBGrid->frameWidth(), 0, 0, 0);
    filterRow_->addStretch();
    fillRows();
}

void ListForm::SetBeforeColUpdate(BeforeColUpdate hook)
{
    beforeColUpdate_ = std::move(hook);
    TDBGrid->setEditTriggers(beforeColUpdate_ ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                                    QAbstractItemView::AnyKeyPressed
                                              : QAbstractItemView::NoEditTriggers);
}

void ListForm::Unbind()
{
    Form_Unload();
    clearFilterRow();
    const QSignalBlocker block(TDBGrid);
    TDBGrid->setRowCount(0);
    TDBGrid->setColumnCount(0);
    rowBookmarks_.clear();
    TDBGridCaption->clear();
}

void ListForm::TDBGrid_ItemChanged(QTableWidgetItem* item)
{
    const int row = item->row();
    const int column = item->column();
    if (!beforeColUpdate_ || !recordset_ || recordset_->State() != adStateOpen || row < 0 ||
        row >= static_cast<int>(rowBookmarks_.size()))
        return;
    Recordset& rs = *recordset_;
    Variant oldValue;
    try {
        rs.SetBookmark(rowBookmarks_[static_cast<size_t>(row)]);
        oldValue = rs.Fields()[column].Value();
    } catch (const AppError&) {
        return; // the row is no longer in the recordset's view
    }
    std::string text = FromQString(item->text());
    const bool stands = beforeColUpdate_(column, oldValue, text);
    const QSignalBlocker block(TDBGrid);
    if (!stands) {
        item->setText(oldValue.IsNull() ? QString() : ToQString(oldValue.ToText()));
        return;
    }
    item->setText(ToQString(text));
    try {
        rs.SetBookmark(rowBookmarks_[static_cast<size_t>(row)]);
        rs.Fields()[column].SetValue(text.empty() ? Variant::Null() : Variant(text));
    } catch (const AppError&) {
        // The table has the value; the copy keeps its old one until the table is read again.
    }
}

void ListForm::fillRows()
{
    const QSignalBlocker block(TDBGrid);
    TDBGrid->setRowCount(0);
    rowBookmarks_.clear();
    if (!recordset_ || recordset_->State() != adStateOpen)
        return;
    Recordset& rs = *recordset_;
    const int columns = static_cast<int>(rs.FieldInfos().size());
    int row = 0;
    if (rs.RecordCount() > 0) {
        const long current = rs.Eof() || rs.BOF() ? -1 : rs.Bookmark();
        TDBGrid->setRowCount(static_cast<int>(rs.RecordCount()));
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext(), ++row) {
            rowBookmarks_.push_back(rs.Bookmark());
            for (int c = 0; c < columns; ++c) {
                const Variant v = rs.Fields()[c].Value();
                TDBGrid->setItem(row, c, new QTableWidgetItem(v.IsNull() ? QString() : ToQString(v.ToText())));
            }
        }
        if (current >= 0)
            rs.SetBookmark(current);
        else
            rs.MoveFirst();
    }
}

QString ListForm::cellText(int row, int column) const
{
    const QTableWidgetItem* item = TDBGrid->item(row, column);
    return item ? item->text() : QString();
}

int ListForm::rowCount() const
{
    return TDBGrid->rowCount();
}

void ListForm::TDBGrid_FilterChange()
{
    HourglassPointer wait;
    std::vector<ListFilterCell> cells;
    if (recordset_) {
        const std::vector<FieldInfo>& fields = recordset_->FieldInfos();
        for (size_t i = 0; i < fields.size() && i < filterCells.size(); ++i)
            cells.push_back({fields[i].name, fields[i].type, FromQString(filterCells[i]->text())});
    }
    const int column = TDBGrid->currentColumn();
    TDBGridCaption->setText(
        ToQString(filterRule ? filterRule(recordset_.get(), cells) : ListFilter::Apply(recordset_.get(), cells)));
    fillRows();
    if (column >= 0)
        TDBGrid->setCurrentCell(TDBGrid->currentRow(), column);
}

void ListForm::TDBGrid_HeadClick(int column)
{
    HourglassPointer wait;
    if (!recordset_ || recordset_->State() != adStateOpen || column < 0 ||
        column >= static_cast<int>(recordset_->FieldInfos().size()))
        return;
    try {
        recordset_->SetSort(sort_.Click(column, recordset_->FieldInfos()[static_cast<size_t>(column)].name));
        fillRows();
    } catch (const AppError&) {
        // A sort the recordset refuses leaves the grid as it was.
    }
}

void ListForm::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void ListForm::Form_Unload()
{
    if (recordset_ && recordset_->State() == adStateOpen)
        recordset_->Close();
    recordset_.reset();
}

ListForm* CurrentListForm()
{
    return gListForm.data();
}

ListForm* ShowListForm(const std::string& caption, const std::function<Recordset()>& fill)
{
    HourglassPointer wait;
    if (gListForm) {
        gListForm->close();
        delete gListForm.data();
    }
    gListForm = new ListForm;
    ListForm* form = gListForm.data();
    form->show();
    form->setWindowTitle(ToQString(caption));
    try {
        form->Bind(fill());
        form->TDBGrid_FilterChange();
    } catch (const AppError& e) {
        form->TDBGrid_FilterChange();
        ShowMessage(e.description(), MsgStyle::OkOnly);
    }
    return form;
}
