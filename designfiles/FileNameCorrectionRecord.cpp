// The file name correction's record of the renames of its rows, and their mending after a kill.
#include "designfiles/FileNameCorrectionRecord.h"

#include "dbaccess/LeftMarkFields.h"
#include "designfiles/DesignFileMove.h"
#include "designfiles/FileImage.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace {

using Fields = RunMark::Fields;

const char* const kPrefix = "file name correction ";

std::string quoted(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "'" : ", '") + n + "'";
    return out;
}

// The pending rows of a record's fields: "row <n> <name>" grouped by n, in order of n.
std::map<int, Fields> rowsOf(const RunMark::Fields& fields)
{
    std::map<int, Fields> rows;
    for (const auto& [name, value] : fields) {
        if (name.rfind("row ", 0) != 0)
            continue;
        const size_t blank = name.find(' ', 4);
        if (blank == std::string::npos)
            continue;
        rows[std::atoi(name.substr(4, blank - 4).c_str())].emplace_back(name.substr(blank + 1), value);
    }
    return rows;
}

// The records this program kept at the end of a run of its own, with rows it saw but could not
// put in step: its later corrections carry them on as their own, never as a dead run's.
std::set<std::string>& keptHere()
{
    static std::set<std::string> objects;
    return objects;
}

bool ownKept(const std::string& object, const Fields& left)
{
    return keptHere().count(object) != 0 && RunMark::Field(left, "left by").empty() &&
           RunMark::Field(left, "process") == std::to_string(Process::CurrentId());
}

// The "move <i>" of the row that moves from to to, or empty when the row has no such move.
std::string moveOf(const Fields& row, const std::string& from, const std::string& to)
{
    const int count = std::atoi(RunMark::Field(row, "moves").c_str());
    for (int i = 1; i <= count; ++i) {
        const std::string at = "move " + std::to_string(i);
        if (RunMark::Field(row, at + " from") == FullWinPath(from) && RunMark::Field(row, at + " to") == FullWinPath(to))
            return at;
    }
    return {};
}

// How a left record's run ended: killed, or ended with rows it said it could not put in step.
std::string endedText(const Fields& fields)
{
    return RunMark::Field(fields, "ended").empty() ? " was cut off by the end of its program"
                                                    : " ended with renames it could not put in step";
}

// Writes a copy the mend made for move i of the row, before its source goes.
using MadeNote = std::function<void(int move, const FileImage& made)>;

struct RowOutcome {
    bool inStep = false;
    std::string text;
};

