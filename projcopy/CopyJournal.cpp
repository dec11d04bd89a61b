// The journal of one model's copy and its undo.
#include "projcopy/CopyJournal.h"

#include "dbaccess/StoredValue.h"
#include "dbaccess/TableCopyCheck.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyClientRun.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyWorkFiles.h"
#include "projcopy/RisParamsAccess.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

#include <algorithm>
#include <cstdlib>

namespace {

std::string shown(const std::optional<std::string>& v) { return v ? "'" + Trim(*v) + "'" : std::string("Null"); }

} // namespace

std::string ParamsText(const std::string& paramsFile)
{
    // A parameters file holds a few lines; anything much larger is no such file.
    constexpr long long kLargest = 64 * 1024;
    if (Trim(paramsFile).empty())
        return {};
    try {
        if (!HostFileExists(paramsFile) || HostFileSize(paramsFile) > kLargest)
            return {};
        return BinaryFile::ReadAll(paramsFile);
    } catch (const AppError&) {
        return {};
    }
}

CopyJournal::~CopyJournal()
{
    if (!reachedText_.empty())
        RemoveCopyWorkFile(CopyWorkFile(kCopyParams));
}

std::optional<std::string> CopyJournal::reach(const Entry& e, std::string& why) const
{
    why.clear();
    // An entry made in the inherited environment is looked at there.
    if (Trim(e.params).empty())
        return e.params;
    if (IsFileExists(e.params, 0) && (e.paramsText.empty() || ParamsText(e.params) == e.paramsText))
        return e.params;
    why = Unreached(e);
    if (!why.empty())
        return std::nullopt;
    // Gone, or naming another environment since: the text it had reaches the one the entry was
    // made in.
    const std::string copy = CopyWorkFile(kCopyParams);
    if (reachedText_ != e.paramsText || !HostFileExists(copy)) {
        try {
            HostWriteFile(copy, e.paramsText);
        } catch (const AppError& ex) {
            why = "the RIS parameters file '" + e.params + "' it was made through is gone or changed, and a copy of "
                  "its text could not be written to '" + copy + "': " + ex.description();
            return std::nullopt;
        }
        reachedText_ = e.paramsText;
    }
    return copy;
}

std::string CopyJournal::Unreached(const JournalEntry& e)
{
    if ((e.kind != Kind::Row && e.kind != Kind::Table) || Trim(e.params).empty() || !e.paramsText.empty() ||
        IsFileExists(e.params, 0))
        return {};
    return "the RIS parameters file '" + e.params + "' its rows and design tables were made through is gone, and the "
           "journal (of an earlier version) does not hold its text";
}

std::string CopyJournal::paramsFor(const Entry& e) const
{
    std::string why;
    const std::optional<std::string> params = reach(e, why);
    if (!params)
        CouldNotRead(why);
    return *params;
}

RowImage CopyJournal::ImageOf(Recordset& rs)
{
    RowImage row;
    ::Fields fields = rs.Fields();
    for (int i = 0; i < fields.Count(); ++i) {
        Field f = fields[i];
        const Variant v = f.Value();
        RowValue value;
        value.column = f.Name();
        value.text = f.Type() == adLongVarWChar;
        if (!v.IsNull() && !v.IsEmpty())
            value.value = v.ToText();
        row.push_back(value);
    }
    return row;
}

JournalEntry CopyJournal::NewEntry(JournalEntry::Kind kind, const std::string& schema, const std::string& name) const
{
    return entry(kind, schema, name);
}

void CopyJournal::Intend(const std::vector<JournalEntry>& planned)
{
    const size_t before = entries_.size();
    for (JournalEntry e : planned) {
        e.state = Entry::State::Intended;
        entries_.push_back(std::move(e));
    }
    try {
        save();
    } catch (...) {
        // Not recorded, so not done: no step runs.
        entries_.resize(before);
        throw;
    }
}

