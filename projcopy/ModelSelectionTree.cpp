// The model tree of the project copy window and the version check.
#include "projcopy/ModelSelectionTree.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"

#include <exception>

namespace {

std::string field(Recordset& rs, const char* name) { return rs.Fields()[name].Value().ToText(); }

CheckTreeNode* rootWithKey(CheckTree& tree, const std::string& key)
{
    for (CheckTreeNode* n : tree.Nodes())
        if (!n->parent && n->key == key)
            return n;
    return nullptr;
}

// The first node whose parent has the text parentText and that matches.
template <typename Match>
CheckTreeNode* childOfText(CheckTree& tree, const std::string& parentText, Match match)
{
    for (CheckTreeNode* n : tree.Nodes())
        if (n->parent && n->parent->text == parentText && match(*n))
            return n;
    return nullptr;
}

} // namespace

bool ModelSelectionTree::ReadProjectTree(const std::string& project, std::string* failure) const
{
    bool result = false;
    std::string why;
    bool logged = false;
    const std::string schema = "pd_" + project;
    // A list that cannot be read is no empty one: the reading stops there and the log says why.
    auto read = [&](const std::string& list, const std::string& table, const std::string& columns) {
        std::string failure;
        Recordset rs = ris_.GetData(sides_.oldParams(), schema, "SELECT " + columns + " FROM " + table + ";", failure);
        // A list without rows is answered with a recordset not open and no failure.
        if (!failure.empty()) {
            const std::string text =
                "Cannot read the " + list + " list (" + table + ") of project '" + project + "': " + failure;
            log_.WriteLog(text);
            logged = true;
            throw AppError(1, "ReadProjectTree", text);
        }
        return rs;
    };
    try {
        tree_.Clear();
        log_.WriteLog(project + ": read disciplines ...");
        Recordset rs = read("discipline", "pdtable_111", "discipline_indx_no, discipline_name");
        if (rs.State() == adStateOpen) {
            log_.WriteLog(project + ": " + std::to_string(rs.RecordCount()) + " disciplines found");
            for (; !rs.Eof(); rs.MoveNext()) {
                const std::string name = field(rs, "discipline_name");
                bool present = false;
                for (const CheckTreeNode* n : tree_.Nodes())
                    present = present || n->text == name;
                if (!present)
                    tree_.Add("", "Discipline" + field(rs, "discipline_indx_no"), name);
                DoEvents();
            }
        }
        log_.WriteLog(project + ": read areas ...");
        rs = read("area", "pdtable_112", "discipline_indx_no, area_index_no, area_name");
        if (rs.State() == adStateOpen) {
            log_.WriteLog(project + ": " + std::to_string(rs.RecordCount()) + " areas found");
            for (; !rs.Eof(); rs.MoveNext()) {
                CheckTreeNode* disc = rootWithKey(tree_, "Discipline" + field(rs, "discipline_indx_no"));
                const std::string name = field(rs, "area_name");
                if (disc && !childOfText(tree_, disc->text, [&](const CheckTreeNode& n) { return n.text == name; }))
                    tree_.Add(disc->key, "Area" + field(rs, "area_index_no"), name);
                DoEvents();
            }
        }
        log_.WriteLog(project + ": read models ...");
        rs = read("model", "pdtable_113", "discipline_indx_no, area_index_no, model_index_no, model_no");
        if (rs.State() == adStateOpen) {
            log_.WriteLog(project + ": " + std::to_string(rs.RecordCount()) + " models found");
            for (; !rs.Eof(); rs.MoveNext()) {
                CheckTreeNode* disc = rootWithKey(tree_, "Discipline" + field(rs, "discipline_indx_no"));
                const std::string areaKey = "Area" + field(rs, "area_index_no");
                CheckTreeNode* area =
                    disc ? childOfText(tree_, disc->text, [&](const CheckTreeNode& n) { return n.key == areaKey; })
                         : nullptr;
                const std::string name = field(rs, "model_no");
                if (area && !childOfText(tree_, area->text, [&](const CheckTreeNode& n) { return n.text == name; }))
                    tree_.Add(area->key, "Model" + field(rs, "model_index_no"), name);
                DoEvents();
            }
        }
        result = true;
    } catch (const AppError& e) {
        why = e.description();
    } catch (const std::exception& e) {
        why = e.what();
    } catch (...) {
        why = "unknown failure";
    }
    // A list read fails with its own log line; anything else (a key twice in the tree) is named here.
    if (!result && !logged)
        log_.WriteLog(project + ": reading stopped: " + why);
    if (failure)
        *failure = result ? std::string() : why;
    tree_.Changed();
    log_.WriteLog(project + ": reading data complete");
    return result;
}

void ModelSelectionTree::NodeCheck(CheckTreeNode& node) { CheckTree::SpreadCheck(node); }

void ModelSelectionTree::SelectModels(const std::string& modelsFile) const
{
    if (modelsFile.empty() || !IsFileExists(modelsFile, 0))
        return;
    for (const std::string& line : ReadFile2Array(modelsFile)) {
        if (line.empty())
            continue;
        const std::string wanted = ToLower(Trim(line));
        for (CheckTreeNode* n : tree_.Nodes())
            if (n->children.empty() && ToLower(n->text) == wanted) {
                n->checked = true;
                NodeCheck(*n);
            }
    }
    tree_.Changed();
}

std::string ModelSelectionTree::readVersion(const std::string& params, const std::string& project) const
{
    Recordset rs = ris_.GetData(params, "pd_" + project, "SELECT pdtable_103.product_version_no FROM pdtable_103;");
    if (rs.State() != adStateOpen || rs.RecordCount() <= 0)
        return "";
    return field(rs, "product_version_no");
}

bool ModelSelectionTree::CheckProjectVersions(const std::string& oldProject, const std::string& newProject) const
{
    log_.WriteLog("Checking projects version...");
    std::string oldVersion, newVersion;
    try {
        oldVersion = readVersion(sides_.oldParams(), oldProject);
        newVersion = readVersion(sides_.newParams(), newProject);
    } catch (...) {
        return false;
    }
    return !oldVersion.empty() && !newVersion.empty() && oldVersion == newVersion;
}
