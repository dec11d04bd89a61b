// Design table copy between two design schemas through the RIS clients.
#include "projcopy/DesignTableCopy.h"

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpScanner.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "dbaccess/TableCopyCheck.h"
#include "platform/BinaryFile.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "projcopy/CopyClientRun.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyWorkFiles.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

long run(const std::string& command) { return RunCopyCommand(command); }

// Why a client run failed ("" when it ended with 0): its RIS error, if any, is in the log.
std::string clientFailure(const std::string& client, long exitCode)
{
    if (exitCode == 0)
        return {};
    if (exitCode == -1)
        return client + " could not be started";
    return client + " ended with exit code " + std::to_string(exitCode);
}

// The RIS_PARAMETERS line is written also for an empty path, so the run never inherits the
// other side's environment.
std::string withParams(const std::string& paramsFile, const std::string& commandLine)
{
    return SetPathVariableLine("RIS_PARAMETERS", paramsFile, "RIS parameters file") + "\r\n" + commandLine;
}

// How the dump's rows of the table differ from the source server's count of them, asked with
// risbatch under the source's parameters ("" when they agree). A count that cannot be read
// whole is a difference too: the dump is then not proved.
std::string sourceCountDifference(const std::string& params, const std::string& schema, const std::string& table,
                                  const std::vector<DumpTableCount>& dumped, const CopyLog& log)
{
    const std::string input = CopyWorkFile(kCopyCountInput), output = CopyWorkFile(kCopyCountAnswer);
    std::string difference;
    try {
        HostWriteFile(input, RisbatchStatementInput(schema, RowCountStatements({table})));
        run("del " + QuoteString(output));
        RunCopyClient(withParams(params, "risbatch -i " + QuoteString(input) + " -o " + QuoteString(output)), &log);
        const std::string answer = IsFileExists(output, 0) ? BinaryFile::ReadAll(output) : std::string();
        difference = RowCountDifferences(dumped, ReadRowCounts(answer, {table}));
    } catch (const AppError& e) {
        difference = "the source's row count could not be read: " + e.description();
    }
    run("del " + QuoteString(input));
    run("del " + QuoteString(output));
    return difference;
}

// What risunlod is asked for of one design table: its rows with its index, grant and view. The
// copy's own unload writes the fixed layout; the look at the target reads it in the variable
// one, its values as the server stores them.
std::string unloadRequest(const std::string& schema, const std::string& table, CopyLayout layout = CopyLayout::Fixed)
{
    return "-s " + schema + " table with " + (layout == CopyLayout::Variable ? "var " : "") + "data " + table +
           " index " + table + " grant " + table + " view " + table;
}

// A dump read once: its definitions and its rows as a copy's look compares them.
struct ReadDump {
    SchemaDumpSummary summary;
    ComparedRows rows;
};

ReadDump readDump(const std::string& file)
{
    ReadDump read;
    DumpReader reader(file);
    DumpItem item;
    while (reader.Next(item)) {
        read.summary.Add(item);
        read.rows.Add(item);
    }
    return read;
}

// The look at every object of a table whose rows the server counts as the dump's (counted, the
// words that say so): the table is unloaded from the target into file (one run, under the
// target's parameters) and compared with the dump it was loaded from, rows by their values as
// the server stores and compares them (ComparedRows: char blank-padded, as far as the fixed
// layout of the dump carries them),
// and its columns, index, grant and view. Done when all of it is there; NotKnown naming what is
// missing or stands otherwise. An unload that fails, is not whole or holds other rows than the
// server counted cannot tell: CouldNotRead. stands gets the target's rows as the look read them.
ChangeState lookAtEveryObject(const std::string& params, const std::string& schema, const std::string& table,
                              const ReadDump& loaded, const std::string& file, const std::string& counted,
                              std::string& seen, MadeImage& stands)
{
    run("del " + QuoteString(file));
    std::string said;
    const long exitCode = RunCopyClient(
        withParams(params, "risunlod -mw -o " + QuoteString(file) + " " +
                               unloadRequest(schema, table, CopyLayout::Variable)),
        nullptr, said);
    std::string failure = RISErrorMessage(said);
    if (failure.empty())
        failure = clientFailure("risunlod", exitCode);
    if (!failure.empty())
        CouldNotRead(counted + ", but it could not be unloaded to compare it with the dump: " + failure);
    const DumpWholeness whole = CheckDumpWhole(file);
    if (!whole.Whole())
        CouldNotRead(counted + ", but its unload to compare it with the dump is not whole: " + whole.problem);
    const ReadDump found = readDump(file);
    run("del " + QuoteString(file));
    if (found.summary.Rows(table) != loaded.summary.Rows(table))
        CouldNotRead(counted + ", but its unload holds " + std::to_string(std::max(found.summary.Rows(table), 0LL)) +
                     " rows: it cannot be compared with the dump");
    const std::vector<uint64_t> rows = found.rows.Sorted(table);
    stands = MadeImage::OfRows(rows);
    std::vector<std::string> faults = ComparedRowDifferences(loaded.rows.Sorted(table), rows);
    for (std::string& fault : loaded.summary.MadeDifferences(found.summary, table))
        faults.push_back(ReplaceAll(fault, "the backup", "the dump"));
    for (std::string& fault : loaded.summary.ViewDifferences(found.summary, SchemaDumpSummary::Extras::PassOver))
        faults.push_back(std::move(fault));
    if (faults.empty()) {
        seen = counted + ", its values, columns, index and grant as the dump has them";
        return ChangeState::Done;
    }
    seen = counted + ", but not as the dump has it: " + Join(faults, "; ");
    return ChangeState::NotKnown;
}

