// The list window: grid, filter row, header-click sort, and the one-window rule of the lists.
#include "ui/qt/ListForm.h"

#include "ui/qt/ListFilter.h"
#include "platform/AppError.h"
#include "ui/qt/QtText.h"
#include "services/HourglassPointer.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
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
    // The filter cells stand in a strip as wide as the grid; an inner strip over the grid's
    // viewport clips them as the columns scroll beneath.
    filterBar_ = new QWidget(this);
    filterBar_->setObjectName("TDBGridFilterRow");
    filterViewport_ = new QWidget(filterBar_);
    layout->addWidget(filterBar_);
    TDBGrid = new QTableWidget(this);
    TDBGrid->setObjectName("TDBGrid");
    TDBGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TDBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    TDBGrid->horizontalHeader()->setStretchLastSection(true);
    TDBGrid->horizontalHeader()->setSectionsClickable(true);
    layout->addWidget(TDBGrid);
    connect(TDBGrid->horizontalHeader(), &QHeaderView::sectionClicked, this, &ListForm::TDBGrid_HeadClick);
    // Each filter cell follows its column: width, order and the sideways scroll.
    QHeaderView* header = TDBGrid->horizontalHeader();
    connect(header, &QHeaderView::sectionResized, this, &ListForm::placeFilterCells);
    connect(header, &QHeaderView::sectionMoved, this, &ListForm::placeFilterCells);
    connect(header, &QHeaderView::geometriesChanged, this, &ListForm::placeFilterCells);
    connect(TDBGrid->verticalHeader(), &QHeaderView::geometriesChanged, this, &ListForm::placeFilterCells);
    connect(TDBGrid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &ListForm::placeFilterCells);
    TDBGrid->installEventFilter(this);
    TDBGrid->viewport()->installEventFilter(this);
    connect(TDBGrid, &QTableWidget::itemChanged, this, &ListForm::TDBGrid_ItemChanged);
}

ListForm::~ListForm()
{
    // The grid outlives this part of the window while the children go: it must no longer reach
    // the filter cells.
    disconnect(TDBGrid->horizontalHeader(), nullptr, this, nullptr);
    disconnect(TDBGrid->verticalHeader(), nullptr, this, nullptr);
    disconnect(TDBGrid->horizontalScrollBar(), nullptr, this, nullptr);
    TDBGrid->viewport()->removeEventFilter(this);
    TDBGrid->removeEventFilter(this);
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
    for (QLineEdit* cell : filterCells)
        delete cell;
    filterCells.clear();
}

void ListForm::placeFilterCells()
{
    // The columns start after the grid's frame and its row-number column.
    const QRect viewport = TDBGrid->viewport()->geometry();
    const int height = filterCells.empty() ? 0 : filterCells.front()->sizeHint().height();
    filterBar_->setFixedHeight(height);
    filterViewport_->setGeometry(TDBGrid->x() - filterBar_->x() + viewport.x(), 0, viewport.width(), height);
    const QHeaderView* header = TDBGrid->horizontalHeader();
    for (size_t i = 0; i < filterCells.size(); ++i) {
        const int column = static_cast<int>(i);
        QLineEdit* cell = filterCells[i];
        cell->setGeometry(header->sectionViewportPosition(column), 0, header->sectionSize(column), height);
        cell->setVisible(!header->isSectionHidden(column));
    }
}

bool ListForm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == TDBGrid || watched == TDBGrid->viewport()) && (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
                               event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest))
        placeFilterCells();
    return QWidget::eventFilter(watched, event);
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
        auto* cell = new QLineEdit(filterViewport_);
        cell->setObjectName("filter_" + ToQString(f.name));
        cell->setPlaceholderText("Filter");
        cell->show();
        filterCells.push_back(cell);
        connect(cell, &QLineEdit::textChanged, this, &ListForm::TDBGrid_FilterChange);
    }
    TDBGrid->setHorizontalHeaderLabels(headings);
    fillRows();
    placeFilterCells();
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
