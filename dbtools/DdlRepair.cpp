// Statement building and the common frame of the three repair actions.
#include "dbtools/DdlRepair.h"

#include "dbaccess/DumpFormat.h"
#include "dbaccess/SqlLiteral.h"
#include "dbtools/DdlCheck.h"
#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/DdlFile.h"
#include "dbtools/DdlMessageArgs.h"
#include "dbaccess/RISErrorReader.h"
#include "dbtools/SchemaChangeMark.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Variant.h"
#include "services/ChangeOutcome.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>
#include <vector>

namespace {

const char* emptyResultText(DdlRepairAction action)
{
    switch (action) {
    case DdlRepairAction::AddColumns:
        return "No columns to add found";
    case DdlRepairAction::DropTables:
        return "No tables to drop found, check the checkbox of corresponding tables please";
    case DdlRepairAction::DeleteModels:
        break;
    }
    return "No models to delete found, check the checkbox of corresponding models please";
}

bool parentKeyIs(const CheckTreeNode& node, const char* key) { return node.parent && node.parent->key == key; }

// A column type as DDL files write it: words, sizes and scales ("char(20)", "decimal(8,2)",
// "double precision"), nothing that could end the statement or open a literal.
bool isPlainColumnType(const std::string& type)
{
    if (Trim(type).empty())
        return false;
    for (char ch : type)
        if (!(std::isalnum(static_cast<unsigned char>(ch)) || ch == '_' || ch == ' ' || ch == '(' || ch == ')' ||
              ch == ','))
            return false;
    return true;
}

std::string addColumnStatement(const CheckTreeNode& node, std::vector<std::string>* refused)
{
    if (!IsColumnNode(&node) || !node.parent || !node.parent->parent ||
        node.parent->parent->key != DdlRoot::kHasColNotInDB)
        return {};
    const std::string table = node.parent->key.substr(5);
    if (table.empty())
        return {};
    const std::string name = GetFieldName(node.text);
    const std::string type = Trim(node.text).substr(name.size());
    if (!IsIdentifier(table) || !IsIdentifier(name) || !isPlainColumnType(type)) {
        ShowStatus("Error: column '" + node.text + "' of table '" + table + "' cannot be added, its name or type is not valid");
        if (refused)
            refused->push_back("'" + node.text + "' of " + table);
        return {};
    }
    return "ALTER TABLE " + table + " ADD " + node.text + ";";
}

std::string dropTableStatement(const CheckTreeNode& node, std::vector<std::string>* refused)
{
    if (!node.checked || !parentKeyIs(node, DdlRoot::kNoModels))
        return {};
    const std::string table = node.key.substr(5);
    if (table.empty())
        return {};
    if (!IsIdentifier(table)) {
        ShowStatus("Error: table '" + table + "' cannot be dropped, its name is not valid");
        if (refused)
            refused->push_back("'" + table + "'");
        return {};
    }
    return "DROP TABLE " + table + ";";
}

// The two statements that delete one model: its row of pdtable_113, then its partition's row
// of pdtable_114; and the count of the rows the first one would delete.
struct ModelDeletion {
    std::string model;
    std::string partition;
    std::string fromModels;
    std::string fromPartitions;
    std::string countModels;
    std::vector<std::string> missing; // the model's piping tables the check did not find
};

// The tables the check found missing, from the node's text "<model> - <tables> not found in dd
// schema"; a model whose row went before (its partition left) had none of them.
std::vector<std::string> missingTablesOf(const CheckTreeNode& node, const std::string& partition)
{
    const std::string& text = node.text;
    const size_t dash = text.rfind(" - ");
    if (text.ends_with(kNotFoundInDd) && dash != std::string::npos)
        return Split(text.substr(dash + 3, text.size() - dash - 3 - std::string(kNotFoundInDd).size()), ",");
    std::vector<std::string> all;
    for (const char* number : kPipingTableNumbers)
        all.push_back("pdtable_" + std::string(number) + "_" + partition);
    return all;
}

// Looked at right before the model goes, under the design schema's mark: why it must stay when
// its tables do not stand missing as the check found them (another program's change had them
// dropped for a moment, or the schema changed since); empty when they do. A table stands when the
// listing or the dictionary names it (Tables): one answer leaving it out never lets the model go.
std::string tablesNotAsChecked(DdlDatabase& db, const std::string& designSchema, const ModelDeletion& d)
{
    std::vector<std::string> tables;
    try {
        tables = db.Tables(designSchema);
    } catch (const AppError& e) {
        return "the tables of " + designSchema + " could not be listed again: " + RISErrorLine(e.description());
    }
    std::vector<std::string> standing, missingNow;
    for (const char* number : kPipingTableNumbers) {
        const std::string table = "pdtable_" + std::string(number) + "_" + d.partition;
        (ContainsNoCase(tables, table) ? standing : missingNow).push_back(table);
    }
    const auto sameSet = [](std::vector<std::string> a, std::vector<std::string> b) {
        for (auto* v : {&a, &b}) {
            for (std::string& t : *v)
                t = ToLower(Trim(t));
            std::sort(v->begin(), v->end());
        }
        return a == b;
    };
    if (missingNow.empty())
        return "its tables stand in " + designSchema + " again: " + Join(standing, ", ");
    if (!sameSet(missingNow, d.missing))
        return "its tables in " + designSchema + " changed since the check (missing now: " + Join(missingNow, ", ") +
               "), check again";
    return {};
}

std::optional<ModelDeletion> modelDeletion(const CheckTreeNode& node)
{
    if (!node.checked || !parentKeyIs(node, DdlRoot::kNoTables))
        return std::nullopt;
    long discipline = -1;
    std::string model;
    ParseModelNodeKey(node, discipline, model);
    const std::optional<double> partition = ParseNumberText(node.tag);
    if (Trim(node.tag).empty() || !partition) {
        ShowStatus("Error: partition number not found for model " + model);
        return std::nullopt;
    }
    // The tag goes into the statement as the number it stands for, the model number as a
    // quoted literal: neither is ever read as SQL.
    const std::string p = FormatNumberText(*partition);
    const std::string where =
        " WHERE discipline_indx_no=1 AND model_no='" + SqlEscapeQuotes(model) + "' AND partition_no=" + p + ";";
    return ModelDeletion{model,
                         p,
                         "DELETE FROM pdtable_113" + where,
                         "DELETE FROM pdtable_114 WHERE partition_no=" + p + ";",
                         "SELECT count(*) AS ROWCOUNTS FROM pdtable_113" + where,
                         missingTablesOf(node, p)};
}

std::vector<ModelDeletion> modelDeletions(const CheckTree& tree)
{
    std::vector<ModelDeletion> deletions;
    for (const CheckTreeNode* node : tree.Nodes())
        if (std::optional<ModelDeletion> d = modelDeletion(*node))
            deletions.push_back(std::move(*d));
    return deletions;
}

// A count a delete or its look is decided on: from all the rows the server holds, never from a
// read short of some.
long long countRows(DdlDatabase& db, const std::string& schema, const std::string& sql)
{
    Recordset rs = db.ReadWhole(schema, sql);
    if (rs.RecordCount() < 1)
        throw AppError(1, "", "the count gave no answer");
    return rs.Fields()[0].Value().ToLong();
}

std::string partitionCount(const char* table, const std::string& partition)
{
    return std::string("SELECT count(*) AS ROWCOUNTS FROM ") + table + " WHERE partition_no=" + partition + ";";
}

// The statements run; the client's failure on one line, empty when none.
std::string writeOrFailure(DdlDatabase& db, const std::string& schema, const std::string& statements)
{
    try {
        db.Write(schema, statements);
        return {};
    } catch (const AppError& e) {
        return e.description().empty() ? std::string("the client failed without a message")
                                       : RISErrorLine(e.description());
    }
}

// One DELETE of the model's deletion through change-and-look: after every call, also one that
// ended well, the look counts the rows the statement takes (none left: done; as many as before:
// not done).
ChangeOutcome deleteAndLook(DdlDatabase& db, const std::string& schema, const std::string& statement,
                            const std::string& countSql, long long before, const std::string& rowsText)
{
    return ChangeAndLook(
        [&] { return writeOrFailure(db, schema, statement); },
        [&](std::string& seen) {
            const long long left = countRows(db, schema, countSql);
            if (left == 0) {
                seen = rowsText + " is gone";
                return ChangeState::Done;
            }
            seen = rowsText + " is still there";
            return left == before ? ChangeState::NotDone : ChangeState::NotKnown;
        },
        LookAfter::EveryCall);
}

// What became of one model, for the closing message (empty when it went without a failure).
struct ModelResult {
    std::string text;
    bool leftover = false; // its row of pdtable_114 stands without its row of pdtable_113
};

// Its row of pdtable_114 only: the model's row of pdtable_113 went in an earlier run whose
// delete of the partition failed; no row of pdtable_113 uses the partition any more.
ModelResult deleteLeftPartition(DdlDatabase& db, const std::string& schema, const ModelDeletion& d,
                                const std::string& partition, long long partitions)
{
    const std::string rowsText = "the row of partition " + partition + " in pdtable_114";
    const ChangeOutcome o =
        deleteAndLook(db, schema, d.fromPartitions, partitionCount("pdtable_114", partition), partitions, rowsText);
    if (!o.Failed()) {
        ShowStatus("Model " + d.model + ": the row of partition " + partition +
                   " left in pdtable_114 was deleted");
        return {};
    }
    return {"Model " + d.model + ": " + o.Describe("the DELETE of " + rowsText + " (its row of pdtable_113 was gone already)"),
            !o.Done()};
}

ModelResult deleteModel(DdlDatabase& db, const std::string& schema, const std::string& designSchema,
                        const ModelDeletion& d, std::vector<std::string>& kept)
{
    // Looked at right before anything of the model goes.
    const auto tablesStand = [&] {
        const std::string why = tablesNotAsChecked(db, designSchema, d);
        if (!why.empty()) {
            ShowStatus("Error: model " + d.model + " not deleted: " + why + ", nothing was changed for it");
            kept.push_back(d.model + " (" + why + ")");
        }
        return !why.empty();
    };
    const std::string& partition = d.partition;
    long long found = 0;
    try {
        found = countRows(db, schema, d.countModels);
    } catch (const AppError& e) {
        return {"Model " + d.model + " not deleted, nothing was changed for it: its rows of pdtable_113 could not be "
                "counted: " + RISErrorLine(e.description())};
    }
    if (found == 0) {
        // Not found as written: a model whose row of pdtable_113 went while its partition's row
        // stayed is finished; any other is left alone.
        try {
            const long long users = countRows(db, schema, partitionCount("pdtable_113", partition));
            const long long partitions = countRows(db, schema, partitionCount("pdtable_114", partition));
            if (users == 0 && partitions > 0)
                return tablesStand() ? ModelResult{} : deleteLeftPartition(db, schema, d, partition, partitions);
        } catch (const AppError& e) {
            ShowStatus("Model " + d.model + ": partition " + partition + " could not be looked up: " +
                       RISErrorLine(e.description()));
        }
    }
    if (found != 1) {
        const std::string why = found < 1 ? std::string("no row of pdtable_113 holds it")
                                          : std::to_string(found) + " rows of pdtable_113 hold it";
        ShowStatus("Error: model " + d.model + " not deleted: " + why + ", nothing was changed for it");
        kept.push_back(d.model + " (" + why + ")");
        return {};
    }
    if (tablesStand())
        return {};
    // The count the client reports cannot tell more than the rows counted again afterwards.
    const ChangeOutcome models = deleteAndLook(db, schema, d.fromModels, d.countModels, 1, "its row of pdtable_113");
    std::string text;
    if (models.Failed())
        text = "Model " + d.model + ": " + models.Describe("the DELETE of its row of pdtable_113");
    if (!models.Done())
        return {text + " Its row of pdtable_114 (partition " + partition + ") was kept."};
    // The model's row is gone. Its partition's row follows, also after a failed call, unless
    // another model row still uses the partition, or whether one does cannot be told.
    std::string users;
    try {
        const long long others = countRows(db, schema, partitionCount("pdtable_113", partition));
        if (others > 0)
            users = std::to_string(others) + " other row(s) of pdtable_113 use it";
    } catch (const AppError& e) {
        users = "whether another row of pdtable_113 uses it could not be told: " + RISErrorLine(e.description());
    }
    if (!users.empty())
        return {(text.empty() ? "Model " + d.model + ": its row of pdtable_113 was deleted." : text) +
                " Its row of pdtable_114 (partition " + partition + ") was kept: " + users + "."};
    const ChangeOutcome partitions = deleteAndLook(db, schema, d.fromPartitions, partitionCount("pdtable_114", partition),
                                                   1, "the row of partition " + partition + " in pdtable_114");
    if (!partitions.Failed())
        return {text.empty() ? std::string() : text + " Its row of pdtable_114 was deleted."};
    text += (text.empty() ? "Model " + d.model + ": its row of pdtable_113 was deleted; " : std::string(" ")) +
            partitions.Describe("the DELETE of its row of pdtable_114");
    if (!partitions.Done())
        text += " A new check offers it again to delete what is left.";
    return {text, !partitions.Done()};
}

// Each model goes whole or not at all: its rows are counted first, and only a model whose key
// matches exactly one row of pdtable_113 is deleted; its partition's row is deleted only after
// exactly that row went. A model registered twice (or not found as written: a model number the
// listing trimmed, a row deleted meanwhile) is left as it is and named at the end. A failed call
// is looked after (the rows are counted again) and the run goes on with the next model.
void deleteModels(DdlCheckContext& c, const std::string& schema, const std::string& designSchema,
                  const std::vector<ModelDeletion>& deletions)
{
    std::vector<std::string> kept;
    std::vector<std::string> failures;
    for (const ModelDeletion& d : deletions) {
        const ModelResult r = deleteModel(c.db, schema, designSchema, d, kept);
        if (r.leftover)
            c.partitionsLeft[d.partition] = d.model;
        else
            c.partitionsLeft.erase(d.partition);
        if (r.text.empty())
            continue;
        ShowStatus(r.text);
        failures.push_back(r.text);
    }
    if (!kept.empty())
        failures.push_back("Models not deleted, nothing was changed for them: " + Join(kept, ", ") +
                           " (see the program log)");
    if (!failures.empty())
        throw AppError(1, "", Join(failures, "\r\n"));
}

// The drop's statements without those of tables whose model stands in the project schema now,
// each named in modelled. Raises when the models cannot be read whole (a read short of a row
// would take a model's tables for orphans): nothing is dropped then.
std::string withoutTablesOfModels(DdlDatabase& db, const std::string& projectSchema, const std::string& statements,
                                  std::vector<std::string>& modelled)
{
    std::set<std::pair<long, long>> models; // discipline, partition
    try {
        Recordset rs = db.ReadWhole(projectSchema, kDdlModelQuery);
        if (rs.RecordCount() > 0)
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                models.emplace(rs.Fields()["discipline_indx_no"].Value().ToLong(),
                               rs.Fields()["partition_no"].Value().ToLong());
    } catch (const AppError& e) {
        throw AppError(1, "", "The models of " + projectSchema + " could not be read again before the drop: " +
                                  RISErrorLine(e.description()) + ". Nothing was dropped.");
    }
    std::vector<std::string> run;
    for (const std::string& line : Split(statements, "\r\n")) {
        const std::string table = line.substr(11, line.size() - 12); // "DROP TABLE <table>;"
        const std::vector<std::string> parts = Split(table, "_");
        const std::optional<double> number = parts.size() == 3 ? ParseNumberText(parts[1]) : std::nullopt;
        const std::optional<double> partition = parts.size() == 3 ? ParseNumberText(parts[2]) : std::nullopt;
        if (number && partition &&
            models.count({DisciplineOfTableNumber(*number), static_cast<long>(*partition)})) {
            ShowStatus("Error: table '" + table + "' not dropped: its model stands in " + projectSchema + " now");
            modelled.push_back(table);
            continue;
        }
        run.push_back(line);
    }
    return Join(run, "\r\n");
}

// The views the drop left that no dump of the schema can make, said after it: a view reading a
// dropped table stands on, and every restore of a later dump would miss it. Empty when none.
std::string viewsLeftText(DdlDatabase& db, const std::string& schema)
{
    std::vector<std::string> warnings;
    try {
        warnings = db.ViewWarnings(schema);
    } catch (const AppError& e) {
        return "Warning: the views of " + schema + " could not be looked at after the drop (" +
               RISErrorLine(e.description()) + "); a view that reads a dropped table makes no dump of " + schema +
               " load whole.";
    }
    std::string text;
    for (const std::string& w : warnings)
        text += (text.empty() ? "" : " ") + std::string("Warning: ") + w + (w.ends_with('.') ? "" : ".");
    if (!text.empty())
        ShowStatus(text);
    return text;
}

// The mark of the schema a repair changes is held until its look has spoken: raises, with
// nothing changed, when it could not be taken (another change runs on the schema, or one that
// did not end left it not whole). A repair cut off leaves what a new check shows.
void holdMark(SchemaChangeMark& mark, const std::string& what)
{
    if (!mark.Refusal().empty())
        throw AppError(1, "", SchemaChangeMark::RefusedText(what, mark.Refusal()));
    mark.Step("its statements", true, {{"if cut off", "a new check shows what is left to repair"}});
}

// The statements of drop tables or add columns in one batch. After the call, also one that ended
// well, the design schema is read again: which tables are gone, which columns are there.
void runBatch(DdlCheckContext& c, DdlRepairAction action, const std::string& schema, const std::string& statements)
{
    std::vector<std::pair<std::string, std::string>> items; // table, column ("" for a drop)
    for (const std::string& line : Split(statements, "\r\n")) {
        const std::vector<std::string> words = Split(line, " ");
        if (action == DdlRepairAction::DropTables && words.size() >= 3)
            items.emplace_back(words[2].substr(0, words[2].size() - 1), std::string());
        else if (action == DdlRepairAction::AddColumns && words.size() >= 5)
            items.emplace_back(words[2], words[4]);
    }
    const ChangeOutcome o = ChangeAndLook(
        [&] { return writeOrFailure(c.db, schema, statements); },
        [&](std::string& seen) {
            std::vector<std::string> done, notDone;
            const std::vector<std::string> tables = c.db.Tables(schema);
            for (const auto& [table, column] : items) {
                bool there = ContainsNoCase(tables, table);
                if (!column.empty() && there) {
                    const std::vector<std::string> cols = c.db.Columns(schema, table, true);
                    there = std::any_of(cols.begin(), cols.end(),
                                        [&](const std::string& col) {
                                            return EqualsNoCase(DumpFormat::ParseColumnEntry(col).name, column);
                                        });
                }
                const std::string name = column.empty() ? table : table + "." + column;
                (there == column.empty() ? notDone : done).push_back(name);
            }
            const char* doneWord = action == DdlRepairAction::DropTables ? "gone" : "added";
            const char* notWord = action == DdlRepairAction::DropTables ? "still there" : "not added";
            if (!done.empty())
                seen = doneWord + std::string(": ") + Join(done, ", ");
            if (!notDone.empty())
                seen += (seen.empty() ? "" : "; ") + std::string(notWord) + ": " + Join(notDone, ", ");
            return notDone.empty() ? ChangeState::Done : done.empty() ? ChangeState::NotDone : ChangeState::NotKnown;
        },
        LookAfter::EveryCall);
    if (!o.Failed())
        return;
    const std::string what = action == DdlRepairAction::DropTables ? "the drop of the checked tables from " + schema
                                                                    : "the adding of the missing columns to " + schema;
    std::string text = o.Describe(what);
    if (!o.Done())
        text += " A new check shows what is left to repair.";
    throw AppError(1, "", text);
}

} // namespace

