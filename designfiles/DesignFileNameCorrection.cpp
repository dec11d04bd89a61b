// The correction of model and drawing file names: one run for both kinds, told apart by their
// table, columns, key grammar and texts.
#include "designfiles/DesignFileNameCorrection.h"

#include "dbaccess/SqlLiteral.h"
#include "designfiles/DesignFileNameCheck.h"
#include "designfiles/DesignFileNameRules.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/CheckTree.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/NetworkPaths.h"

#include <cmath>
#include <functional>
#include <map>

namespace {

// What a mismatch node names: the key number, and the condition on its key that serves both
// as the recordset's filter and as the table statement's WHERE clause.
struct Target {
    std::string number;
    std::string key;
};

// "*" stands for any run of characters; letters compare with their case.
bool keyMatches(std::string_view pattern, std::string_view key)
{
    return GlobMatch(pattern, key, GlobRules{"*", "", false});
}

int16_t toInt16(const std::string& text)
{
    const std::optional<double> n = ParseNumberText(text);
    if (!n)
        throw AppError(13, kAppTitle, "Type mismatch");
    const double r = std::nearbyint(*n);
    if (r < -32768 || r > 32767)
        throw AppError(6, kAppTitle, "Overflow");
    return static_cast<int16_t>(r);
}

[[noreturn]] void raiseBadKey()
{
    throw AppError(5, kAppTitle, "Invalid procedure call or argument");
}

const CheckTreeNode& parentOf(const CheckTreeNode& node)
{
    if (!node.parent)
        raiseBadKey();
    return *node.parent;
}

// Parent key "Discipline<d>Model<m>", own key ending in "NotMatch<model_type>".
Target modelTarget(const CheckTreeNode& node)
{
    const std::string& key = parentOf(node).key;
    const size_t model = key.find("Model", 10);
    if (model == std::string::npos)
        raiseBadKey();
    const int16_t discipline = toInt16(Trim(key.substr(10, model - 10)));
    const std::string number = Trim(key.substr(model + 5));
    const size_t notMatch = node.key.rfind("NotMatch");
    const int16_t type = toInt16(Trim(node.key.substr(notMatch + 8)));
    const std::string d = std::to_string(discipline);
    const std::string t = std::to_string(type);
    return {number, "discipline_indx_no = " + d + " AND model_no = " + SqlStringLiteral(number) + " AND model_type = " + t};
}

// Parent key "DrawingType<t>Drawing<n>".
Target drawingTarget(const CheckTreeNode& node)
{
    const std::string& key = parentOf(node).key;
    const size_t drawing = key.find("Drawing", 11);
    if (drawing == std::string::npos)
        raiseBadKey();
    const std::string t = std::to_string(toInt16(Trim(key.substr(11, drawing - 11))));
    const std::string number = Trim(key.substr(drawing + 7));
    const std::string cond = "drawing_type = " + t + " AND drawing_no = " + SqlStringLiteral(number);
    return {number, cond};
}

Variant value(Recordset& rs, const std::string& column)
{
    return rs.Fields()[column].Value();
}

std::string lastFileErrorText(long& number)
{
    std::string source, description;
    GetFileOpError(number, source, description);
    return description;
}

// MoveFileA copies and then deletes the source; when the deletion fails, the copy left at the
// destination, which did not exist before, goes again. The failure text is the file error's.
bool moveFile(const std::string& from, const std::string& to, std::string& failure)
{
    if (MoveFileA(from, to, false, false))
        return true;
    long error = 0;
    failure = lastFileErrorText(error);
    if (IsFileExists(from, 0) && !EqualsNoCase(from, to))
        DeleteFileA(to, false);
    return false;
}

} // namespace

struct DesignFileNameCorrection::Kind {
    std::string ownName;
    std::string noun;   // "model"
    std::string Noun;   // "Model"
    std::string table;
    std::string numberColumn;
    std::string specColumn;
    std::string readSql;
    std::string pattern;
    bool companions;
    std::function<Target(const CheckTreeNode&)> target;
};