CopyJournal::Entry CopyJournal::entry(Kind kind, const std::string& schema, const std::string& name) const
{
    Entry e;
    e.kind = kind;
    e.params = target_.params;
    e.paramsText = target_.paramsText;
    e.schema = schema;
    e.project = target_.project;
    // A file or folder is kept as the place it names now, for an undo by a program started
    // elsewhere.
    e.name = kind == Kind::File || kind == Kind::Folder ? FullWinPath(name) : name;
    e.model = model_;
    return e;
}

void CopyJournal::Adopt(std::vector<JournalEntry> left)
{
    for (Entry& e : left)
        e.adopted = true;
    entries_.insert(entries_.begin(), left.begin(), left.end());
}

std::vector<std::string> CopyJournal::Models() const
{
    std::vector<std::string> models;
    for (const Entry& e : entries_)
        if (std::find(models.begin(), models.end(), e.model) == models.end())
            models.push_back(e.model);
    return models;
}

void CopyJournal::save() const
{
    if (file_)
        file_->Save(entries_);
}

void CopyJournal::saveQuietly() const
{
    try {
        save();
    } catch (const AppError& e) {
        log_.WriteLog(e.description() + "; it lists more than stands, which the next copy into project '" +
                      file_->Project() + "' looks at first");
    }
}

size_t CopyJournal::intend(Entry e)
{
    e.state = Entry::State::Intended;
    entries_.push_back(std::move(e));
    try {
        save();
    } catch (...) {
        // Not recorded, so not done: the step does not run.
        entries_.pop_back();
        throw;
    }
    return entries_.size() - 1;
}

void CopyJournal::settle(size_t index, ChangeState state)
{
    switch (state) {
    case ChangeState::Done:
        entries_[index].state = Entry::State::Made;
        break;
    case ChangeState::NotDone:
        entries_.erase(entries_.begin() + static_cast<long>(index));
        break;
    case ChangeState::NotKnown:
        return; // stays intended: the undo looks first
    }
    saveQuietly();
}

void CopyJournal::erase(size_t index)
{
    entries_.erase(entries_.begin() + static_cast<long>(index));
    saveQuietly();
}

ChangeState CopyJournal::rowState(const Entry& e, std::string& seen, bool* another, RowImage* stands) const
{
    if (another)
        *another = false;
    std::string failure;
    // As the server prints them: a number keeps every digit the server stores.
    const std::vector<RowImage> rows =
        ris_.GetRows(paramsFor(e), e.schema, "SELECT * FROM " + e.name + " WHERE " + e.key + ";", failure);
    if (!failure.empty())
        CouldNotRead(failure);
    if (rows.empty()) {
        seen = "no row of " + e.key + " in " + e.name;
        return ChangeState::NotDone;
    }
    std::string other;
    bool ours = false;
    for (const RowImage& found : rows) {
        std::vector<std::string> differs;
        for (const RowValue& want : e.row) {
            const auto it = std::find_if(found.begin(), found.end(),
                                         [&](const RowValue& f) { return EqualsNoCase(f.column, want.column); });
            const std::optional<std::string> got = it == found.end() ? std::nullopt : it->value;
            if (!StoredValue::SameAsWritten(got, want.value,
                                            want.text ? StoredValue::Kind::Char : StoredValue::Kind::Number,
                                            it == found.end() ? std::string() : it->type))
                differs.push_back(want.column + " " + shown(got) + ", not " + shown(want.value));
        }
        ours = differs.empty();
        if (ours) {
            if (stands)
                *stands = found;
            break;
        }
        if (other.empty()) {
            if (differs.size() > 3)
                differs.resize(3);
            other = "the row of " + e.key + " in " + e.name + " is another's (" + Join(differs, "; ") + ")";
        }
    }
    if (ours)
        return ChangeState::Done;
    if (another)
        *another = true;
    seen = other;
    return ChangeState::NotDone;
}

