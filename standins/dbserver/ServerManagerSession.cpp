// The stand-in Oracle server manager.
#include "standins/dbserver/ServerManagerSession.h"

#include "platform/TextUtil.h"
#include "standins/dbserver/RisSqlText.h"

#include <cctype>
#include <cstdio>
#include <filesystem>

namespace {

const char* kCrLf = "\r\n";

// Oracle's names (users, tablespaces) hold at most 30 bytes.
bool nameFits(const std::string& name, std::string& out)
{
    if (name.size() <= 30)
        return true;
    out += std::string("ORA-00972: identifier is too long") + kCrLf;
    return false;
}

std::vector<std::string> words(const std::string& s)
{
    std::vector<std::string> w;
    for (const SqlToken& t : RisSqlText::Significant(s))
        w.push_back(t.text);
    return w;
}

// A quoted word without its quotes; inside single quotes a doubled quote is one.
std::string unquote(std::string s)
{
    if (s.size() >= 2 && s.front() == '\'' && s.back() == '\'')
        return ReplaceAll(s.substr(1, s.size() - 2), "''", "'");
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"')
        return s.substr(1, s.size() - 2);
    return s;
}

// "40m", "2000M", "512k", "1g" or plain bytes.
long long parseSize(const std::string& text)
{
    if (text.empty())
        return -1;
    char unit = static_cast<char>(std::tolower(static_cast<unsigned char>(text.back())));
    std::string digits = std::isdigit(static_cast<unsigned char>(text.back())) ? text : text.substr(0, text.size() - 1);
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return -1;
    if (digits.empty())
        return -1;
    long long n = std::stoll(digits);
    switch (unit) {
    case 'k': return n * 1024;
    case 'm': return n * 1024 * 1024;
    case 'g': return n * 1024 * 1024 * 1024;
    default: return n;
    }
}

std::string padRight(const std::string& s, size_t width) { return s.size() >= width ? s : s + std::string(width - s.size(), ' '); }
std::string padLeft(const std::string& s, size_t width) { return s.size() >= width ? s : std::string(width - s.size(), ' ') + s; }

std::string rowsSelected(size_t n)
{
    return std::string(kCrLf) + (n == 0 ? "no rows selected" : std::to_string(n) + (n == 1 ? " row" : " rows") + " selected.") + kCrLf;
}

} // namespace

