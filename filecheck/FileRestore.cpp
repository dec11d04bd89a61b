// Restores of missing model and drawing files.
#include "filecheck/FileRestore.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DbBase.h"
#include "dbaccess/WholeTableRead.h"
#include "filecheck/FileCheckText.h"
#include "filecheck/ReportSheet.h"
#include "filecheck/SeedFileChoice.h"
#include "filecheck/UpgradeCheckContext.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/WholeBackup.h"
#include "services/NetworkPaths.h"

#include <functional>
#include <optional>

namespace {

// The safe copy's no-overwrite form: the target is written under a temporary name and only
// renamed into place when complete, and never over a file that appeared since the test for it,
// so a failed restore leaves no half file that a later check would take for the model.
constexpr bool kNoOverwrite = false;

// A node's outcome: on the status line and into the description cell of its row. Every failed
// node is counted, so that the end of the restore does not call a partial restore successful.
class RowOutcome {
public:
    RowOutcome(Worksheet* sheet, const char* column, int& failures)
        : sheet_(sheet), column_(column), failures_(failures)
    {
    }

    // Starts the node's row with the texts of its group nodes, from column A on.
    void Start(const std::vector<std::string>& texts)
    {
        if (!sheet_)
            return;
        row_ = UsedRows(*sheet_) + 1;
        const char* columns[] = {"A", "B", "C"};
        for (size_t i = 0; i < texts.size() && i < 3; ++i)
            SetCell(*sheet_, columns[i], row_, texts[i]);
    }
    void Write(const std::string& text)
    {
        if (sheet_ && row_ > 0)
            SetCell(*sheet_, column_, row_, text);
    }
    void Fail(const std::string& message)
    {
        ++failures_;
        ShowStatus(message);
        Write(message);
    }

private:
    Worksheet* sheet_;
    const char* column_;
    int& failures_;
    int row_ = 0;
};

// The closing status of a restore: "<what> successfully", or how many nodes failed.
void ShowRestoreEnd(const std::string& what, int failures)
{
    if (failures == 0)
        ShowStatus(what + " successfully");
    else
        ShowStatus(what + " ended with " + std::to_string(failures) + " file(s) not restored - see the report");
}

// The last file error's number and description.
long LastFileError(std::string& description)
{
    long number = 0;
    std::string source;
    GetFileOpError(number, source, description);
    return number;
}

// A file service's failure about the directory, naming it once: the services' own texts name
// it already ("Directory '...': write permission denied"), a platform text ("Disk full") not.
std::string AboutDirectory(const std::string& description, const std::string& directory)
{
    return description.find(directory) != std::string::npos ? description : description + ": '" + directory + "'";
}

// Makes the directory when missing and tests it for writing. False with the message to fail
// the node with, or with an empty message to go on all the same.
bool PrepareDirectory(const std::string& directory, std::string& message)
{
    std::string description;
    if (!IsFileExists(directory, 1)) {
        ShowStatus("Creating directory: '" + directory + "' ...");
        CreateFolderA(directory);
        if (LastFileError(description) != 0) {
            message = AboutDirectory(description, directory);
            return false;
        }
        ShowStatus("Directory created successfully");
    }
    if (!IsFolderWritable(directory) && LastFileError(description) != 0) {
        message = AboutDirectory(description, directory);
        return false;
    }
    return true;
}

// The last steps of a row: the seed (or chosen candidate) must exist, the directory is made
// and tested, and the copy put in place only where no file of the target's name exists. kind:
// "Model" or "Drawing". False when the node failed.
bool CopySeed(const std::string& kind, const std::string& seed, const std::string& directory,
              const std::string& target, RowOutcome& outcome)
{
    if (!IsFileExists(seed, 0)) {
        outcome.Fail("Seed file: '" + seed + "' not exists");
        return false;
    }
    std::string message;
    if (!PrepareDirectory(directory, message)) {
        outcome.Fail(message);
        return false;
    }
    const std::string creating = "Creating " + ToLower(kind) + " file: '" + target + "' from seed file: '" + seed + "'";
    ShowStatus(creating + " ...");
    // The copy is judged by the file that stands, also when it ended well.
    bool copied = false;
    const ChangeOutcome copy = ChangeAndLook(
        [&]() -> std::string {
            copied = CopyFileA(seed, target, false, false, kNoOverwrite);
            if (copied)
                return {};
            // The file error alone ("File already exists") does not say which file.
            std::string error;
            LastFileError(error);
            return error + ": '" + target + "'";
        },
        [&](std::string& seen) {
            // A copy that failed is told by its own error.
            if (!copied)
                return ChangeState::NotDone;
            // The bytes that stand at the target against the seed's, read in pieces: a size
            // alone would take a seed saved anew while it was copied, or another file put there
            // since, for the seed.
            return CompareCopy(seed, target, seen);
        },
        LookAfter::EveryCall);
    if (copy.Failed()) {
        outcome.Fail(copy.CallFailed() ? copy.failure : copy.Describe("the copy to '" + target + "'"));
        return false;
    }
    outcome.Write(creating);
    ShowStatus(kind + " file created successfully");
    return true;
}

std::string TextOf(const CheckTreeNode* node)
{
    return node ? node->text : std::string();
}

// The name of the file a File node stands for: the missing file's name behind
// "FILE_NOT_FOUND", or the last component of the candidate's path. A candidate was offered
// because its name is that of the missing file, so it may only be written under that name.
std::string NodeFileName(const CheckTreeNode& node)
{
    const std::string notFound = node.parent ? node.parent->key + "FileFILE_NOT_FOUND" : std::string();
    if (!notFound.empty() && node.key.rfind(notFound, 0) == 0)
        return node.key.substr(notFound.size());
    const std::string path = CandidatePath(node);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The network folder of the row's file, or empty with the outcome failed: a column the folder
// (or the file name, when fileColumn is given) needs is NULL, or the folder cannot be reached.
std::string RowDirectory(Recordset& rows, const char* fileColumn, RowOutcome& outcome)
{
    for (const char* column : {"network_address", "path_name", fileColumn})
        if (column && FieldIsNull(rows, column)) {
            outcome.Fail("'" + std::string(column) + "' not defined");
            return {};
        }
    const std::string directory =
        LocalPath2UNC(FieldText(rows, "network_address"), FieldText(rows, "path_name"), false);
    std::string description;
    if (directory.empty() && LastFileError(description) != 0)
        outcome.Fail(description);
    return directory;
}

// A row stands for the node's item only under the very number of the node's key: the filter
// of the recordset ignores letter case, and P1001 and p1001 are two models.
bool SameNumber(Recordset& rows, const char* column, const std::string& number)
{
    return !FieldIsNull(rows, column) && Trim(FieldText(rows, column)) == number;
}

// The outcome of a node none of whose rows names its file any more: the table changed
// between the check and the restore, and nothing is copied.
std::string RowChanged(const char* what, const std::string& file, const char* column, const std::string& number)
{
    return std::string(what) + " file '" + file + "' of " + column + " '" + number +
           "' is no longer in the project table - the row changed since the check";
}

// Whether the current row is one the node stands for: with the check's notes, a row whose file
// the check found missing; without them (a tree the check of this context did not fill), any
// row naming the node's file.
bool NotedRow(Recordset& rows, const std::vector<MissingFileRow>* noted, const std::string& fileName)
{
    if (!noted)
        return true;
    const std::string server = FieldText(rows, "network_address");
    const std::string path = FieldText(rows, "path_name");
    for (const MissingFileRow& row : *noted)
        if (row.server == server && row.path == path && EqualsNoCase(row.fileName, fileName))
            return true;
    return false;
}

// The restore of the node's rows, in their order. A row whose file is there was no finding
// (another folder of the same number and file name) and is passed over; only when every row
// of the node has its file is the node failed with "already exists", and nothing is
// overwritten. targetSpec gives the current row's file name, restoreRow copies it into place
// (false when the node failed). False when no row of the table names the node's file.
bool RestoreNodeRows(Recordset& rows, const char* kind, const char* fileColumn,
                     const std::vector<MissingFileRow>* noted, RowOutcome& outcome,
                     const std::function<bool()>& isNodeFile, const std::function<std::string()>& targetSpec,
                     const std::function<bool(const std::string&, const std::string&)>& restoreRow)
{
    bool taken = false;
    bool copied = false;
    std::string present;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
        if (!isNodeFile() || !NotedRow(rows, noted, targetSpec()))
            continue;
        taken = true;
        const std::string directory = RowDirectory(rows, fileColumn, outcome);
        if (directory.empty())
            return true;
        const std::string target = directory + targetSpec();
        if (IsFileExists(target, 0)) {
            if (present.empty())
                present = target;
            continue;
        }
        if (!restoreRow(directory, target))
            return true;
        copied = true;
    }
    if (!copied && !present.empty())
        outcome.Fail(std::string(kind) + " file: '" + present + "' already exists");
    return taken;
}

class ModelRestore {
public:
    ModelRestore(UpgradeCheckContext& ctx, const std::string& projectDirectory, Recordset& models)
        : ctx_(ctx), projectDirectory_(projectDirectory), models_(models)
    {
    }

