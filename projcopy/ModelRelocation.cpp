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

namespace {

// The design tables of a row, in load order.
std::vector<std::string> designTables(int16_t discipline, int16_t partition)
{
    std::vector<std::string> tables;
    for (int t : DesignTableCopy::TableNumbers(discipline))
        tables.push_back("pdtable_" + std::to_string(t) + "_" + std::to_string(partition));
    return tables;
}

// The folders xcopy makes for destination, outermost first, so that the undo takes the innermost
// first.
std::vector<std::string> missingFolders(const std::string& destination)
{
    std::vector<std::string> missing;
    for (std::string folder = folderPath(destination); !folder.empty() && !IsFileExists(folder, 1);
         folder = folderPath(GetPathDir(folder)))
        missing.insert(missing.begin(), folder);
    return missing;
}

} // namespace

bool ModelRelocation::tableStands(const std::string& m, const CopyJournal& journal, const std::string& table,
                                  const std::string& target) const
{
    std::string failure;
    const int stands = journal.TableStands(table, failure);
    if (stands < 0) {
        const std::string why = "Cannot read the design table " + table + " of project '" + target + "': " + failure;
        log_.WriteLog(m + ": " + why);
        throw AppError(1, kOwn, why);
    }
    return stands == 1;
}

bool ModelRelocation::Plan(const std::string& m, Recordset& sourceRows, Recordset& reference, CopyJournal& journal,
                           RelocationPlan& plan, std::vector<JournalEntry>& will) const
{
    try {
        plan = RelocationPlan{};
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
        const std::string notCopied = ", model '" + m + "' not copied";
        std::string failure;
        reference = ris_.GetData(into.params, "pd_" + target, statement, failure);
        // Without a location in the target nothing can be copied: the model is not copied, which
        // the run must say rather than count it as done.
        if (reference.State() != adStateOpen || reference.RecordCount() <= 0) {
            log_.WriteLog(m + ": no path found (pdtable_115, pdtable_116) in project '" + target + "'" +
                          (failure.empty() ? std::string() : ": " + failure) + notCopied);
            return false;
        }
        if (sourceRows.RecordCount() <= 0)
            return true;
        reference.MoveFirst();
        const std::string designSchema = "dd_" + target;
        std::set<std::string> files, folders; // recorded once, by their paths in the target
        for (sourceRows.MoveFirst(); !sourceRows.Eof(); sourceRows.MoveNext()) {
            log_.WriteLog(m + ": changing path to the model '" + m + "' in project '" + target + "' ...");
            RelocationPlan::Row row;
            const std::string node = Trim(text(sourceRows, "network_address"));
            const std::string path = Trim(text(sourceRows, "path_name"));
            row.mask = FileMask(SharePath(node, path, GetShareSuffix(node, path)), text(sourceRows, "model_file_spec"));
            row.pattern = GetFileName(row.mask);
            const std::string sub = disc == 3 ? SubFolder(path) : std::string();
            const std::string newNode = reference.Fields()[0].Value().ToText();
            const std::string newPath = TargetPath(reference.Fields()[1].Value().ToText(), sub);
            // The row goes into the target rewritten (in memory; the source is never written).
            sourceRows.Fields()["network_address"].SetValue(Variant(newNode));
            sourceRows.Fields()["path_name"].SetValue(Variant(newPath));
            row.destination =
                AddBackslash(SharePath(Trim(newNode), Trim(newPath), GetShareSuffix(Trim(newNode), Trim(newPath))));
            row.partition = toInt16(sourceRows.Fields()["partition_no"].Value(), "partition_no");
            row.discipline = toInt16(sourceRows.Fields()["discipline_indx_no"].Value(), "discipline_indx_no");

            // xcopy would overwrite them, and the row would name another model's file: the model
            // stays out of the target. What an earlier row of the model will copy there is its own.
            std::vector<std::string> standing = FindFile(row.destination, row.pattern, false);
            std::erase_if(standing, [&](const std::string& file) { return files.count(ToLower(file)) > 0; });
            if (!standing.empty()) {
                log_.WriteLog(m + ": files '" + row.destination + row.pattern + "' exist already in project '" + target +
                              "'" + notCopied);
                return false;
            }
            // The load would replace them, and a failed copy could not take them out without
            // taking out what was there before. Recorded after the row's files, in the order its
            // steps run, so that the undo takes the last made out first.
            std::vector<JournalEntry> tables;
            for (const std::string& table : designTables(row.discipline, row.partition)) {
                if (plan.tables.count(table) || plan.notInSource.count(table))
                    continue; // the table of an earlier row of the model
                const bool stands = tableStands(m, journal, table, target);
                if (stands) {
                    log_.WriteLog(m + ": design table " + table + " exists already in " + designSchema +
                                  " of project '" + target + "'" + notCopied);
                    return false;
                }
                log_.WriteLog(m + ": " + table + " is not in " + designSchema + " yet");
                // What its load will make: the source's rows, as the copy's unload carries them.
                bool missing = false;
                const MadeImage loads =
                    journal.TableImage(sides_.oldParams(), "dd_" + sides_.oldProject(), table, CopyLayout::Fixed, &missing);
                if (missing) {
                    plan.notInSource.insert(table);
                    continue;
                }
                plan.tables[table] = loads;
                JournalEntry e = journal.NewEntry(JournalEntry::Kind::Table, designSchema, table);
                e.image = loads;
                tables.push_back(std::move(e));
            }
            // The row, as its INSERT will write it.
            JournalEntry modelRow = journal.NewEntry(JournalEntry::Kind::Row, "pd_" + target, "pdtable_113");
            modelRow.key = "model_index_no = " + text(sourceRows, "model_index_no");
            modelRow.row = CopyJournal::ImageOf(sourceRows);
            modelRow.what = "model '" + m + "'";
            will.push_back(std::move(modelRow));
            // The folders and files xcopy will make, each read once.
            for (const std::string& folder : missingFolders(row.destination))
                if (folders.insert(ToLower(folder)).second)
                    will.push_back(journal.NewEntry(JournalEntry::Kind::Folder, "", folder));
            for (const std::string& source : FindFile(GetPathDir(row.mask), row.pattern, false)) {
                CopyJournal::FileCopy copy = CopyJournal::WillMake(source, row.destination + GetFileName(source));
                if (files.insert(ToLower(copy.copy)).second) {
                    JournalEntry e = journal.NewEntry(JournalEntry::Kind::File, "", copy.copy);
                    e.source = copy.source;
                    e.image = copy.image;
                    will.push_back(std::move(e));
                }
                row.files.push_back(std::move(copy));
            }
            std::move(tables.begin(), tables.end(), std::back_inserter(will));
            plan.rows.push_back(std::move(row));
        }
        sourceRows.MoveFirst();
        return true;
    } catch (const AppError& e) {
        throw PassOn(e, kOwn);
    }
}

