// Piping model restore: model list, dump check, partial dump cut and load.
#include "admin/PipingModelRestore.h"

#include "admin/LoggedRun.h"
#include "admin/StandingState.h"
#include "admin/ToolRun.h"
#include "dbaccess/AnswerLines.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpFormat.h"
#include "dbaccess/DumpLineClassifier.h"
#include "dbaccess/DumpScanner.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/LoadMarks.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/ChangeOutcome.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/Tokens.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <utility>

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kOwn = "PipingModelRestore";

bool allDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

void checkProject(const std::string& project)
{
    if (!IsIdentifier(project))
        RaiseError(kOwn, "Project name '" + project + "' is not a valid name");
}

// The table a create-table line names (the word after "create table "), or empty.
std::string createdTable(std::string_view line)
{
    if (!StartsWithNoCase(line, DumpFormat::kCreateTable))
        return {};
    std::string_view rest = line.substr(DumpFormat::kCreateTable.size());
    const size_t end = rest.find_first_of(" (");
    return std::string(rest.substr(0, end));
}

// A path shown in a box or the log is in Windows form, also when TMP names a host folder.
std::string windowsForm(const std::string& path)
{
    return ReplaceAll(path, "/", "\\");
}

// The first lines of a text, CR LF after each, with a count of those left out.
std::string FirstLines(const std::string& text, size_t count)
{
    std::vector<std::string> lines = Split(ReplaceAll(text, "\r", ""), "\n");
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    std::string out;
    for (size_t i = 0; i < lines.size() && i < count; ++i)
        out += lines[i] + kCrLf;
    if (lines.size() > count)
        out += "... and " + std::to_string(lines.size() - count) + " more" + kCrLf;
    return out;
}

} // namespace

const std::vector<int>& PipingModelRestore::TableNumbers()
{
    static const std::vector<int> numbers{12, 34, 50, 67, 80};
    return numbers;
}

std::string PipingModelRestore::StatementFile()
{
    return windowsForm(ToolRun::ScratchFilePath());
}

std::string PipingModelRestore::OutputFile()
{
    return TmpFile("risbatch.txt");
}

std::string PipingModelRestore::ModelListStatement(const std::string& project)
{
    return "default schema pd_" + project + ";" + kCrLf +
           "select model_no, partition_no from pdtable_113 where discipline_indx_no=1;" + kCrLf + "quit;" + kCrLf;
}

std::vector<PipingModel> PipingModelRestore::ParseModelList(const std::string& output)
{
    const std::string risError = RISErrorMessage(output);
    if (!risError.empty())
        RaiseError(kOwn, "The piping models could not be listed:\r\n" + risError);
    // A model number holding a CR is read with it.
    const std::vector<std::string> lines = AnswerLines(output);
    std::vector<PipingModel> models;
    // An answer cut short could pass for a project with fewer models: the list counts only when
    // its end-of-data line follows the last model.
    bool ended = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].rfind("End of Data Found", 0) == 0)
            ended = true;
        if (lines[i].compare(0, 8, "model_no") != 0)
            continue;
        ended = false;
        const size_t open = lines[i].find('\'');
        // The value stands between the first and the last quote: an apostrophe inside it is data.
        const size_t close = open == std::string::npos ? open : lines[i].rfind('\'');
        if (close == std::string::npos || close == open)
            RaiseError(kOwn, "Model line without a quoted model number in the risbatch output: " + lines[i]);
        PipingModel m;
        m.modelNo = lines[i].substr(open + 1, close - open - 1);
        const std::string next = i + 1 < lines.size() ? lines[i + 1] : std::string();
        const size_t colon = next.find(':');
        m.partitionNo = colon == std::string::npos ? std::string() : Trim(next.substr(colon + 1));
        if (!allDigits(m.partitionNo))
            RaiseError(kOwn, "No partition number for model '" + m.modelNo + "' in the risbatch output");
        models.push_back(m);
        ++i;
    }
    if (!ended)
        RaiseError(kOwn, "The risbatch answer listing the piping models ends without its \"End of Data Found\" line: "
                         "it may lack models");
    return models;
}