bool CopyJournal::InsertRow(const std::string& m, const std::string& table, const std::string& statement,
                            const std::string& key, const RowImage& row, const std::string& what,
                            const std::vector<RowUser>& users)
{
    Entry e = entry(Kind::Row, "pd_" + target_.project, table);
    e.key = key;
    e.row = row;
    e.what = what;
    e.users = users;
    // Recorded with the model's other entries before its first step: found there.
    const auto planned = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& p) {
        return p.kind == Kind::Row && p.state == Entry::State::Intended && p.model == model_ &&
               p.params == e.params && EqualsNoCase(p.name, table) && p.key == key;
    });
    const size_t at = planned != entries_.end() ? static_cast<size_t>(planned - entries_.begin()) : intend(e);
    RisParamsAccess::StatementRun how;
    RowImage stored;
    // Read back after every run, whatever the client said: the clash test has just found the
    // key free, so a row of the key equal to the statement's whole row is the copy's own, also
    // when the client committed it and then reported an error.
    const ChangeOutcome out = ChangeAndLook(
        [&] { return ris_.RunStatement(e.params, e.schema, statement, how); },
        [&](std::string& seen) { return how.ran ? rowState(e, seen, nullptr, &stored) : ChangeState::NotDone; },
        LookAfter::EveryCall);
    // The row as the server stores it: the undo finds it by these values, every digit kept.
    if (out.state == ChangeState::Done && !stored.empty())
        entries_[at].row = stored;
    settle(at, out.state);
    const std::string project = "project '" + e.project + "'";
    // After a run that ended well, what was looked at says why the row is not (for certain) in.
    const std::string failure = out.CallFailed() ? out.failure : std::string("risbatch ended without an error");
    switch (out.state) {
    case ChangeState::Done:
        if (!out.CallFailed())
            return true;
        if (how.refused) {
            // The refusal the client named stands: the row goes with what the copy made.
            log_.WriteLog(m + ": " + what + " stands in " + project + " although risbatch refused it: " +
                          out.failure + "; it is taken out with what the copy made");
            return false;
        }
        // A client that died after its work has carried the INSERT out: the row tells.
        log_.WriteLog(m + ": " + what + " stands in " + project + " although risbatch failed: " + out.failure);
        return true;
    case ChangeState::NotDone:
        log_.WriteLog(m + ": " + what + " not added to " + project + ": " + failure +
                      (out.seen.empty() ? std::string() : "; " + out.seen));
        return false;
    case ChangeState::NotKnown:
        break;
    }
    log_.WriteLog(m + ": " + what + " perhaps added to " + project + ": " + failure +
                  "; it could not be read again: " + out.seen);
    return false;
}

bool CopyJournal::made(Kind kind, const std::string& schema, const std::string& name) const
{
    const Entry* e = find(kind, schema, name);
    return e && e->state == Entry::State::Made;
}

const CopyJournal::Entry* CopyJournal::find(Kind kind, const std::string& schema, const std::string& name) const
{
    // A file or a folder is the place its path names, however the rows spell their folders.
    const bool path = kind == Kind::File || kind == Kind::Folder;
    const std::string place = path ? WinPathPlace(name) : std::string();
    const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) {
        return e.kind == kind && e.params == target_.params && EqualsNoCase(e.schema, schema) &&
               (path ? WinPathPlace(e.name) == place : EqualsNoCase(e.name, name));
    });
    return it == entries_.end() ? nullptr : &*it;
}

CopyJournal::FileCopy CopyJournal::WillMake(const std::string& source, const std::string& copy)
{
    // What xcopy will make of the file: its source's bytes (its last write is the copy's own).
    MadeImage image = MadeImage::OfFile(source);
    image.time.clear();
    return {source, copy, image};
}