// Looks at one recorded row: which name its rows hold, and where its files stand. With act, a
// file the run left under the other name goes to the name the rows give (finishing or undoing
// its rename), and a copy beside its source goes, each only while the file is as the run made it.
RowOutcome settleRow(const Fields& row, const std::string& schema, const ProjectTables& tables, bool act,
                     const MadeNote& note = {})
{
    const std::string named = RunMark::Field(row, "named");
    const std::string oldSpec = RunMark::Field(row, "old"), newSpec = RunMark::Field(row, "new");
    std::vector<std::string> names;
    try {
        Recordset rs = tables.read(schema, "SELECT " + RunMark::Field(row, "column") + " FROM " +
                                               RunMark::Field(row, "table") + " WHERE " + RunMark::Field(row, "where") +
                                               ";");
        if (rs.State() == adStateOpen && rs.RecordCount() > 0)
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                names.push_back(Trim(rs.Fields()[RunMark::Field(row, "column")].Value().ToText()));
    } catch (const AppError& e) {
        return {false, named + ": the rows of " + RunMark::Field(row, "table") + " could not be read (" +
                           e.description() + "), so the files of '" + oldSpec + "' renamed to '" + newSpec +
                           "' stay as they are"};
    }
    const auto holds = [&](const std::string& spec) {
        return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, Trim(spec)); });
    };
    const bool isNew = holds(newSpec) && !holds(oldSpec), isOld = holds(oldSpec) && !holds(newSpec);
    // Nothing moved (or all moved back) while no row took the new name: nothing to put in step,
    // also for rows the look cannot find by their key (a number stored with blanks).
    const int count = std::atoi(RunMark::Field(row, "moves").c_str());
    bool allOld = true;
    // A move given up (the run saw its file under the old name alone) is never made later.
    const auto given = [&](int i) { return RunMark::Field(row, "move " + std::to_string(i) + " kept") == "yes"; };
    for (int i = 1; i <= count; ++i) {
        const std::string at = "move " + std::to_string(i);
        allOld = allOld && IsFileExists(RunMark::Field(row, at + " from"), 0) &&
                 (given(i) || !IsFileExists(RunMark::Field(row, at + " to"), 0));
    }
    if (allOld && !holds(newSpec))
        return {true, named + ": its files keep their old names, and no row names '" + newSpec + "'"};
    if (!isNew && !isOld)
        return {false, named + ": the rows of " + RunMark::Field(row, "table") + " name " +
                           (names.empty() ? std::string("no file") : quoted(names)) + ", neither '" + oldSpec +
                           "' alone nor '" + newSpec + "' alone, so its files stay as they are"};
    std::vector<std::string> moved, off;
    for (int i = 1; i <= count; ++i) {
        const std::string at = "move " + std::to_string(i);
        const std::string from = RunMark::Field(row, at + " from"), to = RunMark::Field(row, at + " to");
        // How the run left the file under each name: under the old one as it stood before (the
        // run never writes it), under the new one as the run's copy was made. A record of an
        // older kind knows only the old content's size and digest, which then stands for both.
        const FileImage before = FileImage::Parse(RunMark::Field(row, at + " content"));
        const FileImage made = FileImage::Parse(RunMark::Field(row, at + " made"));
        const FileImage& leftAtTo = made.Known() || !before.time.empty() ? made : before;
        const bool kept = given(i);
        const bool forward = isNew && !kept;
        const std::string& target = forward ? to : from;
        const std::string& other = forward ? from : to;
        const FileImage& targetLeft = forward ? leftAtTo : before;
        const FileImage& otherLeft = forward ? before : leftAtTo;
        bool targetThere = IsFileExists(target, 0), otherThere = IsFileExists(other, 0);
        const FileImage otherNow = FileImage::Of(other);
        const bool otherAsMade = otherThere && otherLeft.Matches(otherNow);
        std::string notMoved;
        if (act && !kept && otherAsMade && !targetThere) {
            // Moved as the correction moves: a read-only file is refused before it is copied, and
            // a copy beside a source that stays goes again, so the file stands in one place only.
            DesignFileMoveRecording recording;
            if (note)
                recording.copied = [&, i](const FileImage& copy) { note(i, copy); };
            const ChangeOutcome outcome = MoveDesignFile(other, target, recording);
            if (outcome.Done())
                moved.push_back(GetFileName(other) + "' to '" + GetFileName(target));
            else
                notMoved = DesignFileMoveFailure(outcome, other, target);
        } else if (act && otherThere && targetThere && targetLeft.Matches(FileImage::Of(target)) &&
                   otherNow.SameBytes(FileImage::Of(target)) && (otherAsMade || (!kept && !otherLeft.Known()))) {
            // Killed between the copy and the removal of its source: the two are one file.
            DeleteFileA(other, false);
        }
        targetThere = IsFileExists(target, 0);
        otherThere = IsFileExists(other, 0);
        // Beside a move given up, a file under the new name that is not the run's copy is
        // another's: it keeps its place, and the move is in step.
        if (kept && targetThere && !(otherThere && otherLeft.Matches(FileImage::Of(other))))
            continue;
        if (!targetThere || otherThere)
            off.push_back("'" + target + "' " +
                          (!targetThere && !otherThere ? "is not there, nor '" + other + "'"
                           : !notMoved.empty()         ? "is not there; '" + other + "' was not moved to it (" +
                                                     notMoved + ") and is left as it is"
                           : !targetThere              ? "is not there; '" + other + "' is" +
                                                (otherAsMade ? "" : " not as the correction left it, and") + " left as it is"
                                                       : "is there, and so is '" + other + "', which is left as it is"));
    }
    const std::string rows = "its row names '" + (isNew ? newSpec : oldSpec) + "'";
    if (!off.empty())
        return {false, named + ": " + rows + ", but " + Join(off, "; ")};
    std::string text = named + ": " + rows + " and its files stand under the names it gives";
    if (!moved.empty())
        text += std::string(isNew ? "; renamed now as the correction meant: '" : "; renamed back now: '") +
                Join(moved, "', '") + "'";
    return {true, text};
}

