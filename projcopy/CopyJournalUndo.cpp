// The undo of a model's copy: what it made is looked at, and taken out only while it is still as
// the copy made it; the rest is named.
#include "projcopy/CopyJournal.h"

#include "dbaccess/SqlLiteral.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/RisParamsAccess.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

bool isInteger(const std::string& text)
{
    const std::string t = Trim(text);
    size_t i = !t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    return i < t.size() && std::all_of(t.begin() + static_cast<long>(i), t.end(), [](char c) {
               return c >= '0' && c <= '9';
           });
}

// The DELETE's condition: the key and every column that names the row exactly (texts, whole
// numbers, Nulls), so that a row of the same key that is not the copy's is never hit.
std::string rowCondition(const std::string& key, const RowImage& row)
{
    std::string where = "(" + key + ")";
    for (const RowValue& v : row) {
        if (!v.value)
            where += " AND " + v.column + " IS NULL";
        else if (v.text)
            where += " AND " + v.column + " = " + SqlStringLiteral(*v.value);
        else if (isInteger(*v.value))
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
        Recordset rs = ris_.GetData(e.params, e.schema, "SELECT " + u.name + " FROM " + u.table + " WHERE " + u.where +
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
    // The parameters file names the environment the entry was made in: without it nothing
    // there can be looked at, and no other environment is taken in its place.
    if ((e.kind == Kind::Row || e.kind == Kind::Table) && !Trim(e.params).empty() && !IsFileExists(e.params, 0))
        return {State::Unknown, "whether it stands as the copy made it is not known: the RIS parameters file '" +
                                    e.params + "' it was made through is gone"};
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
    if (!IsFileExists(e.name, 0))
        return {State::Gone, {}};
    const MadeImage now = MadeImage::OfFile(e.name);
    if (!now.Known())
        return {State::Unknown, "whether it is as the copy made it is not known: it cannot be read"};
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
    switch (tableStands(e.params, e.schema, e.name, failure)) {
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
    const MadeImage now = TableImage(e.params, e.schema, e.name);
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
                return ris_.RunStatement(e.params, e.schema,
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
        result.why = leftBecause(result.unknown, undoStep(
            [&] { return DeleteFileA(e.name, false) ? std::string() : "the delete failed: " + gFileOpErrDescription; },
            [&](std::string&) { return IsFileExists(e.name, 0) ? ChangeState::NotDone : ChangeState::Done; }));
        break;
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
        result.why = leftBecause(result.unknown, undoStep([&] { return ris_.RunStatement(e.params, e.schema, "DROP TABLE " + e.name); },
                                    [&](std::string& seen) {
                                        std::string failure;
                                        switch (tableStands(e.params, e.schema, e.name, failure)) {
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

std::vector<std::string> CopyJournal::Undo(const std::string& m)
{
    // By project, in the order first met: each line names where its entries were made.
    std::vector<std::string> projects, left;
    std::vector<std::vector<std::string>> gone, stays;
    for (size_t i = entries_.size(); i-- > 0;) {
        const Entry& e = entries_[i];
        if (e.model != m)
            continue;
        // A step recorded before it ran may never have run, and what is gone since needs no
        // taking out: nothing of it to take out or name.
        const Look look = lookAt(e);
        if (look.state == Look::State::Gone) {
            erase(i);
            continue;
        }
        TakeOut out;
        if (look.state == Look::State::AsMade) {
            out = takeOut(e);
        } else {
            // No longer as made, it is the user's now; not known, it is named, and left.
            out.why = look.why;
            out.settled = look.state == Look::State::Changed;
            out.unknown = look.state == Look::State::Unknown;
        }
        // What a dead program left is looked at once more by the next run at most: what that run
        // cannot tell is named and left to the user, so that no later copy waits on it for ever.
        out.settled = out.settled || (out.unknown && e.adopted);
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