void CopyJournal::WillCopyFiles(const std::vector<FileCopy>& files, const std::vector<std::string>& folders)
{
    const std::vector<Entry> before = entries_;
    bool changed = false;
    // A folder recorded ahead as missing that stands now was made by another since: not the copy's.
    for (size_t i = entries_.size(); i-- > 0;) {
        const Entry& e = entries_[i];
        if (e.model == model_ && e.kind == Kind::Folder && e.state == Entry::State::Intended &&
            std::find(folders.begin(), folders.end(), e.name) == folders.end() && IsFileExists(e.name, 1)) {
            entries_.erase(entries_.begin() + static_cast<long>(i));
            changed = true;
        }
    }
    // A second row of the model copies into the same folder: what the first row made is
    // recorded once, and taken out once.
    for (const std::string& folder : folders)
        if (!find(Kind::Folder, "", folder)) {
            entries_.push_back(entry(Kind::Folder, "", folder));
            changed = true;
        }
    for (const FileCopy& f : files) {
        const Entry* found = find(Kind::File, "", f.copy);
        Entry* e = found ? &entries_[static_cast<size_t>(found - entries_.data())] : nullptr;
        if (!e) {
            entries_.push_back(entry(Kind::File, "", f.copy));
            e = &entries_.back();
        } else if (e->state == Entry::State::Intended && e->source == f.source && e->image.size == f.image.size &&
                   e->image.digest == f.image.digest) {
            continue; // recorded ahead as it is
        }
        // A later row's file replaces the copy an earlier row made: it is looked at anew.
        e->source = f.source;
        e->image = f.image;
        e->state = Entry::State::Intended;
        changed = true;
    }
    // One write for all of them, before xcopy runs; none when they stand recorded already.
    if (!changed)
        return;
    try {
        save();
    } catch (...) {
        entries_ = before;
        throw;
    }
}

void CopyJournal::FilesCopied(const std::vector<std::string>& found)
{
    for (const std::string& file : found)
        if (!find(Kind::File, "", file)) {
            Entry e = entry(Kind::File, "", file);
            e.state = Entry::State::Made;
            e.image = MadeImage::OfFile(file);
            entries_.push_back(e);
        }
    for (size_t i = entries_.size(); i-- > 0;) {
        Entry& e = entries_[i];
        if (e.model != model_ || e.state != Entry::State::Intended || (e.kind != Kind::File && e.kind != Kind::Folder))
            continue;
        if (!IsFileExists(e.name, e.kind == Kind::File ? 0 : 1)) {
            entries_.erase(entries_.begin() + static_cast<long>(i));
            continue;
        }
        e.state = Entry::State::Made;
        // As it stands now, size, last write and bytes: the undo takes out only this. One that
        // cannot be read keeps the image of its source, which the copy was to be.
        if (e.kind == Kind::File)
            if (const MadeImage now = MadeImage::OfFile(e.name); now.Known())
                e.image = now;
    }
    saveQuietly();
}

void CopyJournal::WillLoadTable(const std::string& table, const MadeImage& loads)
{
    const Entry* found = find(Kind::Table, "dd_" + target_.project, table);
    if (!found) {
        Entry e = entry(Kind::Table, "dd_" + target_.project, table);
        e.image = loads;
        intend(e);
        return;
    }
    // Recorded before the model's first step; the rows the load brings are written first where
    // they are not the ones recorded (the source changed since, or none could be read then).
    Entry& e = entries_[static_cast<size_t>(found - entries_.data())];
    if (e.state != Entry::State::Intended || !loads.Known() || (e.image.size == loads.size && e.image.digest == loads.digest))
        return;
    const MadeImage before = e.image;
    e.image = loads;
    try {
        save();
    } catch (...) {
        e.image = before;
        throw;
    }
}

