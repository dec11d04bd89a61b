// Statement building and the common frame of the three repair actions.
#include "dbtools/DdlRepair.h"

#include "dbaccess/SqlLiteral.h"
#include "dbtools/DdlCheck.h"
#include "dbtools/DdlCheckContext.h"
#include "dbtools/DdlDatabase.h"
#include "dbtools/DdlFile.h"
#include "dbtools/DdlMessageArgs.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "platform/ado/Variant.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <cctype>
#include <optional>
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

std::string addColumnStatement(const CheckTreeNode& node)
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
        return {};
    }
    return "ALTER TABLE " + table + " ADD " + node.text + ";";
}

std::string dropTableStatement(const CheckTreeNode& node)
{
    if (!node.checked || !parentKeyIs(node, DdlRoot::kNoModels))
        return {};
    const std::string table = node.key.substr(5);
    if (table.empty())
        return {};
    if (!IsIdentifier(table)) {
        ShowStatus("Error: table '" + table + "' cannot be dropped, its name is not valid");
        return {};
    }
    return "DROP TABLE " + table + ";";
}

// The two statements that delete one model: its row of pdtable_113, then its partition's row
// of pdtable_114; and the count of the rows the first one would delete.
struct ModelDeletion {
    std::string model;
    std::string fromModels;
    std::string fromPartitions;
    std::string countModels;
};

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
    return ModelDeletion{model, "DELETE FROM pdtable_113" + where, "DELETE FROM pdtable_114 WHERE partition_no=" + p + ";",
                         "SELECT count(*) AS ROWCOUNTS FROM pdtable_113" + where};
}

std::vector<ModelDeletion> modelDeletions(const CheckTree& tree)
{
    std::vector<ModelDeletion> deletions;
    for (const CheckTreeNode* node : tree.Nodes())
        if (std::optional<ModelDeletion> d = modelDeletion(*node))
            deletions.push_back(std::move(*d));
    return deletions;
}

// The rows of pdtable_113 the model's key matches, counted before anything is deleted.
long long modelRows(DdlDatabase& db, const std::string& schema, const ModelDeletion& d)
{
    try {
        Recordset rs = db.Read(schema, d.countModels);
        if (rs.RecordCount() < 1)
            throw AppError(1, "", "the count of its rows of pdtable_113 gave no answer");
        return rs.Fields()[0].Value().ToLong();
    } catch (const AppError& e) {
        throw AppError(e.number(), e.source(), "Model " + d.model + " not deleted: " + e.description());
    }
}

// Each model goes whole or not at all: its rows are counted first, and only a model whose key
// matches exactly one row of pdtable_113 is deleted; its partition's row is deleted only after
// exactly that row went. A model registered twice (or not found as written: a model number the
// listing trimmed, a row deleted meanwhile) is left as it is and named at the end.
void deleteModels(DdlDatabase& db, const std::string& schema, const std::vector<ModelDeletion>& deletions)
{
    std::vector<std::string> kept;
    for (const ModelDeletion& d : deletions) {
        const long long found = modelRows(db, schema, d);
        if (found != 1) {
            const std::string why = found < 1 ? std::string("no row of pdtable_113 holds it")
                                              : std::to_string(found) + " rows of pdtable_113 hold it";
            ShowStatus("Error: model " + d.model + " not deleted: " + why + ", nothing was changed for it");
            kept.push_back(d.model + " (" + why + ")");
            continue;
        }
        int32_t rows = 0;
        try {
            rows = db.Write(schema, d.fromModels);
        } catch (const AppError& e) {
            throw AppError(e.number(), e.source(), "Model " + d.model + " not deleted: " + e.description());
        }
        if (rows != 1) {
            const std::string changed = rows < 0 ? std::string("no reported") : std::to_string(rows);
            ShowStatus("Error: model " + d.model + ": its delete from pdtable_113 changed " + changed +
                       " row(s) instead of one, its row of pdtable_114 is kept");
            kept.push_back(d.model + " (its delete from pdtable_113 changed " + changed + " row(s))");
            continue;
        }
        try {
            db.Write(schema, d.fromPartitions);
        } catch (const AppError& e) {
            throw AppError(e.number(), e.source(),
                           "Model " + d.model + " deleted from pdtable_113 but not from pdtable_114: " +
                               e.description());
        }
    }
    if (!kept.empty())
        throw AppError(1, "", "Models not deleted, nothing was changed for them: " + Join(kept, ", ") +
                                  " (see the program log)");
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

std::string BuildRepairStatements(const CheckTree& tree, DdlRepairAction action)
{
    std::string statements;
    for (const CheckTreeNode* node : tree.Nodes()) {
        std::string s;
        switch (action) {
        case DdlRepairAction::AddColumns:
            s = addColumnStatement(*node);
            break;
        case DdlRepairAction::DropTables:
            s = dropTableStatement(*node);
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
                MsgAnswer::Yes)
                deleteModels(c.db, "pd_" + project(), deletions);
        } else {
            const std::string statements = BuildRepairStatements(c.tree, action);
            if (statements.empty())
                throw AppError(1, "", emptyResultText(action));
            if (ShowMessage("Are you sure?", MsgStyle::YesNo | MsgStyle::Question | MsgStyle::DefaultButton2) ==
                MsgAnswer::Yes) {
                c.db.Write("dd_" + project(), statements);
                c.designSchemaChanged = true;
            }
        }
    } catch (const AppError& e) {
        failure = e;
    } catch (const std::exception& e) {
        failure = AppError(1, kAppTitle, e.what());
    }
    if (failure) {
        std::string description = failure->description();
        const std::string text = ddl::ReplaceMessageArgs(description, true);
        setStatus(text);
        ShowMessage(text, MsgStyle::OkOnly);
        ShowStatus(text);
    } else {
        setStatus("Ready");
    }
    if (c.enableButtons)
        c.enableButtons(true);
}