int ServerManagerSession::RunScript(std::string_view script, std::string& out)
{
    out += std::string("Oracle Server Manager stand-in Release 3.0") + kCrLf + kCrLf;
    int failed = 0;
    std::string pending;
    // CR LF, LF and a CR alone each end a line, as in the system's other script and schema files.
    const std::string text = ReplaceAll(ReplaceAll(std::string(script), "\r\n", "\n"), "\r", "\n");
    for (const std::string& raw : Split(text, "\n")) {
        std::string line = TrimWhite(raw);
        if (line.empty() && pending.empty())
            continue;
        std::string lower = ToLower(line);
        bool lineCommand = pending.empty() && (lower.rfind("connect", 0) == 0 || lower.rfind("exit", 0) == 0 ||
                                               lower.rfind("quit", 0) == 0 || lower.rfind("disconnect", 0) == 0 ||
                                               lower.rfind("set ", 0) == 0 || lower.rfind("spool", 0) == 0);
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
    if (!exit_)
        out += std::string("Server Manager complete.") + kCrLf;
    return failed;
}

bool ServerManagerSession::Execute(const std::string& command, std::string& out)
{
    std::vector<std::string> w = words(command);
    std::string echo = command;
    if (!w.empty() && EqualsNoCase(w[0], "connect") && command.find('/') != std::string::npos)
        echo = command.substr(0, command.find('/') + 1) + "********"; // the password stays out of the log
    out += "SVRMGR> " + echo + kCrLf;
    if (w.empty())
        return true;
    const std::string first = ToLower(w[0]);
    const std::string second = w.size() > 1 ? ToLower(w[1]) : "";
    if (first == "exit" || first == "quit") {
        exit_ = true;
        out += std::string("Server Manager complete.") + kCrLf;
        return true;
    }
    if (first == "connect")
        return connect(TrimWhite(command.substr(7)), out);
    if (first == "disconnect") {
        user_.clear();
        out += std::string("Disconnected.") + kCrLf;
        return true;
    }
    if (first == "set" || first == "spool" || first == "commit" || first == "rollback") {
        out += std::string("Statement processed.") + kCrLf;
        return true;
    }
    if (user_.empty()) {
        out += std::string("ORA-01012: not logged on") + kCrLf;
        return false;
    }
    if (first == "grant")
        return grant(command, out);
    if (first == "alter" && second == "user")
        return alterUser(command, out);
    if (first == "create" && second == "user")
        return createUser(command, out);
    if (first == "drop" && second == "user")
        return dropUser(command, out);
    if (first == "create" && second == "tablespace")
        return createTablespace(command, out);
    if (first == "select")
        return select(command, out);
    out += std::string("ORA-00900: invalid SQL statement") + kCrLf;
    return false;
}

bool ServerManagerSession::connect(const std::string& args, std::string& out)
{
    std::string a = Trim(args);
    if (EqualsNoCase(a, "internal")) {
        user_ = "SYSTEM";
        out += std::string("Connected.") + kCrLf;
        return true;
    }
    size_t slash = a.find('/');
    std::string user = slash == std::string::npos ? a : a.substr(0, slash);
    std::string password = slash == std::string::npos ? "" : a.substr(slash + 1);
    if (password.size() >= 2 && password.front() == '"') {
        // A quoted password may hold "@" and "/": only the text after its closing quote
        // names the service.
        const size_t close = password.find('"', 1);
        password = password.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else if (size_t at = password.find('@'); at != std::string::npos) {
        password = password.substr(0, at);
    }
    return ConnectAs(user, password, out);
}

bool ServerManagerSession::ConnectAs(const std::string& user, const std::string& password, std::string& out)
{
    auto u = server_.FindUser(user);
    if (user.empty() || !u || ToUpper(password) != u->password) {
        user_.clear();
        out += std::string("ORA-01017: invalid username/password; logon denied") + kCrLf;
        return false;
    }
    user_ = u->name;
    out += std::string("Connected.") + kCrLf;
    return true;
}

bool ServerManagerSession::requireDba(std::string& out)
{
    if (server_.IsDba(user_))
        return true;
    out += std::string("ORA-01031: insufficient privileges") + kCrLf;
    return false;
}

bool ServerManagerSession::grant(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    // grant <privileges> to <user> [identified by <password>]
    std::vector<std::string> w = words(command);
    size_t to = 0;
    for (size_t i = 1; i < w.size(); ++i)
        if (EqualsNoCase(w[i], "to"))
            to = i;
    if (to == 0 || to + 1 >= w.size()) {
        out += std::string("ORA-00905: missing keyword") + kCrLf;
        return false;
    }
    const std::string user = ToUpper(w[to + 1]);
    if (!nameFits(user, out))
        return false;
    if (to + 4 < w.size() && EqualsNoCase(w[to + 2], "identified") && EqualsNoCase(w[to + 3], "by"))
        server_.SetUserPassword(user, unquote(w[to + 4]));
    else if (!server_.FindUser(user)) {
        out += "ORA-01917: user or role '" + user + "' does not exist" + kCrLf;
        return false;
    }
    std::string privileges;
    for (size_t i = 1; i < to; ++i)
        privileges += (i > 1 && w[i] != "," && w[i - 1] != "," ? " " : "") + w[i];
    for (const std::string& p : Split(privileges, ","))
        if (!Trim(p).empty())
            server_.GrantPrivilege(user, Trim(p));
    out += std::string("Statement processed.") + kCrLf;
    return true;
}

bool ServerManagerSession::alterUser(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    std::vector<std::string> w = words(command);
    if (w.size() < 4) {
        out += std::string("ORA-00922: missing or invalid option") + kCrLf;
        return false;
    }
    const std::string user = ToUpper(w[2]);
    if (!server_.FindUser(user)) {
        out += "ORA-01918: user '" + user + "' does not exist" + kCrLf;
        return false;
    }
    const std::string what = ToLower(w[3]);
    auto tablespaceFor = [&](const std::string& ts) {
        if (server_.FindTablespace(ts))
            return true;
        out += "ORA-00959: tablespace '" + ToUpper(ts) + "' does not exist" + kCrLf;
        return false;
    };
    if ((what == "default" || what == "temporary") && w.size() >= 6 && EqualsNoCase(w[4], "tablespace")) {
        if (!tablespaceFor(w[5]))
            return false;
        server_.SetUserTablespace(user, w[5], what == "temporary");
    } else if (what == "quota" && w.size() >= 7 && EqualsNoCase(w[5], "on")) {
        if (!tablespaceFor(w[6]))
            return false;
    } else if (what == "identified" && w.size() >= 6 && EqualsNoCase(w[4], "by")) {
        server_.SetUserPassword(user, unquote(w[5]));
    } else {
        out += std::string("ORA-00922: missing or invalid option") + kCrLf;
        return false;
    }
    out += std::string("Statement processed.") + kCrLf;
    return true;
}

bool ServerManagerSession::createUser(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    std::vector<std::string> w = words(command);
    if (w.size() < 6 || !EqualsNoCase(w[3], "identified") || !EqualsNoCase(w[4], "by")) {
        out += std::string("ORA-00922: missing or invalid option") + kCrLf;
        return false;
    }
    const std::string user = ToUpper(w[2]);
    if (!nameFits(user, out))
        return false;
    if (server_.FindUser(user)) {
        out += "ORA-01920: user name '" + user + "' conflicts with another user or role name" + kCrLf;
        return false;
    }
    // Every tablespace named must exist before the user is made: a refused statement makes nothing.
    std::vector<std::pair<std::string, bool>> tablespaces; // name, temporary
    for (size_t i = 6; i < w.size(); ++i) {
        if (!(EqualsNoCase(w[i], "default") || EqualsNoCase(w[i], "temporary")))
            continue;
        if (i + 2 >= w.size() || !EqualsNoCase(w[i + 1], "tablespace")) {
            out += std::string("ORA-00922: missing or invalid option") + kCrLf;
            return false;
        }
        if (!server_.FindTablespace(w[i + 2])) {
            out += "ORA-00959: tablespace '" + ToUpper(w[i + 2]) + "' does not exist" + kCrLf;
            return false;
        }
        tablespaces.emplace_back(w[i + 2], EqualsNoCase(w[i], "temporary"));
        i += 2;
    }
    server_.SetUserPassword(user, unquote(w[5]));
    for (const auto& [ts, temporary] : tablespaces)
        server_.SetUserTablespace(user, ts, temporary);
    out += std::string("Statement processed.") + kCrLf;
    return true;
}

bool ServerManagerSession::dropUser(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    std::vector<std::string> w = words(command);
    if (w.size() < 3) {
        out += std::string("ORA-01935: missing user or role name") + kCrLf;
        return false;
    }
    const std::string user = ToUpper(w[2]);
    if (!server_.FindUser(user)) {
        out += "ORA-01918: user '" + user + "' does not exist" + kCrLf;
        return false;
    }
    bool cascade = w.size() > 3 && EqualsNoCase(w[3], "cascade");
    if (!cascade) {
        auto db = server_.OpenUserDatabase(user);
        if (db->QueryText("SELECT 1 FROM sqlite_master WHERE type = 'table' LIMIT 1")) {
            out += "ORA-01922: CASCADE must be specified to drop '" + user + "'" + kCrLf;
            return false;
        }
    }
    server_.DropUser(user);
    out += std::string("Statement processed.") + kCrLf;
    return true;
}

bool ServerManagerSession::createTablespace(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    // create tablespace <name> datafile '<file>' size <n> [autoextend on next <n> maxsize <n>]
    std::vector<std::string> w = words(command);
    DbTablespace ts;
    if (w.size() < 3) {
        out += std::string("ORA-02216: tablespace name expected") + kCrLf;
        return false;
    }
    ts.name = ToUpper(w[2]);
    if (!nameFits(ts.name, out))
        return false;
    for (size_t i = 3; i + 1 < w.size(); ++i) {
        const std::string k = ToLower(w[i]);
        if (k == "datafile")
            ts.datafile = unquote(w[i + 1]);
        else if (k == "size")
            ts.sizeBytes = parseSize(w[i + 1]);
        else if (k == "next")
            ts.nextBytes = parseSize(w[i + 1]);
        else if (k == "maxsize")
            ts.maxBytes = EqualsNoCase(w[i + 1], "unlimited") ? (1LL << 40) : parseSize(w[i + 1]);
    }
    if (ts.datafile.empty() || ts.sizeBytes <= 0 || ts.nextBytes < 0 || ts.maxBytes < 0) {
        out += std::string("ORA-02236: invalid file name or size") + kCrLf;
        return false;
    }
    // The data file is created on the server: its drive must be there.
    const std::string file = ReplaceAll(ts.datafile, "/", "\\");
    if (file.size() < 3 || !std::isalpha(static_cast<unsigned char>(file[0])) || file[1] != ':' || file[2] != '\\' ||
        !std::filesystem::is_directory(server_.Root() + "/drives/" +
                                       std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(file[0])))))) {
        out += "ORA-01119: error in creating database file '" + ts.datafile + "'" + kCrLf;
        out += std::string("ORA-27040: file create error, unable to create file") + kCrLf;
        return false;
    }
    if (server_.FindTablespace(ts.name)) {
        out += "ORA-01543: tablespace '" + ts.name + "' already exists" + kCrLf;
        return false;
    }
    for (const DbTablespace& other : server_.Tablespaces())
        if (EqualsNoCase(other.datafile, ts.datafile)) {
            out += "ORA-01119: error in creating database file '" + ts.datafile + "'" + kCrLf;
            return false;
        }
    if (ts.maxBytes < ts.sizeBytes)
        ts.maxBytes = ts.sizeBytes;
    server_.CreateTablespace(ts);
    out += std::string("Statement processed.") + kCrLf;
    return true;
}

