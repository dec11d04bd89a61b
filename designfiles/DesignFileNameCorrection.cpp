// The correction of model and drawing file names: one run for both kinds, told apart by their
// table, columns, key grammar and texts.
#include "designfiles/DesignFileNameCorrection.h"

#include "dbaccess/RISErrorReader.h"
#include "dbaccess/SqlLiteral.h"
#include "designfiles/DesignFileNameCheck.h"
#include "designfiles/DesignFileMove.h"
#include "designfiles/DesignFileNameRules.h"
#include "designfiles/FileImage.h"
#include "designfiles/FileNameCorrectionRecord.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/ChangeOutcome.h"
#include "services/CheckTree.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/NetworkPaths.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <exception>
#include <map>
#include <memory>

namespace {

// What a mismatch node names: the key number, and the condition on its key that serves both
// as the recordset's filter and as the table statement's WHERE clause.
struct Target {
    std::string number;
    std::string key;
    std::string identity; // the same for every row of the key, see rowIdentity
};

// What tells the rows of one key from the others: table and key values, numbers as numbers.
std::string modelIdentity(long long discipline, const std::string& number, long long type)
{
    return "pdtable_113|" + std::to_string(discipline) + "|" + Trim(number) + "|" + std::to_string(type);
}

std::string drawingIdentity(long long type, const std::string& number)
{
    return "pdtable_121|" + std::to_string(type) + "|" + Trim(number);
}

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
    return {number, "discipline_indx_no = " + d + " AND model_no = " + SqlStringLiteral(number) + " AND model_type = " + t,
            modelIdentity(discipline, number, type)};
}

// Parent key "DrawingType<t>Drawing<n>".
Target drawingTarget(const CheckTreeNode& node)
{
    const std::string& key = parentOf(node).key;
    const size_t drawing = key.find("Drawing", 11);
    if (drawing == std::string::npos)
        raiseBadKey();
    const int16_t type = toInt16(Trim(key.substr(11, drawing - 11)));
    const std::string number = Trim(key.substr(drawing + 7));
    const std::string cond = "drawing_type = " + std::to_string(type) + " AND drawing_no = " + SqlStringLiteral(number);
    return {number, cond, drawingIdentity(type, number)};
}

Variant value(Recordset& rs, const std::string& column)
{
    return rs.Fields()[column].Value();
}

// What tells one row of a key from the other rows of that key: its folder and its file.
std::string rowIdentity(const std::string& keyIdentity, Recordset& rs, const std::string& specColumn)
{
    return keyIdentity + "|" + value(rs, "network_address").ToText() + "|" + value(rs, "path_name").ToText() + "|" +
           Trim(value(rs, specColumn).ToText());
}

std::string lastFileErrorText(long& number)
{
    std::string source, description;
    GetFileOpError(number, source, description);
    return description;
}

// The failure text of a move for the node: the file error when nothing moved, else the state.
bool moveFile(const std::string& from, const std::string& to, std::string& failure,
              const DesignFileMoveRecording& recording = {})
{
    const ChangeOutcome outcome = MoveDesignFile(from, to, recording);
    failure = DesignFileMoveFailure(outcome, from, to);
    return outcome.Done();
}

// A failure for a node's text and a message: a RIS error block on one line.
std::string oneLine(const std::string& description)
{
    const std::string message = RISErrorMessage(description);
    return message.empty() ? description : message;
}

// Quoted file names joined for a message: 'a', 'b'.
std::string quotedList(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "'" : ", '") + n + "'";
    return out;
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