MadeImage CopyJournal::TableImage(const std::string& params, const std::string& schema, const std::string& table,
                                  CopyLayout layout, bool* missing) const
{
    const std::string file = CopyWorkFile(kCopyImage);
    bool gone = false;
    MadeImage image;
    if (ris_.UnloadRows(params, schema, table, layout, file, gone).empty()) {
        try {
            const ComparedRows rows = ComparedRows::OfDump(file);
            if (rows.Has(table))
                image = MadeImage::OfRows(rows.Sorted(table));
        } catch (const AppError&) {
            // A dump that cannot be read shows nothing: the image is not known.
        }
    }
    RemoveCopyWorkFile(file);
    if (missing)
        *missing = gone;
    return image;
}

void CopyJournal::TableLoaded(const std::string& table, ChangeState state, const MadeImage& stands)
{
    const std::string schema = "dd_" + target_.project;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (e.kind == Kind::Table && e.state == Entry::State::Intended && e.params == target_.params &&
            EqualsNoCase(e.schema, schema) && EqualsNoCase(e.name, table)) {
            // Its rows as the load left them (whole or not): the undo takes out only these.
            if (state != ChangeState::NotDone) {
                std::string why;
                if (stands.Known())
                    entries_[i].image = stands;
                else if (const std::optional<std::string> params = reach(e, why))
                    if (const MadeImage now = TableImage(*params, e.schema, e.name, CopyLayout::Variable); now.Known())
                        entries_[i].image = now;
            }
            if (state == ChangeState::NotKnown)
                saveQuietly(); // stays intended: the undo looks first
            settle(i, state);
            return;
        }
    }
}

bool CopyJournal::MadeFile(const std::string& path) const { return made(Kind::File, "", path); }

bool CopyJournal::MadeTable(const std::string& table) const
{
    return made(Kind::Table, "dd_" + target_.project, table);
}

std::string CopyJournal::SourceOf(const std::string& path) const
{
    const Entry* e = find(Kind::File, "", path);
    return e ? e->source : std::string();
}

bool CopyJournal::Empty() const { return !Holds(model_); }

bool CopyJournal::Holds(const std::string& m) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.model == m; });
}

void CopyJournal::Keep()
{
    std::vector<Entry> rest;
    std::copy_if(entries_.begin(), entries_.end(), std::back_inserter(rest),
                 [&](const Entry& e) { return e.model != model_; });
    // Written first: a journal that still lists the model lets the undo take it out.
    if (file_)
        file_->Save(rest);
    entries_ = std::move(rest);
}

int CopyJournal::TableStands(const std::string& table, std::string& failure) const
{
    return tableStands(target_.params, "dd_" + target_.project, table, failure);
}

int CopyJournal::tableStands(const std::string& params, const std::string& schema, const std::string& table,
                             std::string& failure) const
{
    // Answered without rows by risbatch itself: the table's layout is not needed to ask. Its
    // "no" is a RIS error that would read as a failure among the copy's lines: kept out of the
    // log, the caller words the answer.
    RisParamsAccess::StatementRun how;
    how.logAnswer = false;
    failure = ris_.RunStatement(params, schema, "SELECT * FROM " + table + " WHERE 1 = 0", how);
    if (failure.empty())
        return 1;
    if (how.refused && failure.find("RIS_E_UNKNOWN_RELATION") != std::string::npos) {
        failure.clear();
        return 0;
    }
    return -1;
}

ChangeState CopyJournal::LoadState(const std::string& table, uint64_t rows, std::string& seen) const
{
    // Counted by the server: the rows themselves are not fetched after every load.
    const std::string schema = "dd_" + target_.project;
    std::string failure;
    uint64_t count = 0;
    switch (ris_.CountRows(target_.params, schema, table, count, failure)) {
    case 0:
        seen = table + " is not in " + schema;
        return ChangeState::NotDone;
    case 1:
        break;
    default:
        CouldNotRead("the rows of " + table + " in " + schema + " could not be counted: " + failure);
    }
    seen = table + " stands in " + schema + " with " + std::to_string(count) + " of " + std::to_string(rows) +
           " rows";
    return count == rows ? ChangeState::Done : ChangeState::NotKnown;
}