// Streams the dump through the edit into tempFile, so a dump of any size is held in pieces.
void editDump(const std::string& outFile, const std::string& tempFile, DesignTableCopy::DumpEdit& edit)
{
    DumpScanner scanner(outFile);
    BinaryFile target;
    target.Open(tempFile, BinaryFile::Mode::Write);
    std::string chunk, carry, written;
    auto emit = [&](std::string line) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::string out;
        if (edit.Edit(line, out))
            written += out + "\r\n";
    };
    while (scanner.NextChunk(chunk)) {
        carry += chunk;
        size_t start = 0, nl;
        while ((nl = carry.find('\n', start)) != std::string::npos) {
            emit(carry.substr(start, nl - start));
            start = nl + 1;
        }
        carry.erase(0, start);
        target.Write(written);
        written.clear();
    }
    if (!carry.empty())
        emit(carry);
    target.Write(written);
    target.CloseChecked();
}

} // namespace

std::vector<int> DesignTableCopy::TableNumbers(int disciplineNo)
{
    if (disciplineNo == 1)
        return {12, 34, 50, 67, 80};
    if (disciplineNo == 2)
        return {21, 22, 23, 24, 25, 26, 27, 28};
    return {};
}

bool DesignTableCopy::DumpEdit::Edit(const std::string& line, std::string& out)
{
    // No row is an empty line (every value is followed by a blank), so none is lost here; and
    // an empty line is not classified, so it cannot be taken for a block's layout line.
    if (line.empty())
        return false;
    out = line;
    switch (lines_.Classify(line)) {
    case DumpLineKind::SchemaLine:
        if (EqualsNoCase(DumpFormat::NameAfterKeyword(line, DumpLineClassifier::SchemaKeywordLength(line)),
                         oldSchema_))
            out = DumpFormat::DefaultSchemaLine(newSchema_);
        return true;
    case DumpLineKind::CreateTable: {
        std::string table;
        std::vector<DumpColumn> columns;
        if (DumpFormat::ParseCreateTableLine(line, table, columns))
            tables_.insert(ToLower(table));
        return true;
    }
    case DumpLineKind::Other: {
        const std::string table = DumpLineClassifier::IndexOrGrantTable(line);
        if (table.empty())
            return true;
        // Only the tables this load creates: the others in the target are not the copy's.
        if (!tables_.count(ToLower(table)) || line == lastStatement_)
            return false;
        lastStatement_ = line;
        return true;
    }
    default:
        return true;
    }
}

