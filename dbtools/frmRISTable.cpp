// The table editor window: lists, deferred start, table load, cell edit, layout, settings.
#include "dbtools/frmRISTable.h"

#include "ui/qt/ListForm.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/SchemaLists.h"
#include "dbtools/AllProjectSchemas.h"
#include "dbtools/RISTableColumns.h"
#include "dbtools/RISTableFilter.h"
#include "dbtools/RISTableUpdate.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtText.h"
#include "ui/qt/QtWindowPlacement.h"
#include "services/IniFile.h"
#include "services/HourglassPointer.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QPointer<frmRISTable> gRISTable;

// Entries in alphabetical order without regard to case, none selected.
void FillSorted(QComboBox* list, std::vector<std::string> names)
{
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return ToLower(a) < ToLower(b); });
    const QSignalBlocker block(list);
    list->clear();
    for (const std::string& n : names)
        if (!n.empty())
            list->addItem(ToQString(n));
    list->setCurrentIndex(-1);
}

// Selects the entry of that text (letter case ignored), or none.
void SelectEntry(QComboBox* list, const std::string& text)
{
    const QSignalBlocker block(list);
    list->setCurrentIndex(text.empty() ? -1 : list->findText(ToQString(text), Qt::MatchFixedString));
}

std::string TextOf(const QComboBox* list)
{
    return list->currentIndex() < 0 ? std::string() : FromQString(list->currentText());
}

QComboBox* AddList(QGridLayout* grid, QWidget* parent, int column, const char* name, const char* label)
{
    grid->addWidget(new QLabel(label, parent), 0, column);
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->setEditable(false);
    grid->addWidget(list, 1, column);
    return list;
}

QIcon MainWindowIcon()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "Form1")
            return w->windowIcon();
    return {};
}

} // namespace

frmRISTable::frmRISTable(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmRISTable");
    setWindowTitle("RIS table");
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 560);
    auto* top = new QVBoxLayout(this);
    auto* lists = new QGridLayout;
    cmbProject = AddList(lists, this, 0, "cmbProject", "Project:");
    cmbSchema = AddList(lists, this, 1, "cmbSchema", "Schema:");
    cmbTable = AddList(lists, this, 2, "cmbTable", "Table:");
    top->addLayout(lists);
    TDBGrid = new ListForm(this);
    TDBGrid->setWindowFlags(Qt::Widget);
    TDBGrid->setObjectName("TDBGrid");
    TDBGrid->layout()->setContentsMargins(0, 0, 0, 0);
    top->addWidget(TDBGrid, 1);
    TDBGrid->filterRule = [this](Recordset* rs, const std::vector<ListFilterCell>& cells) {
        return RISTableFilter::Apply(rs, TextOf(cmbTable), cells);
    };
    TDBGrid->SetBeforeColUpdate(
        [this](int column, const Variant& oldValue, std::string& text) { return TDBGrid_BeforeColUpdate(column, oldValue, text); });
    TDBGrid->TDBGridCaption->clear();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &frmRISTable::Timer1_Timer);
    connect(cmbProject, &QComboBox::activated, this, &frmRISTable::cmbProject_Click);
    connect(cmbSchema, &QComboBox::activated, this, &frmRISTable::cmbSchema_Click);
    connect(cmbTable, &QComboBox::activated, this, &frmRISTable::cmbTable_Click);
    QtForm::Attach(this);
}

frmRISTable* frmRISTable::Current()
{
    return gRISTable.data();
}

frmRISTable* frmRISTable::ShowMe(const std::string& project)
{
    if (gRISTable) {
        gRISTable->show();
        gRISTable->raise();
        gRISTable->activateWindow();
        return gRISTable.data();
    }
    gRISTable = new frmRISTable;
    gRISTable->project_ = project;
    gRISTable->Form_Load();
    gRISTable->show();
    return gRISTable.data();
}

void frmRISTable::Form_Load()
{
    try {
        setWindowIcon(MainWindowIcon());
        RestoreWindowPos(this);
        Timer1->start(1);
    } catch (const AppError& e) {
        ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
    }
}

void frmRISTable::Timer1_Timer()
{
    Timer1->stop();
    HourglassPointer wait;
    try {
        FillSorted(cmbProject, GetSchemas(true));
        FillSorted(cmbSchema, {});
        FillSorted(cmbTable, {});
    } catch (const AppError& e) {
        ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
        return;
    }
    const std::string section = FromQString(objectName()) + "_PST";
    SelectEntry(cmbProject, project_.empty() ? ReadIniValue(GetIniFileName(), section, "Project", "") : project_);
    cmbProject_Click();
    SelectEntry(cmbSchema, ReadIniValue(GetIniFileName(), section, "Schema", ""));
    cmbSchema_Click();
    SelectEntry(cmbTable, ReadIniValue(GetIniFileName(), section, "Table", ""));
    cmbTable_Click();
}

