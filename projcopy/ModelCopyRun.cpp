// The copy run of the project copy window.
#include "projcopy/ModelCopyRun.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyJournal.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyRunMark.h"
#include "projcopy/CopyWorkFiles.h"
#include "projcopy/DesignTableCopy.h"
#include "projcopy/ModelRelocation.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "services/MessageService.h"
#include "services/Messages.h"

#include <algorithm>
#include <exception>
#include <vector>

namespace {

std::vector<CheckedModel> checkedModels(const CheckTree& tree)
{
    std::vector<CheckedModel> out;
    for (const CheckTreeNode* n : tree.Nodes()) {
        if (!n->children.empty() || !n->checked)
            continue;
        CheckedModel c;
        c.model = n->text;
        if (n->parent) {
            c.hasArea = true;
            c.area = n->parent->text;
            if (n->parent->parent) {
                c.hasDiscipline = true;
                c.discipline = n->parent->parent->text;
            }
        }
        out.push_back(c);
    }
    return out;
}

std::string valueText(Recordset& rs, const std::string& field) { return rs.Fields()[field].Value().ToText(); }

// The message's line on what of a failed model's copy stands in the target: left names what
// could not be taken out again; empty, all that was made (if anything) went again.
std::string whatStands(const std::string& m, bool made, const std::vector<std::string>& left,
                       const std::string& project)
{
    if (!left.empty())
        return "'" + m + "' left in project '" + project + "': " + Join(left, ", ");
    if (made)
        return "'" + m + "': what its copy made is taken out of project '" + project + "' again";
    return "'" + m + "': nothing of it was made in project '" + project + "'";
}

} // namespace

std::string ModelCopyRun::BuildInsertStatement(const std::string& table, Recordset& rs)
{
    ::Fields fields = rs.Fields();
    const int n = fields.Count();
    std::string names, values;
    for (int i = 0; i < n; ++i) {
        Field f = fields[i];
        const Variant v = f.Value();
        names += f.Name() + (i < n - 1 ? ", " : "");
        // A Null stands as NULL, not as an empty place that breaks the statement; quotes
        // inside a text are doubled, so a description like "Bob's lines" is copied whole.
        if (v.IsNull() || v.IsEmpty())
            values += "NULL";
        else if (f.Type() == adLongVarWChar)
            values += SqlStringLiteral(v.ToText());
        else
            values += v.ToText();
        values += i < n - 1 ? ", " : "";
    }
    return "INSERT INTO " + table + " (" + names + ") VALUES (" + values + ");";
}

std::string ModelCopyRun::FailedPrecondition() const
{
    if (sides_.oldProject().empty() || sides_.newProject().empty())
        return std::string("Please select ") + (sides_.oldProject().empty() ? "old" : "new") + " project";
    if (sides_.oldProject() == sides_.newProject() && sides_.oldParams() == sides_.newParams())
        return "Can't copy project '" + sides_.oldProject() + "' to itself";
    if (!selection_.CheckProjectVersions(sides_.oldProject(), sides_.newProject()))
        return "Project's version: '" + sides_.oldProject() + "' and '" + sides_.newProject() + "' is not same";
    return "";
}

