// The repairs of the design schema from the DDL check's result tree: adding the missing
// columns, dropping the checked tables without model, deleting the checked piping models
// without tables.
#pragma once

#include <string>
#include <vector>

class CheckTree;
struct CheckTreeNode;
struct DdlCheckContext;

enum class DdlRepairAction { AddColumns, DropTables, DeleteModels };

// The action's statements, one per line (CR LF between them), from the tree's nodes in the
// order they were added. Nodes whose names could not be run safely are logged and skipped, and
// named in refused when given.
std::string BuildRepairStatements(const CheckTree& tree, DdlRepairAction action,
                                  std::vector<std::string>* refused = nullptr);

// The button's run: builds the statements, asks "Are you sure?", runs them in one batch on
// the action's schema; models are deleted one by one, each whole or not at all. Errors (a
// model not deleted among them) end in the status bar, a message box and the program log.
void RunRepairAction(DdlCheckContext& context, DdlRepairAction action);

// True when the node exists and its key has the shape "Table*Column*".
bool IsColumnNode(const CheckTreeNode* node);

// Discipline and model number of a model node's key "Discipline<d>Model<m>"; a part that
// cannot be read keeps -1 or empty.
void ParseModelNodeKey(const CheckTreeNode& node, long& discipline, std::string& model);