// Settles every pending row of a left record; true when all are in step (the record may go).
// mark holds written, the record as carried on: a copy the mend makes is written into it before
// its source goes.
bool settleLeft(const RunMark::Fields& fields, const ProjectTables& tables, std::string& text, RunMark& mark,
                Fields written)
{
    const std::string schema = RunMark::Field(fields, "schema");
    std::vector<std::string> said;
    bool inStep = true;
    for (const auto& [n, row] : rowsOf(fields)) {
        const MadeNote note = [&, n = n](int move, const FileImage& made) {
            leftmark::Put(written, "row " + std::to_string(n) + " move " + std::to_string(move) + " made", made.Text());
            mark.Update(written);
        };
        const RowOutcome o = settleRow(row, schema, tables, true, note);
        inStep = inStep && o.inStep;
        said.push_back(o.text);
    }
    text = "The correction of file names in " + schema + " (" + leftmark::LeftBy(fields) + ")" + endedText(fields) +
           (said.empty() ? std::string() : ". " + Join(said, ". "));
    if (!inStep)
        text += ". Put the files under the names the rows give, or the row to the file's name; the next start or "
                "correction in " + schema + " looks again";
    return inStep;
}

// Takes the record's mark of schema for `what`. A record a killed run left is carried on in the
// mark from its first moment (its rows, and "left by" naming that run), so that the end of this
// program during the mend leaves it as it was. Returns the left record's fields (empty when none
// was left); when the mark is held by another program, mark->held() is false.
Fields takeRecord(const std::string& object, const std::string& schema, const std::string& what,
                  std::unique_ptr<RunMark>& mark, Fields* carried = nullptr)
{
    const auto withLeft = [&](const Fields& left) {
        Fields fields{{"what", what}, {"schema", schema}};
        if (!left.empty())
            for (const auto& [name, value] : leftmark::Carried(left, false))
                leftmark::Put(fields, name, value);
        return fields;
    };
    const RunMark::Seen seen = RunMark::Look(object);
    const Fields written = withLeft(seen.state == RunMark::State::Left ? seen.fields : Fields{});
    mark = std::make_unique<RunMark>(object, written);
    if (!mark->held())
        return {};
    const Fields left = mark->Left();
    try {
        // Another program settled or changed the record between the look and the take.
        const Fields wanted = withLeft(left);
        if (wanted != written)
            mark->Update(wanted);
        if (carried)
            *carried = wanted;
    } catch (...) {
        mark->Keep();
        throw;
    }
    return left;
}

} // namespace