bool IsColumnNode(const CheckTreeNode* node)
{
    if (!node)
        return false;
    const std::string& key = node->key;
    return key.rfind("Table", 0) == 0 && key.find("Column", 5) != std::string::npos;
}

void ParseModelNodeKey(const CheckTreeNode& node, long& discipline, std::string& model)
{
    discipline = -1;
    model.clear();
    const std::string& key = node.key;
    const size_t at = key.find("Model");
    if (at == std::string::npos)
        return;
    if (at >= 10) {
        const std::optional<double> d = ParseNumberText(key.substr(10, at - 10));
        if (d && *d == static_cast<long>(*d))
            discipline = static_cast<long>(*d);
    }
    model = Trim(key.substr(at + 5));
}

std::string BuildRepairStatements(const CheckTree& tree, DdlRepairAction action, std::vector<std::string>* refused)
{
    std::string statements;
    for (const CheckTreeNode* node : tree.Nodes()) {
        std::string s;
        switch (action) {
        case DdlRepairAction::AddColumns:
            s = addColumnStatement(*node, refused);
            break;
        case DdlRepairAction::DropTables:
            s = dropTableStatement(*node, refused);
            break;
        case DdlRepairAction::DeleteModels:
            if (const std::optional<ModelDeletion> d = modelDeletion(*node))
                s = d->fromModels + "\r\n" + d->fromPartitions;
            break;
        }
        if (s.empty())
            continue;
        if (!statements.empty())
            statements += "\r\n";
        statements += s;
    }
    return statements;
}