std::vector<PipingModel> PipingModelRestore::ListModels(const std::string& project)
{
    checkProject(project);
    const std::string statement = StatementFile();
    const std::string output = OutputFile();
    try {
        HostWriteFile(statement, ModelListStatement(project) + kCrLf);
        auto lastFileError = [] {
            long number = 0;
            std::string source, description;
            GetFileOpError(number, source, description);
            return number == 0 ? std::string() : description;
        };
        // An answer left by an earlier run must never pass for this one's.
        if (!DeleteFileA(output))
            RaiseError(kOwn, "The old risbatch output '" + output + "' could not be deleted, the piping models of "
                             "project '" + project + "' are not listed: " + lastFileError());
        long pid = 0;
        const long exitCode =
            ExecA("risbatch -i " + QuoteString(statement) + " -o " + QuoteString(output), "", 0, "", pid, true);
        if (exitCode == -1)
            RaiseError(kOwn, "risbatch could not be started to list the piping models of project '" + project + "'");
        if (!IsFileExists(output))
            RaiseError(kOwn, "risbatch wrote no output listing the piping models of project '" + project + "'");
        const std::string answer = ReadFile2String(output);
        if (const std::string unread = lastFileError(); !unread.empty())
            RaiseError(kOwn, "The risbatch output listing the piping models could not be read: " + unread);
        // A client that died part-way leaves a list that may lack models: no list then.
        if (exitCode != 0 && RISErrorText(answer).empty())
            RaiseError(kOwn, "The piping models could not be listed:\r\n" + RisClientExitText("risbatch", exitCode));
        std::vector<PipingModel> models = ParseModelList(answer);
        DeleteFileA(statement);
        DeleteFileA(output);
        return models;
    } catch (...) {
        DeleteFileA(statement);
        DeleteFileA(output);
        throw;
    }
}

std::string PipingModelRestore::DumpSchemaOf(const std::string& dumpFile)
{
    if (dumpFile.empty() || !IsFileExists(dumpFile))
        return {};
    try {
        const std::string first = DumpSchemaLine::ReadFirstLine(dumpFile);
        const size_t keyword = DumpLineClassifier::SchemaKeywordLength(first);
        return keyword == 0 ? std::string() : DumpFormat::NameAfterKeyword(first, keyword);
    } catch (const AppError&) {
        return {};
    }
}

bool PipingModelRestore::IsDesignSchemaDump(const std::string& dumpFile, const std::string& project)
{
    if (dumpFile.empty() || !IsFileExists(dumpFile) || GetFileSize(dumpFile) < 100)
        return false;
    // A whole name: the dump of dd_demo2 is no dump of dd_demo.
    return EqualsNoCase(DumpSchemaOf(dumpFile), "dd_" + project);
}

