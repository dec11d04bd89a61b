// The scripts of the stand-in Oracle server manager: their lines, the scripts they run in their
// place ("@<script>") and the spool file that takes a copy of the console text.
#include "standins/dbserver/ServerManagerSession.h"

#include "platform/TextUtil.h"
#include "standins/dbserver/LockedOutputFile.h"

namespace {

const char* kCrLf = "\r\n";

} // namespace

ServerManagerSession::ServerManagerSession(DbServer& server) : server_(server) {}

ServerManagerSession::~ServerManagerSession() = default;

std::string ServerManagerSession::ScriptFileError(const AppError& e)
{
    return "MGR-00001: " + e.description() + kCrLf;
}

int ServerManagerSession::RunScript(std::string_view script, std::string& out)
{
    out += std::string("Oracle Server Manager stand-in Release 3.0") + kCrLf + kCrLf;
    int failed = runLines(script, out, 0);
    if (!exit_) {
        const size_t from = out.size();
        out += std::string("Server Manager complete.") + kCrLf;
        if (!spoolSince(from, out))
            ++failed;
    }
    spool_.reset();
    return failed;
}

int ServerManagerSession::runLines(std::string_view script, std::string& out, int depth)
{
    const int outer = depth_;
    depth_ = depth;
    int failed = 0;
    std::string pending;
    // CR LF, LF and a CR alone each end a line, as in the system's other script and schema files.
    const std::string text = ReplaceAll(ReplaceAll(std::string(script), "\r\n", "\n"), "\r", "\n");
    for (const std::string& raw : Split(text, "\n")) {
        std::string line = TrimWhite(raw);
        // A comment line is no part of the statement it stands in or before: the lines of a
        // statement are joined into one, where it would run on over the rest.
        if ((line.empty() && pending.empty()) || line.rfind("--", 0) == 0)
            continue;
        std::string lower = ToLower(line);
        // These commands end at their line's end, ";" or not; a script's "@" among them, so
        // that the line after it is a command of its own.
        bool lineCommand = pending.empty() && (lower.rfind("connect", 0) == 0 || lower.rfind("exit", 0) == 0 ||
                                               lower.rfind("quit", 0) == 0 || lower.rfind("disconnect", 0) == 0 ||
                                               lower.rfind("set ", 0) == 0 || lower.rfind("spool", 0) == 0 ||
                                               lower.rfind("@", 0) == 0);
        pending += (pending.empty() ? "" : " ") + line;
        if (!lineCommand && (pending.empty() || pending.back() != ';'))
            continue;
        std::string command = TrimWhite(pending);
        pending.clear();
        while (!command.empty() && command.back() == ';')
            command.pop_back();
        if (!Execute(TrimWhite(command), out))
            ++failed;
        if (exit_)
            break;
    }
    if (!exit_ && !TrimWhite(pending).empty() && !Execute(TrimWhite(pending), out))
        ++failed;
    depth_ = outer;
    return failed;
}

bool ServerManagerSession::runNested(const std::string& file, std::string& out)
{
    // A script that calls itself would run without end.
    constexpr int kMaxDepth = 20;
    if (depth_ >= kMaxDepth) {
        out += "MGR-00001: Scripts may call scripts only " + std::to_string(kMaxDepth) + " deep; '" + file +
               "' was not run." + kCrLf;
        return false;
    }
    std::string script;
    try {
        script = ReadClientInputFile(file);
    } catch (const AppError& e) {
        out += ScriptFileError(e);
        return false;
    }
    // The nested script's failures count as the command's own.
    return runLines(script, out, depth_ + 1) == 0;
}

bool ServerManagerSession::spool(const std::string& command, std::string& out)
{
    const std::string target = TrimWhite(command.substr(5));
    if (target.empty()) {
        out += std::string(spool_ ? "currently spooling to " + spool_->WinPath() : "not spooling currently") + kCrLf;
        return true;
    }
    spool_.reset(); // "spool off", and a new spool file, end the one before
    if (EqualsNoCase(target, "off") || EqualsNoCase(target, "out"))
        return true;
    try {
        const bool quoted = target.size() >= 2 && (target[0] == '"' || target[0] == '\'') && target.back() == target[0];
        spool_ = std::make_unique<LockedOutputFile>(quoted ? target.substr(1, target.size() - 2) : target, false,
                                                    "spool file");
    } catch (const AppError& e) {
        out += ScriptFileError(e);
        return false;
    }
    return true;
}

bool ServerManagerSession::spoolSince(size_t from, std::string& out)
{
    if (!spool_ || out.size() <= from)
        return true;
    try {
        spool_->Write(std::string_view(out).substr(from));
        return true;
    } catch (const AppError& e) {
        // The spool ends there; the console says so.
        spool_.reset();
        out += ScriptFileError(e);
        return false;
    }
}
