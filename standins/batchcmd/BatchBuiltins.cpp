// File and output built-ins of the interpreter, on the host file layer.
#include "standins/batchcmd/BatchBuiltins.h"

#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The number of the file-system object's "Bad file name" for a name Windows refuses.
constexpr long kErrBadName = 64;

// Why a file (host path) that stands as no regular file and no folder cannot be used by a
// command that would have read or written it (verb: "read from", "written to"); "" when it can.
std::string oddFileText(const std::string& host, const std::string& verb)
{
    struct stat st;
    if (::stat(host.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return WinPathFromHost(host) + " is not a regular file; nothing was " + verb + " it.";
    return {};
}

struct Args {
    std::vector<std::string> paths;
    std::string switches; // upper-case letters of the switches given
};

// "/S", "/b", "/A:-D": a switch when its letter is one the command knows, so that a host
// path such as "/tmp/x" stays a path.
Args splitArgs(const BatchCommand& cmd, const std::string& letters)
{
    Args a;
    for (const std::string& w : cmd.args) {
        const bool isSwitch = w.size() >= 2 && w[0] == '/' && letters.find(std::toupper(static_cast<unsigned char>(w[1]))) !=
                                                                   std::string::npos &&
                              w.find_first_of("/\\", 1) == std::string::npos && (w.size() == 2 || w[2] == ':' || w[2] == '-');
        if (isSwitch)
            a.switches += static_cast<char>(std::toupper(static_cast<unsigned char>(w[1])));
        else
            a.paths.push_back(w);
    }
    return a;
}

bool has(const Args& a, char letter) { return a.switches.find(letter) != std::string::npos; }

bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

bool isDir(const std::string& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& host)
{
    struct stat st;
    return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string winOf(const std::string& host) { return WinPathFromHost(host); }

std::string joinHost(const std::string& dir, const std::string& name) { return dir == "/" ? "/" + name : dir + "/" + name; }

// Folder and name pattern of an argument ("C:\x\*.dgn" -> host of C:\x, "*.dgn").
void splitPattern(const std::string& arg, std::string& hostDir, std::string& pattern)
{
    std::string p = ReplaceAll(arg, "/", "\\");
    size_t slash = p.rfind('\\');
    std::string dirPart = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    pattern = slash == std::string::npos ? p : p.substr(slash + 1);
    if (dirPart.empty() && p.size() >= 2 && p[1] == ':') {
        dirPart = p.substr(0, 2) + "\\";
        pattern = p.substr(2);
    }
    hostDir = HostPath(dirPart.empty() ? "." : dirPart);
    while (hostDir.size() > 1 && hostDir.back() == '/')
        hostDir.pop_back();
}

// The host paths an argument names: the matches of a wildcard (files, or files and folders),
// else the path itself when it exists.
std::vector<std::string> expand(const std::string& arg, bool withFolders)
{
    std::vector<std::string> out;
    std::string dir, pattern;
    splitPattern(arg, dir, pattern);
    if (!hasWildcard(pattern)) {
        const std::string host = HostPath(arg);
        if (isFile(host) || (withFolders && isDir(host)))
            out.push_back(host);
        return out;
    }
    try {
        for (const HostEntry& e : HostListFolder(winOf(dir)))
            if ((withFolders || !e.folder) && WildcardMatch(pattern, e.name))
                out.push_back(joinHost(dir, e.name));
    } catch (const AppError&) {
    }
    return out;
}

// The name a copy gives a source under a target mask ("*.bak", "new.*", "x?.txt"): "?" keeps
// the source's character at its place, "*" the rest of the source's part, any other character
// stands for itself; the parts before and after the last "." are matched apart when the mask
// has one, and a name left with an empty extension loses its ".".
std::string maskedName(const std::string& name, const std::string& mask)
{
    auto apply = [](const std::string& part, const std::string& partMask) {
        std::string out;
        size_t j = 0;
        for (char c : partMask) {
            if (c == '*') {
                out += j < part.size() ? part.substr(j) : std::string();
                j = part.size();
            } else {
                if (c == '?')
                    out += j < part.size() ? std::string(1, part[j]) : std::string();
                else
                    out += c;
                ++j;
            }
        }
        return out;
    };
    const size_t maskDot = mask.rfind('.');
    if (maskDot == std::string::npos)
        return apply(name, mask);
    const size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    const std::string newExt = apply(ext, mask.substr(maskDot + 1));
    return apply(base, mask.substr(0, maskDot)) + (newExt.empty() ? std::string() : "." + newExt);
}

// The host file a source goes to: into a folder target under its own name, under a target mask
// the masked name, else the target itself.
std::string targetFor(const std::string& srcHost, const std::string& dstArg, bool multiple)
{
    const std::string sourceName = fs::path(srcHost).filename().string();
    std::string folderHost, mask;
    splitPattern(dstArg, folderHost, mask);
    if (hasWildcard(mask))
        return joinHost(folderHost, maskedName(sourceName, mask));
    const std::string dst = HostPath(dstArg);
    const bool folderTarget = isDir(dst) || (!dstArg.empty() && (dstArg.back() == '\\' || dstArg.back() == '/')) || multiple;
    return folderTarget ? joinHost(dst, sourceName) : dst;
}

// A drive's or a share's own folder (also reached through ".."): Windows neither removes nor
// moves it, and without it the drive or share would be gone.
bool isDriveOrShareRoot(const std::string& winPath)
{
    const std::string full = FullWinPath(winPath);
    if (full.size() == 3 && full[1] == ':' && full[2] == '\\')
        return true;
    if (full.rfind("\\\\", 0) != 0)
        return false;
    std::vector<std::string> parts = Split(std::string_view(full).substr(2), "\\");
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    return parts.size() <= 2;
}

// A target Windows would refuse to create, by its name: a name with a character no name may
// hold (a mask's "*" and "?" become the source's characters before this is asked).
void refuseBadName(const std::string& winTarget)
{
    if (HasRefusedNameCharacter(winTarget))
        throw AppError(kErrBadName, "batchcmd", kRefusedNameText);
}

// cmd's text for a failed file operation.
std::string cmdMessage(const AppError& e)
{
    switch (e.number()) {
    case kErrFileNotFound:
        return "The system cannot find the file specified.";
    case kErrPathNotFound:
        return "The system cannot find the path specified.";
    case kErrPermissionDenied:
    case kErrFileExists:
        return "Access is denied.";
    case kErrDiskFull:
        return "There is not enough space on the disk.";
    case kErrBadName:
        return kRefusedNameText;
    default:
        return e.description();
    }
}

// The folder a target file would be written into must be there: cmd names a missing one.
void requireParentFolder(const std::string& targetHost)
{
    if (!isDir(fs::path(targetHost).parent_path().string()))
        throw HostError(ENOENT, true);
}

void writeFileTo(std::FILE* out, const std::string& host)
{
    std::ifstream in(host, std::ios::binary);
    char buf[1 << 16];
    while (in) {
        in.read(buf, sizeof buf);
        std::fwrite(buf, 1, static_cast<size_t>(in.gcount()), out);
    }
}

// Joins the host files into the target (a Windows path), written whole and put in place at the
// end, so that a target that is also a source ("copy a+b a") gets the others appended.
void joinInto(const std::vector<std::string>& hosts, const std::string& target)
{
    switch (BatchDevice(target)) {
    case Device::Nul:
        return;
    case Device::Con:
        for (const std::string& h : hosts)
            writeFileTo(stdout, h);
        std::fflush(stdout);
        return;
    case Device::Port:
        throw HostError(ENOENT); // nothing attached, and no file of that name is made
    case Device::None:
        break;
    }
    refuseBadName(target);
    const std::string host = HostPath(target);
    RefuseOddTarget(host);
    requireParentFolder(host);
    if (isFile(host) && (IsReadOnlyFile(target) || IsFileLocked(target)))
        throw HostError(EACCES);
    ReplacementFile out(target);
    for (const std::string& h : hosts)
        out.WriteFileContent(h);
    out.Commit();
}

// The sources a copy argument names: the device nul is an empty file, con the input.
std::vector<std::string> copySources(const std::string& arg)
{
    switch (BatchDevice(arg)) {
    case Device::Nul:
        return {"/dev/null"};
    case Device::Con:
        return {"/dev/stdin"};
    case Device::Port:
        return {};
    case Device::None:
        break;
    }
    std::vector<std::string> hosts = expand(arg, false);
    if (hosts.empty())
        RefuseOddSource(HostPath(arg));
    for (const std::string& h : hosts)
        RefuseOddSource(h);
    return hosts;
}

int cmdCopy(const BatchCommand& cmd)
{
    Args a = splitArgs(cmd, "ABVYNLZD");
    // "a+b c" joins the sources into c; split every word at "+".
    std::vector<std::vector<std::string>> groups;
    bool join = false;
    for (const std::string& w : a.paths) {
        std::vector<std::string> parts = Split(w, "+");
        for (size_t k = 0; k < parts.size(); ++k) {
            if (!parts[k].empty()) {
                if (join && !groups.empty())
                    groups.back().push_back(parts[k]);
                else
                    groups.push_back({parts[k]});
            }
            join = k + 1 < parts.size() || (parts[k].empty() && w == "+");
        }
        if (w == "+")
            join = true;
    }
    if (groups.empty()) {
        WriteErr("The syntax of the command is incorrect.");
        return 1;
    }
    std::vector<std::string> sources = groups.front();
    // "copy a+b" without a destination joins into the first source, as cmd does.
    std::string dstArg = groups.size() > 1 ? groups.back().front() : sources.size() > 1 ? sources.front() : ".";
    const bool dstIsFolder = isDir(HostPath(dstArg)) || dstArg.back() == '\\' || dstArg.back() == '/';
    int copied = 0;
    bool ontoItself = false;
    try {
        std::vector<std::string> hosts;
        for (const std::string& s : sources)
            for (const std::string& h : copySources(s))
                hosts.push_back(h);
        if (hosts.empty())
            throw HostError(ENOENT);
        // Several sources (a join, or a mask) into one file, or into a device, are joined; a mask
        // onto a target mask ("*.txt *.bak") gives each file its own copy.
        std::string dstFolder, dstMask;
        splitPattern(dstArg, dstFolder, dstMask);
        const bool joined = sources.size() > 1 || (hasWildcard(sources.front()) && !dstIsFolder && !hasWildcard(dstMask)) ||
                            BatchDevice(dstArg) != Device::None;
        if (joined) {
            const std::string target = BatchDevice(dstArg) != Device::None ? dstArg : winOf(targetFor(hosts.front(), dstArg, false));
            if (hosts.size() > 1 && sources.size() == 1)
                for (const std::string& h : hosts)
                    WriteOut(winOf(h));
            joinInto(hosts, target);
            copied = 1;
        } else {
            for (const std::string& h : hosts) {
                const std::string target = targetFor(h, dstArg, hosts.size() > 1);
                if (hosts.size() > 1)
                    WriteOut(winOf(h));
                if (h == "/dev/null" || h == "/dev/stdin") {
                    joinInto({h}, winOf(target)); // "copy nul f" makes an empty file
                    ++copied;
                    continue;
                }
                if (HostSameFile(winOf(h), winOf(target))) {
                    WriteErr("The file cannot be copied onto itself.");
                    ontoItself = true;
                    continue;
                }
                refuseBadName(winOf(target));
                RefuseOddTarget(target);
                requireParentFolder(target);
                HostCopyFile(winOf(h), winOf(target));
                ++copied;
            }
        }
    } catch (const AppError& e) {
        WriteErr(cmdMessage(e));
        WriteOut("        " + std::to_string(copied) + " file(s) copied.");
        return 1;
    }
    WriteOut("        " + std::to_string(copied) + " file(s) copied.");
    return ontoItself ? 1 : 0;
}

int cmdDel(const BatchCommand& cmd)
{
    Args a = splitArgs(cmd, "FQSPA");
    if (a.paths.empty()) {
        WriteErr("The syntax of the command is incorrect.");
        return 1;
    }
    int rc = 0;
    for (const std::string& arg : a.paths) {
        std::vector<std::string> targets;
        const std::string host = HostPath(arg);
        // cmd asks "Are you sure (Y/N)?" before it deletes every file of a folder ("del dir",
        // "del dir\*", "del *.*"); no one answers a batch file, so without /Q nothing goes.
        std::string dirOfArg, pattern;
        splitPattern(arg, dirOfArg, pattern);
        const bool everyFile = isDir(host) || pattern == "*" || pattern == "*.*";
        if (everyFile && !has(a, 'Q')) {
            WriteErr(winOf(isDir(host) ? host + "/*" : host) + ", Are you sure (Y/N)? " +
                     "batchcmd cannot answer this question; nothing was deleted (give /Q to delete without it).");
            rc = 1;
            continue;
        }
        if (isDir(host)) {
            for (const std::string& f : expand(ReplaceAll(arg, "/", "\\") + "\\*", false))
                targets.push_back(f);
        } else {
            targets = expand(arg, false);
        }
        if (has(a, 'S')) {
            std::string dir, pattern;
            splitPattern(arg, dir, pattern);
            std::error_code ec;
            for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
                if (it->is_regular_file() && it->path().parent_path() != dir &&
                    WildcardMatch(pattern, it->path().filename().string()))
                    targets.push_back(it->path().string());
        }
        if (targets.empty()) {
            WriteErr("Could Not Find " + winOf(host));
            continue;
        }
        for (const std::string& t : targets) {
            try {
                HostDeleteFile(winOf(t), has(a, 'F'));
            } catch (const AppError&) {
                WriteErr(winOf(t));
                WriteErr("Access is denied.");
                rc = 1;
            }
        }
    }
    return rc;
}

// A move onto the same file or folder under a name that differs only in letter case ("move
// a.txt A.TXT") finds the source itself through the case-insensitive lookup; cmd gives it the
// new spelling. True when that rename was done.
bool renameInCase(const std::string& srcHost, const std::string& dstArg)
{
    const std::string dst = ReplaceAll(dstArg, "/", "\\");
    const size_t cut = dst.find_last_of("\\:");
    const std::string given = cut == std::string::npos ? dst : dst.substr(cut + 1);
    const fs::path src(srcHost);
    const std::string own = src.filename().string();
    if (given == own || !EqualsNoCase(given, own) || !HostSameFile(winOf(srcHost), dstArg))
        return false;
    if (::rename(srcHost.c_str(), (src.parent_path() / given).c_str()) != 0)
        throw HostError(errno, true);
    return true;
}

// Whether the host path is the folder itself or lies inside it.
bool isInside(const std::string& host, const std::string& folder)
{
    std::error_code ec;
    const fs::path f = fs::weakly_canonical(folder, ec), h = fs::weakly_canonical(host, ec);
    return std::mismatch(f.begin(), f.end(), h.begin(), h.end()).first == f.end();
}

int cmdMove(const BatchCommand& cmd)
{
    Args a = splitArgs(cmd, "Y");
    if (a.paths.size() != 2) {
        WriteErr("The syntax of the command is incorrect.");
        return 1;
    }
    std::vector<std::string> hosts = expand(a.paths[0], true);
    if (hosts.empty()) {
        WriteErr("The system cannot find the file specified.");
        return 1;
    }
    // A device is no place to move a file to: the file stays, and no file of that name is made.
    if (BatchDevice(a.paths[1]) != Device::None) {
        WriteErr("Access is denied.");
        WriteOut("        0 file(s) moved.");
        return 1;
    }
    int moved = 0;
    for (const std::string& h : hosts) {
        if (isDir(h) && isDriveOrShareRoot(winOf(h))) {
            WriteErr("Access is denied.");
            WriteOut("        " + std::to_string(moved) + " file(s) moved.");
            return 1;
        }
        const std::string target = targetFor(h, a.paths[1], hosts.size() > 1);
        try {
            refuseBadName(winOf(target));
            if (hosts.size() == 1 && renameInCase(h, a.paths[1])) {
                ++moved;
                break;
            }
            RefuseOddTarget(target);
            requireParentFolder(target);
            if (isDir(h) && isInside(target, h)) {
                WriteErr("The system cannot move a folder into itself.");
                WriteOut("        " + std::to_string(moved) + " file(s) moved.");
                return 1;
            }
            if (isDir(h)) {
                if (::rename(h.c_str(), target.c_str()) != 0)
                    throw HostError(errno, true);
            } else {
                HostMoveFile(winOf(h), winOf(target));
            }
            ++moved;
        } catch (const AppError& e) {
            WriteErr(cmdMessage(e));
            WriteOut("        " + std::to_string(moved) + " file(s) moved.");
            return 1;
        }
    }
    WriteOut("        " + std::to_string(moved) + " file(s) moved.");
    return 0;
}

int cmdMkdir(const BatchCommand& cmd)
{
    if (cmd.args.empty()) {
        WriteErr("The syntax of the command is incorrect.");
        return 1;
    }
    int rc = 0;
    for (const std::string& arg : cmd.args) {
        if (HasRefusedNameCharacter(arg)) {
            WriteErr(kRefusedNameText);
            rc = 1;
            continue;
        }
        const std::string host = HostPath(arg);
        struct stat st;
        // A device name stands in every folder, so cmd finds it there already.
        if (BatchDevice(arg) != Device::None || ::stat(host.c_str(), &st) == 0) {
            WriteErr("A subdirectory or file " + arg + " already exists.");
            rc = 1;
            continue;
        }
        try {
            HostMakeFolder(arg, true); // cmd's mkdir makes the missing parents too
        } catch (const AppError& e) {
            WriteErr(e.number() == kErrPermissionDenied ? "Access is denied." : "The system cannot find the path specified.");
            rc = 1;
        }
    }
    return rc;
}

int cmdRmdir(const BatchCommand& cmd)
{
    Args a = splitArgs(cmd, "SQ");
    if (a.paths.empty()) {
        WriteErr("The syntax of the command is incorrect.");
        return 1;
    }
    int rc = 0;
    for (const std::string& arg : a.paths) {
        if (!isDir(HostPath(arg))) {
            WriteErr("The system cannot find the file specified.");
            rc = 2;
            continue;
        }
        if (isDriveOrShareRoot(arg)) {
            WriteErr("Access is denied.");
            rc = 1;
            continue;
        }
        // cmd asks "<folder>, Are you sure (Y/N)?" before it removes a tree without /Q; no one
        // answers a batch file, so nothing goes, as for "del" of a folder.
        if (has(a, 'S') && !has(a, 'Q')) {
            WriteErr(arg + ", Are you sure (Y/N)? batchcmd cannot answer this question; nothing was deleted (give "
                           "/Q to delete without it).");
            rc = 1;
            continue;
        }
        try {
            HostRemoveFolder(arg, has(a, 'S'));
        } catch (const AppError& e) {
            if (has(a, 'S'))
                WriteErr(arg + " - The process cannot access the file because it is being used by another process.");
            else
                WriteErr(e.number() == kErrPermissionDenied ? "Access is denied." : "The directory is not empty.");
            rc = 1;
        }
    }
    return rc;
}

// dir /B lists names, dir /S /B full paths of the folder's matches, then of each sub-folder's.
int listBare(const std::string& dir, const std::string& pattern, bool recurse, int& count)
{
    const std::string winDir = winOf(dir);
    std::vector<HostEntry> entries;
    try {
        entries = HostListFolder(winDir);
    } catch (const AppError&) {
        return 0;
    }
    // A folder on a drive or share names its entries by its own Windows form and their names,
    // found once for the folder; the folder's lines go out in one write. A listing of a large
    // tree would otherwise spend most of its time on them.
    const bool placed = (winDir.size() >= 2 && winDir[1] == ':') || winDir.rfind("\\\\", 0) == 0;
    const std::string prefix = winDir.empty() || winDir.back() == '\\' ? winDir : winDir + "\\";
    std::string lines;
    for (const HostEntry& e : entries) {
        if (e.hidden || !WildcardMatch(pattern, e.name))
            continue;
        if (!lines.empty())
            lines += "\r\n";
        lines += !recurse ? e.name : placed ? prefix + e.name : winOf(joinHost(dir, e.name));
        ++count;
    }
    if (!lines.empty())
        WriteOut(lines);
    if (recurse)
        for (const HostEntry& e : entries)
            if (e.folder && !e.hidden)
                listBare(joinHost(dir, e.name), pattern, true, count);
    return count;
}

std::string dateText(const std::string& host, bool& folder, long long& size)
{
    struct stat st{};
    ::stat(host.c_str(), &st);
    folder = S_ISDIR(st.st_mode);
    size = static_cast<long long>(st.st_size);
    std::tm tm{};
    time_t t = st.st_mtim.tv_sec;
    ::localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%m/%d/%Y  %I:%M %p", &tm);
    return buf;
}

int listLong(const std::string& dir, const std::string& pattern, bool recurse, int& count)
{
    std::vector<HostEntry> entries;
    try {
        entries = HostListFolder(winOf(dir));
    } catch (const AppError&) {
        return 0;
    }
    std::vector<std::string> lines;
    int files = 0;
    long long bytes = 0;
    for (const HostEntry& e : entries) {
        if (e.hidden || !WildcardMatch(pattern, e.name))
            continue;
        bool folder = false;
        long long size = 0;
        std::string date = dateText(joinHost(dir, e.name), folder, size);
        char buf[512];
        if (folder) {
            std::snprintf(buf, sizeof buf, "%s    <DIR>          %s", date.c_str(), e.name.c_str());
        } else {
            std::snprintf(buf, sizeof buf, "%s %17lld %s", date.c_str(), size, e.name.c_str());
            ++files;
            bytes += size;
        }
        lines.push_back(buf);
    }
    if (!lines.empty()) {
        WriteOut(" Directory of " + winOf(dir));
        WriteOut("");
        for (const std::string& l : lines)
            WriteOut(l);
        char buf[128];
        std::snprintf(buf, sizeof buf, "%16d File(s) %14lld bytes", files, bytes);
        WriteOut(buf);
        WriteOut("");
        count += static_cast<int>(lines.size());
    }
    if (recurse)
        for (const HostEntry& e : entries)
            if (e.folder && !e.hidden)
                listLong(joinHost(dir, e.name), pattern, true, count);
    return count;
}

int cmdDir(const BatchCommand& cmd)
{
    Args a = splitArgs(cmd, "SBAOWPQL");
    std::string arg = a.paths.empty() ? std::string(".") : a.paths.front();
    std::string dir, pattern;
    if (isDir(HostPath(arg))) {
        dir = HostPath(arg);
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        pattern = "*";
    } else {
        splitPattern(arg, dir, pattern);
    }
    int count = 0;
    if (has(a, 'B'))
        listBare(dir, pattern, has(a, 'S'), count);
    else
        listLong(dir, pattern, has(a, 'S'), count);
    if (count == 0) {
        WriteErr("File Not Found");
        return 1;
    }
    return 0;
}

// True when host path inner is folder itself or lies below it (links and ".." resolved).
bool insideFolder(const std::string& inner, const std::string& folder)
{
    std::error_code ecInner, ecFolder;
    const std::string i = fs::weakly_canonical(inner, ecInner).string();
    const std::string f = fs::weakly_canonical(folder, ecFolder).string();
    return !ecInner && !ecFolder && (i == f || i.rfind(f + "/", 0) == 0);
}

void xcopyTree(const std::string& srcDir, const std::string& pattern, const std::string& dstDir, const Args& a,
               int& copied)
{
    const bool recurse = has(a, 'S') || has(a, 'E');
    std::vector<HostEntry> entries = HostListFolder(winOf(srcDir));
    for (const HostEntry& e : entries) {
        if (e.folder || (e.hidden && !has(a, 'H')) || !WildcardMatch(pattern, e.name))
            continue;
        HostMakeFolder(winOf(dstDir), true);
        const std::string target = joinHost(dstDir, e.name);
        RefuseOddTarget(target);
        // /R lifts a read-only mark only for the copy: a copy that fails leaves the mark on.
        const bool liftedReadOnly = isFile(target) && IsReadOnlyFile(winOf(target)) && has(a, 'R');
        if (liftedReadOnly)
            SetReadOnlyFile(winOf(target), false);
        try {
            HostCopyFile(winOf(joinHost(srcDir, e.name)), winOf(target));
        } catch (const AppError&) {
            if (liftedReadOnly)
                SetReadOnlyFile(winOf(target), true);
            throw;
        }
        WriteOut(winOf(joinHost(srcDir, e.name)));
        ++copied;
    }
    if (!recurse)
        return;
    for (const HostEntry& e : entries) {
        if (!e.folder || (e.hidden && !has(a, 'H')))
            continue;
        if (has(a, 'E'))
            HostMakeFolder(winOf(joinHost(dstDir, e.name)), true);
        xcopyTree(joinHost(srcDir, e.name), pattern, joinHost(dstDir, e.name), a, copied);
    }
}

int cmdXcopy(const BatchCommand& cmd)
{
    Args a = splitArgs(cmd, "SEIYQHRCKFLDTUNMAVWOXBJZ");
    if (a.paths.empty()) {
        WriteErr("Invalid number of parameters");
        return 4;
    }
    const std::string srcArg = a.paths[0];
    const std::string dstArg = a.paths.size() > 1 ? a.paths[1] : std::string(".");
    std::string srcDir, pattern;
    if (isDir(HostPath(srcArg))) {
        srcDir = HostPath(srcArg);
        pattern = "*";
    } else {
        splitPattern(srcArg, srcDir, pattern);
    }
    int copied = 0;
    try {
        const std::string dst = HostPath(dstArg);
        // The one file a name without wildcards gives, found as Windows finds it (in any case).
        const std::string srcFile = hasWildcard(pattern) ? std::string() : HostPath(srcArg);
        const bool single = !srcFile.empty() && isFile(srcFile);
        switch (BatchDevice(dstArg)) {
        case Device::Nul:
            // Copied to nothing: the files are read and named, and nothing is written.
            if (single) {
                WriteOut(winOf(srcFile));
                copied = 1;
            } else {
                std::vector<std::string> sources = expand(srcArg, false);
                for (const std::string& s : sources)
                    WriteOut(winOf(s));
                copied = static_cast<int>(sources.size());
            }
            WriteOut(std::to_string(copied) + " File(s) copied");
            return copied == 0 ? 1 : 0;
        case Device::Con:
        case Device::Port:
            throw HostError(ENOENT, true);
        case Device::None:
            break;
        }
        refuseBadName(dstArg);
        RefuseOddTarget(dst);
        if (single && !isDir(dst) && dstArg.back() != '\\' && !has(a, 'I')) {
            if (HostSameFile(winOf(srcFile), winOf(dst))) {
                WriteErr("File cannot be copied onto itself");
                WriteOut("0 File(s) copied");
                return 4;
            }
            HostMakeFolder(winOf(fs::path(dst).parent_path().string()), true);
            HostCopyFile(winOf(srcFile), winOf(dst));
            WriteOut(winOf(srcFile));
            copied = 1;
        } else {
            if (!isDir(srcDir))
                throw HostError(ENOENT);
            // A tree copied into a folder of its own would copy its copies without end.
            if ((has(a, 'S') || has(a, 'E')) && insideFolder(dst, srcDir)) {
                WriteErr("Cannot perform a cyclic copy");
                WriteOut("0 File(s) copied");
                return 4;
            }
            xcopyTree(srcDir, pattern, dst, a, copied);
        }
    } catch (const AppError& e) {
        WriteErr(e.number() == kErrPermissionDenied ? "Access denied"
                 : e.number() == kErrDiskFull       ? "Insufficient disk space"
                 : e.number() == kErrPathNotFound   ? "Invalid path"
                 : e.number() == kErrPathFileAccess || e.number() == kErrBadName ? e.description()
                                                    : "File not found - " + srcArg);
        WriteOut(std::to_string(copied) + " File(s) copied");
        return 4;
    }
    WriteOut(std::to_string(copied) + " File(s) copied");
    return copied == 0 ? 1 : 0;
}

int cmdEcho(const BatchCommand& cmd)
{
    const std::string text = cmd.argText;
    const bool dotForm = cmd.separator == '.' || cmd.separator == ':'; // "echo." prints an empty line
    if (!dotForm && cmd.args.empty()) {
        WriteOut("ECHO is off.");
        return 0;
    }
    if (!dotForm && cmd.args.size() == 1 && (EqualsNoCase(text, "off") || EqualsNoCase(text, "on")))
        return 0; // commands are never echoed here
    WriteOut(text);
    return 0;
}

int cmdType(const BatchCommand& cmd)
{
    int rc = 0;
    for (const std::string& arg : cmd.args) {
        if (BatchDevice(arg) == Device::Nul)
            continue; // "type nul" shows nothing
        const std::string host = BatchDevice(arg) == Device::Con ? std::string("/dev/stdin") : HostPath(arg);
        if (BatchDevice(arg) == Device::Port || (BatchDevice(arg) == Device::None && !isFile(host))) {
            const std::string odd = BatchDevice(arg) == Device::None ? oddFileText(host, "read from") : "";
            // A folder is no file to read: cmd is denied its contents, it does not miss it.
            WriteErr(isDir(host)     ? "Access is denied."
                     : odd.empty() ? "The system cannot find the file specified."
                                   : odd);
            rc = 1;
            continue;
        }
        writeFileTo(stdout, host);
        std::fflush(stdout);
    }
    return rc;
}

struct Entry {
    const char* name;
    BuiltinCommand fn;
};

const Entry kBuiltins[] = {
    {"copy", cmdCopy},   {"del", cmdDel},     {"erase", cmdDel},  {"move", cmdMove},   {"mkdir", cmdMkdir},
    {"md", cmdMkdir},    {"rmdir", cmdRmdir}, {"rd", cmdRmdir},   {"dir", cmdDir},     {"xcopy", cmdXcopy},
    {"echo", cmdEcho},   {"type", cmdType},
};

} // namespace

BuiltinCommand FindBuiltin(const std::string& name)
{
    for (const Entry& e : kBuiltins)
        if (EqualsNoCase(name, e.name))
            return e.fn;
    return nullptr;
}

void WriteOut(const std::string& line)
{
    std::fputs((line + "\r\n").c_str(), stdout);
    std::fflush(stdout);
}

void WriteErr(const std::string& line)
{
    std::fputs((line + "\r\n").c_str(), stderr);
    std::fflush(stderr);
}

void RefuseOddSource(const std::string& sourceHost)
{
    if (const std::string odd = oddFileText(sourceHost, "read from"); !odd.empty())
        throw AppError(kErrPathFileAccess, "batchcmd", odd);
}

void RefuseOddTarget(const std::string& targetHost)
{
    if (const std::string odd = oddFileText(targetHost, "written to"); !odd.empty())
        throw AppError(kErrPathFileAccess, "batchcmd", odd);
}