int ModelCopyRun::Run() const
{
    log_.Reset();
    RemoveEndedCopiesWorkFiles();
    int number = 0;
    std::string description;
    std::vector<std::pair<std::string, std::string>> failed; // model, what of it stands in the target
    // Per model, what dead copies left half made that is the user's now.
    std::vector<CopyRunMark::Left::ToUser> leftToUser;
    std::vector<std::string> copiedWhole; // by this run
    try {
        // What the copy made, took out and left is said in its log alone, line by line, with
        // the clients' own words: a copy that could not write it is not started.
        if (const std::string why = log_.WriteFailure(); !why.empty())
            description = "The copy was not started: " + log_.UnwritableText(why) +
                          ", and a copy would leave no record of what it made and took out. Nothing was changed; "
                          "make the file writable or remove it, then copy again";
        else
            description = FailedPrecondition();
        if (!description.empty()) {
            number = 1;
        } else {
            // Held until the run ends: a second copy into the target waits for none of it.
            CopyRunMark hold(sides_, ris_, log_);
            if (!hold.Refusal().empty()) {
                number = 1;
                description = hold.Refusal();
                log_.WriteLog(description);
            } else {
                // What a copy that did not finish left goes first; a model it left half copied is
                // named, never taken for one that is in the target already.
                const CopyRunMark::Left dead = hold.TakeOutLeft();
                const std::vector<std::pair<std::string, std::string>>& left = dead.halfCopied;
                failed = left;
                leftToUser = dead.leftToUser;
                for (const CheckedModel& c : checkedModels(tree_)) {
                    if (std::any_of(left.begin(), left.end(), [&](const auto& l) { return l.first == c.model; })) {
                        log_.WriteLog(c.model + ": left half copied in project '" + sides_.newProject() +
                                      "' by a copy that did not finish, model '" + c.model + "' not copied");
                        continue;
                    }
                    std::string stands;
                    bool copied = false;
                    if (!copyModel(c, hold.Journal(), stands, copied))
                        failed.emplace_back(c.model, stands.empty()
                                                         ? whatStands(c.model, false, {}, sides_.newProject())
                                                         : stands);
                    if (copied)
                        copiedWhole.push_back(c.model);
                }
            }
        }
    } catch (const AppError& e) {
        number = e.number() ? static_cast<int>(e.number()) : 1;
        description = e.description();
    } catch (const std::exception& e) {
        number = 1;
        description = e.what();
    }
    if (!failed.empty()) {
        std::string names, stands;
        for (const auto& [m, stand] : failed) {
            names += (names.empty() ? "'" : ", '") + m + "'";
            stands += "\r\n" + stand;
        }
        log_.WriteLog("models not copied: " + names);
        const std::string text = "Models not copied: " + names + ". See the copy log '" + log_.Path() + "'" + stands;
        description = number == 0 ? text : description + "\r\n" + text;
        number = number == 0 ? 1 : number;
    }
    if (!leftToUser.empty()) {
        // Said once, here: the journal no longer lists it, and no later copy will name it.
        std::vector<std::string> texts;
        bool halfMade = false;
        for (const CopyRunMark::Left::ToUser& l : leftToUser) {
            log_.WriteLog(l.text);
            texts.push_back(l.text);
            // A model this run then copied whole stands whole: what was left beside it is named.
            halfMade = halfMade ||
                       (l.halfMade && std::find(copiedWhole.begin(), copiedWhole.end(), l.model) == copiedWhole.end());
        }
        const std::string text = "A copy that did not finish left models half made; what stands of them is left to "
                                 "the user as it is. See the copy log '" + log_.Path() + "'\r\n" + Join(texts, "\r\n");
        description = number == 0 ? text : description + "\r\n" + text;
        // A model found half made is never passed over as a run that ended well.
        if (halfMade)
            number = number == 0 ? 1 : number;
        else if (number == 0)
            ShowMessage(description, MsgStyle::Exclamation);
    }
    if (number != 0) {
        ShowMessage(description, MsgStyle::Exclamation);
        log_.WriteLog("processing failed");
    } else {
        log_.WriteLog("processing successfully complete");
    }
    return number;
}

