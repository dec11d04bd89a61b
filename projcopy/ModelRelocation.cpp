// Relocation of a model's rows and files into the target project.
#include "projcopy/ModelRelocation.h"

#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyClientRun.h"
#include "projcopy/CopyJournal.h"
#include "projcopy/CopyLog.h"
#include "projcopy/DesignTableCopy.h"
#include "projcopy/ModelCopyRun.h"
#include "projcopy/RisParamsAccess.h"
#include "services/BatchLauncher.h"
#include "services/ChangeOutcome.h"
#include "services/FileOperation.h"

#include <map>
#include <set>

namespace {

const char* kOwn = "CopyModelToTarget";

int16_t toInt16(const Variant& v, const std::string& column)
{
    const long long n = v.ToLong();
    if (n < -32768 || n > 32767)
        throw AppError(6, kOwn, "Overflow (" + column + " " + v.ToText() + ")");
    return static_cast<int16_t>(n);
}

std::string text(Recordset& rs, const std::string& field) { return rs.Fields()[field].Value().ToText(); }

// A folder path without its closing backslash; "" when nothing but a share or a drive is left.
std::string folderPath(const std::string& path)
{
    std::string p = path;
    while (!p.empty() && p.back() == '\\')
        p.pop_back();
    // \\server\share and X: are no folders this copy makes.
    const size_t shareEnd = p.rfind("\\\\", 0) == 0 ? p.find('\\', p.find('\\', 2) + 1) : p.find('\\');
    return shareEnd == std::string::npos ? std::string() : p;
}

// What stands of xcopy's work: Done when every file of the mask stands in destination with its
// size, NotDone when none does, NotKnown in between.
ChangeState copiedFiles(const std::string& mask, const std::string& destination, std::string& seen)
{
    const std::string pattern = GetFileName(mask);
    const std::vector<std::string> sources = FindFile(GetPathDir(mask), pattern, false);
    std::vector<std::string> there, missing;
    size_t present = 0; // whole or not
    for (const std::string& source : sources) {
        const std::string copy = AddBackslash(destination) + GetFileName(source);
        const bool exists = IsFileExists(copy, 0);
        present += exists ? 1 : 0;
        if (exists && GetFileSize(copy) == GetFileSize(source))
            there.push_back(GetFileName(source));
        else
            missing.push_back(GetFileName(source));
    }
    if (sources.empty())
        CouldNotRead("no file of '" + mask + "' is there to compare with");
    seen = std::to_string(there.size()) + " of " + std::to_string(sources.size()) + " files stand in '" + destination +
           "'" + (missing.empty() ? std::string() : ", missing: " + Join(missing, ", "));
    if (missing.empty())
        return ChangeState::Done;
    return present == 0 ? ChangeState::NotDone : ChangeState::NotKnown;
}

} // namespace

std::string ModelRelocation::SharePath(const std::string& node, const std::string& path, const std::string& suffix)
{
    const size_t colon = path.find(':');
    if (colon == std::string::npos)
        throw AppError(5, kOwn, "Invalid procedure call or argument (path '" + path + "' has no drive)");
    return "\\\\" + node + "\\" + path.substr(0, colon) + suffix + path.substr(colon + 1);
}

std::string ModelRelocation::GetShareSuffix(const std::string& node, const std::string& path)
{
    try {
        // The folder itself is listed: a path stored without its closing backslash would
        // otherwise name the folder as a file and never be found on the plain share.
        const std::string folder = AddBackslash(SharePath(node, path, ""));
        if (!FindFile(folder, "*", false).empty())
            return "";
    } catch (...) {
        // A failed probe only chooses the administrative share.
    }
    return "$";
}

std::string ModelRelocation::SubFolder(const std::string& path)
{
    if (path.size() < 2)
        return "";
    const size_t p = path.rfind('\\', path.size() - 2);
    if (p == std::string::npos)
        return "";
    return Trim(path.substr(p + 1));
}

std::string ModelRelocation::TargetPath(const std::string& locationPath, const std::string& subFolder)
{
    if (subFolder.empty() || locationPath.empty() || locationPath.back() == '\\')
        return locationPath + subFolder;
    return locationPath + "\\" + subFolder;
}

std::string ModelRelocation::FileMask(const std::string& folder, const std::string& modelFileSpec)
{
    const size_t dot = modelFileSpec.find('.');
    const std::string base = dot == std::string::npos ? std::string() : Trim(modelFileSpec.substr(0, dot + 1));
    return AddBackslash(folder) + base + "*";
}

