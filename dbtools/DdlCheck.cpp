// The design schema check behind the DDL check window's check button.
#include "dbtools/DdlCheck.h"

#include "dbaccess/DbBase.h"
#include "dbaccess/DumpFormat.h"
#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/DdlFile.h"
#include "dbtools/DdlMessageArgs.h"
#include "dbtools/DdlReport.h"
#include "dbtools/SchemaChangeMark.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <algorithm>
#include <optional>

namespace {

[[noreturn]] void fail(const std::string& description) { throw AppError(1, "", description); }

bool isNumeric(const std::string& text) { return !Trim(text).empty() && ParseNumberText(text).has_value(); }

// One run of the check; the members are the run's state.
class CheckRun {
public:
    explicit CheckRun(DdlCheckContext& c) : c_(c) {}

    void Run();

private:
    std::string project() const { return c_.project ? c_.project() : std::string(); }
    std::string designSchema() const { return "dd_" + project(); }
    // Shown in the status bar and logged.
    void status(const std::string& text)
    {
        statusLine(text);
        ShowStatus(text);
    }
    void statusLine(const std::string& text)
    {
        statusText_ = text;
        if (c_.setStatusText)
            c_.setStatusText(text);
    }
    CheckTreeNode& root(const char* key, const std::string& text)
    {
        if (CheckTreeNode* n = c_.tree.Find(key))
            return *n;
        return c_.tree.Add("", key, text);
    }
    CheckTreeNode& childOf(const std::string& parentKey, const std::string& key, const std::string& text)
    {
        if (CheckTreeNode* n = c_.tree.Find(key))
            return *n;
        return c_.tree.Add(parentKey, key, text);
    }

    void steps();
    std::string modelOfTable(const std::string& table);
    void tableWithoutModel(const std::string& table);
    void tableWithModel(const std::string& table, const std::string& model);
    void compareColumn(const std::string& table, const std::string& model, const std::string& definition,
                       const std::vector<std::string>& dbColumns);
    void addMissingColumn(const std::string& table, const std::string& model, const std::string& definition);
    void addTypeMismatch(const std::string& table, const std::string& model, const std::string& definition,
                         const std::string& text);
    void pipingCheck();
    void leftPartitions(const std::string& tableText);
    void offerReport();

