// The file services over the host file layer, each keeping its failure in the last file error.
#include "services/FileOperation.h"

#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/FolderCache.h"
#include "platform/HostFiles.h"
#include "platform/Process.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/BatchLauncher.h"
#include "services/PathCharacters.h"

#include <cstdio>
#include <random>
#include <unordered_set>

#ifndef TARNWICK_VERSION
#define TARNWICK_VERSION "0.0.0.0"
#endif

namespace {

// An own error: number 1, no source of its own, so the record's source is the operation's name.
[[noreturn]] void fail(const std::string& description) { throw AppError(1, "", description); }

std::string slashes(const std::string& path) { return ReplaceAll(path, "/", "\\"); }

// Raises the in-use error left in the record by IsFileAlreadyInUse.
void raiseWhenInUse(const std::string& path)
{
    if (IsFileAlreadyInUse(path) && gFileOpErrNumber != 0)
        RaiseFileOpError();
}

void checkedShellOperation(int op, const std::string& from, const std::string& to)
{
    bool aborted = false;
    int code = ShellFileOperation(op, from, to, aborted);
    if (aborted)
        fail("User abort");
    if (op == 3 && code == 32)
        fail("File '" + from + "' already in use");
    if (code != 0)
        fail("Error code: " + std::to_string(code));
}

// Copy or move: the two differ in their name, their shell code, the deletion of the source
// and the events run at the end.
bool transfer(const char* name, int shellOp, const std::string& src, const std::string& dst, bool useShell,
              bool inUseCheck, Overwrite overwrite)
{
    // A change acts on the files as they are, never on a run's memory of its folders.
    const FolderCacheUnbound unbound;
    try {
        if (!HostFileExists(src))
            fail("File '" + src + "' not exists");
        if (inUseCheck) {
            raiseWhenInUse(src);
            // A destination that does not exist yet cannot be in use; counting it as in use
            // would fail every checked copy to a new file.
            if (HostFileExists(dst))
                raiseWhenInUse(dst);
        }
        if (useShell) {
            checkedShellOperation(shellOp, src, dst);
        } else {
            // The copy goes through a temporary file and refuses the source itself as its
            // destination, so a failure leaves both files as they were.
            HostCopyFile(src, dst, overwrite);
            if (shellOp == 1)
                HostDeleteFile(src, false);
        }
        if (shellOp == 2)
            DoEvents();
        ClearFileOpError();
        return true;
    } catch (const AppError& e) {
        RecordFileOpError(e, name);
        return false;
    }
}

void findInto(const std::string& startIn, const std::string& pattern, bool recurse, std::vector<std::string>& out)
{
    if (!HostFolderExists(startIn))
        fail("Start path '" + startIn + "' not exists");
    std::string start = startIn;
    if (start.empty() || (start.back() != '\\' && start.back() != '/'))
        start += "\\";
    // The whole listing is taken before recursing, so only one listing is open at a time.
    const std::vector<HostEntry> entries = HostListFolder(start);
    if (recurse) {
        for (const HostEntry& e : entries)
            if (e.folder && !e.hidden)
                findInto(start + e.name, pattern, true, out);
    }
    for (const HostEntry& e : entries)
        if (!e.folder && !e.hidden && WildcardMatch(pattern, e.name))
            out.push_back(start + e.name);
}

std::string padParts(const std::string& version)
{
    std::vector<std::string> parts = Split(version, ".");
    for (std::string& p : parts)
        while (p.size() < 2)
            p = "0" + p;
    return Join(parts, ".");
}

// Four parts, also when the build gives fewer.
std::string ownVersion()
{
    std::vector<std::string> parts = Split(TARNWICK_VERSION, ".");
    while (parts.size() < 4)
        parts.push_back("0");
    parts.resize(4);
    return Join(parts, ".");
}

std::string gVersionCache;
bool gVersionPadded = false;

} // namespace

bool IsFileExists(const std::string& path, int kind)
{
    try {
        bool exists = false;
        if (!path.empty()) {
            if (kind == 0)
                exists = HostFileExists(path);
            else if (kind == 1)
                exists = HostFolderExists(path);
            else if (kind == 2)
                exists = HostDriveExists(path);
        }
        ClearFileOpError();
        return exists;
    } catch (const AppError& e) {
        RecordFileOpError(e, "IsFileExists");
        return false;
    }
}

bool CopyFileA(const std::string& src, const std::string& dst, bool useShell, bool inUseCheck, bool overwrite)
{
    return transfer("CopyFileA", 2, src, dst, useShell, inUseCheck, overwrite ? Overwrite::Yes : Overwrite::No);
}