FileNameCorrectionRecord::FileNameCorrectionRecord(const std::string& schema, ProjectTables tables)
    : schema_(schema), tables_(std::move(tables))
{
    const std::string object = kPrefix + ToLower(schema);
    const std::string refused = "The correction of file names in " + schema + " was not started: ";
    if (const RunMark::Seen seen = RunMark::Look(object); seen.state == RunMark::State::Held)
        throw AppError(1, "", refused + RunMark::RunningText(seen.fields) + " is under way in that schema. Nothing "
                              "was changed.");
    const std::string schemaObject = "schema " + ToLower(schema);
    if (const RunMark::Seen change = RunMark::Look(schemaObject); change.state == RunMark::State::Held)
        throw AppError(1, "", refused + RunMark::RunningText(change.fields) + " is under way on schema " + schema +
                                  ". Nothing was changed.");
    // The record's mark first: what a killed correction left is put in step under it, so that a
    // start mending it at the same time waits its turn, and the other way round.
    RunMark::Fields carried;
    const RunMark::Fields left =
        takeRecord(object, schema, "the correction of file names in " + schema, mark_, &carried);
    if (!mark_->held())
        throw AppError(1, "", refused + RunMark::RunningText(mark_->Holder()) +
                                  " is under way in that schema. Nothing was changed.");
    if (ownKept(object, left)) {
        // Rows an earlier run of this program saw and named: this run carries them on, and they
        // stay recorded until they are in step; nothing of them is moved here.
        keptHere().erase(object);
        for (const auto& [n, row] : rowsOf(left))
            rows_.push_back(row);
        rows_.erase(std::remove_if(rows_.begin(), rows_.end(),
                                   [&](const auto& row) { return settleRow(row, schema_, tables_, false).inStep; }),
                    rows_.end());
        try {
            save();
        } catch (...) {
            keep();
            throw;
        }
    } else if (!left.empty()) {
        std::string text;
        bool inStep = false;
        try {
            inStep = settleLeft(left, tables_, text, *mark_, carried);
            // Put in step: the record now says this run, without the killed one's rows.
            if (inStep)
                save();
        } catch (...) {
            mark_->Keep();
            throw;
        }
        if (!inStep) {
            mark_->Keep();
            throw AppError(1, "", refused + text + ".");
        }
        ShowStatus(text + ".");
    }
    try {
        takeSchemaMark(refused);
    } catch (...) {
        // Rows carried on from an earlier run of this program stay recorded.
        if (!rows_.empty())
            keep();
        throw;
    }
}

void FileNameCorrectionRecord::takeSchemaMark(const std::string& refused)
{
    const std::string& schema = schema_;
    const std::string schemaObject = "schema " + ToLower(schema);
    // The rows change under the schema's mark, like every change of the schema: a load or another
    // change of it refuses the correction by name, and so does one a dead program left in part.
    const RunMark::Seen change = RunMark::Look(schemaObject);
    // Also when a load has carried the dead change's mark on: it names the change and its run.
    if (change.state == RunMark::State::Left && leftmark::LeftInPart(change.fields)) {
        const std::string stands = RunMark::Field(change.fields, "stands");
        throw AppError(1, "", refused + leftmark::LeftWhat(change.fields) + " (" + leftmark::LeftBy(change.fields) +
                                  (stands.empty() ? ") was cut off by the end of its program, so schema " + schema +
                                                        " may not be whole"
                                                  : ") ended with schema " + schema + " not whole: " + stands) +
                                  ". Nothing was changed.");
    }
    schemaMark_ = std::make_unique<RunMark>(
        schemaObject, RunMark::Fields{{"what", "the correction of file names in " + schema},
                                      {"schema", schema},
                                      {"step", "its renames"},
                                      {"whole if cut off", "yes"},
                                      {"if cut off", "the record of the correction names the renames it left"}});
    if (!schemaMark_->held())
        throw AppError(1, "", refused + RunMark::RunningText(schemaMark_->Holder()) + " is under way on schema " +
                                  schema + ". Nothing was changed.");
}

FileNameCorrectionRecord::~FileNameCorrectionRecord()
{
    if (!mark_ || !mark_->held())
        return;
    if (rows_.empty())
        mark_->Release();
    else
        keep();
}

void FileNameCorrectionRecord::keep()
{
    // The run saw these rows and named them: the record says so, and this program's next
    // correction carries them on; the next start names them as this run's, not as cut off.
    try {
        save(true);
    } catch (...) {
        // The record as it stands still names the rows.
    }
    mark_->Keep();
    keptHere().insert(kPrefix + ToLower(schema_));
}

void FileNameCorrectionRecord::RowStarting(const RowPlan& plan)
{
    std::vector<std::pair<std::string, std::string>> row{{"named", plan.named}, {"table", plan.table}, {"column", plan.column}, {"where", plan.where},
               {"old", Trim(plan.oldSpec)}, {"new", plan.newSpec}, {"moves", std::to_string(plan.moves.size())}};
    for (size_t i = 0; i < plan.moves.size(); ++i) {
        const std::string at = "move " + std::to_string(i + 1);
        // Each file by the place it names now, for a mend by a program started elsewhere.
        row.emplace_back(at + " from", FullWinPath(plan.moves[i].first));
        row.emplace_back(at + " to", FullWinPath(plan.moves[i].second));
        row.emplace_back(at + " content", FileImage::Of(plan.moves[i].first).Text());
    }
    rows_.push_back(std::move(row));
    try {
        save();
    } catch (...) {
        rows_.pop_back();
        throw;
    }
}