std::vector<std::string> PipingModelRestore::WritePartialDump(const std::string& dumpFile, const std::string& project,
                                                              const std::string& partitionNo,
                                                              const std::string& partialDump)
{
    checkProject(project);
    if (!allDigits(partitionNo))
        RaiseError(kOwn, "Partition number '" + partitionNo + "' is not a number");
    // Each table's block goes to a part file of its own in one pass over the dump; the parts
    // are then joined in table number order, whatever their order in the dump.
    std::map<std::string, int, std::less<>> wanted;
    for (int t : TableNumbers())
        wanted[ToLower("pdtable_" + std::to_string(t) + "_" + partitionNo)] = t;
    const std::string base = AddBackslash(GetPathDir(partialDump)) + GetTempBaseName();
    std::map<int, std::string> parts;
    std::map<int, std::unique_ptr<BinaryFile>> partFiles;
    // The unique indexes and grants of the model's tables follow all table blocks in a dump;
    // without them the restored tables would lose their keys. A handful of lines: kept in memory.
    std::vector<std::pair<int, std::string>> indexAndGrantLines;
    auto removeParts = [&parts, &partFiles] {
        partFiles.clear();
        for (const auto& [t, path] : parts)
            DeleteFileA(path);
    };
    try {
        DumpScanner scanner(dumpFile);
        std::string chunk;
        BinaryFile* open = nullptr;
        std::string openTable;
        DumpLineClassifier lines;
        while (scanner.NextLines(chunk)) {
            size_t from = 0;
            while (from < chunk.size()) {
                size_t lf = chunk.find('\n', from);
                const size_t end = lf == std::string::npos ? chunk.size() : lf;
                std::string_view line(chunk.data() + from, end - from);
                if (!line.empty() && line.back() == '\r')
                    line.remove_suffix(1);
                from = lf == std::string::npos ? chunk.size() : lf + 1;
                const DumpLineKind kind = lines.Classify(line);
                if (!open) {
                    if (kind == DumpLineKind::Other) {
                        const auto indexed = wanted.find(ToLower(DumpLineClassifier::IndexOrGrantTable(line)));
                        if (indexed != wanted.end())
                            indexAndGrantLines.emplace_back(indexed->second, std::string(line) + kCrLf);
                    }
                    if (kind != DumpLineKind::CreateTable)
                        continue;
                    const std::string table = ToLower(createdTable(line));
                    const auto hit = table.empty() ? wanted.end() : wanted.find(table);
                    if (hit == wanted.end())
                        continue;
                    const int t = hit->second;
                    if (!partFiles[t]) {
                        parts[t] = base + "_" + std::to_string(t) + ".part";
                        partFiles[t] = std::make_unique<BinaryFile>();
                        partFiles[t]->Open(parts[t], BinaryFile::Mode::Write);
                    }
                    open = partFiles[t].get();
                    openTable = std::string(createdTable(line));
                }
                open->Write(std::string(line) + kCrLf);
                if (kind == DumpLineKind::EndOfTable)
                    open = nullptr;
            }
        }
        if (open)
            RaiseError(kOwn, "Dump '" + dumpFile + "' ends inside the block of table " + openTable);
        if (parts.empty())
            RaiseError(kOwn, "None of the tables of partition " + partitionNo + " (pdtable_12_" + partitionNo +
                                 " ... pdtable_80_" + partitionNo + ") is in the dump '" + dumpFile + "'");
        for (auto& [t, f] : partFiles)
            f->CloseChecked();

        BinaryFile out;
        out.Open(partialDump, BinaryFile::Mode::Write);
        out.Write(DumpFormat::DefaultSchemaLine("dd_" + project) + kCrLf);
        std::vector<std::string> copied;
        for (const auto& [t, path] : parts) {
            DumpScanner part(path);
            while (part.NextChunk(chunk))
                out.Write(chunk);
            copied.push_back("pdtable_" + std::to_string(t) + "_" + partitionNo);
        }
        // Only for tables that are restored: the others keep theirs.
        for (const auto& [t, line] : indexAndGrantLines)
            if (parts.count(t))
                out.Write(line);
        out.Write(std::string(DumpFormat::kEndOfSchema) + kCrLf);
        out.CloseChecked();
        removeParts();
        return copied;
    } catch (...) {
        removeParts();
        throw;
    }
}

std::string PipingModelRestore::LoadPartialDump(const std::string& partialDump, const std::string& project,
                                                const std::string& badFile, bool* refusalNamed)
{
    checkProject(project);
    const LoggedRun run = LoggedRun::Run(LoadCommand(partialDump, project, badFile));
    if (run.exitCode == -1)
        return "rislod could not be started";
    const std::string error = RISErrorMessage(run.output);
    if (refusalNamed)
        *refusalNamed = !error.empty();
    // A client that died says so only by its exit code: the cleared tables may not be whole.
    if (error.empty() && RisClientEndedSilently(run.exitCode, run.output))
        return RisClientExitText("rislod", run.exitCode);
    return error;
}

std::string PipingModelRestore::LoadCommand(const std::string& partialDump, const std::string& project,
                                            const std::string& badFile)
{
    return "rislod -m w -i " + QuoteString(partialDump) + (badFile.empty() ? "" : " -b " + QuoteString(badFile)) +
           " -s dd_" + project + " clear table with data all view all index all grant all";
}

std::string PipingModelRestore::BadRowsFile(const std::string& modelNo)
{
    // A name of its own per run: a bad file of an earlier restore is never overwritten.
    return TmpFile("pipfile_" + (IsIdentifier(modelNo) ? modelNo + "_" : std::string()) + GetTempBaseName() + ".bad");
}

