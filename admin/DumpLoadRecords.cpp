// The records a load writes before its first step, and those a command of several loads (a
// folder load, the chosen files, a script) writes for every dump before its first load.
#include "admin/DumpCommands.h"

#include "admin/DumpCommandLines.h"
#include "dbaccess/DumpSchemaLine.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/Messages.h"

#include <algorithm>

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
        const std::string what = "the load of '" + dump + "' into " + schema;
        try {
            records->Add(schema, dump, what);
        } catch (const AppError& e) {
            throw AppError(e.number(), e.source(), Capitalised(what) + " was not started: " + e.description());
        }
    }
    ahead_ = std::move(records);
}

void DumpCommands::RecordScriptLoadsAhead(const std::vector<std::string>& loadParams,
                                          const std::vector<std::string>& unloadParams)
{
    // A dump the script writes itself before its load is the script's to replace: the place its
    // unload line names, however the load line spells it.
    std::vector<std::string> written, dumps;
    for (const std::string& params : unloadParams)
        try {
            written.push_back(WinPathPlace(DumpParamToken(params, 2)));
        } catch (const AppError&) {
            // The line names no dump: it fails when it runs.
        }
    for (const std::string& params : loadParams)
        try {
            const std::string dump = DumpParamToken(params, 1);
            if (std::find(written.begin(), written.end(), WinPathPlace(dump)) == written.end())
                dumps.push_back(dump);
        } catch (const AppError&) {
        }
    RecordLoadsAhead(dumps);
}

void DumpCommands::EndLoadsAhead() { ahead_.reset(); }
