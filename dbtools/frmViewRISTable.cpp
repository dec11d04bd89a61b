// The table viewer window: schema history, table load, cell edit with read-back, layout.
#include "dbtools/frmViewRISTable.h"

#include "ui/qt/ListForm.h"
#include "dbaccess/CRIS.h"
#include "dbtools/RISTableColumns.h"
#include "dbtools/RISTableFilter.h"
#include "dbtools/RISTableUpdate.h"
#include "dbtools/SchemaHistory.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtWindowPlacement.h"
#include "services/AppGlobals.h"
#include "services/HourglassPointer.h"
#include "services/MessageService.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kTwipsPerPixel = QtWindowPlacement::kTwipsPerPixel;

// The viewer's boxes are plain ones with the program's title.
int Box(const std::string& prompt, long style)
{
    return MessageService::Get().Show(prompt, style, kAppTitle);
}

// A drop-down list that tells before it drops down.
class DropDownCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforeDropDown;
    void showPopup() override
    {
        if (beforeDropDown)
            beforeDropDown();
        QComboBox::showPopup();
    }
};

QString MainWindowCaption()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Form1")
            return w->windowTitle();
    return kAppTitle;
}

} // namespace

frmViewRISTable::frmViewRISTable(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmViewRISTable");
    setWindowTitle("Edit RIS Tables");
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumWidth(7000 / kTwipsPerPixel);
    resize(800, 560);
    auto* top = new QVBoxLayout(this);
    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel("Schema:", this), 0, 0);
    auto* schema = new DropDownCombo(this);
    schema->beforeDropDown = [this] { cmbSchema_DropDown(); };
    cmbSchema = schema;
    cmbSchema->setObjectName("cmbSchema");
    cmbSchema->setEditable(true);
    cmbSchema->setInsertPolicy(QComboBox::NoInsert);
    lists->addWidget(cmbSchema, 1, 0);
    lists->addWidget(new QLabel("Table:", this), 0, 1);
    cmbTables = new QComboBox(this);
    cmbTables->setObjectName("cmbTables");
    lists->addWidget(cmbTables, 1, 1);
    top->addLayout(lists);
    TDBGrid = new ListForm(this);
    TDBGrid->setWindowFlags(Qt::Widget);
    TDBGrid->setObjectName("TDBGrid");
    TDBGrid->layout()->setContentsMargins(0, 0, 0, 0);
    top->addWidget(TDBGrid, 1);
    TDBGrid->filterRule = [this](Recordset* rs, const std::vector<ListFilterCell>& cells) {
        return RISTableFilter::Apply(rs, FromQString(cmbTables->currentText()), cells);
    };
    TDBGrid->SetBeforeColUpdate(
        [this](int column, const Variant& oldValue, std::string& text) { return TDBGrid_BeforeColUpdate(column, oldValue, text); });
    cmbSchema->installEventFilter(this);
    connect(cmbSchema, &QComboBox::activated, this, &frmViewRISTable::cmbSchema_Click);
    connect(cmbTables, &QComboBox::activated, this, &frmViewRISTable::cmbTables_Click);
    QtForm::Attach(this);
}

void frmViewRISTable::Form_Load()
{
    setWindowTitle(MainWindowCaption() + " [EditRISTables]");
    TDBGrid->TDBGridCaption->setText("Please select one table");
    SetComboDropDownHeight();
}

bool frmViewRISTable::SetComboDropDownHeight()
{
    const int pixels = 4 * 1440 / kTwipsPerPixel;
    cmbTables->view()->setMinimumHeight(pixels);
    cmbTables->setMaxVisibleItems(std::max(1, pixels / std::max(1, cmbTables->view()->sizeHintForRow(0))));
    return true;
}

void frmViewRISTable::cmbSchema_DropDown()
{
    HourglassPointer wait;
    const QString text = cmbSchema->currentText();
    const QSignalBlocker block(cmbSchema);
    cmbSchema->clear();
    for (const std::string& name : SchemaHistory::Read(gIniFile))
        cmbSchema->addItem(ToQString(name));
    cmbSchema->setEditText(text);
}