std::string PipingModelRestore::Restore(const std::string& dumpFile, const std::string& project,
                                        const PipingModel& model)
{
    checkProject(project);
    // Held until the look after the load has spoken: a second change of the schema is refused.
    const std::string restore = "the restore of piping model " + model.modelNo + " into dd_" + project;
    const std::string what = restore + " from '" + dumpFile + "'";
    const std::string untouched = "; nothing was loaded, dd_" + project + " and the dump are as they were";
    std::optional<LoadMarks> taken;
    try {
        // The record keeps the user's dump from every unload from before the first step on,
        // also when the restore is refused: until a restore of the model or a load of the file
        // is found whole.
        taken.emplace("dd_" + project, dumpFile, what, "piping model " + model.modelNo);
    } catch (const AppError& e) {
        RaiseError(kOwn, Capitalised(what) + " was not started: " + e.description() + untouched);
    }
    LoadMarks& marks = *taken;
    if (!marks.held())
        RaiseError(kOwn, marks.Refusal());
    if (const std::string left = marks.LeftBehind(); !left.empty())
        ShowStatus(left);
    marks.Step("the partial dump was cut out of the dump", false);
    const std::string partial = StatementFile();
    std::vector<std::string> tables;
    DumpWholeness whole;
    try {
        tables = WritePartialDump(dumpFile, project, model.partitionNo, partial);
        // Loaded in "clear" mode, a cut partial dump would empty tables it cannot fill again.
        whole = CheckDumpWhole(partial);
        if (!whole.Whole() || !EqualsNoCase(whole.schema, "dd_" + project))
            RaiseError(kOwn, "The partial dump '" + partial + "' of piping model " + model.modelNo +
                                 (whole.Whole() ? " names schema '" + whole.schema + "'"
                                                : " is not whole: " + whole.problem) +
                                 "; nothing was loaded, dd_" + project + " is unchanged");
    } catch (const AppError& e) {
        marks.NotStarted(e.description());
        const std::string carried = marks.CarriedOutcome();
        if (carried.empty())
            throw;
        throw AppError(e.number(), e.source(), e.description() + std::string(kCrLf) + carried);
    }
    std::vector<std::string> absent;
    for (int t : TableNumbers()) {
        const std::string table = "pdtable_" + std::to_string(t) + "_" + model.partitionNo;
        if (!ContainsNoCase(tables, table))
            absent.push_back(table);
    }
    ShowStatus("Piping model " + model.modelNo + ": restoring " + Join(tables, ", ") + " of dd_" + project +
               " from '" + dumpFile + "'");
    const std::string bad = BadRowsFile(model.modelNo);
    const std::string schema = "dd_" + project;
    // The look after the load, whatever its end, compares the server's tables with the partial
    // dump as written; what they held before tells a table the load filled from one that held
    // as many rows already.
    const StandingState::LoadOutcome load = StandingState::LoadAndLook(
        schema, partial, whole,
        [&](bool& refusalNamed) {
            marks.Step("the load client rislod ran");
            std::string failure = LoadPartialDump(partial, project, bad, &refusalNamed);
            const std::string refused = IsFileExists(bad) ? ReadFile2String(bad) : std::string();
            if (failure.empty() && !Trim(refused).empty())
                failure = "rislod refused rows";
            return failure;
        },
        restore);
    // The model's tables are a part of the schema: the restore never ends a dead change's mark
    // unless the schema holds those tables only.
    marks.Spoken(load.outcome.Done(), load.wholeSchema, load.sentence, LoadMarks::Loaded::SomeTables);
    const std::string carried = marks.CarriedOutcome();
    const std::string refused = IsFileExists(bad) ? ReadFile2String(bad) : std::string();
    // The bad file is kept only when it holds refused rows: an empty one tells nothing.
    if (Trim(refused).empty())
        DeleteFileA(bad);
    if (!load.outcome.Done()) {
        std::string text = load.sentence;
        if (!Trim(refused).empty())
            text += std::string(kCrLf) + "The rows rislod refused are kept in the bad file '" + bad + "':" + kCrLf +
                    FirstLines(refused, 10);
        if (!carried.empty())
            text += std::string(kCrLf) + carried;
        RaiseError(kOwn, text + kCrLf + "See log file '" + gLogFile + "'");
    }
    std::string message = absent.empty() ? "DD schema was restored!" : "DD schema was restored in part!";
    message += std::string(kCrLf) + kCrLf;
    if (load.outcome.CallFailed())
        message += load.sentence + kCrLf + kCrLf;
    if (!carried.empty())
        message += carried + kCrLf + kCrLf;
    if (!absent.empty())
        message += "Restored: " + Join(tables, ", ") + kCrLf + "Not in the dump '" + dumpFile +
                   "', left as they were: " + Join(absent, ", ") + kCrLf + kCrLf;
    return message + "Please restore now piping model file (" + model.modelNo + ".dgn) from backup" + kCrLf;
}
