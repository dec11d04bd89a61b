// The records a load writes before its first step, and those a command of several loads (a
// folder load, the chosen files, a script) writes for every dump before its first load.
#include "admin/DumpCommands.h"

#include "admin/DumpCommandLines.h"
#include "dbaccess/DumpSchemaLine.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/Messages.h"

bool DumpCommands::startRecord(LoadMarks& marks, const std::string& dump, const std::string& step)
{
    if (marks.Recording()) {
        marks.Step(step, false);
        return true;
    }
    try {
        marks.Starting(step, ahead_ ? ahead_->Take(marks.schema(), dump) : LoadRecord{});
    } catch (const AppError& e) {
        noteFailure("The load of '" + dump + "' into " + marks.schema() +
                    " was not started: its record could not be written (" + e.description() + "); schema " +
                    marks.schema() + " is as it was");
        return false;
    }
    return true;
}

void DumpCommands::sayCarried(const LoadMarks& marks)
{
    if (const std::string carried = marks.CarriedOutcome(); !carried.empty())
        ShowStatus(carried);
}

void DumpCommands::RecordLoadsAhead(const std::vector<std::string>& dumps)
{
    auto records = std::make_unique<LoadRecords>();
    for (const std::string& dump : dumps) {
        if (IsBlank(dump) || !HostFileExists(dump) || IsSpecialFile(dump))
            continue; // the load, when it comes, names what it finds
        std::string first;
        try {
            first = DumpSchemaLine::ReadFirstLine(dump);
        } catch (const AppError&) {
            continue;
        }
        if (!IsDefaultSchemaLine(first) && DumpSchemaLine::SchemaWordOf(first).empty())
            continue;
        const std::string schema =
            IsDefaultSchemaLine(first) ? SchemaOfSchemaLine(first) : DumpSchemaLine::SchemaWordOf(first);
        if (!IsIdentifier(schema))
            continue;
        records->Add(schema, dump, "the load of '" + dump + "' into " + schema);
    }
    ahead_ = std::move(records);
}

void DumpCommands::RecordScriptLoadsAhead(const std::vector<std::string>& loadParams,
                                          const std::vector<std::string>& unloadParams)
{
    // A dump the script writes itself before its load is the script's to replace.
    std::vector<std::string> written, dumps;
    for (const std::string& params : unloadParams)
        try {
            written.push_back(DumpParamToken(params, 2));
        } catch (const AppError&) {
            // The line names no dump: it fails when it runs.
        }
    for (const std::string& params : loadParams)
        try {
            const std::string dump = DumpParamToken(params, 1);
            if (!ContainsNoCase(written, dump))
                dumps.push_back(dump);
        } catch (const AppError&) {
        }
    RecordLoadsAhead(dumps);
}

void DumpCommands::EndLoadsAhead() { ahead_.reset(); }