std::vector<std::string> DesignFileNameCorrection::CompanionExtensions()
{
    return Split("arc;cpr;dpr;drw;frz;lod;mem;mod;ovr;ovs;slb;vus;wal", ";");
}

void DesignFileNameCorrection::CorrectModelFiles(const std::string& project)
{
    run({"CorrectModelFiles", "model", "Model", "pdtable_113", "model_no", "model_file_spec",
         "SELECT discipline_indx_no, model_no, network_address, path_name, model_file_spec, model_type FROM pdtable_113 "
         "GROUP BY discipline_indx_no, model_no, network_address, path_name, model_file_spec, model_type;",
         "Discipline*Model*NotMatch*", true, modelTarget},
        project);
}

void DesignFileNameCorrection::CorrectDrawingFiles(const std::string& project)
{
    run({"CorrectDrawingFiles", "drawing", "Drawing", "pdtable_121", "drawing_no", "drawing_file_spec",
         "SELECT drawing_type, drawing_no, network_address, path_name, drawing_file_spec FROM pdtable_121 "
         "GROUP BY drawing_type, drawing_no, network_address, path_name, drawing_file_spec;",
         "DrawingType*Drawing*NotMatch*", false, drawingTarget},
        project);
}

void DesignFileNameCorrection::run(const Kind& kind, const std::string& project)
{
    Recordset rows;
    schema_ = "pd_" + project;
    namedRead_ = false;
    named_.clear();
    try {
        ShowStatus("Correcting " + kind.noun + " files for PDS-Project: '" + project + "' ...");
        ShowStatus("Reading " + kind.noun + "s ...");
        rows = tables_.read(schema_, kind.readSql);
        ShowStatus(std::to_string(rows.RecordCount()) + " " + kind.noun + "s found");
        const std::vector<CheckTreeNode*> nodes = tree_.Nodes();
        for (CheckTreeNode* node : nodes) {
            if (node->checked && keyMatches(kind.pattern, node->key))
                correctNode(kind, schema_, *node, rows);
            DoEvents();
        }
        if (rows.State() == adStateOpen)
            rows.Close();
    } catch (const AppError& e) {
        if (rows.State() == adStateOpen)
            rows.Close();
        throw DesignFileNameCheck::Rethrown(e, kind.ownName);
    }
    ShowStatus("Correcting " + kind.noun + " files successfully");
}