bool ServerManagerSession::select(const std::string& command, std::string& out)
{
    const std::string flat = ToLower(ReplaceAll(command, " ", ""));
    if (flat.find("fromdba_users") != std::string::npos && flat.rfind("selectusername", 0) == 0) {
        if (!requireDba(out))
            return false;
        out += padRight("USERNAME", 30) + kCrLf + std::string(30, '-') + kCrLf;
        std::vector<DbUser> users = server_.Users();
        for (const DbUser& u : users)
            out += u.name + kCrLf;
        out += rowsSelected(users.size());
        return true;
    }
    if (flat.find("fromdba_free_space") != std::string::npos && flat.rfind("selecttablespace_name,sum(bytes)", 0) == 0) {
        if (!requireDba(out))
            return false;
        out += padRight("TABLESPACE_NAME", 30) + " " + padLeft("SUM(BYTES)", 10) + kCrLf + std::string(30, '-') + " " +
               std::string(10, '-') + kCrLf;
        size_t n = 0;
        for (const DbTablespace& ts : server_.Tablespaces()) {
            long long free = server_.FreeBytes(ts);
            if (free <= 0)
                continue; // a tablespace without free extents has no row
            out += padRight(ts.name, 30) + " " + padLeft(std::to_string(free), 10) + kCrLf;
            ++n;
        }
        out += rowsSelected(n);
        return true;
    }
    out += std::string("ORA-00942: table or view does not exist") + kCrLf;
    return false;
}