bool MoveFileA(const std::string& src, const std::string& dst, bool useShell, bool inUseCheck)
{
    return transfer("MoveFileA", 1, src, dst, useShell, inUseCheck, Overwrite::Yes);
}

bool DeleteFileA(const std::string& path, bool useShell)
{
    const FolderCacheUnbound unbound;
    try {
        if (IsBlank(path)) {
            ClearFileOpError();
            return true;
        }
        if (useShell) {
            checkedShellOperation(3, path, "");
        } else if (HostFileExists(path)) {
            try {
                HostDeleteFile(path, true);
            } catch (const AppError& e) {
                if (e.number() != kErrFileNotFound)
                    throw;
            }
            if (HostFileExists(path))
                HostDeleteFile(path, true);
        }
        if (HostFileExists(path))
            fail("File '" + path + "' not deleted");
        ClearFileOpError();
        return true;
    } catch (const AppError& e) {
        RecordFileOpError(e, "DeleteFileA");
        return false;
    }
}

int ShellFileOperation(int op, const std::string& from, const std::string& to, bool& aborted)
{
    const FolderCacheUnbound unbound;
    return HostShellFileOperation(op, from, to, aborted);
}

LocalTime GetFileLastModifiedDate(const std::string& path)
{
    try {
        LocalTime t = HostFileModified(path);
        ClearFileOpError();
        return t;
    } catch (const AppError& e) {
        RecordFileOpError(e, "GetFileLastModifiedDate");
        return LocalTime{};
    }
}

float GetFileSize(const std::string& path)
{
    try {
        if (!HostFileExists(path))
            fail("File '" + path + "' not exists");
        float size = static_cast<float>(HostFileSize(path));
        ClearFileOpError();
        return size;
    } catch (const AppError& e) {
        RecordFileOpError(e, "GetFileSize");
        return 0;
    }
}

std::string GetTempName()
{
    // Only 2^20 names: drawn at random they meet again within a few thousand calls, and a call
    // that takes several work files at once (an extraction's dump and its unload's own files)
    // would then delete its own result. So a process never hands out a name twice.
    constexpr unsigned kNames = 0x100000;
    // Never destroyed: objects that live to the end of the process (the access object removes
    // its work folder through a command line at exit) still draw names after the destructors
    // of function-local statics have run.
    static std::mt19937& rng = *new std::mt19937{std::random_device{}()};
    static std::unordered_set<unsigned>& given = *new std::unordered_set<unsigned>;
    if (given.size() >= kNames / 2)
        given.clear();
    unsigned n = 0;
    do
        n = static_cast<unsigned>(rng() & (kNames - 1));
    while (!given.insert(n).second);
    char buf[16];
    std::snprintf(buf, sizeof buf, "rad%05X.tmp", n);
    return buf;
}

std::string GetTempBaseName() { return GetFileBaseName(GetTempName()); }

std::string GetOwnedTempName() { return std::to_string(Process::CurrentId()) + GetTempName(); }

std::vector<std::string> FindFile(const std::string& start, const std::string& pattern, bool recurse)
{
    std::vector<std::string> out;
    try {
        findInto(start, pattern, recurse, out);
        ClearFileOpError();
        return out;
    } catch (const AppError& e) {
        RecordFileOpError(e, "FindFile");
        return {};
    }
}

bool CreateFolderA(const std::string& path)
{
    const FolderCacheUnbound unbound;
    try {
        if (IsBlank(path))
            fail("Directory name not defined");
        CheckPathCharacters("Directory", path);
        if (HostFolderExists(path))
            fail("Directory '" + path + "' exists already");
        long pid = 0;
        ExecA("mkdir " + QuoteString(path), "", 0, "", pid, true);
        if (!HostFolderExists(path))
            fail("Creating directory '" + path + "' failed");
        ClearFileOpError();
        return true;
    } catch (const AppError& e) {
        RecordFileOpError(e, "CreateFolderA");
        return false;
    }
}