    int Failures() const { return failures_; }

    void Node(const CheckTreeNode& node)
    {
        const CheckTreeNode* model = node.parent;
        if (!model)
            RaiseError("", "File node without model node: '" + node.key + "'");
        const std::string& modelKey = model->key;
        const size_t modelPos = modelKey.find("Model");
        const std::string disciplineText = Trim(modelKey.substr(10, modelPos == std::string::npos ? std::string::npos
                                                                                                  : modelPos - 10));
        const std::optional<long long> discipline = ParseInteger(disciplineText);
        if (!discipline)
            throw AppError(13, "", "Type mismatch");
        const std::string modelNo = modelPos == std::string::npos ? std::string() : Trim(modelKey.substr(modelPos + 5));
        const size_t dot = node.key.rfind('.');
        const std::string extension = Trim(dot == std::string::npos ? node.key : node.key.substr(dot + 1));

        ShowStatus("Restoring model: '" + modelNo + "' ...");
        RowOutcome outcome(ctx_.Sheet(), "D", failures_);
        const CheckTreeNode* area = model->parent;
        outcome.Start({TextOf(area ? area->parent : nullptr), TextOf(area), model->text});

        models_.SetFilter("discipline_indx_no = " + std::to_string(*discipline) +
                          " AND model_no = " + CriteriaText(modelNo));
        if (models_.RecordCount() == 0) {
            outcome.Fail("model_no not in pdtable_113 found");
            return;
        }
        // Only the rows of this model number whose file (or FrameWorks companion) is the
        // node's: models of one number in two areas share their model node, and a node must
        // never fill another row's file with its content.
        const std::string fileName = NodeFileName(node);
        std::string rowDiscipline;
        const auto isNodeFile = [&] {
            rowDiscipline = FieldText(models_, "discipline_indx_no");
            if (rowDiscipline == "3" && FieldText(models_, "model_type") != "1")
                return false; // a frozen model has no file of its own
            return SameNumber(models_, "model_no", modelNo) && !FieldIsNull(models_, "model_file_spec") &&
                   EqualsNoCase(TargetSpec(rowDiscipline, extension), fileName);
        };
        const auto targetSpec = [&] { return TargetSpec(rowDiscipline, extension); };
        const auto restoreRow = [&](const std::string& directory, const std::string& target) {
            return Row(node, rowDiscipline, extension, directory, target, outcome);
        };
        if (!RestoreNodeRows(models_, "Model", "model_file_spec", ctx_.MissingFilesOf(node.key), outcome, isNodeFile,
                             targetSpec, restoreRow))
            outcome.Fail(RowChanged("Model", fileName, "model_no", modelNo));
    }

private:
    // One model row whose file is missing; false when the node failed and its remaining rows
    // are not taken.
    bool Row(const CheckTreeNode& node, const std::string& discipline, const std::string& extension,
             const std::string& directory, const std::string& target, RowOutcome& outcome)
    {
        std::string seed = GetSelectedSeedFile(node);
        if (Trim(seed).empty())
            seed = DisciplineSeed(discipline, extension);
        if (Trim(seed).empty()) {
            outcome.Fail("Seed file for discipline_index_no: " + discipline + " not exists");
            return false;
        }
        return CopySeed("Model", seed, directory, target, outcome);
    }