bool ModelCopyRun::copyModel(const CheckedModel& c, CopyJournal& journal, std::string& stands, bool& copiedWhole) const
{
    copiedWhole = false;
    const std::string& m = c.model;
    bool free = true;
    log_.WriteLog(m + ": checking if partition_no or model_index_no for model '" + m + "' is already in project '" +
                  sides_.newProject() + "' ...");
    std::string sourceFailure;
    Recordset source = ris_.GetData(sides_.oldParams(), "pd_" + sides_.oldProject(),
                                    "SELECT * FROM pdtable_113 WHERE model_no=" + SqlStringLiteral(m) + ";",
                                    sourceFailure);
    std::string partitionsFailure, modelsFailure;
    Recordset reference = ris_.GetData(sides_.newParams(), "pd_" + sides_.newProject(),
                                       "SELECT partition_no FROM pdtable_114;", partitionsFailure);
    Recordset targets = ris_.GetData(sides_.newParams(), "pd_" + sides_.newProject(),
                                     "SELECT partition_no, model_index_no FROM pdtable_113;", modelsFailure);
    failUnread(m, "model row (pdtable_113)", sides_.oldProject(), sourceFailure);
    // A model that is gone from the source meanwhile was not copied.
    if (source.State() != adStateOpen || source.RecordCount() <= 0) {
        log_.WriteLog(m + ": no model data found (pdtable_113) in project '" + sides_.oldProject() + "', model '" + m +
                      "' not copied");
        return false;
    }
    // Unchecked, the model could land on numbers the target already uses.
    failUnread(m, "partition list (pdtable_114)", sides_.newProject(), partitionsFailure);
    failUnread(m, "model list (pdtable_113)", sides_.newProject(), modelsFailure);
    auto clash = [&] {
        free = false;
        log_.WriteLog(m + ": is already in project '" + sides_.newProject() + "'");
    };
    if (targets.State() == adStateOpen && source.RecordCount() > 0 && targets.RecordCount() > 0) {
        for (source.MoveFirst(); !source.Eof(); source.MoveNext()) {
            std::string filter = "model_index_no = " + valueText(source, "model_index_no");
            if (source.Fields()["partition_no"].Value().ToLong() > 0)
                filter = "partition_no = " + valueText(source, "partition_no") + " OR " + filter;
            targets.SetFilter(filter);
            if (targets.RecordCount() > 0) {
                clash();
                break;
            }
            DoEvents();
        }
    }
    if (free && reference.State() == adStateOpen && source.RecordCount() > 0 && reference.RecordCount() > 0) {
        for (source.MoveFirst(); !source.Eof(); source.MoveNext()) {
            if (source.Fields()["partition_no"].Value().ToLong() > 0) {
                reference.SetFilter("partition_no = " + valueText(source, "partition_no"));
                if (reference.RecordCount() > 0) {
                    clash();
                    break;
                }
            }
            DoEvents();
        }
    }
    source.MoveFirst();
    bool copied = true;
    if (free) {
        log_.WriteLog(m + ": not found in project '" + sides_.newProject() + "'");
        journal.Begin(m);
        try {
            copied = copyFreeModel(c, source, reference, journal);
        } catch (const AppError& e) {
            // The run stops here; what this model's copy made goes before it does.
            const bool made = !journal.Empty();
            const std::vector<std::string> stays = journal.Undo(m);
            CloseIfOpen(reference);
            CloseIfOpen(source);
            CloseIfOpen(targets);
            if (!made)
                throw;
            throw AppError(e.number(), e.source(),
                           e.description() + "\r\n" + whatStands(m, made, stays, journal.Target().project));
        } catch (...) {
            journal.Undo(m);
            throw;
        }
        if (copied) {
            try {
                journal.Keep();
            } catch (const AppError& e) {
                // Still listed in the journal, the model would be taken out by the next run.
                log_.WriteLog(m + ": the journal could not be written: " + e.description() + ", model '" + m +
                              "' not copied");
                copied = false;
            }
        }
        if (!copied) {
            const bool made = !journal.Empty();
            stands = whatStands(m, made, journal.Undo(m), journal.Target().project);
        }
    }
    CloseIfOpen(reference);
    CloseIfOpen(source);
    CloseIfOpen(targets);
    copiedWhole = free && copied;
    return copied;
}

bool ModelCopyRun::copyFreeModel(const CheckedModel& c, Recordset& source, Recordset& reference,
                                 CopyJournal& journal) const
{
    const std::string& m = c.model;
    // Read first, made after: the discipline and area the model's row refers to when the target
    // lacks them, where the model goes, and what its copy will make there.
    MissingRows discipline, area;
    if (c.hasDiscipline)
        discipline = findMissingRow(m, "discipline", c.discipline, "pdtable_111", "discipline_indx_no", source,
                                    reference, journal);
    if (c.hasArea)
        area = findMissingRow(m, "area", c.area, "pdtable_112", "area_index_no", source, reference, journal);
    DesignTableCopy tables(log_);
    const ModelRelocation relocation(sides_, ris_, log_, tables);
    RelocationPlan plan;
    std::vector<JournalEntry> will;
    if (!relocation.Plan(m, source, reference, journal, plan, will))
        return false;
    // Everything the copy will make, written before its first step.
    std::vector<JournalEntry> planned;
    for (const MissingRows* rows : {&discipline, &area})
        for (const auto& [statement, entry] : rows->rows)
            planned.push_back(entry);
    planned.insert(planned.end(), will.begin(), will.end());
    journal.Intend(planned);
    // A model goes into the target only with the discipline and area its row refers to; they
    // are taken out again with the model when its copy fails.
    if (!addRows(m, discipline, journal) || !addRows(m, area, journal)) {
        log_.WriteLog(m + ": model '" + m + "' not copied");
        return false;
    }
    return relocation.Copy(m, source, plan, journal);
}