void DesignFileNameCorrection::correctNode(const Kind& kind, const std::string& schema, CheckTreeNode& node,
                                           Recordset& rows)
{
    const Target target = kind.target(node);
    ShowStatus("Correcting " + kind.noun + ": '" + target.number + "' ...");
    rows.SetFilter(target.key);
    if (rows.RecordCount() == 0) {
        markRed(node, kind.numberColumn + " not in " + kind.table + " found");
        return;
    }
    // The statement changes the rows of the key; with several rows (in other folders, under
    // other names) a file would be renamed that some of them do not name.
    if (rows.RecordCount() > 1) {
        markRed(node, std::to_string(rows.RecordCount()) + " rows in " + kind.table + " found for " + kind.numberColumn +
                          ": '" + target.number + "'. Nothing changed");
        return;
    }
    rows.MoveFirst();
    for (const std::string& column : {std::string("network_address"), std::string("path_name"), kind.specColumn})
        if (value(rows, column).IsNull()) {
            markRed(node, "'" + column + "' not defined");
            return;
        }
    const std::string dir = LocalPath2UNC(value(rows, "network_address").ToText(), value(rows, "path_name").ToText(), false);
    long error = 0;
    if (dir.empty()) {
        const std::string text = lastFileErrorText(error);
        if (error != 0)
            markRed(node, text);
        return;
    }
    const std::string number = value(rows, kind.numberColumn).ToText();
    const std::string spec = value(rows, kind.specColumn).ToText();
    const DesignFileNameRules::Parts old = DesignFileNameRules::Split(spec);
    const std::string newSpec = number + old.extension;
    const std::string oldPath = dir + old.base + old.extension;
    const std::string newPath = dir + newSpec;
    const bool frameWorks = kind.companions && value(rows, "discipline_indx_no").ToText() == "3" &&
                            value(rows, "model_type").ToText() == "1";

    bool blocked = false;
    auto refuse = [&](const std::string& text) {
        markRed(node, text);
        blocked = true;
    };
    const std::string fileText = kind.Noun + " file: '";
    if (!IsFileExists(oldPath, 0))
        refuse(fileText + oldPath + "' not exists");
    if (IsFileExists(newPath, 0))
        refuse(fileText + newPath + "' already exists");
    if (newSpec.size() > DesignFileNameRules::kMaxLength)
        refuse(kind.specColumn + ": '" + newSpec + "' is to long. (Max 14 character)");
    if (DesignFileNameRules::HasSpecialChars(newSpec))
        refuse(kind.specColumn + ": '" + newSpec + "' is incorrect. Any special characters are not allowed");
    if (frameWorks)
        for (const std::string& ext : CompanionExtensions()) {
            if (!IsFileExists(dir + old.base + "." + ext, 0))
                refuse(fileText + dir + old.base + "." + ext + "' not exists");
            if (IsFileExists(dir + number + "." + ext, 0))
                refuse(fileText + dir + number + "." + ext + "' already exists");
            DoEvents();
        }
    if (blocked)
        return;
    if (!IsFolderWritable(dir)) {
        const std::string text = lastFileErrorText(error);
        if (error != 0) {
            markRed(node, text);
            return;
        }
    }

    Moves moves;
    std::string failure;
    ShowStatus("Moving " + kind.noun + " file: '" + oldPath + "' to: '" + newPath + "' ...");
    if (!moveFile(oldPath, newPath, failure)) {
        markRed(node, failure);
        return;
    }
    moves.emplace_back(oldPath, newPath);
    ShowStatus(kind.Noun + " file moved successfully");
    if (frameWorks)
        for (const std::string& ext : CompanionExtensions()) {
            const std::string from = dir + old.base + "." + ext;
            const std::string to = dir + number + "." + ext;
            ShowStatus("Moving " + kind.noun + " file: '" + from + "' to: '" + to + "' ...");
            if (!moveFile(from, to, failure)) {
                // The table keeps naming the old file, so the files keep their old names too.
                markRed(node, failure);
                moveBack(moves);
                return;
            }
            moves.emplace_back(from, to);
            ShowStatus(kind.Noun + " file moved successfully");
            DoEvents();
        }
    std::vector<std::string> skipped;
    moveFurtherFiles(node, dir, old.base, number, moves, skipped);

    ShowStatus("Writing changes to project schema ...");
    const std::string update = "UPDATE " + kind.table + " SET " + kind.specColumn + " = ";
    int32_t changed = 0;
    try {
        changed = tables_.write(schema, update + SqlStringLiteral(newSpec) + " WHERE (" + target.key + ");");
    } catch (const AppError&) {
        moveBack(moves);
        throw;
    }
    if (changed != 1) {
        // A key stored with blanks that the read trimmed changes no row; rows the read merged
        // change together. Either way the row and its files go back to where they were.
        moveBack(moves);
        if (changed != 0) {
            ShowStatus("Writing the old name back to project schema ...");
            tables_.write(schema, update + SqlStringLiteral(spec) + " WHERE (" + target.key + ");");
        }
        markRed(node, (changed < 0 ? std::string("An unknown number of") : std::to_string(changed)) + " rows of " +
                          kind.table + " changed for " + kind.numberColumn + ": '" + target.number +
                          "' (1 expected). Files moved back to their old names");
        return;
    }
    if (namedRead_)
        named_[ToUpper(dir)].insert(ToUpper(newSpec));
    if (node.backColor != kTreeColorRed) {
        node.backColor = kTreeColorGreen;
        node.tag = kind.Noun + " file moved successfully";
        for (const std::string& text : skipped)
            node.tag += "; " + text;
        tree_.Changed();
    }
}