void frmViewRISTable::cmbSchema_Click()
{
    cmbSchema_LostFocus();
}

void frmViewRISTable::cmbSchema_LostFocus()
{
    const std::string text = FromQString(cmbSchema->currentText());
    if (text == schema_)
        return;
    HourglassPointer wait;
    schema_ = text;
    try {
        cmbTables->clear();
        cmbTables_Click();
        for (const std::string& table : gCRIS->DBGetTables(text, false))
            if (!table.empty())
                cmbTables->addItem(ToQString(table));
        cmbTables->setCurrentIndex(-1);
        SchemaHistory::Remember(gIniFile, text);
    } catch (const AppError& e) {
        Box(RISErrorLine(e.description()), MsgStyle::OkOnly);
    }
}

void frmViewRISTable::cmbTables_Click()
{
    HourglassPointer wait;
    const std::string table = cmbTables->currentIndex() < 0 ? std::string() : FromQString(cmbTables->currentText());
    if (table.empty()) {
        TDBGrid->Unbind();
    } else {
        try {
            TDBGrid->Bind(gCRIS->DBRead(schema_, "SELECT * FROM " + table + ";", 3));
        } catch (const AppError& e) {
            TDBGrid->Unbind();
            // Every failure is shown: an unexplained empty grid would read as an empty table.
            Box(RISErrorLine(e.description()), MsgStyle::OkOnly);
        }
    }
    TDBGrid_FilterChange();
    Form_Resize();
}

void frmViewRISTable::TDBGrid_FilterChange()
{
    TDBGrid->TDBGrid_FilterChange();
}

void frmViewRISTable::TDBGrid_HeadClick(int column)
{
    TDBGrid->TDBGrid_HeadClick(column);
    Form_Resize();
}

bool frmViewRISTable::TDBGrid_BeforeColUpdate(int column, const Variant& oldValue, std::string& text)
{
    if (Box("Update table ?", MsgStyle::YesNo | MsgStyle::Critical | MsgStyle::DefaultButton2) != MsgAnswer::Yes)
        return false;
    HourglassPointer wait;
    try {
        std::vector<RISTableField> fields;
        RISTableRow row;
        RISTableUpdate::ReadEditedRow(TDBGrid->ListRecordset(), static_cast<size_t>(column), oldValue, fields, row);
        text = RISTableUpdate::PrepareCellText(text);
        const std::string table = FromQString(cmbTables->currentText());
        // Only an edit of exactly the one row shown is written.
        RISTableUpdate::RequireOneRow(schema_, table, RISTableUpdate::ViewerCondition(fields, row));
        const RISTableEdit edit = RISTableUpdate::WriteAndLook(
            schema_, table, fields, static_cast<size_t>(column), row, text,
            RISTableUpdate::ViewerStatement(table, fields, static_cast<size_t>(column), row, text));
        if (!edit.message.empty())
            Box(edit.message, MsgStyle::OkOnly);
        // The look has read the cell back with the row's other values: it shows the value as the
        // server stored it only when the row holds it.
        if (edit.outcome.Done())
            text = edit.stored.value_or("");
        return edit.outcome.Done();
    } catch (const AppError& e) {
        Box(RISErrorLine(e.description()), MsgStyle::OkOnly);
        return false;
    }
}

void frmViewRISTable::Form_Resize()
{
    if (!isMinimized())
        FitRISTableColumns(TDBGrid->TDBGrid);
}

bool frmViewRISTable::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cmbSchema && event->type() == QEvent::FocusOut)
        cmbSchema_LostFocus();
    return QWidget::eventFilter(watched, event);
}

void frmViewRISTable::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmViewRISTable::closeEvent(QCloseEvent* event)
{
    schema_.clear();
    event->accept();
}
