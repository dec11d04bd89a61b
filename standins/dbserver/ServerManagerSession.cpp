// The stand-in Oracle server manager.
#include "standins/dbserver/ServerManagerSession.h"

#include "dbaccess/RisSqlText.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/ReservedWords.h"
#include "standins/dbserver/SchemaTables.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>

namespace {

const char* kCrLf = "\r\n";

// Oracle's names (users, tablespaces) and passwords hold at most 30 bytes.
constexpr size_t kMaxIdentifier = 30;

// A user or tablespace name Oracle takes: at most 30 bytes and no reserved word (refused with
// the statement's own error, reservedError).
bool nameFits(const std::string& name, const char* reservedError, std::string& out)
{
    if (name.size() > kMaxIdentifier) {
        out += std::string("ORA-00972: identifier is too long") + kCrLf;
        return false;
    }
    if (IsReservedWord(name)) {
        out += std::string(reservedError) + kCrLf;
        return false;
    }
    return true;
}

// The password of "identified by <word>": a name of letters, digits, "_", "$" and "#" that
// begins with a letter and is no reserved word, or any text in double quotes; at most 30 bytes
// either way. Nothing on a refusal (ORA-00972 or ORA-00988 added to out).
std::optional<std::string> passwordOf(const std::string& word, std::string& out)
{
    const bool quoted = word.size() >= 2 && word.front() == '"' && word.back() == '"';
    const std::string password = quoted ? word.substr(1, word.size() - 2) : word;
    if (password.size() > kMaxIdentifier) {
        out += std::string("ORA-00972: identifier is too long") + kCrLf;
        return std::nullopt;
    }
    const bool name = !password.empty() && std::isalpha(static_cast<unsigned char>(password[0])) &&
                      password.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_$#") ==
                          std::string::npos &&
                      !IsReservedWord(password);
    if (quoted ? password.empty() || password.find('"') != std::string::npos : !name) {
        out += std::string("ORA-00988: missing or invalid password(s)") + kCrLf;
        return std::nullopt;
    }
    return password;
}

// "40m", "2000M", "512k", "1g" or plain bytes; -1 for anything else.
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

// The clauses of "create user" and "alter user" after the user's name, all checked before any
// is applied, so that a refused statement changes nothing.
struct UserClauses {
    std::optional<std::string> password;
    std::optional<std::string> defaultTablespace;
    std::optional<std::string> temporaryTablespace;
};

bool parseUserClauses(DbServer& server, const std::vector<std::string>& w, size_t from, UserClauses& clauses,
                      std::string& out)
{
    const auto word = [&](size_t i) { return i < w.size() ? ToLower(w[i]) : std::string(); };
    const auto tablespace = [&](const std::string& name) {
        if (server.FindTablespace(name))
            return true;
        out += "ORA-00959: tablespace '" + ToUpper(name) + "' does not exist" + kCrLf;
        return false;
    };
    if (from >= w.size()) {
        out += std::string("ORA-00922: missing or invalid option") + kCrLf;
        return false;
    }
    for (size_t i = from; i < w.size();) {
        const std::string k = word(i);
        if (k == "identified" && word(i + 1) == "by" && i + 2 < w.size()) {
            clauses.password = passwordOf(w[i + 2], out);
            if (!clauses.password)
                return false;
            i += 3;
        } else if ((k == "default" || k == "temporary") && word(i + 1) == "tablespace" && i + 2 < w.size()) {
            if (!tablespace(w[i + 2]))
                return false;
            (k == "default" ? clauses.defaultTablespace : clauses.temporaryTablespace) = w[i + 2];
            i += 3;
        } else if (k == "quota" && (word(i + 1) == "unlimited" || parseSize(w.size() > i + 1 ? w[i + 1] : "") >= 0) &&
                   word(i + 2) == "on" && i + 3 < w.size()) {
            if (!tablespace(w[i + 3]))
                return false;
            i += 4; // the stand-in keeps no quotas: a user may fill its tablespace
        } else {
            out += std::string("ORA-00922: missing or invalid option") + kCrLf;
            return false;
        }
    }
    return true;
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

std::string padRight(const std::string& s, size_t width) { return s.size() >= width ? s : s + std::string(width - s.size(), ' '); }
std::string padLeft(const std::string& s, size_t width) { return s.size() >= width ? s : std::string(width - s.size(), ' ') + s; }

std::string rowsSelected(size_t n)
{
    return std::string(kCrLf) + (n == 0 ? "no rows selected" : std::to_string(n) + (n == 1 ? " row" : " rows") + " selected.") + kCrLf;
}

} // namespace

bool ServerManagerSession::Execute(const std::string& command, std::string& out)
{
    size_t from = out.size();
    std::vector<std::string> w = words(command);
    std::string echo = command;
    if (!w.empty() && EqualsNoCase(w[0], "connect") && command.find('/') != std::string::npos)
        echo = command.substr(0, command.find('/') + 1) + "********"; // the password stays out of the log
    out += "SVRMGR> " + echo + kCrLf;
    const bool nested = !command.empty() && command[0] == '@';
    const bool spooling = StartsWithNoCase(command, "spool") &&
                          (command.size() == 5 || std::isspace(static_cast<unsigned char>(command[5])));
    bool ok = true;
    if (nested || spooling) {
        // A nested script's commands are spooled as each runs; a spool file holds what follows
        // its command, and "spool off" is the last line the file takes.
        ok = spoolSince(from, out);
        if (ok)
            ok = nested ? runNested(TrimWhite(command.substr(1)), out) : spool(command, out);
        from = out.size();
    } else {
        ok = executeCommand(w, command, out);
    }
    return spoolSince(from, out) && ok;
}

bool ServerManagerSession::executeCommand(const std::vector<std::string>& w, const std::string& command,
                                          std::string& out)
{
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
    if (first == "set" || first == "commit" || first == "rollback") {
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
    if (first == "drop" && second == "tablespace")
        return dropTablespace(command, out);
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
    if (!nameFits(user, "ORA-00987: missing or invalid username(s)", out))
        return false;
    std::optional<std::string> password;
    if (to + 2 < w.size()) {
        if (!(to + 5 == w.size() && EqualsNoCase(w[to + 2], "identified") && EqualsNoCase(w[to + 3], "by"))) {
            out += std::string("ORA-00922: missing or invalid option") + kCrLf;
            return false;
        }
        if (!(password = passwordOf(w[to + 4], out)))
            return false;
    }
    if (password)
        server_.SetUserPassword(user, *password);
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
    if (w.size() < 3) {
        out += std::string("ORA-01935: missing user or role name") + kCrLf;
        return false;
    }
    const std::string user = ToUpper(w[2]);
    if (!nameFits(user, "ORA-01935: missing user or role name", out))
        return false;
    if (!server_.FindUser(user)) {
        out += "ORA-01918: user '" + user + "' does not exist" + kCrLf;
        return false;
    }
    UserClauses clauses;
    if (!parseUserClauses(server_, w, 3, clauses, out))
        return false;
    if (clauses.password)
        server_.SetUserPassword(user, *clauses.password);
    if (clauses.defaultTablespace)
        server_.SetUserTablespace(user, *clauses.defaultTablespace, false);
    if (clauses.temporaryTablespace)
        server_.SetUserTablespace(user, *clauses.temporaryTablespace, true);
    out += std::string("Statement processed.") + kCrLf;
    return true;
}

bool ServerManagerSession::createUser(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    std::vector<std::string> w = words(command);
    if (w.size() < 3) {
        out += std::string("ORA-01935: missing user or role name") + kCrLf;
        return false;
    }
    const std::string user = ToUpper(w[2]);
    if (!nameFits(user, "ORA-01935: missing user or role name", out))
        return false;
    // Every clause is checked (its password, every tablespace named) before the user is made: a
    // refused statement makes nothing.
    UserClauses clauses;
    if (!parseUserClauses(server_, w, 3, clauses, out))
        return false;
    if (!clauses.password) {
        out += std::string("ORA-00922: missing or invalid option") + kCrLf;
        return false;
    }
    if (server_.FindUser(user)) {
        out += "ORA-01920: user name '" + user + "' conflicts with another user or role name" + kCrLf;
        return false;
    }
    server_.SetUserPassword(user, *clauses.password);
    if (clauses.defaultTablespace)
        server_.SetUserTablespace(user, *clauses.defaultTablespace, false);
    if (clauses.temporaryTablespace)
        server_.SetUserTablespace(user, *clauses.temporaryTablespace, true);
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
    if (!nameFits(user, "ORA-01935: missing user or role name", out))
        return false;
    if (!server_.FindUser(user)) {
        out += "ORA-01918: user '" + user + "' does not exist" + kCrLf;
        return false;
    }
    bool cascade = w.size() > 3 && EqualsNoCase(w[3], "cascade");
    if (!cascade) {
        try {
            auto db = server_.OpenUserDatabase(user);
            if (db->QueryText("SELECT 1 FROM sqlite_master WHERE type = 'table' LIMIT 1")) {
                out += "ORA-01922: CASCADE must be specified to drop '" + user + "'" + kCrLf;
                return false;
            }
        } catch (const AppError& e) {
            // Tables that are lost cannot be told from none.
            out += e.description() + kCrLf;
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
    if (!nameFits(ts.name, "ORA-02216: tablespace name expected", out))
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

bool ServerManagerSession::dropTablespace(const std::string& command, std::string& out)
{
    if (!requireDba(out))
        return false;
    // drop tablespace <name> [including contents [and datafiles] [cascade constraints]]
    std::vector<std::string> w = words(command);
    if (w.size() < 3) {
        out += std::string("ORA-02216: tablespace name expected") + kCrLf;
        return false;
    }
    const std::string name = ToUpper(w[2]);
    if (!nameFits(name, "ORA-02216: tablespace name expected", out))
        return false;
    std::string options;
    for (size_t i = 3; i < w.size(); ++i)
        options += (i > 3 ? " " : "") + ToLower(w[i]);
    const bool including = options.rfind("including contents", 0) == 0;
    if (!options.empty() && options != "including contents" && options != "including contents and datafiles" &&
        options != "including contents cascade constraints" &&
        options != "including contents and datafiles cascade constraints") {
        out += std::string("ORA-00922: missing or invalid option") + kCrLf;
        return false;
    }
    if (!server_.FindTablespace(name)) {
        out += "ORA-00959: tablespace '" + name + "' does not exist" + kCrLf;
        return false;
    }
    if (name == "SYSTEM") {
        out += std::string("ORA-01550: cannot drop system tablespace") + kCrLf;
        return false;
    }
    // A user's tables live in its default tablespace.
    std::vector<std::pair<std::string, std::vector<std::string>>> contents; // user, tables
    for (const DbUser& u : server_.Users()) {
        if (!EqualsNoCase(u.defaultTablespace, name))
            continue;
        try {
            auto db = server_.OpenUserDatabase(u.name);
            std::vector<std::string> tables = SchemaTables(*db).Tables();
            if (!tables.empty())
                contents.emplace_back(u.name, std::move(tables));
        } catch (const AppError& e) {
            out += e.description() + kCrLf;
            return false;
        }
    }
    if (!contents.empty() && !including) {
        out += std::string("ORA-01549: tablespace not empty, use INCLUDING CONTENTS option") + kCrLf;
        return false;
    }
    for (const auto& [user, tables] : contents) {
        auto db = server_.OpenUserDatabase(user);
        for (const std::string& table : tables) {
            SchemaTables(*db).DropTable(table);
            server_.DropGrants(user, table);
        }
    }
    server_.DropTablespace(name);
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
