// Wrapper RIS clients: one shell script per client, written from its rule.
#include "support/WrapperClients.h"

#include "platform/WinPath.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace testsupport {

namespace {

namespace fs = std::filesystem;

const char* const kClients[] = {"risbatch", "risunlod", "rislod", "risclnsr", "svrmgr30"};
const std::string kRisKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS";

std::string Quoted(const std::string& text)
{
    std::string q = "'";
    for (char c : text)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The part every wrapper shares: where things are, the run's -i, -o and -f files as host paths,
// its count of runs, and the shell functions the rules use.
const char* const kPrologue = R"SH(ROOT="${TARNWICK_ROOT:-$HOME/.tarnwick/root}"
host() { p=$(printf '%s' "$1" | tr '\\' '/')
  case "$p" in
    [A-Za-z]:*) d=$(printf '%s' "$p" | cut -c1 | tr 'A-Z' 'a-z'); p="$ROOT/drives/$d${p#??}" ;;
    //*) p="$ROOT/unc/${p#//}" ;;
  esac
  printf '%s' "$p"; }
ARGS="$*"; in=; out=; par=; bad=; lg=; prev=
for a in "$@"; do
  case "$prev" in
    -i) in=$(host "$a") ;; -o) out=$(host "$a") ;; -f) par=$(host "$a") ;; -b) bad=$(host "$a") ;; -l) lg=$(host "$a") ;;
  esac
  case "$a" in @*) par=$(host "${a#@}") ;; esac
  prev=$a
done
printf '%s\n' "$ARGS" >> "$HERE/$n.runs"
[ -f "$in" ] && cp "$in" "$HERE/$n.input"
[ -f "$par" ] && cp "$par" "$HERE/$n.param"
holds() { [ -z "$1" ] && return 0
  { printf '%s\n' "$ARGS"; [ -f "$in" ] && cat "$in"; [ -f "$par" ] && cat "$par"; } | grep -qiF -- "$1"; }
due() { holds "$WHEN" || return 1
  hits=$(cat "$HITS" 2>/dev/null || echo 0)
  [ "$TIMES" -gt 0 ] && [ "$hits" -ge "$TIMES" ] && return 1
  echo $((hits + 1)) > "$HITS"; }