void RunRepairAction(DdlCheckContext& c, DdlRepairAction action)
{
    auto setStatus = [&](const std::string& text) {
        if (c.setStatusText)
            c.setStatusText(text);
    };
    if (DropCheckOfOtherProject(c)) {
        // The findings belong to a project that is no longer current: nothing to repair on
        // either one until the next check.
        setStatus(kDdlStartText);
        return;
    }
    // The project of the check the tree holds (the current one, checked above).
    auto project = [&] { return c.checkedProject ? *c.checkedProject : c.project ? c.project() : std::string(); };
    std::optional<AppError> failure;
    std::string warned; // what a run that did its work leaves the user to know
    try {
        if (c.enableButtons)
            c.enableButtons(false);
        switch (action) {
        case DdlRepairAction::AddColumns:
            setStatus("Adding not existing columns to design schema: 'dd_" + project() + "' ...");
            break;
        case DdlRepairAction::DropTables:
            setStatus("Dropping tables from dd schema ...");
            break;
        case DdlRepairAction::DeleteModels:
            setStatus("Delete piping models from pdtable_113, pdtable_114 ...");
            break;
        }
        if (action == DdlRepairAction::DeleteModels) {
            const std::vector<ModelDeletion> deletions = modelDeletions(c.tree);
            if (deletions.empty())
                throw AppError(1, "", emptyResultText(action));
            if (ShowMessage("Are you sure?", MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) ==
                MsgAnswer::Yes) {
                const std::string schema = "pd_" + project(), designSchema = "dd_" + project();
                const std::string what = "the deletion of the checked models from " + schema;
                // The design schema's mark too: no change may drop or bring back its tables
                // between the look at them and the delete.
                SchemaChangeMark designMark(designSchema, what);
                holdMark(designMark, what);
                SchemaChangeMark mark(schema, what);
                holdMark(mark, what);
                deleteModels(c, schema, designSchema, deletions);
            }
        } else {
            std::vector<std::string> refused;
            const std::string statements = BuildRepairStatements(c.tree, action, &refused);
            // What the names refused leave out is said in the box, whatever becomes of the rest.
            const std::string left =
                refused.empty() ? std::string()
                                : (action == DdlRepairAction::AddColumns
                                       ? "Not added, its name or type is not valid: "
                                       : "Not dropped, its name is not valid: ") +
                                      Join(refused, ", ") + " (see the program log).";
            if (statements.empty())
                throw AppError(1, "", refused.empty() ? emptyResultText(action) : left);
            if (ShowMessage("Are you sure?", MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) ==
                MsgAnswer::Yes) {
                const std::string schema = "dd_" + project();
                const std::string what = action == DdlRepairAction::AddColumns
                                             ? "the adding of the missing columns to " + schema
                                             : "the drop of the checked tables from " + schema;
                SchemaChangeMark mark(schema, what);
                holdMark(mark, what);
                std::string toRun = statements, notRun = left;
                std::optional<SchemaChangeMark> projectMark;
                if (action == DdlRepairAction::DropTables) {
                    // The models too stay as they are until the drop has been looked at, and a
                    // table whose model stands now (a load brought it back since the check) stays.
                    projectMark.emplace("pd_" + project(), what);
                    holdMark(*projectMark, what);
                    std::vector<std::string> modelled;
                    toRun = withoutTablesOfModels(c.db, "pd_" + project(), statements, modelled);
                    if (!modelled.empty())
                        notRun += (notRun.empty() ? "" : " ") + std::string("Not dropped, its model stands in pd_") +
                                  project() + " now: " + Join(modelled, ", ") + " (check again).";
                    if (toRun.empty())
                        throw AppError(1, "", notRun);
                }
                // Also a failed batch may have changed the schema.
                c.designSchemaChanged = true;
                const auto withViewsLeft = [&](const std::string& text) {
                    if (action != DdlRepairAction::DropTables)
                        return text;
                    const std::string views = viewsLeftText(c.db, schema);
                    return views.empty() ? text : text.empty() ? views : text + " " + views;
                };
                try {
                    runBatch(c, action, schema, toRun);
                } catch (const AppError& e) {
                    throw AppError(e.number(), e.source(),
                                   withViewsLeft(notRun.empty() ? e.description() : e.description() + " " + notRun));
                }
                if (!notRun.empty())
                    throw AppError(1, "", withViewsLeft((action == DdlRepairAction::AddColumns
                                                             ? "The other missing columns were added to dd_"
                                                             : "The other checked tables were dropped from dd_") +
                                                        project() + ". " + notRun));
                warned = withViewsLeft("");
                if (!warned.empty())
                    warned = "The checked tables were dropped from " + schema + ". " + warned;
            }
        }
    } catch (const AppError& e) {
        failure = e;
    } catch (const std::exception& e) {
        failure = AppError(1, kAppTitle, e.what());
    }
    if (failure) {
        std::string description = failure->description();
        const std::string text = RISErrorLine(ddl::ReplaceMessageArgs(description, true));
        setStatus(text);
        ShowMessage(text, MsgStyle::OkOnly);
        ShowStatus(text);
    } else if (!warned.empty()) {
        setStatus(warned);
        ShowMessage(warned, MsgStyle::OkOnly);
    } else {
        setStatus("Ready");
    }
    if (c.enableButtons)
        c.enableButtons(true);
}