    // The row's model_file_spec; for FrameWorks the companion of the restored file's extension.
    std::string TargetSpec(const std::string& discipline, const std::string& extension) const
    {
        const std::string fileSpec = FieldText(models_, "model_file_spec");
        return discipline == "3" ? ReplaceNoCase(fileSpec, ".dgn", "." + extension) : fileSpec;
    }

    std::string DisciplineSeed(const std::string& discipline, const std::string& extension) const
    {
        if (discipline == "1")
            return projectDirectory_ + "mdlsdz.dgn";
        if (discipline == "2")
            return projectDirectory_ + "eqpsdz.dgn";
        if (discipline == "3")
            return ReplaceNoCase(ctx_.fwSeedFile, ".dgn", "." + extension);
        if (discipline == "5")
            return projectDirectory_ + "rwysdz.dgn";
        return ctx_.seedFile;
    }

    static std::optional<long long> ParseInteger(const std::string& text)
    {
        if (text.empty() || text.find_first_not_of("-0123456789") != std::string::npos)
            return std::nullopt;
        try {
            return std::stoll(text);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }

    UpgradeCheckContext& ctx_;
    const std::string& projectDirectory_;
    Recordset& models_;
    int failures_ = 0;
};

void DrawingNode(UpgradeCheckContext& ctx, const std::string& projectDirectory, Recordset& drawings,
                 const CheckTreeNode& node, int& failures)
{
    const CheckTreeNode* drawing = node.parent;
    if (!drawing)
        RaiseError("", "File node without drawing node: '" + node.key + "'");
    const std::string& drawingKey = drawing->key;
    const size_t p = drawingKey.find("Drawing", 11);
    const std::string typeText = Trim(drawingKey.substr(11, p == std::string::npos ? std::string::npos : p - 11));
    if (typeText.empty() || typeText.find_first_not_of("-0123456789") != std::string::npos)
        throw AppError(13, "", "Type mismatch");
    const std::string drawingNo = p == std::string::npos ? std::string() : Trim(drawingKey.substr(p + 7));

    ShowStatus("Restoring drawing: '" + drawingNo + "' ...");
    RowOutcome outcome(ctx.Sheet(), "C", failures);
    outcome.Start({TextOf(drawing->parent), drawing->text});

    drawings.SetFilter("drawing_type = " + typeText + " AND drawing_no = " + CriteriaText(drawingNo));
    if (drawings.RecordCount() == 0)
        return outcome.Fail("drawing_no not in pdtable_121 found");
    // A drawing listed twice, or numbers that differ only in letter case, share the filter:
    // only the rows of the very number that name the node's file are restored, each under its
    // own row's file name.
    const std::string fileName = NodeFileName(node);
    const auto isNodeFile = [&] {
        return SameNumber(drawings, "drawing_no", drawingNo) && !FieldIsNull(drawings, "drawing_file_spec") &&
               EqualsNoCase(FieldText(drawings, "drawing_file_spec"), fileName);
    };
    const auto targetSpec = [&] { return FieldText(drawings, "drawing_file_spec"); };
    const auto restoreRow = [&](const std::string& directory, const std::string& target) {
        std::string source = GetSelectedSeedFile(node);
        if (Trim(source).empty())
            source = projectDirectory + "drwsdz.dgn";
        return CopySeed("Drawing", source, directory, target, outcome);
    };
    if (!RestoreNodeRows(drawings, "Drawing", nullptr, ctx.MissingFilesOf(node.key), outcome, isNodeFile, targetSpec,
                         restoreRow))
        outcome.Fail(RowChanged("Drawing", fileName, "drawing_no", drawingNo));
}

} // namespace

void RestoreMissingModelFiles(UpgradeCheckContext& ctx, const std::string& projectDirectory)
{
    std::optional<Recordset> models;
    int failures = 0;
    try {
        ShowStatus("Restoring missing model files for PDS-Project: '" + ctx.projectName + "' ...");
        if (Worksheet* sheet = ctx.Sheet())
            WriteSectionStart(*sheet, TitlePlace::UsedRow, "Restore model files",
                              {"Discipline", "Area", "Model", "Description"});
        ShowStatus("Reading models ...");
        models = DBReadWhole(*gCRIS, ctx.ProjectSchema(),
                             "SELECT discipline_indx_no, model_no, network_address, path_name, model_file_spec, "
                             "model_type FROM pdtable_113 GROUP BY discipline_indx_no, model_no, network_address, "
                             "path_name, model_file_spec, model_type;",
                             3);
        ShowStatus(std::to_string(models->RecordCount()) + " models found");
        ModelRestore restore(ctx, projectDirectory, *models);
        const std::vector<CheckTreeNode*> nodes = ctx.tree.Nodes();
        for (const CheckTreeNode* node : nodes) {
            if (node->checked && MatchesKeyPattern("Discipline*Model*File*", node->key))
                restore.Node(*node);
            DoEvents();
        }
        failures = restore.Failures();
    } catch (const AppError& e) {
        CloseRecordset(models, false);
        throw PassOnAsDescription(e, "RestoreMissingModelFiles");
    }
    CloseRecordset(models, false);
    ShowRestoreEnd("Restoring model files", failures);
}

void RestoreMissingDrawingFiles(UpgradeCheckContext& ctx, const std::string& projectDirectory)
{
    std::optional<Recordset> drawings;
    int failures = 0;
    try {
        ShowStatus("Restoring drawing files for PDS-Project: '" + ctx.projectName + "' ...");
        if (Worksheet* sheet = ctx.Sheet())
            WriteSectionStart(*sheet, TitlePlace::BelowUsedRows, "Restore drawing files",
                              {"Drawing Type", "Drawing", "Description"});
        ShowStatus("Reading drawings ...");
        drawings = DBReadWhole(*gCRIS, ctx.ProjectSchema(),
                               "SELECT drawing_type, drawing_no, network_address, path_name, drawing_file_spec "
                               "FROM pdtable_121 GROUP BY drawing_type, drawing_no, network_address, path_name, "
                               "drawing_file_spec;",
                               3);
        ShowStatus(std::to_string(drawings->RecordCount()) + " drawings found");
        const std::vector<CheckTreeNode*> nodes = ctx.tree.Nodes();
        for (const CheckTreeNode* node : nodes) {
            if (node->checked && MatchesKeyPattern("DrawingType*Drawing*File*", node->key))
                DrawingNode(ctx, projectDirectory, *drawings, *node, failures);
            DoEvents();
        }
    } catch (const AppError& e) {
        CloseRecordset(drawings, false);
        throw PassOnAsDescription(e, "RestoreMissingDrawingFiles");
    }
    CloseRecordset(drawings, false);
    ShowRestoreEnd("Restoring drawing files", failures);
}