bool ModelRelocation::Copy(const std::string& m, Recordset& sourceRows, const RelocationPlan& plan,
                           CopyJournal& journal) const
{
    try {
        const CopyTarget& into = journal.Target();
        const std::string target = into.project;
        const std::string designSchema = "dd_" + target;
        const std::string notCopied = ", model '" + m + "' not copied";
        size_t at = 0;
        for (sourceRows.MoveFirst(); !sourceRows.Eof() && at < plan.rows.size(); sourceRows.MoveNext(), ++at) {
            const RelocationPlan::Row& row = plan.rows[at];
            const std::string& destination = row.destination;
            const std::string& pattern = row.pattern;
            // Files of the model's name that stand there now and are not this copy's: another
            // program put them there since the plan.
            std::vector<std::string> standing = FindFile(destination, pattern, false);
            std::erase_if(standing, [&journal](const std::string& file) { return journal.MadeFile(file); });
            if (!standing.empty()) {
                log_.WriteLog(m + ": files '" + destination + pattern + "' exist already in project '" + target + "'" +
                              notCopied);
                return false;
            }
            // The tables this run made for an earlier row that still stand: only these are not
            // loaded again. One it made that is gone since is loaded like any missing table.
            std::set<std::string> copiedBefore;
            for (const std::string& table : designTables(row.discipline, row.partition)) {
                const bool stands = tableStands(m, journal, table, target);
                if (stands && journal.MadeTable(table)) {
                    log_.WriteLog(m + ": " + table + " was copied for an earlier row of model '" + m + "'");
                    copiedBefore.insert(table);
                } else if (stands) {
                    log_.WriteLog(m + ": design table " + table + " exists already in " + designSchema +
                                  " of project '" + target + "'" + notCopied);
                    return false;
                }
            }
            // The row first: a row the target refuses takes no file and no table along.
            log_.WriteLog(m + ": adding model '" + m + "' to project '" + target + "' ...");
            if (!journal.InsertRow(m, "pdtable_113", ModelCopyRun::BuildInsertStatement("pdtable_113", sourceRows),
                                   "model_index_no = " + text(sourceRows, "model_index_no"),
                                   CopyJournal::ImageOf(sourceRows), "model '" + m + "'"))
                return false;

            log_.WriteLog(m + ": copying models files ...");
            std::vector<CopyJournal::FileCopy> files;
            for (const std::string& source : FindFile(GetPathDir(row.mask), pattern, false)) {
                const std::string copy = destination + GetFileName(source);
                // Two rows of the model in different folders whose files share a name meet in the
                // one target folder: the later row's file replaces the copy the earlier row made.
                if (const std::string earlier = journal.SourceOf(copy);
                    !earlier.empty() && journal.MadeFile(copy) && !HostSameFile(earlier, source))
                    log_.WriteLog(m + ": '" + source + "' replaces '" + copy + "', the copy of '" + earlier +
                                  "' made for an earlier row of model '" + m + "'");
                // Each source read once: as the plan read it, unless it is new since.
                const auto planned = std::find_if(row.files.begin(), row.files.end(),
                                                  [&](const CopyJournal::FileCopy& f) { return f.source == source; });
                files.push_back(planned != row.files.end() ? *planned : CopyJournal::WillMake(source, copy));
            }
            // Written before xcopy runs where the plan did not record them as they are: a copy
            // killed while it runs leaves them named.
            journal.WillCopyFiles(files, missingFolders(destination));
            long copyExit = 0;
            const ChangeOutcome copied = ChangeAndLook(
                [&] {
                    // /Y: the files standing are this copy's own (see above), and no question
                    // may wait in a hidden window.
                    copyExit = RunCopyClient("xcopy " + QuoteString(row.mask) + " " + QuoteString(destination) +
                                                 " /I /Y",
                                             &log_);
                    return copyExit == 0 ? std::string() : "xcopy ended with exit code " + std::to_string(copyExit);
                },
                // Looked at after every run: an xcopy that ends well may have copied part.
                [&](std::string& seen) { return copiedFiles(row.mask, destination, seen); }, LookAfter::EveryCall);
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
            DesignTableCopy::LoadJournal recorded;
            recorded.willLoad = [&journal](const std::string& table, const MadeImage& loads) {
                journal.WillLoadTable(table, loads);
            };
            recorded.look = [&journal](const std::string& table, uint64_t rows, std::string& seen) {
                return journal.LoadState(table, rows, seen);
            };
            recorded.loaded = [&journal](const std::string& table, ChangeState state, const MadeImage& stands) {
                journal.TableLoaded(table, state, stands);
            };
            recorded.copiedAlready = [&copiedBefore](const std::string& table) { return copiedBefore.count(table) > 0; };
            const bool whole = tables_.LoadModelTable(sides_.oldParams(), into.params, "dd_" + sides_.oldProject(),
                                                      designSchema, row.partition, row.discipline, recorded);
            if (!whole) {
                log_.WriteLog(m + ": design tables not copied whole" + notCopied);
                return false;
            }
            DoEvents();
        }
        return true;
    } catch (const AppError& e) {
        throw PassOn(e, kOwn);
    }
}
