// The undo of a model's copy: what it made is looked at, and taken out only while it is still as
// the copy made it; the rest is named.
#include "projcopy/CopyJournal.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/DecimalNumber.h"
#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/CopyLog.h"
#include "projcopy/RisParamsAccess.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

// The DELETE's condition: the key and every column that names the row exactly (texts, numbers,
// Nulls), so that a row of the same key that is not the copy's is never hit. A row the copy
// read back after its INSERT holds each number as the server printed what it stores, so the
// server finds it by that text whatever its scale; a number it prints in no form a statement
// takes is left out, the rest still names the row.
std::string rowCondition(const std::string& key, const RowImage& row)
{
    std::string where = "(" + key + ")";
    for (const RowValue& v : row) {
        if (!v.value)
            where += " AND " + v.column + " IS NULL";
        else if (v.text)
            where += " AND " + v.column + " = " + SqlStringLiteral(*v.value);
        else if (DecimalNumber::Parse(*v.value))
            where += " AND " + v.column + " = " + Trim(*v.value);
    }
    return where;
}

// An undo step: the change, then always a look, as an undo must say what stands afterwards
// also when its client ended well.
ChangeOutcome undoStep(const std::function<std::string()>& change, const ChangeLook& look)
{
    return ChangeAndLook(change, look, LookAfter::EveryCall);
}

// Why an undo step left its thing ("" when it is gone); unknown is set when what stands could
// not be told.
std::string leftBecause(bool& unknown, const ChangeOutcome& out)
{
    unknown = out.state == ChangeState::NotKnown;
    switch (out.state) {
    case ChangeState::Done:
        return {};
    case ChangeState::NotDone:
        return "it stands" + (out.failure.empty() ? std::string() : " (" + out.failure + ")");
    case ChangeState::NotKnown:
        break;
    }
    return "whether it stands is unknown: " + out.seen;
}

} // namespace

std::vector<std::string> CopyJournal::usedBy(const Entry& e, std::string& failure) const
{
    std::vector<std::string> names;
    failure.clear();
    for (const RowUser& u : e.users) {
        Recordset rs = ris_.GetData(paramsFor(e), e.schema, "SELECT " + u.name + " FROM " + u.table + " WHERE " + u.where +
                                                            ";",
                                    failure);
        if (!failure.empty()) {
            CloseIfOpen(rs);
            failure = "whether a " + u.noun + " still uses it could not be read (" + failure + ")";
            return names;
        }
        if (rs.State() != adStateOpen)
            continue;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            names.push_back(u.noun + " '" + Trim(rs.Fields()[u.name].Value().ToText()) + "'");
        rs.Close();
    }
    return names;
}

CopyJournal::Look CopyJournal::lookAt(const Entry& e) const
{
    using State = Look::State;
    try {
        switch (e.kind) {
        case Kind::Row: {
            std::string seen;
            bool another = false;
            if (rowState(e, seen, &another) == ChangeState::Done)
                return {State::AsMade, {}};
            // An intended row whose key holds another row was never inserted as far as can be
            // shown: that row is not the copy's to name.
            if (!another || e.state == Entry::State::Intended)
                return {State::Gone, {}};
            return {State::Changed, "it is no longer as the copy made it: " + seen};
        }
        case Kind::File:
            return lookAtFile(e);
        case Kind::Folder: {
            if (!IsFileExists(e.name, 1))
                return {State::Gone, {}};
            // Only an empty folder is taken out: whatever is in it now stays, and so does the folder.
            std::vector<std::string> names;
            for (const HostEntry& in : HostListFolder(e.name))
                names.push_back("'" + in.name + "'");
            if (names.empty())
                return {State::AsMade, {}};
            if (names.size() > 3) {
                names.resize(3);
                names.push_back("...");
            }
            return {State::Changed, "it holds what the copy did not take out: " + Join(names, ", ")};
        }
        case Kind::Table:
            return lookAtTable(e);
        }
    } catch (const std::exception& ex) {
        return {State::Unknown, "whether it stands as the copy made it is not known: " + std::string(ex.what())};
    }
    return {State::Unknown, "whether it stands is not known"};
}