void FileNameCorrectionRecord::FileCopied(const std::string& from, const std::string& to, const FileImage& made)
{
    if (rows_.empty())
        return;
    auto& row = rows_.back();
    const std::string at = moveOf(row, from, to);
    if (at.empty())
        return;
    const auto saved = row;
    leftmark::Put(row, at + " made", made.Text());
    try {
        save();
    } catch (...) {
        row = saved;
        throw;
    }
}

void FileNameCorrectionRecord::FileNotMoved(const std::string& from, const std::string& to)
{
    if (rows_.empty())
        return;
    auto& row = rows_.back();
    const std::string at = moveOf(row, from, to);
    if (at.empty() || RunMark::Field(row, at + " kept") == "yes")
        return;
    // Kept in the run's own view also when it cannot be written: its look then drops the row.
    leftmark::Put(row, at + " kept", "yes");
    save();
}

void FileNameCorrectionRecord::RowSettled()
{
    if (rows_.empty())
        return;
    try {
        const RowOutcome o = settleRow(rows_.back(), schema_, tables_, false);
        if (!o.inStep) {
            ShowStatus(o.text + ". It stays in the record of the correction for the next start or correction");
            return;
        }
        rows_.pop_back();
        save();
    } catch (...) {
        // The row stays recorded: the next start looks at it again.
    }
}

void FileNameCorrectionRecord::save(bool ended)
{
    RunMark::Fields fields{{"what", "the correction of file names in " + schema_}, {"schema", schema_}};
    if (ended)
        fields.emplace_back("ended", "yes");
    for (size_t r = 0; r < rows_.size(); ++r)
        for (const auto& [name, value] : rows_[r])
            fields.emplace_back("row " + std::to_string(r + 1) + " " + name, value);
    mark_->Update(fields);
}

std::vector<FileNameCorrectionRecord::Left> FileNameCorrectionRecord::MendLeft(const ProjectTables& tables)
{
    std::vector<Left> out;
    for (const auto& [object, seen] : RunMark::List(kPrefix)) {
        const std::string schema = RunMark::Field(seen.fields, "schema");
        const std::string cut = "The correction of file names in " + schema + " (" + leftmark::LeftBy(seen.fields) +
                                ")" + endedText(seen.fields) + "; ";
        // A running correction's record is its own; one a program carries on is being mended.
        const bool beingMended = !RunMark::Field(seen.fields, "left by").empty();
        if (seen.state == RunMark::State::Held && beingMended)
            out.push_back({cut + RunMark::RunningText(seen.fields) + " puts what it left in step now", false});
        // This program's own run saw and named its rows: its next correction carries them on.
        if (seen.state != RunMark::State::Left || ownKept(object, seen.fields))
            continue;
        if (const RunMark::Seen change = RunMark::Look("schema " + ToLower(schema)); change.state == RunMark::State::Held) {
            out.push_back({cut + "what it left is looked at when " + RunMark::RunningText(change.fields) + " has ended",
                           false});
            continue;
        }
        // Mended under the record's mark: a second start at the same time is refused by name.
        std::unique_ptr<RunMark> mark;
        RunMark::Fields carried;
        const RunMark::Fields left = takeRecord(object, schema, "the mend of what a killed correction of file names in " +
                                                           schema + " left", mark, &carried);
        if (!mark->held()) {
            out.push_back({cut + RunMark::RunningText(mark->Holder()) + " puts what it left in step now", false});
            continue;
        }
        if (left.empty()) {
            mark->Release(); // put in step by another program since it was listed
            continue;
        }
        std::string text;
        bool mended = false;
        try {
            mended = settleLeft(left, tables, text, *mark, carried);
        } catch (...) {
            mark->Keep();
            throw;
        }
        if (mended)
            mark->Release();
        else
            mark->Keep();
        out.push_back({text + ".", mended});
    }
    return out;
}
