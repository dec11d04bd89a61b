// The load buttons' loops over several dumps: the dump folder's (all, or a project's) and the
// chosen files'.
#include "admin/DumpCommands.h"

#include "admin/AdminGlobals.h"
#include "admin/DumpCommandLines.h"
#include "admin/DumpReplacer.h"
#include "admin/ProjectSchemaRules.h"
#include "admin/Startup.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/DumpTargetGuard.h"
#include "dbaccess/LoadMarks.h"
#include "platform/AppError.h"
#include "platform/EscKey.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/Messages.h"

namespace {
// The records of a command's loads, written before its first step, for as long as the command
// runs: the loads take theirs over, and those of loads that never began stay at its end (see LoadRecords).
class LoadsAhead {
public:
    LoadsAhead(DumpCommands& commands, const std::vector<std::string>& dumps, const std::string& ownName)
        : commands_(commands)
    {
        try {
            commands.RecordLoadsAhead(dumps);
        } catch (const AppError& e) {
            RaiseError(ownName, e.description() + "; nothing was loaded, every schema and dump is as it was");
        }
    }
    ~LoadsAhead() { commands_.EndLoadsAhead(); }
    LoadsAhead(const LoadsAhead&) = delete;
    LoadsAhead& operator=(const LoadsAhead&) = delete;

private:
    DumpCommands& commands_;
};

} // namespace

bool DumpCommands::LoadDumpDirectory(const std::string& project, bool pollEsc)
{
    requireDumpDir("LoadDumpDirectory");
    // A folder mistyped must not end as a load that found nothing to do.
    if (!HostFolderExists(gDumpDir))
        RaiseError("LoadDumpDirectory", "The dump folder '" + gDumpDir + "' " + MissingFolderWords(gDumpDir) +
                                            ": nothing loaded");
    EscKey::ForgetEarlierPress();
    std::vector<std::string> files;
    for (const auto& path : FindFile(dumpFolder("LoadDumpDirectory"), "*.*", false)) {
        if (files.size() == kMaxSchemaNames)
            RaiseError("LoadDumpDirectory", "More than 9999 files in '" + gDumpDir + "'");
        files.push_back(path);
        if (pollEsc && escPressed())
            return false;
    }
    // Which files are dumps to load is known before the first: each one's record is written
    // before the first step, so that a program cut off in the first schema leaves every dump it
    // would have loaded kept from the unloads.
    std::vector<std::pair<std::string, std::string>> loads; // file, schema
    for (const auto& path : files) {
        std::string name = GetFileName(path);
        // A new dump an unload left unfinished is no dump to load, whatever its first line.
        if (EndsWithNoCase(name, kNewDumpSuffix))
            continue;
        if (IsSpecialFile(path)) {
            ShowStatus("Not a regular file (a FIFO or a device), skipped: '" + path + "'");
            continue;
        }
        std::string first = DumpSchemaLine::ReadFirstLine(path);
        if (IsLoadCandidate(first, name, SchemaWordCase::Any) && IsDefaultSchemaLine(first)) {
            std::string schema = SchemaOfSchemaLine(first);
            if (project.empty() || IsSchemaOfProject(schema, project))
                loads.emplace_back(path, schema);
        }
    }
    const int dumps = static_cast<int>(loads.size());
    std::vector<std::string> paths;
    for (const auto& [path, schema] : loads)
        paths.push_back(path);
    const LoadsAhead ahead(*this, paths, "LoadDumpDirectory");
    for (const auto& [path, schema] : loads) {
        if (stopRequested())
            return false;
        gCurrentSchema = schema;
        loadOne(path, schema, 2);
        if (pollEsc && escPressed())
            return false;
    }
    if (dumps == 0)
        RaiseError("LoadDumpDirectory",
                   "The dump folder '" + gDumpDir + "' holds no RIS dump" +
                       (project.empty() ? std::string() : " of project " + project) +
                       " (a file whose first line is a 'default schema' line" +
                       (project.empty() ? std::string() : " naming one of its schemas") + "): nothing loaded");
    return true;
}

bool DumpCommands::LoadChosenFiles(const std::vector<std::string>& files)
{
    EscKey::ForgetEarlierPress();
    std::vector<std::string> keys;
    for (const auto& key : Split(ReadIniValue(gIniFile, "Replace", std::nullopt, "", true), ";"))
        if (!key.empty())
            keys.push_back(key);
    std::vector<std::string> values;
    for (const auto& key : keys)
        values.push_back(ReadIniValue(gIniFile, "Replace", key, ""));

    // Every chosen dump's record is written before the first step: the edits and the loads.
    std::vector<std::string> dumps;
    for (const auto& file : files)
        if (HostFileExists(file) && !IsSpecialFile(file) &&
            IsLoadCandidate(DumpSchemaLine::ReadFirstLine(file), GetFileName(file), SchemaWordCase::Exact))
            dumps.push_back(file);
    const LoadsAhead ahead(*this, dumps, "LoadChosenFiles");
    for (const auto& file : files) {
        if (stopRequested())
            return false;
        std::string first;
        try {
            first = DumpSchemaLine::ReadFirstLine(file);
        } catch (const AppError& e) {
            // A chosen file that cannot be read (no regular file) keeps a record all the same.
            LoadMarks::NotLoaded("", file, e.description());
            throw;
        }
        if (!IsLoadCandidate(first, GetFileName(file), SchemaWordCase::Exact)) {
            ShowStatus("Not a RIS dump file, skipped: '" + file + "'");
        } else {
            // The load's record and the schema's mark come before the file is edited: a program
            // loading the same dump into that schema finds it refused untouched.
            std::optional<LoadMarks> marks;
            if (const std::string named = DumpSchemaLine::SchemaWordOf(first);
                !named.empty() && !takeMarks(marks, named, file)) {
                if (escPressed())
                    return false;
                continue;
            }
            // The first-line rewrite and the [Replace] edits are the load's first steps.
            if (marks)
                marks->Step("its first line and the [Replace] edits were made", false);
            std::string schema;
            try {
                // The schema line is read word by word, as the rewrite reads it: a leading or
                // doubled blank does not keep a "create schema" line from becoming a "default
                // schema" line.
                if (!IsDefaultSchemaLine(first) && !DumpSchemaLine::SchemaWordOf(first).empty()) {
                    rewriteFirstLine(file);
                    wait(1);
                }
                first = DumpSchemaLine::ReadFirstLine(file);
                if (!IsDefaultSchemaLine(first))
                    RaiseError("LoadChosenFiles",
                               "RIS dump file '" + file + "' does not begin with a 'default schema' line");
                schema = SchemaOfSchemaLine(first);
                gCurrentSchema = schema;
                if (schema.find('_') != std::string::npos && !keys.empty())
                    ApplyReplacements(file, keys, values);
            } catch (const AppError& e) {
                if (marks)
                    marks->NotStarted(e.description());
                else
                    LoadMarks::NotLoaded("", file, e.description());
                throw;
            }
            // The edits renamed the dump's schema: the record of the first name kept the file
            // until the load under the new name recorded it.
            bool recorded = true;
            try {
                recorded = loadOne(file, schema, 1, &marks);
            } catch (const AppError&) {
                if (marks && marks->Recording())
                    marks->HandedOver();
                throw;
            }
            if (marks && marks->Recording()) {
                if (recorded)
                    marks->HandedOver();
                else
                    marks->NotStarted("its load under schema " + schema + " could not be recorded");
            }
        }
        if (escPressed())
            return false;
    }
    return true;
}