CopyJournal::Look CopyJournal::lookAtFile(const Entry& e) const
{
    using State = Look::State;
    // An undo that moved the file aside and ended before it was deleted or back: what it moved
    // is the copy's file, looked at where it stands.
    const std::string at = movedAside(e) ? e.aside : e.name;
    if (!IsFileExists(at, 0))
        return {State::Gone, {}};
    const MadeImage now = MadeImage::OfFile(at);
    if (!now.Known())
        return {State::Unknown, "whether it is as the copy made it is not known: it cannot be read"};
    return fileIs(e, now);
}

bool CopyJournal::movedAside(const Entry& e) { return !e.aside.empty() && HostFileExists(e.aside); }

CopyJournal::Look CopyJournal::fileIs(const Entry& e, const MadeImage& now)
{
    using State = Look::State;
    if (e.image.Known()) {
        if (e.image.Matches(now))
            return {State::AsMade, {}};
        return {State::Changed, "it changed since the copy made it (" + now.FileText() + ", the copy made " +
                                    e.image.FileText() + ")"};
    }
    // A journal of an earlier version holds no image: only a file equal to its source is shown
    // to be the copy.
    MadeImage source = e.source.empty() ? MadeImage{} : MadeImage::OfFile(e.source);
    source.time.clear();
    if (source.Known() && !source.digest.empty() && source.Matches(now))
        return {State::AsMade, {}};
    return {State::Changed, "it is not shown to be as the copy made it: it differs from its source '" + e.source +
                                "', and the journal of an earlier version holds no record of it"};
}

CopyJournal::Look CopyJournal::lookAtTable(const Entry& e) const
{
    using State = Look::State;
    std::string failure;
    const std::string params = paramsFor(e);
    switch (tableStands(params, e.schema, e.name, failure)) {
    case 0:
        return {State::Gone, {}};
    case 1:
        break;
    default:
        return {State::Unknown, "whether it stands is not known: " + failure};
    }
    if (!e.image.Known())
        return {State::Changed, "it is not shown to be as the copy made it: the journal of an earlier version holds "
                                "no record of its rows"};
    if (!e.image.OfRowsNow())
        return {State::Changed, "it is not shown to be as the copy made it: the journal of an earlier version "
                                "records its rows in a form this one does not compare"};
    const MadeImage now = TableImage(params, e.schema, e.name, CopyLayout::Variable);
    if (!now.Known())
        return {State::Unknown, "whether its rows are as the copy made them is not known: they cannot be read"};
    if (e.image.Matches(now))
        return {State::AsMade, {}};
    return {State::Changed, "its rows changed since the copy made them (" + std::to_string(now.size) +
                                " rows, the copy made " + std::to_string(e.image.size) + ")"};
}

std::string CopyJournal::Describe(const JournalEntry& e)
{
    switch (e.kind) {
    case Kind::Row:
        return e.what + " (" + e.name + ")";
    case Kind::File:
        return "file '" + e.name + "'";
    case Kind::Folder:
        return "folder '" + e.name + "'";
    case Kind::Table:
        return "design table " + e.name + " of " + e.schema;
    }
    return e.name;
}