void frmRISTable::cmbProject_Click()
{
    HourglassPointer wait;
    const std::string project = TextOf(cmbProject);
    try {
        if (!project.empty()) {
            const std::vector<std::string> schemas = GetAllProjectSchemas(project);
            FillSorted(cmbSchema, schemas);
            FillSorted(cmbTable, {});
        }
        ClearGrid();
    } catch (const AppError& e) {
        ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
    }
}

void frmRISTable::cmbSchema_Click()
{
    HourglassPointer wait;
    const std::string schema = TextOf(cmbSchema);
    try {
        if (!schema.empty()) {
            ShowStatus("Getting tables of schema '" + schema + "' ...");
            std::vector<std::string> tables = gCRIS->DBGetTables(schema, false);
            tables.erase(std::remove(tables.begin(), tables.end(), std::string()), tables.end());
            FillSorted(cmbTable, tables);
            ShowStatus(std::to_string(tables.size()) + " tables found");
        }
        ClearGrid();
    } catch (const AppError& e) {
        ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
    }
}

void frmRISTable::cmbTable_Click()
{
    HourglassPointer wait;
    const std::string table = TextOf(cmbTable);
    if (table.empty())
        return;
    try {
        TDBGrid->Bind(DBReadRecordset(TextOf(cmbSchema), "SELECT * FROM " + table + ";"));
    } catch (const AppError& e) {
        TDBGrid->Unbind();
        ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
    }
    TDBGrid_FilterChange();
    Form_Resize();
}

void frmRISTable::ClearGrid()
{
    TDBGrid->Unbind();
    Form_Resize();
}

void frmRISTable::TDBGrid_FilterChange()
{
    TDBGrid->TDBGrid_FilterChange();
}

void frmRISTable::TDBGrid_HeadClick(int column)
{
    TDBGrid->TDBGrid_HeadClick(column);
}

bool frmRISTable::TDBGrid_BeforeColUpdate(int column, const Variant& oldValue, std::string& text)
{
    if (ShowMessage("Update table?", MsgStyle::YesNo | MsgStyle::Critical | MsgStyle::DefaultButton2) != MsgAnswer::Yes)
        return false;
    HourglassPointer wait;
    try {
        std::vector<RISTableField> fields;
        RISTableRow row;
        RISTableUpdate::ReadEditedRow(TDBGrid->ListRecordset(), static_cast<size_t>(column), oldValue, fields, row);
        text = RISTableUpdate::PrepareCellText(text);
        const std::string table = TextOf(cmbTable);
        // The grid cannot tell alike rows apart (nor '' from Null), so the rows the condition
        // matches are counted first: only an edit of exactly one row is written.
        RISTableUpdate::RequireOneRow(TextOf(cmbSchema), table, RISTableUpdate::EditorCondition(fields, row));
        const RISTableEdit edit = RISTableUpdate::WriteAndLook(
            TextOf(cmbSchema), table, fields, static_cast<size_t>(column), row, text,
            RISTableUpdate::Build(table, fields, static_cast<size_t>(column), row, text));
        if (!edit.message.empty())
            ShowMessage(edit.message, MsgStyle::OkOnly);
        // The cell shows what the table holds: the value as stored when the row was read with it,
        // so that the next edit of the row finds it.
        if (edit.outcome.Done())
            text = edit.stored.value_or("");
        return edit.outcome.Done();
    } catch (const AppError& e) {
        ShowMessage(RISErrorLine(e.description()), MsgStyle::OkOnly);
        return false;
    }
}

void frmRISTable::Form_Resize()
{
    if (!isMinimized())
        FitRISTableColumns(TDBGrid->TDBGrid);
}

void frmRISTable::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void frmRISTable::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void frmRISTable::Form_Unload()
{
    SaveWindowPos(this);
    const std::string section = FromQString(objectName()) + "_PST";
    WriteIniValue(GetIniFileName(), section, "Project", TextOf(cmbProject));
    WriteIniValue(GetIniFileName(), section, "Schema", TextOf(cmbSchema));
    WriteIniValue(GetIniFileName(), section, "Table", TextOf(cmbTable));
}