leave_out() { awk -v t="$1" '{ l = tolower($0); sub(/\r$/, "", l) }
    index(l, "create table " tolower(t) " ") == 1 { skip = 1; rows = 0; next }
    skip && index(l, "insert into ") == 1 { rows = 1 }
    skip && !rows && (index(l, "create ") == 1 || index(l, "grant ") == 1 || l ~ /end of schema/) { skip = 0 }
    skip { if (l ~ /end of table/) skip = 0; next }
    index(l, " on " tolower(t) " ") || index(l, " on " tolower(t) "(") { next }
    { print }' "$2" > "$HERE/cut" && cat "$HERE/cut" > "$2" && rm -f "$HERE/cut"; }
before() { awk -v t="$1" 'BEGIN { RS = ";"; t = tolower(t) }
    index(tolower($0), t) { exit }
    { printf "%s;", $0 }
    END { printf "\r\nquit;\r\n" }' "$2" > "$HERE/cut" && cat "$HERE/cut" > "$2" && rm -f "$HERE/cut"; }
thin_rows() { awk -v t="$1" -v k="$2" '{ l = tolower($0); sub(/\r$/, "", l) }
    index(l, "create table " tolower(t) " ") == 1 { state = 1; print; next }
    state == 1 && (index(l, "create ") == 1 || index(l, "grant ") == 1 || l ~ /end of schema/) { state = 0 }
    state == 1 && index(l, "insert into ") == 1 { print; next }
    state == 1 { state = 2; n = 0; print; next }
    state == 2 && l ~ /^\*\*\*ris\*\*\* end of table/ { state = 0; print; next }
    state == 2 { n++; if (k > 0 && n % k == 0) print; next }
    { print }' "$3" > "$HERE/cut" && cat "$HERE/cut" > "$3" && rm -f "$HERE/cut"; }
edit_lines() { awk -v f="$1" -v t="$2" '{ out = ""; rest = $0
      while ((i = index(rest, f)) > 0) { out = out substr(rest, 1, i - 1) t; rest = substr(rest, i + length(f)) }
      print out rest }' "$3" > "$HERE/cut" && cat "$HERE/cut" > "$3" && rm -f "$HERE/cut"; }
answer() { if [ "$n" = risbatch ] && [ -n "$out" ]; then printf '%s' "$1" >> "$out"; else printf '%s' "$1"; fi; }
)SH";

} // namespace

ClientRule ClientRule::PassThrough() { return ClientRule(); }

ClientRule ClientRule::DieBefore(int exitCode, const std::string& answer)
{
    ClientRule r;
    r.act_ = Act::DieBefore;
    r.exitCode_ = exitCode;
    r.answer_ = answer;
    return r;
}

ClientRule ClientRule::DieAfter(int exitCode, const std::string& error)
{
    ClientRule r;
    r.act_ = Act::DieAfter;
    r.exitCode_ = exitCode;
    r.error_ = error;
    return r;
}

ClientRule ClientRule::CutAnswer(int keepLines)
{
    ClientRule r;
    r.act_ = Act::CutAnswer;
    r.keepLines_ = keepLines;
    return r;
}

ClientRule ClientRule::RefuseStatement(const std::string& text, const std::string& error)
{
    ClientRule r;
    r.act_ = Act::Refuse;
    r.text_ = text;
    r.error_ = error;
    r.exitCode_ = 1;
    return r;
}

ClientRule ClientRule::FailTable(const std::string& table, const std::string& error, int exitCode)
{
    ClientRule r;
    r.act_ = Act::FailTable;
    r.text_ = table;
    r.error_ = error;
    r.exitCode_ = exitCode;
    return r;
}

ClientRule ClientRule::ThinRows(const std::string& table, int keepEvery)
{
    ClientRule r;
    r.act_ = Act::ThinRows;
    r.text_ = table;
    r.keepLines_ = keepEvery;
    return r;
}

ClientRule ClientRule::Scripted(const std::optional<std::string>& output, const std::optional<std::string>& console,
                                const std::optional<std::string>& badRows, int exitCode)
{
    ClientRule r;
    r.act_ = Act::Scripted;
    r.output_ = output;
    r.console_ = console;
    r.badRows_ = badRows;
    r.exitCode_ = exitCode;
    return r;
}

ClientRule ClientRule::DropLines(const std::string& text)
{
    ClientRule r;
    r.act_ = Act::DropLines;
    r.drop_ = text;
    return r;
}

ClientRule ClientRule::EditLines(const std::string& text, const std::string& replacement)
{
    ClientRule r;
    r.act_ = Act::EditLines;
    r.drop_ = text;
    r.replacement_ = replacement;
    return r;
}

ClientRule ClientRule::KillProgram(bool afterRun)
{
    ClientRule r;
    r.act_ = Act::KillProgram;
    r.exitCode_ = afterRun ? 1 : 0;
    return r;
}

ClientRule& ClientRule::When(const std::string& text)
{
    when_ = text;
    return *this;
}

ClientRule& ClientRule::Times(int runs)
{
    times_ = runs;
    return *this;
}

ClientRule& ClientRule::Slowed(int ms)
{
    slowMs_ = ms;
    return *this;
}

std::string ClientRule::Script(size_t index) const
{
    const std::string real = "\"$REAL/$n.exe\" \"$@\"";
    const std::string code = std::to_string(exitCode_);
    std::string act;
    switch (act_) {
    case Act::PassThrough:
        break;
    case Act::DieBefore:
        act = (answer_.empty() ? std::string() : "answer " + Quoted(answer_) + "; ") + "exit " + code;
        break;
    case Act::DieAfter:
        act = real + "; " +
              (error_.empty() ? std::string()
                              : "answer " + Quoted(WrapperClients::ErrorBlock(error_, "Statement failed")) + "; ") +
              "exit " + code;
        break;
    case Act::CutAnswer: {
        const std::string keep = std::to_string(keepLines_);
        act = "if [ -n \"$out\" ]; then " + real + " > \"$HERE/console\"; cat \"$HERE/console\"; head -n " + keep +
              " \"$out\" > \"$HERE/cut\"; cat \"$HERE/cut\" > \"$out\"; rm -f \"$HERE/cut\"\n"
              "else " + real + " > \"$HERE/console\"; head -n " + keep + " \"$HERE/console\"; fi; exit 0";
        break;
    }
    case Act::Refuse: {
        const std::string block = Quoted(WrapperClients::ErrorBlock(error_, "Statement refused: " + text_));
        act = "if [ \"$n\" = risbatch ] && [ -f \"$in\" ]; then before " + Quoted(text_) + " \"$in\"; " + real +
              " > /dev/null; fi; answer " + block + "; exit " + code;
        break;
    }
    case Act::FailTable: {
        const std::string table = Quoted(text_);
        const std::string block =
            error_.empty() ? std::string() : "answer " + Quoted(WrapperClients::ErrorBlock(error_, "Table " + text_ + " failed")) + "; ";
        act = "case \"$n\" in\n"
              "  rislod) leave_out " + table + " \"$in\"; " + real + " ;;\n"
              "  risunlod) " + real + "; [ -f \"$out\" ] && leave_out " + table + " \"$out\" ;;\n"
              "  risbatch) [ -f \"$in\" ] && before " + table + " \"$in\"; " + real + " > /dev/null ;;\n"
              "esac; " + block + "exit " + code;
        break;
    }
    case Act::ThinRows:
        act = real + " > \"$HERE/console\"; rc=$?; cat \"$HERE/console\"; [ -f \"$out\" ] && thin_rows " + Quoted(text_) + " " +
              std::to_string(keepLines_) + " \"$out\"; exit $rc";
        break;
    case Act::Scripted:
        act = (output_ ? "[ -n \"$out\" ] && printf '%s' " + Quoted(*output_) + " > \"$out\"\n" : std::string()) +
              "[ -n \"$bad\" ] && printf '%s' " + Quoted(badRows_.value_or("")) + " > \"$bad\"\n" +
              "[ -n \"$lg\" ] && : > \"$lg\"\n" +
              (console_ ? "printf '%s' " + Quoted(*console_) : std::string("printf '%s done\\n' \"$n\"")) +
              "\nexit " + code;
        break;
    case Act::DropLines:
        act = "[ -f \"$in\" ] && { grep -viF -- " + Quoted(drop_) + " \"$in\" > \"$HERE/cut\"; cat \"$HERE/cut\" > \"$in\"; "
              "rm -f \"$HERE/cut\"; }";
        break;
    case Act::EditLines:
        act = "[ -f \"$in\" ] && edit_lines " + Quoted(drop_) + " " + Quoted(replacement_) + " \"$in\"";
        break;
    case Act::KillProgram:
        // The fifth field of the stat line is the process group (the name before it has no blank).
        act = "group=$(cut -d' ' -f5 /proc/$$/stat)\n"
              "if [ -z \"$TW_KILLABLE_GROUP\" ] || [ \"$group\" != \"$TW_KILLABLE_GROUP\" ]; then\n"
              "  echo \"$n: not in the group the test may kill\" >&2; exit 99; fi\n" +
              (exitCode_ ? real + "\n" : std::string()) + "kill -KILL 0; exit 99";
        break;
    }
    if (slowMs_ > 0)
        act = "sleep " + std::to_string(slowMs_ / 1000) + "." + std::to_string(1000 + slowMs_ % 1000).substr(1) +
              (act.empty() ? "" : "\n" + act);
    std::string s = "WHEN=" + Quoted(when_) + "; TIMES=" + std::to_string(times_) + "; HITS=\"$HERE/$n.hits" +
                    std::to_string(index) + "\"\n";
    // An unload of all tables names none: a failing table fails it too.
    const std::string unloadOfAll = act_ == Act::FailTable || act_ == Act::ThinRows ? "[ \"$n\" = risunlod ] || " : "";
    if (!act.empty())
        s += "if " + (text_.empty() ? std::string() : "{ " + unloadOfAll + "holds " + Quoted(text_) + "; } && ") +
             "due; then\n" + act + "\nfi\n";
    return s;
}

WrapperClients::WrapperClients()
{
    const char* path = std::getenv("PATH");
    savedPath_ = path ? path : "";
    ::setenv("PATH", (dir_.host() + ":" + savedPath_).c_str(), 1);
    for (const char* client : kClients)
        Set(client, ClientRule::PassThrough());
}

WrapperClients::~WrapperClients()
{
    ::setenv("PATH", savedPath_.c_str(), 1);
    if (registeredBefore_.empty())
        return;
    RegistryStore().Update([&](RegistryStore& store) {
        for (const auto& [version, path] : registeredBefore_) {
            if (path)
                store.SetValue(kRisKey + ("\\" + version), "PathName", *path);
            else
                store.RemoveValue(kRisKey + ("\\" + version), "PathName");
        }
        return true;
    });
}

void WrapperClients::Set(const std::string& client, const ClientRule& rule) { Set(client, std::vector{rule}); }

void WrapperClients::Set(const std::string& client, const std::vector<ClientRule>& rules)
{
    if (std::find(std::begin(kClients), std::end(kClients), client) == std::end(kClients))
        throw std::invalid_argument("not a wrapped client: " + client);
    const std::string file = dir_.host() + "/" + client + ".exe";
    std::string script = "#!/bin/sh\nREAL=" + Quoted(BinDir()) + "\nHERE=" + Quoted(dir_.host()) + "\nn=" + client +
                         "\n" + kPrologue;
    for (size_t i = 0; i < rules.size(); ++i)
        script += rules[i].Script(i);
    WriteHostFile(file, script + "exec \"$REAL/$n.exe\" \"$@\"\n");
    fs::permissions(file, fs::perms::owner_all);
    for (const auto& e : fs::directory_iterator(dir_.host())) {
        const std::string name = e.path().filename().string();
        if (name == client + ".runs" || name.rfind(client + ".hits", 0) == 0)
            fs::remove(e.path());
    }
}

void WrapperClients::Register()
{
    if (!registeredBefore_.empty())
        return;
    // The registry names the installation folder, whose clients stand in its BIN folder.
    if (!fs::exists(fs::symlink_status(dir_.host() + "/BIN")))
        fs::create_directory_symlink(".", dir_.host() + "/BIN");
    const RegistryData folder = RegistryData::Text(WinPathFromHost(dir_.host()));
    std::vector<std::pair<std::string, std::optional<RegistryData>>> before;
    const bool written = RegistryStore().Update([&](RegistryStore& store) {
        before.clear();
        for (const std::string& version : store.SubKeyNames(kRisKey)) {
            const RegistryData* path = store.Value(kRisKey + ("\\" + version), "PathName");
            before.emplace_back(version, path ? std::optional<RegistryData>(*path) : std::nullopt);
            store.SetValue(kRisKey + ("\\" + version), "PathName", folder);
        }
        return !before.empty();
    });
    if (!written)
        throw std::runtime_error("no RIS client registered to put the wrappers in place of");
    registeredBefore_ = before;
}

std::string WrapperClients::WinFolder() const { return WinPathFromHost(dir_.host()) + "\\"; }

int WrapperClients::Runs(const std::string& client) const
{
    const std::string runs = Arguments(client);
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
}

std::string WrapperClients::Arguments(const std::string& client) const
{
    return ReadHostFile(dir_.host() + "/" + client + ".runs");
}

std::string WrapperClients::Input(const std::string& client) const
{
    return ReadHostFile(dir_.host() + "/" + client + ".input");
}

std::string WrapperClients::Parameters(const std::string& client) const
{
    return ReadHostFile(dir_.host() + "/" + client + ".param");
}

std::string WrapperClients::ErrorBlock(const std::string& error, const std::string& detail)
{
    auto frame = [](const std::string& inner) {
        std::string line = "*" + inner;
        line.resize(78, inner.empty() ? '*' : ' ');
        return line + "*\r\n";
    };
    return frame("") + frame(" RIS Error: " + error) + frame(" " + detail) + frame("");
}

} // namespace testsupport