// The node in hand and what was read for it before anything moved.
struct DesignFileNameCorrection::Node {
    Node(const Kind& k, CheckTreeNode& treeNode) : kind(k), node(treeNode), target(k.target(treeNode)) {}
    const Kind& kind;
    CheckTreeNode& node;
    Target target;
    std::string where;    // the condition that names the row in hand, and only it
    // The rows the look after the statement reads: the row in hand named without the column the
    // statement changes (its key, and with several rows its folder), and their file names before
    // anything moved.
    std::string lookWhere;
    std::vector<std::string> before;
    std::string identity; // of the row in hand among the rows of the tables (rowIdentity)
    std::string dir;
    std::string number;  // of the row, as stored
    std::string spec;    // the row's file name as read
    std::string newSpec;
    DesignFileNameRules::Parts old;
    bool frameWorks = false;
    bool moved = false; // a file of the row was moved (perhaps back since)
    std::vector<std::string> skipped; // what the node's text adds to its success
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
    std::optional<FileNameCorrectionRecord> record;
    try {
        ShowStatus("Correcting " + kind.noun + " files for PDS-Project: '" + project + "' ...");
        // What a killed correction in the schema left is put in step first, or refuses the run.
        record.emplace(schema_, tables_);
        record_ = &*record;
        ShowStatus("Reading " + kind.noun + "s ...");
        rows = tables_.read(schema_, kind.readSql);
        ShowStatus(std::to_string(rows.RecordCount()) + " " + kind.noun + "s found");
        const std::vector<CheckTreeNode*> nodes = tree_.Nodes();
        for (CheckTreeNode* node : nodes) {
            if (node->checked && keyMatches(kind.pattern, node->key))
                correctNode(kind, *node, rows);
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

void DesignFileNameCorrection::correctNode(const Kind& kind, CheckTreeNode& node, Recordset& rows)
{
    const Target target = kind.target(node);
    ShowStatus("Correcting " + kind.noun + ": '" + target.number + "' ...");
    nodeFailures_.clear();
    std::unique_ptr<Node> last; // the row worked on last
    // A node that ends red is told in the box after the runs, with what stands of it.
    struct Told {
        DesignFileNameCorrection& run;
        const Kind& kind;
        CheckTreeNode& node;
        const std::string& number;
        std::unique_ptr<Node>& last;
        ~Told()
        {
            if (node.backColor == kTreeColorRed && std::uncaught_exceptions() == 0)
                run.notRenamed_.push_back(run.notRenamedText(kind, number, last.get()));
        }
    } told{*this, kind, node, target.number, last};
    rows.SetFilter(target.key);
    if (rows.RecordCount() == 0) {
        markRed(node, kind.numberColumn + " not in " + kind.table + " found");
        return;
    }
    // Rows of one key in other folders or under other names are corrected one after the other,
    // each on its own; the first that fails ends the node, whose text then says what became of
    // every row.
    std::vector<long> marks;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
        marks.push_back(rows.Bookmark());
    const bool severalRows = marks.size() > 1;
    std::vector<std::string> corrected, notes;
    auto rowName = [&](size_t i, const char* the) {
        rows.SetBookmark(marks[i]);
        return the + std::string(" row of '") + value(rows, "path_name").ToText() + "' naming '" +
               Trim(value(rows, kind.specColumn).ToText()) + "'";
    };
    // The failure of one row among several: which row, the rows corrected before it and those
    // after it that were not worked on.
    auto rowsSaid = [&](size_t failed, const std::string& failure) {
        std::string text = rowName(failed, "The") + ": " + failure;
        if (!corrected.empty())
            text += ". Corrected before it: " + Join(corrected, ", ");
        std::vector<std::string> left;
        for (size_t j = failed + 1; j < marks.size(); ++j)
            left.push_back(rowName(j, "the"));
        if (!left.empty())
            text += ". Not worked on: " + Join(left, ", ");
        return text;
    };
    for (size_t i = 0; i < marks.size(); ++i) {
        rows.SetBookmark(marks[i]);
        last = std::make_unique<Node>(kind, node);
        Node& n = *last;
        bool done = false;
        try {
            done = correctRow(n, rows, severalRows);
        } catch (const AppError& e) {
            if (!severalRows)
                throw;
            // A statement that failed left its row's text as the description.
            const bool rowText = node.backColor == kTreeColorRed && node.tag == e.description();
            const std::string said = rowsSaid(i, e.description());
            if (rowText)
                markRed(node, said);
            throw AppError(e.number(), e.source(), said);
        }
        if (!done) {
            if (severalRows)
                markRed(node, rowsSaid(i, node.tag));
            return;
        }
        corrected.push_back("'" + n.dir + n.newSpec + "' (was '" + Trim(n.spec) + "')");
        notes.insert(notes.end(), n.skipped.begin(), n.skipped.end());
    }
    if (node.backColor != kTreeColorRed) {
        node.backColor = kTreeColorGreen;
        node.tag = kind.Noun + " file moved successfully";
        for (const std::string& text : notes)
            node.tag += "; " + text;
        tree_.Changed();
    }
}

bool DesignFileNameCorrection::correctRow(Node& n, Recordset& rows, bool severalRows)
{
    const Kind& kind = n.kind;
    CheckTreeNode& node = n.node;
    for (const std::string& column : {std::string("network_address"), std::string("path_name"), kind.specColumn})
        if (value(rows, column).IsNull()) {
            markRed(node, "'" + column + "' not defined");
            return false;
        }
    n.dir = LocalPath2UNC(value(rows, "network_address").ToText(), value(rows, "path_name").ToText(), false);
    long error = 0;
    if (n.dir.empty()) {
        const std::string text = lastFileErrorText(error);
        if (error != 0)
            markRed(node, text);
        return false;
    }
    n.identity = rowIdentity(n.target.identity, rows, kind.specColumn);
    // The only row of its key is named by the key, which a value stored with blanks that the
    // read trimmed does not keep from matching; one of several is named by its folder and file too.
    n.lookWhere = severalRows ? n.target.key + " AND network_address = " +
                                    SqlStringLiteral(value(rows, "network_address").ToText()) +
                                    " AND path_name = " + SqlStringLiteral(value(rows, "path_name").ToText())
                              : n.target.key;
    n.where = n.lookWhere + (severalRows ? " AND " + kind.specColumn + " = " +
                                               SqlStringLiteral(value(rows, kind.specColumn).ToText())
                                         : std::string());
    n.number = value(rows, kind.numberColumn).ToText();
    n.spec = value(rows, kind.specColumn).ToText();
    n.old = DesignFileNameRules::Split(n.spec);
    n.newSpec = n.number + n.old.extension;
    const std::string oldPath = n.dir + n.old.base + n.old.extension;
    const std::string newPath = n.dir + n.newSpec;
    n.frameWorks = kind.companions && value(rows, "discipline_indx_no").ToLong() == 3 &&
                   value(rows, "model_type").ToLong() == 1;

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
    if (n.newSpec.size() > DesignFileNameRules::kMaxLength)
        refuse(kind.specColumn + ": '" + n.newSpec + "' is to long. (Max 14 character)");
    if (DesignFileNameRules::HasSpecialChars(n.newSpec))
        refuse(kind.specColumn + ": '" + n.newSpec + "' is incorrect. Any special characters are not allowed");
    if (n.frameWorks)
        for (const std::string& ext : CompanionExtensions()) {
            if (!IsFileExists(n.dir + n.old.base + "." + ext, 0))
                refuse(fileText + n.dir + n.old.base + "." + ext + "' not exists");
            if (IsFileExists(n.dir + n.number + "." + ext, 0))
                refuse(fileText + n.dir + n.number + "." + ext + "' already exists");
            DoEvents();
        }
    // Renamed, the file would go missing for the other rows that name it. A failed read of the
    // tables raises here, before anything has moved.
    const std::vector<std::string> owners = ownersOf(n.dir, n.old.base + n.old.extension, n.identity);
    if (!owners.empty())
        refuse(fileText + oldPath + "' is named also by " + Join(owners, ", ") + ". Nothing changed");
    if (blocked)
        return false;
    // What the look after the statement compares with; a failed read raises before anything moved.
    std::string readFailure;
    n.before = rowNames(n, readFailure);
    if (!readFailure.empty()) {
        const std::string text = "The rows of " + kind.table + " for " + kind.numberColumn + ": '" + n.target.number +
                                 "' could not be read: " + oneLine(readFailure) + ". Nothing of the row changed";
        markRed(node, text);
        throw AppError(1, "", text);
    }
    if (!IsFolderWritable(n.dir)) {
        const std::string text = lastFileErrorText(error);
        if (error != 0) {
            markRed(node, text);
            return false;
        }
    }
    Moves further = planFurtherFiles(n);

    // Every rename of the row, with the rows that name the file, is on disk before the first
    // file moves: a program killed before the rows follow leaves it for the next start.
    FileNameCorrectionRecord::RowPlan plan{kind.noun + " '" + n.target.number + "'", kind.table, kind.specColumn,
                                           n.lookWhere, n.spec, n.newSpec, {{oldPath, newPath}}};
    if (n.frameWorks)
        for (const std::string& ext : CompanionExtensions())
            plan.moves.emplace_back(n.dir + n.old.base + "." + ext, n.dir + n.number + "." + ext);
    plan.moves.insert(plan.moves.end(), further.begin(), further.end());
    try {
        record_->RowStarting(plan);
    } catch (const AppError& e) {
        const std::string text = "The renames of '" + oldPath + "' could not be recorded before they began (" +
                                 e.description() + "). Nothing of the row changed";
        markRed(node, text);
        throw AppError(1, "", text);
    }
    struct Settled {
        FileNameCorrectionRecord& record;
        ~Settled() { record.RowSettled(); }
    } settled{*record_};

    Moves moves;
    std::string failure;
    // Each copy as made is recorded before its source goes, and a move given up before its copy
    // goes again (or once its file is seen under the old name alone): the mend of a killed run
    // then neither takes a copy for a file nor repeats a move this run saw fail.
    const auto recorded = [&](const std::string& from, const std::string& to) {
        return DesignFileMoveRecording{[&, from, to](const FileImage& made) { record_->FileCopied(from, to, made); },
                                       [&, from, to] { record_->FileNotMoved(from, to); }};
    };
    ShowStatus("Moving " + kind.noun + " file: '" + oldPath + "' to: '" + newPath + "' ...");
    if (!moveFile(oldPath, newPath, failure, recorded(oldPath, newPath))) {
        markRed(node, failure);
        return false;
    }
    moves.emplace_back(oldPath, newPath);
    n.moved = true;
    ShowStatus(kind.Noun + " file moved successfully");
    if (n.frameWorks)
        for (const std::string& ext : CompanionExtensions()) {
            const std::string from = n.dir + n.old.base + "." + ext;
            const std::string to = n.dir + n.number + "." + ext;
            ShowStatus("Moving " + kind.noun + " file: '" + from + "' to: '" + to + "' ...");
            if (!moveFile(from, to, failure, recorded(from, to))) {
                // The table keeps naming the old file, so the files go back to their old names.
                const std::vector<std::string> stay = moveBack(moves);
                markRed(node, failure + ". " +
                                  (stay.empty() ? std::string("Files moved back to their old names")
                                                : "Files not moved back: " + Join(stay, ", ") + ". The row names '" +
                                                      n.spec + "'"));
                return false;
            }
            moves.emplace_back(from, to);
            ShowStatus(kind.Noun + " file moved successfully");
            DoEvents();
        }
    for (const auto& [from, to] : further) {
        ShowStatus("Moving file from: '" + from + "' to: '" + to + "' ...");
        if (moveFile(from, to, failure, recorded(from, to))) {
            moves.emplace_back(from, to);
            ShowStatus("File moved successfully");
        } else {
            markRed(node, failure);
        }
        DoEvents();
    }

    ShowStatus("Writing changes to project schema ...");
    std::optional<AppError> raised;
    std::vector<std::string> namesAfter;
    const ChangeOutcome update = ChangeAndLook(
        [&]() -> std::string {
            int32_t changed = 0;
            try {
                changed = tables_.write(schema_, "UPDATE " + kind.table + " SET " + kind.specColumn + " = " +
                                                     SqlStringLiteral(n.newSpec) + " WHERE (" + n.where + ");");
            } catch (const AppError& e) {
                // The client may have carried the statement out before it failed: the rows tell.
                raised = e;
                ShowStatus(oneLine(e.description()));
                return oneLine(e.description());
            }
            if (changed == 1)
                return {};
            // A key stored with blanks that the read trimmed changes no row; rows the read merged
            // change together.
            return (changed < 0 ? std::string("An unknown number of") : std::to_string(changed)) + " rows of " +
                   kind.table + " changed for " + kind.numberColumn + ": '" + n.target.number + "' (1 expected)";
        },
        [&](std::string& seen) {
            namesAfter = rowNames(n, readFailure);
            if (!readFailure.empty())
                CouldNotRead(readFailure);
            seen = (namesAfter.size() == 1 ? "the row names " : "the rows name ") + quotedList(namesAfter);
            return judgeRows(n, namesAfter);
        },
        LookAfter::EveryCall);
    if (update.Failed()) {
        const std::string what =
            update.CallFailed() ? update.failure : "The UPDATE of " + kind.table + " ended without an error";
        if (!settle(n, moves, what, raised, namesAfter, readFailure))
            return false;
        if (update.CallFailed()) {
            n.skipped.push_back(WithoutEndingPeriods(
                update.Describe("the UPDATE of " + kind.table + " for '" + n.dir + n.newSpec + "'")));
        }
    }
    // The one row names the new file: later nodes see it under that name.
    if (namedRead_) {
        auto& owners = named_[ToUpper(n.dir)];
        auto& before = owners[ToUpper(n.old.base + n.old.extension)];
        before.erase(std::remove_if(before.begin(), before.end(),
                                    [&](const auto& o) { return o.first == n.identity; }),
                     before.end());
        owners[ToUpper(n.newSpec)].emplace_back(n.identity, kind.noun + " '" + n.target.number + "'");
    }
    return true;
}

DesignFileNameCorrection::Moves DesignFileNameCorrection::planFurtherFiles(Node& n)
{
    Moves planned;
    const std::string& oldBase = n.old.base;
    if (oldBase.empty())
        return planned;
    for (const std::string& found : FindFile(n.dir, oldBase + ".*", false)) {
        const std::string name = GetFileName(found);
        bool ownFile = EqualsNoCase(name, oldBase + n.old.extension);
        if (n.frameWorks)
            for (const std::string& ext : CompanionExtensions())
                ownFile = ownFile || EqualsNoCase(name, oldBase + "." + ext);
        if (ownFile)
            continue; // moved as the design file or one of its companions
        const std::string newName = ReplaceAll(name, oldBase, n.number);
        if (EqualsNoCase(newName, name)) {
            ShowStatus("File: '" + n.dir + name + "' keeps its name");
            continue;
        }
        if (!ownersOf(n.dir, name, "").empty()) {
            n.skipped.push_back("file: '" + n.dir + name + "' is named in the project tables and keeps its name");
            ShowStatus(n.skipped.back());
            continue;
        }
        if (IsFileExists(n.dir + newName, 0) || EqualsNoCase(newName, n.newSpec)) {
            markRed(n.node, "File: '" + n.dir + newName + "' already exists");
            continue;
        }
        planned.emplace_back(n.dir + name, n.dir + newName);
    }
    return planned;
}

std::vector<std::string> DesignFileNameCorrection::rowNames(const Node& n, std::string& failure)
{
    const Kind& kind = n.kind;
    std::vector<std::string> names;
    failure.clear();
    try {
        Recordset rs =
            tables_.read(schema_, "SELECT " + kind.specColumn + " FROM " + kind.table + " WHERE " + n.lookWhere + ";");
        if (rs.State() == adStateOpen && rs.RecordCount() > 0)
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                names.push_back(Trim(value(rs, kind.specColumn).ToText()));
        if (rs.State() == adStateOpen)
            rs.Close();
    } catch (const AppError& e) {
        failure = e.description();
    }
    return names;
}

ChangeState DesignFileNameCorrection::judgeRows(const Node& n, const std::vector<std::string>& names)
{
    const auto sorted = [](std::vector<std::string> specs) {
        for (std::string& spec : specs)
            spec = ToUpper(Trim(spec));
        std::sort(specs.begin(), specs.end());
        return specs;
    };
    std::vector<std::string> expected = n.before;
    const auto old = std::find_if(expected.begin(), expected.end(),
                                  [&](const std::string& s) { return EqualsNoCase(Trim(s), Trim(n.spec)); });
    if (old != expected.end()) {
        *old = n.newSpec;
        if (sorted(names) == sorted(expected))
            return ChangeState::Done;
    }
    return sorted(names) == sorted(n.before) ? ChangeState::NotDone : ChangeState::NotKnown;
}

bool DesignFileNameCorrection::settle(Node& n, Moves& moves, const std::string& what, std::optional<AppError> raised,
                                      std::vector<std::string> names, std::string readFailure)
{
    const Kind& kind = n.kind;
    const auto count = [](const std::vector<std::string>& specs, const std::string& spec) {
        return std::count_if(specs.begin(), specs.end(), [&](const std::string& s) { return EqualsNoCase(s, Trim(spec)); });
    };
    std::string text = what;
    ChangeState state = readFailure.empty() ? judgeRows(n, names) : ChangeState::NotKnown;
    // Several rows took the new name together, none of which held it before: they go back to the
    // old one, which their files then keep.
    if (readFailure.empty() && state == ChangeState::NotKnown && count(names, n.newSpec) > 1 &&
        count(n.before, n.newSpec) == 0) {
        ShowStatus("Writing the old name back to project schema ...");
        try {
            tables_.write(schema_, "UPDATE " + kind.table + " SET " + kind.specColumn + " = " + SqlStringLiteral(n.spec) +
                                       " WHERE (" + n.lookWhere + " AND " + kind.specColumn + " = " +
                                       SqlStringLiteral(n.newSpec) + ");");
        } catch (const AppError& e) {
            text += ". The old name could not be written back: " + oneLine(e.description());
            raised = e;
        }
        names = rowNames(n, readFailure);
        state = readFailure.empty() ? judgeRows(n, names) : ChangeState::NotKnown;
    }
    std::vector<std::string> newNames;
    for (const auto& m : moves)
        newNames.push_back(m.second);
    const std::string rowText = names.size() == 1 ? "The row names " : "The rows name ";
    if (!readFailure.empty()) {
        // Whether the new name stands is not known: the files stay where they are, and say so.
        text += ". The rows of " + kind.table + " could not be read again (" + readFailure +
                "). The files keep their new names: " + quotedList(newNames);
    } else if (state == ChangeState::Done) {
        ShowStatus(rowText + "'" + n.newSpec + "' although: " + what);
        return true;
    } else if (state == ChangeState::NotDone) {
        const std::vector<std::string> stay = moveBack(moves);
        text += stay.empty() ? ". Files moved back to their old names"
                             : ". Files not moved back: " + Join(stay, ", ") + ". " + rowText + "'" + Trim(n.spec) + "'";
    } else {
        std::vector<std::string> distinct;
        for (const std::string& name : names)
            if (std::none_of(distinct.begin(), distinct.end(), [&](const std::string& d) { return EqualsNoCase(d, name); }))
                distinct.push_back(name);
        text += ". " + rowText + quotedList(distinct) + ". The files keep their new names: " + quotedList(newNames);
    }
    markRed(n.node, text);
    // A statement that failed ends the run, with what stands afterwards.
    if (raised)
        throw AppError(raised->number(), raised->source(), text);
    return false;
}

std::vector<std::string> DesignFileNameCorrection::ownersOf(const std::string& dir, const std::string& name,
                                                            const std::string& identity)
{
    readNamedFiles();
    std::vector<std::string> out;
    const auto folder = named_.find(ToUpper(dir));
    if (folder == named_.end())
        return out;
    const auto file = folder->second.find(ToUpper(name));
    if (file == folder->second.end())
        return out;
    for (const auto& [id, owner] : file->second)
        if (id != identity && std::find(out.begin(), out.end(), owner) == out.end())
            out.push_back(owner);
    return out;
}

void DesignFileNameCorrection::readNamedFiles()
{
    if (namedRead_)
        return;
    struct Source {
        const char* sql;
        const char* column;
        std::function<std::pair<std::string, std::string>(Recordset&)> owner; // identity, text
    };
    const std::vector<Source> sources = {
        {"SELECT discipline_indx_no, model_no, model_type, network_address, path_name, model_file_spec FROM "
         "pdtable_113 GROUP BY discipline_indx_no, model_no, model_type, network_address, path_name, model_file_spec;",
         "model_file_spec",
         [](Recordset& rs) {
             const std::string m = value(rs, "model_no").ToText();
             return std::make_pair(rowIdentity(modelIdentity(value(rs, "discipline_indx_no").ToLong(), m,
                                                             value(rs, "model_type").ToLong()),
                                               rs, "model_file_spec"),
                                   "model '" + Trim(m) + "'");
         }},
        {"SELECT drawing_type, drawing_no, network_address, path_name, drawing_file_spec FROM pdtable_121 "
         "GROUP BY drawing_type, drawing_no, network_address, path_name, drawing_file_spec;",
         "drawing_file_spec",
         [](Recordset& rs) {
             const std::string d = value(rs, "drawing_no").ToText();
             return std::make_pair(rowIdentity(drawingIdentity(value(rs, "drawing_type").ToLong(), d), rs,
                                               "drawing_file_spec"),
                                   "drawing '" + Trim(d) + "'");
         }},
    };
    std::map<std::pair<std::string, std::string>, std::string> folders; // resolved once per location
    decltype(named_) named;
    for (const Source& source : sources) {
        Recordset rs = tables_.read(schema_, source.sql);
        if (rs.RecordCount() > 0)
            rs.MoveFirst();
        for (; rs.RecordCount() > 0 && !rs.Eof(); rs.MoveNext()) {
            if (value(rs, "network_address").IsNull() || value(rs, "path_name").IsNull() ||
                value(rs, source.column).IsNull())
                continue;
            const auto location = std::make_pair(value(rs, "network_address").ToText(), value(rs, "path_name").ToText());
            auto it = folders.find(location);
            if (it == folders.end())
                it = folders.emplace(location, LocalPath2UNC(location.first, location.second, false)).first;
            if (!it->second.empty())
                named[ToUpper(it->second)][ToUpper(Trim(value(rs, source.column).ToText()))].push_back(source.owner(rs));
        }
        if (rs.State() == adStateOpen)
            rs.Close();
    }
    named_ = std::move(named);
    namedRead_ = true;
}

std::string DesignFileNameCorrection::NotRenamedMessage() const
{
    return notRenamed_.empty() ? std::string() : "These files were not renamed:\r\n" + Join(notRenamed_, "\r\n");
}

std::string DesignFileNameCorrection::notRenamedText(const Kind& kind, const std::string& number, const Node* n)
{
    std::vector<std::string> reasons;
    for (const std::string& failure : nodeFailures_)
        if (std::find(reasons.begin(), reasons.end(), failure) == reasons.end())
            reasons.push_back(failure);
    const std::string head = kind.Noun + " '" + number + "': ";
    if (!n || n->lookWhere.empty())
        return head + "its file was not renamed: " + Join(reasons, "; ") + ". Nothing of it was changed.";
    const std::string oldPath = n->dir + n->old.base + n->old.extension;
    const std::string newPath = n->dir + n->newSpec;
    // What stands is read again: the rows, and the two names of the file.
    const bool oldThere = IsFileExists(oldPath, 0), newThere = IsFileExists(newPath, 0);
    std::string readFailure;
    const std::vector<std::string> names = rowNames(*n, readFailure);
    const bool renamed = n->moved && newThere && !oldThere;
    std::string text = head + (renamed ? "not every file of '" + oldPath + "' was renamed to '" + n->newSpec + "': "
                                       : "'" + oldPath + "' was not renamed to '" + n->newSpec + "': ") +
                       Join(reasons, "; ") + ". Now ";
    text += !readFailure.empty() ? "the rows of " + kind.table + " could not be read again (" + oneLine(readFailure) + ")"
            : names.size() == 1  ? "the row names '" + names[0] + "'"
                                 : "the rows name " + (names.empty() ? std::string("no file") : quotedList(names));
    if (!n->moved) // a file of the new name that stands is not the run's
        return text + (oldThere ? ", and '" + oldPath + "' keeps its name." : ", and '" + oldPath + "' is not there.");
    text += oldThere && newThere ? ", and both '" + oldPath + "' and '" + newPath + "' are there."
            : oldThere           ? ", and '" + oldPath + "' keeps its name."
            : newThere           ? ", and the file stands renamed as '" + newPath + "'."
                                 : ", and neither '" + oldPath + "' nor '" + newPath + "' is there.";
    return text;
}

void DesignFileNameCorrection::markRed(CheckTreeNode& node, const std::string& text)
{
    nodeFailures_.push_back(text);
    node.backColor = kTreeColorRed;
    node.tag = text;
    ShowStatus(text);
    tree_.Changed();
}

std::vector<std::string> DesignFileNameCorrection::moveBack(Moves& moves)
{
    std::vector<std::string> stay;
    for (auto it = moves.rbegin(); it != moves.rend(); ++it) {
        ShowStatus("Moving file back from: '" + it->second + "' to: '" + it->first + "' ...");
        std::string failure;
        if (moveFile(it->second, it->first, failure))
            ShowStatus("File moved back successfully");
        else
            stay.push_back("'" + it->second + "' keeps that name (not moved back to '" + GetFileName(it->first) +
                           "': " + failure + ")");
    }
    moves.clear();
    return stay;
}