void DesignFileNameCorrection::moveFurtherFiles(CheckTreeNode& node, const std::string& dir, const std::string& oldBase,
                                                const std::string& number, Moves& moves,
                                                std::vector<std::string>& skipped)
{
    if (oldBase.empty())
        return;
    for (const std::string& found : FindFile(dir, oldBase + ".*", false)) {
        const std::string name = GetFileName(found);
        bool ownFile = false;
        for (const auto& m : moves)
            ownFile = ownFile || EqualsNoCase(GetFileName(m.second), name);
        if (ownFile)
            continue; // a file this row has just given its new name
        const std::string newName = ReplaceAll(name, oldBase, number);
        if (EqualsNoCase(newName, name)) {
            ShowStatus("File: '" + dir + name + "' keeps its name");
            continue;
        }
        if (namedByARow(dir, name)) {
            skipped.push_back("file: '" + dir + name + "' is named in the project tables and keeps its name");
            ShowStatus(skipped.back());
            continue;
        }
        if (IsFileExists(dir + newName, 0)) {
            markRed(node, "File: '" + dir + newName + "' already exists");
            continue;
        }
        ShowStatus("Moving file from: '" + dir + name + "' to: '" + dir + newName + "' ...");
        std::string failure;
        if (moveFile(dir + name, dir + newName, failure)) {
            moves.emplace_back(dir + name, dir + newName);
            ShowStatus("File moved successfully");
        } else {
            markRed(node, failure);
        }
        DoEvents();
    }
}

bool DesignFileNameCorrection::namedByARow(const std::string& dir, const std::string& name)
{
    if (!namedRead_) {
        std::map<std::pair<std::string, std::string>, std::string> folders; // resolved once per location
        for (const auto& [table, column] : {std::pair<std::string, std::string>("pdtable_113", "model_file_spec"),
                                            std::pair<std::string, std::string>("pdtable_121", "drawing_file_spec")}) {
            Recordset rs = tables_.read(schema_, "SELECT network_address, path_name, " + column + " FROM " + table +
                                                     " GROUP BY network_address, path_name, " + column + ";");
            if (rs.RecordCount() > 0)
                rs.MoveFirst();
            for (; rs.RecordCount() > 0 && !rs.Eof(); rs.MoveNext()) {
                if (value(rs, "network_address").IsNull() || value(rs, "path_name").IsNull() ||
                    value(rs, column).IsNull())
                    continue;
                const auto location = std::make_pair(value(rs, "network_address").ToText(), value(rs, "path_name").ToText());
                auto it = folders.find(location);
                if (it == folders.end())
                    it = folders.emplace(location, LocalPath2UNC(location.first, location.second, false)).first;
                if (!it->second.empty())
                    named_[ToUpper(it->second)].insert(ToUpper(Trim(value(rs, column).ToText())));
            }
            if (rs.State() == adStateOpen)
                rs.Close();
        }
        namedRead_ = true;
    }
    const auto it = named_.find(ToUpper(dir));
    return it != named_.end() && it->second.count(ToUpper(name)) > 0;
}

void DesignFileNameCorrection::markRed(CheckTreeNode& node, const std::string& text)
{
    node.backColor = kTreeColorRed;
    node.tag = text;
    ShowStatus(text);
    tree_.Changed();
}

void DesignFileNameCorrection::moveBack(Moves& moves)
{
    for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
        ShowStatus("Moving file back from: '" + it->second + "' to: '" + it->first + "' ...");
        if (!MoveFileA(it->second, it->first, false, false)) {
            long error = 0;
            ShowStatus(lastFileErrorText(error));
        }
    }
    moves.clear();
}