bool ModelRelocation::CopyModelToTarget(const std::string& m, Recordset& sourceRows, Recordset& reference,
                                        CopyJournal& journal) const
{
    try {
        log_.WriteLog(m + ": preparing to copy model '" + m + "' ...");
        const long long disc = sourceRows.Fields()["discipline_indx_no"].Value().ToLong();
        const std::string statement =
            disc != 3 ? "SELECT default_node, default_path_name FROM pdtable_115 WHERE discipline_indx_no = " +
                            std::to_string(disc) + ";"
                      : std::string("SELECT sub_project_node, sub_project_path FROM pdtable_116;");
        if (reference.State() == adStateOpen)
            reference.Close();
        // The target the journal records: every step goes to the same one.
        const CopyTarget& into = journal.Target();
        const std::string target = into.project;
        std::string failure;
        reference = ris_.GetData(into.params, "pd_" + target, statement, failure);
        // Without a location in the target nothing can be copied: the model is not copied, which
        // the run must say rather than count it as done.
        if (reference.State() != adStateOpen || reference.RecordCount() <= 0) {
            log_.WriteLog(m + ": no path found (pdtable_115, pdtable_116) in project '" + target + "'" +
                          (failure.empty() ? std::string() : ": " + failure) + ", model '" + m + "' not copied");
            return false;
        }
        if (sourceRows.RecordCount() <= 0)
            return true;
        reference.MoveFirst();
        sourceRows.MoveFirst();
        while (!sourceRows.Eof()) {
            const std::string notCopied = ", model '" + m + "' not copied";
            log_.WriteLog(m + ": changing path to the model '" + m + "' in project '" + target + "' ...");
            const std::string node = Trim(text(sourceRows, "network_address"));
            const std::string path = Trim(text(sourceRows, "path_name"));
            const std::string mask = FileMask(SharePath(node, path, GetShareSuffix(node, path)),
                                              text(sourceRows, "model_file_spec"));
            const std::string sub = disc == 3 ? SubFolder(path) : std::string();
            const std::string newNode = reference.Fields()[0].Value().ToText();
            const std::string newPath = TargetPath(reference.Fields()[1].Value().ToText(), sub);
            sourceRows.Fields()["network_address"].SetValue(Variant(newNode));
            sourceRows.Fields()["path_name"].SetValue(Variant(newPath));
            const std::string destination =
                AddBackslash(SharePath(Trim(newNode), Trim(newPath), GetShareSuffix(Trim(newNode), Trim(newPath))));
            const int16_t partition = toInt16(sourceRows.Fields()["partition_no"].Value(), "partition_no");
            const int16_t discipline = toInt16(sourceRows.Fields()["discipline_indx_no"].Value(), "discipline_indx_no");

            // xcopy would overwrite them, and the row would name another model's file: the model
            // stays out of the target. Files this copy made for an earlier row of the model are
            // its own; every file of the pattern in the target after the copy is then the copy's.
            const std::string pattern = GetFileName(mask);
            std::vector<std::string> standing = FindFile(destination, pattern, false);
            std::erase_if(standing, [&journal](const std::string& file) { return journal.MadeFile(file); });
            if (!standing.empty()) {
                log_.WriteLog(m + ": files '" + destination + pattern + "' exist already in project '" + target + "'" +
                              notCopied);
                return false;
            }
            // The load would replace them, and a failed copy could not take them out without
            // taking out what was there before.
            const std::string designSchema = "dd_" + target;
            // The tables this run made for an earlier row that still stand: only these are not
            // loaded again. One it made that is gone since is loaded like any missing table.
            std::set<std::string> copiedBefore;
            for (int t : DesignTableCopy::TableNumbers(discipline)) {
                const std::string table = "pdtable_" + std::to_string(t) + "_" + std::to_string(partition);
                const int stands = journal.TableStands(table, failure);
                if (stands < 0) {
                    const std::string why = "Cannot read the design table " + table + " of project '" + target +
                                            "': " + failure;
                    log_.WriteLog(m + ": " + why);
                    throw AppError(1, kOwn, why);
                }
                if (stands == 1 && journal.MadeTable(table)) {
                    log_.WriteLog(m + ": " + table + " was copied for an earlier row of model '" + m + "'");
                    copiedBefore.insert(table);
                    continue;
                }
                if (stands == 1) {
                    log_.WriteLog(m + ": design table " + table + " exists already in " + designSchema +
                                  " of project '" + target + "'" + notCopied);
                    return false;
                }
                log_.WriteLog(m + ": " + table + " is not in " + designSchema + " yet");
            }
            // The row first: a row the target refuses takes no file and no table along.
            log_.WriteLog(m + ": adding model '" + m + "' to project '" + target + "' ...");
            if (!journal.InsertRow(m, "pdtable_113", ModelCopyRun::BuildInsertStatement("pdtable_113", sourceRows),
                                   "model_index_no = " + text(sourceRows, "model_index_no"),
                                   CopyJournal::ImageOf(sourceRows), "model '" + m + "'"))
                return false;

            log_.WriteLog(m + ": copying models files ...");
            // The folders xcopy makes, outermost first, so that the undo takes the innermost first.
            std::vector<std::string> missing;
            for (std::string folder = folderPath(destination); !folder.empty() && !IsFileExists(folder, 1);
                 folder = folderPath(GetPathDir(folder)))
                missing.insert(missing.begin(), folder);
            std::vector<std::pair<std::string, std::string>> files;
            for (const std::string& source : FindFile(GetPathDir(mask), pattern, false)) {
                const std::string copy = destination + GetFileName(source);
                // Two rows of the model in different folders whose files share a name meet in the
                // one target folder: the later row's file replaces the copy the earlier row made.
                if (const std::string earlier = journal.SourceOf(copy); !earlier.empty() && !HostSameFile(earlier, source))
                    log_.WriteLog(m + ": '" + source + "' replaces '" + copy + "', the copy of '" + earlier +
                                  "' made for an earlier row of model '" + m + "'");
                files.emplace_back(source, copy);
            }
            // Recorded before xcopy runs: a copy killed while it runs leaves them named.
            journal.WillCopyFiles(files, missing);
            long copyExit = 0;
            const ChangeOutcome copied = ChangeAndLook(
                [&] {
                    // /Y: the files standing are this copy's own (see above), and no question
                    // may wait in a hidden window.
                    copyExit = RunCopyClient("xcopy " + QuoteString(mask) + " " + QuoteString(destination) + " /I /Y",
                                             &log_);
                    return copyExit == 0 ? std::string() : "xcopy ended with exit code " + std::to_string(copyExit);
                },
                // Looked at after every run: an xcopy that ends well may have copied part.
                [&](std::string& seen) { return copiedFiles(mask, destination, seen); }, LookAfter::EveryCall);
            if (copied.Failed())
                log_.WriteLog(m + ": " + copied.Describe("the copy of the model files"));
            journal.FilesCopied(FindFile(destination, pattern, false));
            const std::string modelFile = destination + Trim(text(sourceRows, "model_file_spec"));
            if (!IsFileExists(modelFile, 0)) {
                log_.WriteLog(m + ": model file '" + modelFile + "' not copied" + notCopied);
                return false;
            }
            // The model file alone is not the model: a companion file xcopy could not copy (in
            // use, disk full) leaves it incomplete in the target.
            if (copyExit != 0) {
                log_.WriteLog(m + ": xcopy of the model files ended with exit code " + std::to_string(copyExit) +
                              notCopied);
                return false;
            }
            if (copied.Failed()) {
                log_.WriteLog(m + ": model files not copied whole" + notCopied);
                return false;
            }

            log_.WriteLog(m + ": loading data from '" + sides_.oldProject() + "' to project '" + target + "' ...");
            // What each load will make, read from the source before any client of the copy runs
            // (they share the work files): recorded with the table before its load, so that the
            // undo of a copy killed during a load takes the table out only when it holds these rows.
            std::map<std::string, MadeImage> willMake;
            for (int t : DesignTableCopy::TableNumbers(discipline)) {
                const std::string table = "pdtable_" + std::to_string(t) + "_" + std::to_string(partition);
                if (!copiedBefore.count(table))
                    willMake[table] = journal.TableImage(sides_.oldParams(), "dd_" + sides_.oldProject(), table);
            }
            DesignTableCopy::LoadJournal recorded;
            recorded.willLoad = [&journal, &willMake](const std::string& table) {
                journal.WillLoadTable(table, willMake[table]);
            };
            recorded.look = [&journal](const std::string& table, uint64_t rows, std::string& seen) {
                return journal.LoadState(table, rows, seen);
            };
            recorded.loaded = [&journal](const std::string& table, ChangeState state) {
                journal.TableLoaded(table, state);
            };
            recorded.copiedAlready = [&copiedBefore](const std::string& table) { return copiedBefore.count(table) > 0; };
            const bool whole = tables_.LoadModelTable(sides_.oldParams(), into.params, "dd_" + sides_.oldProject(),
                                                      designSchema, partition, discipline, recorded);
            if (!whole) {
                log_.WriteLog(m + ": design tables not copied whole" + notCopied);
                return false;
            }
            DoEvents();
            sourceRows.MoveNext();
        }
        return true;
    } catch (const AppError& e) {
        throw PassOn(e, kOwn);
    }
}