    DdlCheckContext& c_;
    std::string statusText_;
    bool columnsListed_ = false;   // the run flag: the first column listing is asked for fresh
    bool listAllFresh_ = false;    // after a repair every listing is asked for fresh
    std::vector<std::string> ddlColumns_;
    std::vector<std::string> tables_;
    std::optional<Recordset> models_;
    std::optional<Recordset> counts_;
};

void CheckRun::Run()
{
    if (c_.enableButtons)
        c_.enableButtons(false);
    c_.tree.Clear();
    // The repairs act on the project checked here; a change of project during the run
    // leaves a tree that no repair may take (DropCheckOfOtherProject).
    c_.checkedProject = project();
    std::optional<AppError> failure;
    try {
        steps();
    } catch (const AppError& e) {
        failure = e;
    } catch (const std::exception& e) {
        failure = AppError(1, kAppTitle, e.what());
    }
    if (!c_.tree.Nodes().empty())
        c_.normalNodeColor = c_.tree.Nodes().front()->backColor;
    if (failure) {
        std::string description = failure->description();
        statusLine(RISErrorLine(ddl::ReplaceMessageArgs(description, true)));
        ShowMessage(statusText_, MsgStyle::OkOnly);
    } else {
        statusLine(c_.tree.Count() == 0 ? "Database is correct" : "Ready");
    }
    CloseRecordset(models_, false);
    CloseRecordset(counts_, false);
    ShowStatus(statusText_);
    if (c_.enableButtons)
        c_.enableButtons(true);
}

void CheckRun::steps()
{
    // A change of either schema under way in another program (a column change has its tables
    // dropped until it loads them again) would be read as tables or models missing.
    const std::vector<std::string> schemas = {designSchema(), "pd_" + project()};
    std::vector<RunMark::Seen> marksBefore;
    std::vector<std::string> notes;
    for (const std::string& schema : schemas) {
        marksBefore.push_back(RunMark::Look("schema " + ToLower(schema)));
        if (marksBefore.back().state == RunMark::State::Held)
            fail(SchemaChangeMark::RefusedText("the check of " + designSchema(),
                                               RunMark::RunningText(marksBefore.back().fields) +
                                                   " is under way on schema " + schema));
        if (const std::string left = SchemaChangeMark::LeftUnfinished(schema); !left.empty())
            notes.push_back("Schema " + schema + ": " + left + ". What the check finds there may be that change's "
                            "half work");
    }

    status("Getting project directory for project: '" + project() + "' ...");
    const std::string directory = c_.db.ProjectDirectory(project());
    if (!IsFileExists(directory, 1))
        fail("Project directory: '" + directory + "' not found");

    status("Reading database definition from: '" + directory + "design.ddl' ...");
    ddlColumns_ = ReadDDLFile(directory + "design.ddl");
    status("Reading database definition from: '" + directory + "eqp.ddl' ...");
    const std::vector<std::string> equipment = ReadDDLFile(directory + "eqp.ddl");
    ddlColumns_.insert(ddlColumns_.end(), equipment.begin(), equipment.end());
    if (ddlColumns_.empty() || ddlColumns_.front().empty())
        fail("No database definition data in ddl-files found");

    status("Getting list of tables from design schema: '" + designSchema() + "' ...");
    tables_ = c_.db.Tables(designSchema());
    if (SafeUBound(tables_) < 0 || tables_.front().empty())
        fail("No tables in design schema: '" + designSchema() + "' found");

    statusLine("Getting model information...");
    models_ = c_.db.Read("pd_" + project(), kDdlModelQuery);
    if (models_->RecordCount() == 0)
        fail("Could not get model data");

    listAllFresh_ = c_.designSchemaChanged;
    for (const std::string& table : tables_) {
        if (Split(table, "_").size() != 3)
            continue;   // not a model table
        const std::string model = modelOfTable(table);
        if (model.empty())
            tableWithoutModel(table);
        else
            tableWithModel(table, model);
    }
    c_.designSchemaChanged = false;
    pipingCheck();
    // A change that began meanwhile may have had tables dropped while they were listed.
    for (size_t i = 0; i < schemas.size(); ++i) {
        const RunMark::Seen after = RunMark::Look("schema " + ToLower(schemas[i]));
        if (after.state != RunMark::State::Free &&
            (after.state != marksBefore[i].state ||
             RunMark::Field(after.fields, "process") != RunMark::Field(marksBefore[i].fields, "process") ||
             RunMark::Field(after.fields, "started") != RunMark::Field(marksBefore[i].fields, "started")))
            notes.push_back(RunMark::RunningText(after.fields) + " began on schema " + schemas[i] +
                            " during the check: its findings may not stand, check again when it has ended");
    }
    if (!notes.empty()) {
        const std::string text = Join(notes, ".\r\n") + ".";
        ShowStatus(text);
        ShowMessage(text, MsgStyle::OkOnly | MsgStyle::Exclamation);
    }
    offerReport();
}

// The model number of the model that the table's number and partition name, or empty.
std::string CheckRun::modelOfTable(const std::string& table)
{
    const std::vector<std::string> parts = Split(table, "_");
    if (!isNumeric(parts[1]) || !isNumeric(parts[2]))
        return {};
    const int discipline = DisciplineOfTableNumber(*ParseNumberText(parts[1]));
    // The partition as a plain number, so that the filter never receives the name's own text.
    const std::string partition = FormatNumberText(*ParseNumberText(parts[2]));
    models_->SetFilter("discipline_indx_no=" + std::to_string(discipline) + " AND partition_no=" + partition);
    if (models_->RecordCount() == 0)
        return {};
    models_->MoveFirst();
    const Variant number = models_->Fields()["model_no"].Value();
    if (number.IsNull() || Trim(number.ToText()).empty()) {
        // A model row without a number still is the table's model: its data must not be
        // offered for dropping as an orphan.
        ShowStatus("Model of table '" + table + "' has no model_no in pdtable_113");
        return "(model_no not defined)";
    }
    return number.ToText();
}

void CheckRun::tableWithoutModel(const std::string& table)
{
    // Nothing of this step may end the run: a failing count leaves the count at 0.
    std::string rowCount = "0";
    try {
        root(DdlRoot::kNoModels, "Table from dd schema, whose related model is not found in database (pdtable_113)");
    } catch (const AppError&) {
    }
    try {
        CloseRecordset(counts_, false);
        // The name comes from the schema's listing; it is still refused unless it is a plain
        // identifier, so that no text of it is ever run as SQL.
        if (!IsIdentifier(table))
            throw AppError(1, "", "Table name '" + table + "' is no identifier");
        counts_ = c_.db.Read(designSchema(), "SELECT count(*) AS ROWCOUNTS FROM " + table + ";");
        if (counts_->RecordCount() > 0) {
            counts_->MoveFirst();
            rowCount = counts_->Fields()["ROWCOUNTS"].Value().ToText();
        }
    } catch (const AppError& e) {
        ShowStatus("Row count of table '" + table + "' failed: " + RISErrorLine(e.description()));
    }
    try {
        c_.tree.Add(DdlRoot::kNoModels, "Table" + table, table + " - " + rowCount + " row(s)");
    } catch (const AppError&) {
    }
}

void CheckRun::tableWithModel(const std::string& table, const std::string& model)
{
    status("Checking columns against database definition file for table: '" + table + "' ...");
    const std::vector<std::string> dbColumns = c_.db.Columns(designSchema(), table, !columnsListed_ || listAllFresh_);
    columnsListed_ = true;
    bool described = false;
    for (const std::string& entry : ddlColumns_) {
        const size_t bar = entry.find('|');
        const std::string number = entry.substr(0, bar);
        if (table.find("pdtable_" + number + "_") != std::string::npos) {
            described = true;
            const std::string definition =
                NormaliseDdlTypeWords(bar == std::string::npos ? std::string() : entry.substr(bar + 1));
            compareColumn(table, model, definition, dbColumns);
        }
        DoEvents();
    }
    if (described) {
        status("Table is correct");
        DoEvents();
        return;
    }
    root(DdlRoot::kNotChecked, DdlRoot::kNotChecked);
    if (!c_.tree.Contains("NotCheckedTable" + table))
        c_.tree.Add(DdlRoot::kNotChecked, "NotCheckedTable" + table, table);
    DoEvents();
}

void CheckRun::compareColumn(const std::string& table, const std::string& model, const std::string& definition,
                             const std::vector<std::string>& dbColumns)
{
    const std::string name = GetFieldName(definition);
    auto found = std::find_if(dbColumns.begin(), dbColumns.end(), [&](const std::string& c) {
        return EqualsNoCase(DumpFormat::ParseColumnEntry(c).name, name);
    });
    if (found == dbColumns.end()) {
        addMissingColumn(table, model, definition);
        return;
    }
    // The type alone: the column's NOT NULL is no part of it.
    const DumpColumn db = DumpFormat::ParseColumnEntry(*found);
    bool dbIsCharacter = false;
    const int dbSize = GetFieldSize(db.name + " " + db.type, dbIsCharacter);
    const std::vector<std::string> parts = Split(definition, " ");
    if (parts.size() < 2)
        return;
    const std::string ddlType = ToLower(definition.substr(parts[0].size()));
    const bool ddlIsCharacter = ddlType.find("char") != std::string::npos ||
                                ddlType.find("upper_case") != std::string::npos ||
                                ddlType.find("lower_case") != std::string::npos;
    if (dbIsCharacter != ddlIsCharacter) {
        addTypeMismatch(table, model, definition, definition + " - data type false: 'String' is defined in DB");
    } else if (dbIsCharacter) {
        bool unused = false;
        const int ddlSize = GetFieldSize(definition, unused);
        if (ddlSize != dbSize)
            addTypeMismatch(table, model, definition,
                            definition + " - data type false: (DDL)char(" + std::to_string(ddlSize) + ") <> (DB)char(" +
                                std::to_string(dbSize) + ")");
    }
}

void CheckRun::addMissingColumn(const std::string& table, const std::string& model, const std::string& definition)
{
    try {
        root(DdlRoot::kHasColNotInDB, "Table from dd schema, which has columns that do not exist in database");
        childOf(DdlRoot::kHasColNotInDB, "Table" + table, table + " - " + model);
        const std::string key = "Table" + table + "Column" + definition;
        if (!c_.tree.Contains(key))
            c_.tree.Add("Table" + table, key, definition);
    } catch (const AppError&) {
    }
}

void CheckRun::addTypeMismatch(const std::string& table, const std::string& model, const std::string& definition,
                               const std::string& text)
{
    try {
        root(DdlRoot::kTypeMismatch,
             "Information only: Table from dd schema, which has columns with mismatching type in database");
        childOf(DdlRoot::kTypeMismatch, "TypeMismatchTable" + table, table + " - " + model);
        const std::string key = "Table" + table + "Column" + definition;
        if (!c_.tree.Contains(key))
            c_.tree.Add("TypeMismatchTable" + table, key, text);
    } catch (const AppError&) {
    }
}

void CheckRun::pipingCheck()
{
    status("Checking piping model tables ...");
    const std::string tableText = ToLower("," + Join(tables_, ",") + ",");
    models_->ClearFilter();
    if (models_->RecordCount() > 0)
        models_->MoveFirst();
    for (; !models_->Eof(); models_->MoveNext()) {
        const Variant discipline = models_->Fields()["discipline_indx_no"].Value();
        const Variant model = models_->Fields()["model_no"].Value();
        const Variant partition = models_->Fields()["partition_no"].Value();
        if (discipline.ToText() == "1") {
            if (model.IsNull() || partition.IsNull() || Trim(partition.ToText()).empty()) {
                ShowStatus("Piping model row without model_no or partition_no in pdtable_113 passed over");
            } else {
                std::string missing;
                for (const char* number : kPipingTableNumbers) {
                    const std::string name = "pdtable_" + std::string(number) + "_" + partition.ToText();
                    if (tableText.find("," + ToLower(name) + ",") == std::string::npos)
                        missing += (missing.empty() ? "" : ",") + name;
                }
                if (!missing.empty()) {
                    try {
                        root(DdlRoot::kNoTables,
                             "Piping models from pdtable113, whose related tables are not found in database (dd schema)");
                        const std::string key = "Discipline" + discipline.ToText() + "Model" + model.ToText();
                        if (!c_.tree.Contains(key)) {
                            CheckTreeNode& node = c_.tree.Add(DdlRoot::kNoTables, key,
                                                              model.ToText() + " - " + missing + kNotFoundInDd);
                            node.tag = partition.ToText();
                        }
                    } catch (const AppError&) {
                    }
                }
            }
        }
        DoEvents();
    }
    leftPartitions(tableText);
}

// Partitions of pdtable_114 that no row of pdtable_113 uses and that have none of the piping
// tables: what a delete of a model left when its partition's row could not go. They are offered
// with the models, so the repair can finish them.
void CheckRun::leftPartitions(const std::string& tableText)
{
    auto partitionsOf = [&](const char* table) {
        std::vector<std::string> found;
        Recordset rs = c_.db.Read("pd_" + project(), std::string("SELECT partition_no FROM ") + table + ";");
        if (rs.RecordCount() > 0)
            rs.MoveFirst();
        for (; !rs.Eof(); rs.MoveNext())
            found.push_back(Trim(rs.Fields()["partition_no"].Value().ToText()));
        return found;
    };
    std::vector<std::string> left;
    try {
        const std::vector<std::string> used = partitionsOf("pdtable_113");
        for (const std::string& p : partitionsOf("pdtable_114"))
            if (!p.empty() && std::find(used.begin(), used.end(), p) == used.end() &&
                std::find(left.begin(), left.end(), p) == left.end())
                left.push_back(p);
    } catch (const AppError& e) {
        ShowStatus("Partitions of pdtable_114 without a model not looked for: " + RISErrorLine(e.description()));
        return;
    }
    for (const std::string& p : left) {
        bool anyTable = false;
        for (const char* number : kPipingTableNumbers)
            anyTable = anyTable || tableText.find(",pdtable_" + std::string(number) + "_" + p + ",") != std::string::npos;
        if (anyTable)
            continue;
        const auto known = c_.partitionsLeft.find(p);
        const std::string model = known != c_.partitionsLeft.end() ? known->second : "(partition " + p + ")";
        try {
            root(DdlRoot::kNoTables,
                 "Piping models from pdtable113, whose related tables are not found in database (dd schema)");
            const std::string key = "Discipline1Model" + model;
            if (c_.tree.Contains(key))
                continue;
            CheckTreeNode& node = c_.tree.Add(DdlRoot::kNoTables, key,
                                              model + " - its row of pdtable_113 is gone, its row of pdtable_114 "
                                                      "(partition " + p + ") is left");
            node.tag = p;
        } catch (const AppError&) {
        }
    }
}

void CheckRun::offerReport()
{
    if (c_.tree.Count() == 0)
        return;
    if (ShowMessage("Would you like to make an Excel report of the checking results?",
                    MsgStyle::YesNo | MsgStyle::Question) != MsgAnswer::Yes)
        return;
    const std::string path = Tree2Excel(c_.tree, project());
    long result = 0;
    ShellExec("Open", path, "", "", result);
}

} // namespace

std::string NormaliseDdlTypeWords(const std::string& definition)
{
    const size_t blank = definition.find(' ');
    if (blank == std::string::npos)
        return definition;
    std::string type = definition.substr(blank);
    type = ReplaceAll(type, "integer", "int");
    type = ReplaceAll(type, "character", "char");
    type = ReplaceAll(type, "short", "smallint");
    return definition.substr(0, blank) + type;
}

int DisciplineOfTableNumber(double tableNumber)
{
    for (double t : {12.0, 34.0, 50.0, 67.0, 80.0})
        if (tableNumber == t)
            return 1;
    if (tableNumber >= 21 && tableNumber <= 28 && tableNumber == static_cast<int>(tableNumber))
        return 2;
    return 0;
}

void RunDdlCheck(DdlCheckContext& context)
{
    CheckRun(context).Run();
}

bool DropCheckOfOtherProject(DdlCheckContext& context)
{
    if (!context.checkedProject)
        return false;
    const std::string current = context.project ? context.project() : std::string();
    if (current == *context.checkedProject)
        return false;
    context.tree.Clear();
    context.checkedProject.reset();
    return true;
}