ModelCopyRun::MissingRows ModelCopyRun::findMissingRow(const std::string& m, const std::string& what,
                                                        const std::string& name, const std::string& table,
                                                        const std::string& column, Recordset& sourceRows,
                                                        Recordset& reference, CopyJournal& journal) const
{
    MissingRows found;
    found.what = what;
    found.name = name;
    const std::string target = sides_.newProject();
    log_.WriteLog(m + ": checking if " + what + " '" + name + "' is already in project '" + target + "' ...");
    CloseIfOpen(reference);
    std::string failure;
    reference =
        ris_.GetData(sides_.newParams(), "pd_" + target, "SELECT " + column + " FROM " + table + ";", failure);
    failUnread(m, what + " list (" + table + ")", target, failure);
    const std::string number = valueText(sourceRows, column);
    if (reference.State() == adStateOpen) {
        reference.SetFilter(column + " = " + number);
        if (reference.RecordCount() > 0) {
            log_.WriteLog(m + ": " + what + " '" + name + "' is already in project '" + target + "'");
            return found;
        }
    }
    found.missing = true;
    CloseIfOpen(reference);
    reference = ris_.GetData(sides_.oldParams(), "pd_" + sides_.oldProject(),
                             "SELECT * FROM " + table + " WHERE " + column + " = " + number + ";", failure);
    // Unread, the row would pass for one the source does not have, and the model would go in
    // naming a discipline or area the target lacks.
    failUnread(m, what + " row (" + table + ")", sides_.oldProject(), failure);
    if (reference.State() != adStateOpen) {
        found.noSourceRow = "no " + what + " data found (" + table + ") in project '" + sides_.oldProject() + "'";
        return found;
    }
    // The rows that refer to it by its number keep it in place when the copy is undone.
    std::vector<RowUser> users;
    if (table == "pdtable_111")
        users.push_back({"pdtable_112", column + " = " + number, "area_name", "area"});
    users.push_back({"pdtable_113", column + " = " + number, "model_no", "model"});
    for (reference.MoveFirst(); !reference.Eof(); reference.MoveNext()) {
        JournalEntry e = journal.NewEntry(JournalEntry::Kind::Row, "pd_" + target, table);
        e.key = column + " = " + number;
        e.row = CopyJournal::ImageOf(reference);
        e.what = what + " '" + name + "'";
        e.users = users;
        found.rows.emplace_back(BuildInsertStatement(table, reference), std::move(e));
    }
    return found;
}

bool ModelCopyRun::addRows(const std::string& m, const MissingRows& rows, CopyJournal& journal) const
{
    if (!rows.missing)
        return true;
    const std::string target = sides_.newProject();
    log_.WriteLog(m + ": adding " + rows.what + " '" + rows.name + "' to project '" + target + "'" +
                  (rows.what == "area" ? " ..." : ""));
    if (!rows.noSourceRow.empty()) {
        log_.WriteLog(m + ": " + rows.noSourceRow);
        return true;
    }
    for (const auto& [statement, e] : rows.rows) {
        const bool added = journal.InsertRow(m, e.name, statement, e.key, e.row, e.what, e.users);
        DoEvents();
        if (!added)
            return false;
    }
    return true;
}

void ModelCopyRun::failUnread(const std::string& m, const std::string& list, const std::string& project,
                              const std::string& failure) const
{
    if (failure.empty())
        return;
    const std::string text = "Cannot read the " + list + " of project '" + project + "': " + failure;
    log_.WriteLog(m + ": " + text);
    throw AppError(1, "CopyModel", text);
}