CopyJournal::TakeOut CopyJournal::takeOut(const Entry& e) const
{
    TakeOut result;
    switch (e.kind) {
    case Kind::Row: {
        // A discipline or area that a remaining row refers to stays, or that row would name
        // one the project lacks.
        std::string failure;
        const std::vector<std::string> users = usedBy(e, failure);
        if (!failure.empty()) {
            result.why = "it stays: " + failure;
            return result;
        }
        if (!users.empty()) {
            result.why = "it stays: still used by " + Join(users, ", ");
            // Used only by rows that are not the journal's own, it is no longer the copy's.
            result.settled = std::none_of(entries_.begin(), entries_.end(), [&](const Entry& other) {
                return &other != &e && other.kind == Kind::Row &&
                       std::find(users.begin(), users.end(), other.what) != users.end();
            });
            return result;
        }
        result.why = leftBecause(result.unknown, undoStep(
            [&] {
                return ris_.RunStatement(paramsFor(e), e.schema,
                                         "DELETE FROM " + e.name + " WHERE " + rowCondition(e.key, e.row));
            },
            [&](std::string& seen) {
                std::string looked;
                switch (rowState(e, looked)) {
                case ChangeState::Done:
                    return ChangeState::NotDone; // the copy's row stands
                case ChangeState::NotDone:
                    return ChangeState::Done;
                case ChangeState::NotKnown:
                    break;
                }
                seen = looked;
                return ChangeState::NotKnown;
            }));
        break;
    }
    case Kind::File:
        return takeOutFile(e);
    case Kind::Folder:
        // Only when empty: whatever else is in it now is not this copy's.
        result.why = leftBecause(result.unknown, undoStep(
            [&] {
                long pid = 0;
                const long exitCode = ExecA("rmdir " + QuoteString(e.name), "", 0, "", pid, true);
                return exitCode == 0 ? std::string() : "rmdir ended with exit code " + std::to_string(exitCode);
            },
            [&](std::string&) { return IsFileExists(e.name, 1) ? ChangeState::NotDone : ChangeState::Done; }));
        break;
    case Kind::Table:
        result.why = leftBecause(result.unknown, undoStep([&] { return ris_.RunStatement(paramsFor(e), e.schema, "DROP TABLE " + e.name); },
                                    [&](std::string& seen) {
                                        std::string failure;
                                        switch (tableStands(paramsFor(e), e.schema, e.name, failure)) {
                                        case 0:
                                            return ChangeState::Done;
                                        case 1:
                                            return ChangeState::NotDone;
                                        default:
                                            CouldNotRead(failure);
                                        }
                                    }));
        break;
    }
    result.gone = result.why.empty();
    return result;
}

CopyJournal::TakeOut CopyJournal::takeOutFile(const Entry& e) const
{
    TakeOut result;
    // Moved aside under a name of this run first: what is looked at then is what goes, and a
    // change made between the look before and the move is seen, never deleted.
    if (!movedAside(e)) {
        try {
            HostMoveFile(e.name, e.aside);
        } catch (const AppError& ex) {
            if (!IsFileExists(e.name, 0)) {
                result.gone = true; // gone meanwhile
                return result;
            }
            result.why = "it stands: it could not be moved aside to be taken out (" + ex.description() + ")";
            return result;
        }
    }
    const MadeImage now = MadeImage::OfFile(e.aside);
    const Look look = now.Known() ? fileIs(e, now)
                                  : Look{Look::State::Unknown, "whether it is as the copy made it is not known: it "
                                                               "cannot be read"};
    if (look.state == Look::State::AsMade) {
        result.why = leftBecause(result.unknown, undoStep(
            [&] { return DeleteFileA(e.aside, false) ? std::string() : "the delete failed: " + gFileOpErrDescription; },
            [&](std::string&) { return IsFileExists(e.aside, 0) ? ChangeState::NotDone : ChangeState::Done; }));
        if (!result.why.empty())
            result.why = "it stands as '" + e.aside + "', where it was moved to be taken out: " + result.why;
        result.gone = result.why.empty();
        return result;
    }
    // Not as the copy made it: it goes back to its name, never over a file that stands there now.
    result.why = look.why;
    result.settled = look.state == Look::State::Changed;
    result.unknown = look.state == Look::State::Unknown;
    try {
        HostMoveFile(e.aside, e.name, Overwrite::No);
    } catch (const AppError& ex) {
        result.why += "; it stands as '" + e.aside + "', as it could not be put back (" + ex.description() + ")";
    }
    return result;
}