std::string DesignTableCopy::copyTable(const std::string& oldParams, const std::string& newParams,
                                       const std::string& oldSchema, const std::string& newSchema,
                                       const std::string& table, const std::string& outFile,
                                       const std::string& tempFile, const LoadJournal& journal) const
{
    log_.WriteLog("Loading table '" + table + "' ...");
    // The schema names stand unquoted after "-s" on the clients' command lines.
    CheckRISName("Schema", oldSchema);
    CheckRISName("Schema", newSchema);
    std::string said;
    const long unloaded = RunCopyClient(
        withParams(oldParams, "risunlod -mw -o " + QuoteString(outFile) + " " + unloadRequest(oldSchema, table)),
        &log_, said);
    // Not every design table of a discipline exists for every model: one the source schema
    // does not hold has nothing to copy.
    if (unloaded != 0 && said.find("RIS_E_UNKNOWN_RELATION") != std::string::npos) {
        log_.WriteLog("Table '" + table + "' is not in " + oldSchema + ": nothing to copy");
        return {};
    }
    // A refusal risunlod names stands, whatever its exit code.
    std::string failure = RISErrorMessage(said);
    if (failure.empty())
        failure = clientFailure("risunlod", unloaded);
    if (!failure.empty())
        return failure;
    // An empty dump would load as an empty table in clear mode: no copy of the data.
    if (!IsFileExists(outFile, 0) || GetFileSize(outFile) == 0)
        return "risunlod wrote no dump";
    DumpEdit edit(oldSchema, newSchema);
    editDump(outFile, tempFile, edit);
    failure = clientFailure("copy", run("copy " + QuoteString(tempFile) + " " + QuoteString(outFile)));
    if (!failure.empty())
        return failure;
    // A cut dump would load as a table with part of its rows.
    const DumpWholeness whole = CheckDumpWhole(outFile);
    if (!whole.Whole())
        return "the dump is not whole: " + whole.problem;
    // The edit's copy has served; its room in TMP goes to the count's small files.
    run("del " + QuoteString(tempFile));
    // Rows cut from inside a closed block leave a dump whole in form: the source's count tells.
    if (const std::string difference =
            sourceCountDifference(oldParams, oldSchema, table, whole.tables, log_);
        !difference.empty())
        return difference;
    uint64_t rows = 0;
    for (const DumpTableCount& t : whole.tables)
        if (EqualsNoCase(t.table, table))
            rows = t.rows;
    // What the load makes, read before it runs: its rows' values (as the fixed layout carries
    // them) and its definitions.
    const ReadDump loaded = readDump(outFile);
    const MadeImage loads = MadeImage::OfRows(loaded.rows.Sorted(table));
    // Judged by what the target holds afterwards, whatever rislod's exit code: a load that ends
    // well may have loaded part of the rows, one that died may have done all its work.
    std::string refusal; // the RIS error rislod named
    // Recorded before the load runs: a copy killed while it loads leaves the table named where
    // the next run looks.
    if (journal.willLoad)
        journal.willLoad(table, loads);
    MadeImage stands; // the target's rows as the look read them
    ChangeOutcome out = ChangeAndLook(
        [&] {
            std::string loadSaid;
            const long exitCode = RunCopyClient(withParams(newParams, "rislod -m w -i " + QuoteString(outFile) +
                                                                          " -s " + newSchema +
                                                                          " clear table with data all view all index "
                                                                          "all grant all"),
                                                &log_, loadSaid);
            refusal = RISErrorMessage(loadSaid);
            return refusal.empty() ? clientFailure("rislod", exitCode) : refusal;
        },
        [&](std::string& seen) {
            if (!journal.look)
                CouldNotRead("the target was not looked at");
            // The server's count first; a table that holds the dump's rows by count is then
            // compared with the dump over every object: a load that left out its index or
            // grant, or changed a value, ends well all the same.
            if (const ChangeState byCount = journal.look(table, rows, seen); byCount != ChangeState::Done)
                return byCount;
            const std::string counted = seen;
            return lookAtEveryObject(newParams, newSchema, table, loaded, outFile, counted, seen, stands);
        },
        LookAfter::EveryCall);
    // A refusal rislod named stands: a count that looks right does not overrule it.
    if (!refusal.empty() && out.state == ChangeState::Done)
        out.state = ChangeState::NotKnown;
    // What the load did not make is not the copy's to take out.
    if (journal.loaded)
        journal.loaded(table, out.state, stands);
    if (out.Failed())
        log_.WriteLog(out.Describe("the load of " + table + " into " + newSchema));
    // A table found whole is a step done, also after a client that died at its end.
    if (out.Done())
        return {};
    return out.CallFailed() ? out.failure : out.seen;
}

bool DesignTableCopy::LoadModelTable(const std::string& oldParams, const std::string& newParams,
                                     const std::string& oldSchema, const std::string& newSchema, int partitionNo,
                                     int disciplineNo, const LoadJournal& journal) const
{
    const std::string outFile = CopyWorkFile(kCopyAnswer), tempFile = CopyWorkFile(kCopyEditedDump);
    const std::vector<int> numbers = TableNumbers(disciplineNo);
    std::string table, failure;
    for (int t : numbers) {
        table = "pdtable_" + std::to_string(t) + "_" + std::to_string(partitionNo);
        // Loaded for another row of the model from the same source table: it stands as copied.
        if (journal.copiedAlready && journal.copiedAlready(table)) {
            log_.WriteLog("Table '" + table + "' is copied already");
            continue;
        }
        try {
            // A dump left from an earlier table must not be loaded again when this unload fails.
            run("del " + QuoteString(outFile));
            failure = copyTable(oldParams, newParams, oldSchema, newSchema, table, outFile, tempFile, journal);
        } catch (const std::exception& e) {
            failure = e.what();
        } catch (...) {
            failure = "unknown error";
        }
        // The remaining tables are skipped: the model is not copied whole anyway.
        if (!failure.empty())
            break;
    }
    run("del " + QuoteString(tempFile));
    run("del " + QuoteString(outFile));
    if (numbers.empty())
        log_.WriteLog("No data to load");
    if (!failure.empty())
        log_.WriteLog("Table '" + table + "' not copied into " + newSchema + ": " + failure);
    return failure.empty();
}
