// What the DDL check window's logic shares with the window: the result tree, the databases,
// the current project, the status bar, the working buttons and the normal node colour.
#pragma once

#include "services/CheckTree.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

class DdlDatabase;

// Keys and texts of the result tree's roots.
namespace DdlRoot {
inline constexpr const char* kNoModels = "NoModels";
inline constexpr const char* kHasColNotInDB = "HasColNotInDB";
inline constexpr const char* kTypeMismatch = "TypeMismatch";
inline constexpr const char* kNotChecked = "Not checked tables";
inline constexpr const char* kNoTables = "NoTables";
} // namespace DdlRoot

// The numbers of a piping model's design tables: pdtable_<number>_<partition>.
inline constexpr const char* kPipingTableNumbers[] = {"12", "34", "50", "67", "80"};
// The models of the project schema, read by the check and again before a drop.
inline constexpr const char* kDdlModelQuery =
    "SELECT discipline_indx_no, model_no, partition_no FROM pdtable_113 WHERE discipline_indx_no=1 or "
    "discipline_indx_no=2 GROUP BY discipline_indx_no, model_no, partition_no;";
// The end of the text of a model's node whose tables are missing: "<model> - <tables> not found
// in dd schema".
inline constexpr const char* kNotFoundInDd = " not found in dd schema";

// The status text of a window that holds no check to repair from.
inline constexpr const char* kDdlStartText = "To start please click check button";

struct DdlCheckContext {
    CheckTree& tree;
    DdlDatabase& db;
    // The main window's project field, read at each step that needs it.
    std::function<std::string()> project;
    // Shows a text in the window's status bar (nothing is logged).
    std::function<void(const std::string&)> setStatusText;
    // EnableButtons: the four working buttons, and the hourglass while they are disabled.
    std::function<void(bool)> enableButtons;
    // The colour of every node that is not partly checked; set by the check.
    int64_t normalNodeColor = 0;
    // Set when a repair changed the design schema: the column listings held from before are
    // stale, so the next check lists every table anew.
    bool designSchemaChanged = false;
    // The project whose check the tree holds: the repairs act on its schemas alone. Unset
    // before the first check and once the project changed.
    std::optional<std::string> checkedProject{};
    // The models whose row of pdtable_113 a delete took while their partition's row of
    // pdtable_114 stayed, by partition: the next check names them again.
    std::map<std::string, std::string> partitionsLeft{};
};