std::vector<std::string> CopyJournal::Undo(const std::string& m, bool* halfMade)
{
    if (halfMade)
        *halfMade = false;
    // Every row and design table of the model is looked at in the environment it was made in.
    // Where that cannot be reached, nothing of the model is taken out: its files alone would go,
    // and the rows and tables left would pass for a model whole in the target.
    std::vector<std::string> unreached, named;
    for (const Entry& e : entries_) {
        if (e.model != m)
            continue;
        named.push_back(Describe(e));
        std::string why;
        if ((e.kind == Kind::Row || e.kind == Kind::Table) && !reach(e, why) &&
            std::find(unreached.begin(), unreached.end(), why) == unreached.end())
            unreached.push_back(why);
    }
    if (!unreached.empty()) {
        const auto first = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.model == m; });
        const std::string project = first->project;
        const std::string text = "nothing of it is taken out: " + Join(unreached, "; ") + " (" + Join(named, ", ") +
                                 "); once that file stands again, the next copy into project '" + project +
                                 "' takes out what is still as made";
        log_.WriteLog(m + ": left in project '" + project + "': " + text);
        if (halfMade)
            *halfMade = true;
        return {text};
    }
    // By project, in the order first met: each line names where its entries were made.
    std::vector<std::string> projects, left;
    std::vector<std::vector<std::string>> gone, stays;
    for (size_t i = entries_.size(); i-- > 0;) {
        if (entries_[i].model != m)
            continue;
        TakeOut out;
        try {
            // A step recorded before it ran may never have run, and what is gone since needs no
            // taking out: nothing of it to take out or name.
            const Look look = lookAt(entries_[i]);
            if (look.state == Look::State::Gone) {
                erase(i);
                continue;
            }
            if (look.state == Look::State::AsMade) {
                if (entries_[i].kind == Kind::File && !movedAside(entries_[i])) {
                    // The name it is moved aside under, recorded before the move: a program
                    // killed between the move and the delete leaves it where the next run looks.
                    entries_[i].aside = OwnedLeftoverName(entries_[i].name, ".undo");
                    save();
                }
                out = takeOut(entries_[i]);
            } else {
                // No longer as made, it is the user's now; not known, it is named, and stays
                // recorded: a later run looks again.
                out.why = look.why;
                out.settled = look.state == Look::State::Changed;
                out.unknown = look.state == Look::State::Unknown;
            }
        } catch (const std::exception& ex) {
            out = TakeOut{};
            out.unknown = true;
            out.why = std::string("whether it stands as the copy made it is not known: ") + ex.what();
        }
        const Entry& e = entries_[i];
        const auto at = std::find(projects.begin(), projects.end(), e.project);
        const size_t p = static_cast<size_t>(at - projects.begin());
        if (at == projects.end()) {
            projects.push_back(e.project);
            gone.emplace_back();
            stays.emplace_back();
        }
        if (out.gone) {
            gone[p].push_back(Describe(e));
        } else {
            // The model itself (its row, a file of it, a design table) stands in part; a folder,
            // or a discipline or area row that other rows use, is no part of it.
            if (halfMade && (e.kind == Kind::File || e.kind == Kind::Table ||
                             (e.kind == Kind::Row && EqualsNoCase(e.name, "pdtable_113"))))
                *halfMade = true;
            stays[p].push_back(Describe(e) + ": " + out.why + (out.settled ? "; it is left to the user" : ""));
            left.push_back(stays[p].back());
        }
        // Written after the look: a program killed before finds the entry again, and looks.
        if (out.gone || out.settled)
            erase(i);
    }
    for (size_t p = 0; p < projects.size(); ++p) {
        const std::string project = "project '" + projects[p] + "'";
        if (!gone[p].empty())
            log_.WriteLog(m + ": taken out of " + project + " again: " + Join(gone[p], ", "));
        if (!stays[p].empty())
            log_.WriteLog(m + ": left in " + project + ": " + Join(stays[p], ", "));
    }
    return left;
}