bool IsFolderWritable(const std::string& path)
{
    std::string testFile;
    bool result = true;
    try {
        if (!HostFolderExists(path))
            fail("Directory '" + path + "' not exists");
        // The probe is made only under a name no file has, and only a probe made here is
        // removed again: a file of that name is someone else's.
        bool created = false;
        std::string refused; // why the last probe could not be made
        long refusedNumber = 0;
        for (int attempt = 0; attempt < 16 && result && !created; ++attempt) {
            const std::string name = AddBackslash(path) + GetTempName();
            try {
                HostCreateFile(name, Overwrite::No);
                testFile = name;
                // An empty file takes no room: only a byte written shows a full disk.
                BinaryFile::AppendText(name, "0");
                created = true;
            } catch (const AppError& e) {
                result = testFile.empty() && e.number() == kErrFileExists;
                refused = e.description();
                refusedNumber = e.number();
            }
        }
        if (!created)
            result = false;
        // A full disk or another fault is named as it is: "permission denied" would send the
        // user to the folder's rights.
        if (!result && refusedNumber != 0 && refusedNumber != kErrPermissionDenied && refusedNumber != kErrFileExists)
            fail("Directory '" + path + "': no file can be created in it: " + refused);
        if (!result)
            fail("Directory '" + path + "': write permission denied");
        ClearFileOpError();
    } catch (const AppError& e) {
        RecordFileOpError(e, "IsFolderWritable");
        result = false;
    }
    // The clean-up must not clear a failure found above.
    const FileOpError saved = SaveFileOpError();
    if (!testFile.empty() && HostFileExists(testFile))
        DeleteFileA(testFile);
    RestoreFileOpError(saved);
    return result;
}

bool IsFileAlreadyInUse(const std::string& path)
{
    try {
        CheckOpenExclusive(path);
        ClearFileOpError();
        return false;
    } catch (const AppError& e) {
        RecordFileOpError(AppError(e.number(), e.source(), "File '" + path + "' is already in use"),
                          "IsFileAlreadyInUse");
        return true;
    }
}

bool IsFileReady(const std::string& path)
{
    if (!IsFileExists(path))
        return false;
    if (IsFileAlreadyInUse(path) && gFileOpErrNumber != 0)
        return false;
    return true;
}

std::string GetFileVersion(const std::string& path)
{
    try {
        std::string version = "0.0.0.0";
        if (IsBlank(path)) {
            version = ownVersion();
        } else {
            // The program's own executable is the one file here that carries version data.
            const std::string own = ProgramDir() + "tarnwick";
            if (EqualsNoCase(slashes(path), own) || EqualsNoCase(slashes(path), own + ".exe"))
                version = ownVersion();
        }
        ClearFileOpError();
        return version;
    } catch (const AppError& e) {
        RecordFileOpError(e, "GetFileVersion");
        return {};
    }
}

std::string GetAppVersion(const std::string& path, bool pad)
{
    if (!IsBlank(gVersionCache) && gVersionPadded == pad)
        return gVersionCache;
    gVersionCache = GetFileVersion(path);
    if (pad)
        gVersionCache = padParts(gVersionCache);
    gVersionPadded = pad;
    return gVersionCache;
}

void CheckTempDir()
{
    try {
        const std::string temp = GetEnvVar("TEMP");
        if (temp.empty())
            fail("Environment variable 'Temp' not defined");
        // A blank is let through: every command line quotes the paths it is given.
        if (temp.find_first_of("~,.") != std::string::npos)
            fail("TEMP directory '" + temp +
                 "' is not correct. Any special characters ('.', '~', ',') in path are not allowed");
    } catch (const AppError& e) {
        throw PassOn(e, "CheckTempDir");
    }
}

std::string GetPathDir(const std::string& pathIn)
{
    std::string path = slashes(pathIn);
    if ((path.size() == 2 && path[1] == ':') || (path.size() == 3 && path[1] == ':' && path[2] == '\\'))
        return AddBackslash(path);
    if (path.find('\\') == std::string::npos)
        return {};
    if (path.back() == '\\')
        path.pop_back();
    size_t last = path.rfind('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string GetFileName(const std::string& pathIn)
{
    std::string path = slashes(pathIn);
    size_t last = path.rfind('\\');
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string GetFileBaseName(const std::string& path)
{
    std::string name = GetFileName(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string AddBackslash(const std::string& path)
{
    if (IsBlank(path))
        return path;
    std::string p = slashes(path);
    if (p.back() != '\\')
        p += '\\';
    return p;
}

std::string QuoteString(const std::string& text)
{
    for (char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (c == '"' || code < 0x20 || code == 0x7f)
            fail("The text '" + text + "' cannot be put on a command line: it holds " + DescribeCharacter(c));
    }
    return "\"" + ReplaceAll(text, "%", "%%") + "\"";
}

std::string SetPathVariableLine(const std::string& name, const std::string& path, const std::string& kind)
{
    CheckPathCharacters(kind, path);
    return "set " + QuoteString(name + "=" + path);
}

int SafeUBound(const std::vector<std::string>& list) { return static_cast<int>(list.size()) - 1; }
