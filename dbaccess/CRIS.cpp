// The database access object's state: connection kind, RIS client directory, work directory,
// construction and release, and the process-wide instance.
#include "dbaccess/CRIS.h"

#include "dbaccess/CRISWork.h"
#include "dbaccess/ConnectionString.h"
#include "dbaccess/SchemaStatements.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

namespace {

// Kept after the work directory's removal has been tried this long.
constexpr uint64_t kRemoveTimeoutMs = 60000;

} // namespace

CRIS::CRIS() = default;

CRIS::~CRIS()
{
    // Never the TEMP folder itself, and never an error out of a release.
    try {
        if (IsBlank(TempDir) || EqualsNoCase(TempDir, AddBackslash(GetEnvVar("TEMP"))))
            return;
        const FileOpError saved = SaveFileOpError();
        const uint64_t deadline = GetClock().TickMs() + kRemoveTimeoutMs;
        for (;;) {
            long pid = 0;
            ExecA("rmdir /S /Q " + QuoteString(TempDir), "", 0, "", pid, true);
            if (GetClock().TickMs() >= deadline || !IsFileExists(TempDir, 1))
                break;
            DoEvents();
            GetClock().SleepMs(100);
        }
        RestoreFileOpError(saved);
    } catch (...) {
    }
}

void CRIS::SetUseOra(const std::string& server, const std::string& user, const std::string& password)
{
    WithErrorSource("CRIS::SetUseOra", [&] {
        if (IsBlank(server))
            RaiseError("", "Database server name not defined");
        if (IsBlank(user))
            RaiseError("", "Database user name not defined");
        CheckConnectionPart("Server name", server);
        CheckConnectionPart("User name", user);
        CheckConnectionPassword(password);
        ConType = kConOracle;
        ConnectString = OracleConnectString(server, user, password);
        ServerName = server;
        UserName = user;
    });
}

void CRIS::SetUseSQL(const std::string& server, const std::string& database, const std::string& user,
                     const std::string& password)
{
    WithErrorSource("CRIS::SetUseSQL", [&] {
        if (IsBlank(server))
            RaiseError("", "Database server name not defined");
        CheckConnectionPart("Server name", server);
        CheckConnectionPart("Database name", database);
        CheckConnectionPart("User name", user);
        CheckConnectionPassword(password);
        ConType = kConSQLServer;
        ConnectString = SqlServerConnectString(server, database, user, password);
        ServerName = server;
        UserName = user;
    });
}

void CRIS::SetUseRIS(const std::string& risPath)
{
    WithErrorSource("CRIS::SetUseRIS", [&] {
        ConType = kConRIS;
        ConnectString.clear();
        ServerName.clear();
        UserName.clear();
        SetRISPath(risPath);
    });
}

void CRIS::SetRISPath(const std::string& path)
{
    RISPath.clear();
    WithErrorSource("CRIS::SetRISPath", [&] {
        std::string found;
        if (!IsBlank(path)) {
            const std::string dir = AddBackslash(path);
            if (!IsFileExists(dir + "risbatch.exe", 0))
                RaiseError("", "RIS client (risbatch) not found in '" + dir + "'");
            if (!IsFileExists(dir + "risunlod.exe", 0))
                RaiseError("", "RIS client (risunlod) not found in '" + dir + "'");
            found = dir;
        } else {
            found = FindRISPath();
        }
        if (IsBlank(found))
            RaiseError("", "RIS client not found or not correctly installed");
        RISPath = found;
    });
}

void CRIS::SetTempDir()
{
    TempDir.clear();
    WithErrorSource("CRIS::SetTempDir", [&] {
        const std::string base = IsFileExists(gTempDir, 1) ? gTempDir : GetEnvVar("TEMP");
        if (!IsFileExists(base, 1))
            RaiseError("", "TEMP directory not defined or not existing. Please first set operating system "
                           "environment variable TEMP to correct folder");
        // Named after the process, as its batch files are: a start after a killed run knows the
        // folder as left by a process that is gone (RemoveOrphanedWorkFiles).
        const std::string dir = AddBackslash(base) + std::to_string(Process::CurrentId()) + GetTempBaseName();
        if (!CreateFolderA(dir)) {
            RaiseFileOpError();
            RaiseError("", "Directory '" + dir + "' could not be created");
        }
        if (!IsFolderWritable(dir)) {
            RaiseFileOpError();
            RaiseError("", "Directory '" + dir + "' is not writable");
        }
        TempDir = AddBackslash(dir);
    });
}

int32_t CRIS::GetDBConType()
{
    if (ConType == kConNotSet)
        SetUseRIS("");
    return ConType;
}

std::string CRIS::GetRISPath()
{
    if (IsBlank(RISPath))
        SetRISPath("");
    return RISPath;
}

std::string CRIS::GetTempDir()
{
    if (IsBlank(TempDir))
        SetTempDir();
    return TempDir;
}

void CRIS::RemoveEmptyTempDir()
{
    if (IsBlank(TempDir))
        return;
    try {
        // Only an empty folder: a non-recursive removal fails on anything in it.
        HostRemoveFolder(TempDir, false);
        TempDir.clear();
    } catch (const AppError&) {
    }
}

bool CRIS::HasError() const
{
    return std::current_exception() != nullptr;
}

CRIS& CRISInstance::get()
{
    // Never released: the program ends without tearing it down, so its work directory stays.
    static CRIS* instance = new CRIS();
    return *instance;
}

CRISInstance gCRIS;
