// RIS unload: tables of a schema into a RIS dump file through risunlod.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/DumpTargetGuard.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/RISCommandLine.h"
#include "dbaccess/RISErrorReader.h"
#include "platform/BinaryFile.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/OwnedLeftovers.h"
#include "platform/ReplacementFile.h"
#include "platform/WinPath.h"
#include "platform/TextUtil.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

namespace {

// The directory part of a path: up to and including its last "\", trimmed.
std::string DirectoryPart(const std::string& path)
{
    const size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : Trim(path.substr(0, slash + 1));
}

} // namespace

void CRIS::RISUnload(const std::string& dumpFile, const std::string& schema, const OptionalNames& tables,
                     const OptionalNames& whereClauses, const std::string& targetSchema, int32_t dataLayout,
                     bool rewriteSchemaLine, UnloadExtras extras)
{
    WorkFiles failed;
    WithErrorSource("CRIS::RISUnload", [&] {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        CheckRISName("Schema", schema);
        // Only a dump of the schema is written over: another schema's dump, or a file that is
        // no dump at all, may be all there is of what it holds.
        if (const std::string kept = DumpTargetRefusal(dumpFile, schema, targetSchema); !kept.empty())
            RaiseError("", kept);
        if (tables)
            for (const std::string& t : *tables)
                CheckRISName("Table", t);
        if (!IsBlank(targetSchema))
            CheckRISName("Schema", targetSchema);
        const std::string dumpDir = DirectoryPart(dumpFile);
        if (!IsFileExists(dumpDir, 1))
            RaiseError("", "Directory: '" + dumpDir + "' not exists");

        const std::string parameterLine =
            RisunlodParameterLine(schema, tables, whereClauses, dataLayout, extras);
        WorkFiles work;
        const std::string dir = GetTempDir();
        const std::string outputLog = work.add(dir + GetTempName());
        const std::string parameterFile = work.add(dir + GetTempName());
        const std::string tempDump = work.add(dir + GetTempName());
        DeleteFileA(outputLog, false);
        DeleteFileA(tempDump, false);
        // The dump already at dumpFile stays until the new one is whole and takes its place: an
        // unload that fails leaves it as it was. The new one is written beside it first.
        RemoveOrphanedLeftovers(dumpFile, kNewDumpSuffix);
        const std::string fresh = failed.add(OwnedLeftoverName(dumpFile, kNewDumpSuffix));
        DeleteFileA(fresh, false);

        BinaryFile parameters;
        parameters.Open(parameterFile, BinaryFile::Mode::Write);
        parameters.Write(parameterLine + "\r\n");
        parameters.Close();

        const std::string risPath = GetRISPath();
        long pid = 0;
        const long exitCode =
            ExecA(RisunlodDumpCommand(risPath, tempDump, parameterFile), outputLog, 0, dir, pid, true);
        if (const std::string why = RisClientNoOutput("risunlod", risPath, exitCode, outputLog, true); !why.empty())
            RaiseError("", why);
        const std::string error = RISGetError(outputLog);
        if (!error.empty())
            RaiseError("", error);
        // A client that died part-way may leave a cut dump behind: no backup either.
        if (RisClientEndedUnexplained(exitCode, BinaryFile::ReadAll(outputLog)))
            RaiseError("", RisClientExitText("risunlod", exitCode));
        // An empty or missing dump is no backup: reloading it later would lose the data.
        if (!IsFileExists(tempDump, 0) || GetFileSize(tempDump) == 0)
            RaiseError("", "risunlod wrote no dump of schema '" + schema + "'");
        // A client that ended well may still have written a cut dump: every caller takes this
        // file as the schema's data (a backup before a drop, a copy, a query's rows).
        const DumpWholeness whole = CheckDumpWhole(tempDump);
        if (!whole.Whole())
            RaiseError("", "the dump risunlod wrote of schema '" + schema + "' is not whole: " + whole.problem);
        if (!EqualsNoCase(whole.schema, schema))
            RaiseError("", "the dump risunlod wrote of schema '" + schema + "' holds schema '" + whole.schema + "'");
        // A dump whole in form may still lack an asked table: a load of it would go on without.
        // Asked for all, the schema's tables come from a second source, the dictionary: the
        // client that left a table out of the dump would leave it out of its own listing too.
        const std::vector<std::string> asked = tables ? *tables : RISDictionaryTables(schema);
        const std::vector<std::string> missing = TablesNotInDump(asked, whole.tables);
        if (!missing.empty())
            RaiseError("", "the dump risunlod wrote of schema '" + schema + "' lacks the " +
                               (tables ? "asked " : "") + (missing.size() > 1 ? "tables " : "table ") +
                               Join(missing, ", ") + (tables ? "" : " that the dictionary lists"));

        if (!IsBlank(targetSchema) || rewriteSchemaLine) {
            DumpSchemaLine::CopyWithSchemaName(tempDump, fresh, IsBlank(targetSchema) ? schema : targetSchema);
        } else if (!CopyFileA(tempDump, fresh, false, false)) {
            RaiseFileOpError();
            RaiseError("", "RIS dump file '" + dumpFile + "' could not be written");
        }
        // A file that came to dumpFile while the client ran is asked about again.
        if (const std::string kept = DumpTargetRefusal(dumpFile, schema, targetSchema); !kept.empty())
            RaiseError("", kept);
        if (HostFolderExists(dumpFile))
            RaiseError("", "RIS dump file '" + dumpFile + "' could not be written: a folder of that name stands there");
        try {
            ReplacementFile placed(dumpFile);
            placed.Adopt(HostPath(fresh));
            placed.Commit();
        } catch (const AppError& e) {
            throw AppError(e.number(), e.source(),
                           "the new dump cannot take the place of '" + dumpFile + "' (" +
                               (IsFileLocked(dumpFile) ? std::string("it is in use by another program")
                                                       : e.description()) +
                               "): it stays as it was");
        }
    });
}
