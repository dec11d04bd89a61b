// The registry store: REGEDIT4 text files parsed into entries and written back line-preserving.
#include "platform/RegistryStore.h"

#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/ReplacementFile.h"
#include "platform/RewriteLock.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kWrapColumn = 76; // regedit keeps hex lines under 80 characters

bool IsRootName(const std::string& keyPath) { return !keyPath.empty() && keyPath.find('\\') == std::string::npos; }

std::string StripTrailingBackslashes(std::string s)
{
    while (!s.empty() && s.back() == '\\')
        s.pop_back();
    return s;
}

std::string WithoutLineEnd(const std::string& line)
{
    size_t n = line.size();
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        --n;
    return line.substr(0, n);
}

// Reads a quoted REGEDIT4 string starting at s[pos] == '"'; \\ and \" are the only escapes.
// On success pos stands after the closing quote.
bool ParseQuoted(const std::string& s, size_t& pos, std::string& out)
{
    if (pos >= s.size() || s[pos] != '"')
        return false;
    out.clear();
    for (size_t i = pos + 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else if (c == '"') {
            pos = i + 1;
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

std::string Quote(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool ParseHexNumber(const std::string& s, uint32_t& value)
{
    if (s.empty() || s.size() > 8)
        return false;
    value = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0)
            return false;
        value = value << 4 | uint32_t(d);
    }
    return true;
}

// "01,02, ff" (continuations already joined) to bytes. A comma at the end, left by a
// continuation "\" whose next line never came, ends the list.
bool ParseHexBytes(const std::string& s, std::vector<uint8_t>& out)
{
    out.clear();
    std::string body = TrimWhite(s);
    if (!body.empty() && body.back() == ',')
        body.pop_back();
    if (body.empty())
        return true;
    for (const std::string& part : Split(body, ",")) {
        std::string t = TrimWhite(part);
        uint32_t v;
        if (t.size() > 2 || !ParseHexNumber(t, v))
            return false;
        out.push_back(uint8_t(v));
    }
    return true;
}

// The data part after "=": a quoted text, dword:, hex: or hex(N):.
bool ParseData(const std::string& text, RegistryData& data)
{
    std::string s = TrimWhite(text);
    if (!s.empty() && s[0] == '"') {
        size_t pos = 0;
        std::string value;
        if (!ParseQuoted(s, pos, value) || !TrimWhite(s.substr(pos)).empty())
            return false;
        data = RegistryData::Text(value);
        return true;
    }
    if (StartsWithNoCase(s, "dword:")) {
        uint32_t v;
        if (!ParseHexNumber(TrimWhite(s.substr(6)), v))
            return false;
        data = RegistryData::Dword(static_cast<int32_t>(v));
        return true;
    }
    if (StartsWithNoCase(s, "hex:")) {
        data.type = kRegBinary;
        return ParseHexBytes(s.substr(4), data.bytes);
    }
    if (StartsWithNoCase(s, "hex(")) {
        size_t close = s.find("):");
        uint32_t type;
        if (close == std::string::npos || !ParseHexNumber(s.substr(4, close - 4), type))
            return false;
        data.type = type;
        return ParseHexBytes(s.substr(close + 2), data.bytes);
    }
    return false;
}

// Splits a value line into name and data text; false when it is not one.
bool SplitValueLine(const std::string& line, std::string& name, std::string& dataText)
{
    std::string s = TrimWhite(line);
    size_t pos = 0;
    if (!s.empty() && s[0] == '@') {
        name.clear();
        pos = 1;
    } else if (!ParseQuoted(s, pos, name)) {
        return false;
    }
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t'))
        ++pos;
    if (pos >= s.size() || s[pos] != '=')
        return false;
    dataText = s.substr(pos + 1);
    return true;
}

bool IsHexData(const std::string& dataText) { return StartsWithNoCase(TrimWhite(dataText), "hex"); }

// Whether a line can carry on hex data: hex digits, commas and blanks, with at most a further
// "\" at its end. A key header, a value line or a comment never can, so a dangling "\" cannot
// pull the next key's header into a value.
bool IsHexContinuation(const std::string& content)
{
    std::string s = content;
    if (!s.empty() && s.back() == '\\')
        s.pop_back();
    if (TrimWhite(s).empty())
        return false;
    for (char c : s)
        if (HexDigit(c) < 0 && c != ',' && c != ' ' && c != '\t')
            return false;
    return true;
}

bool HasLineBreakOrNul(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

std::string FormatHexLine(std::string line, const std::vector<uint8_t>& bytes, const std::string& eol)
{
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < bytes.size(); ++i) {
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 15];
        if (i + 1 < bytes.size()) {
            line += ',';
            size_t column = line.size() - (line.rfind('\n') == std::string::npos ? 0 : line.rfind('\n') + 1);
            if (column >= kWrapColumn)
                line += "\\" + eol + "  ";
        }
    }
    return line;
}

std::string FormatValue(const std::string& name, const RegistryData& data, const std::string& eol)
{
    std::string line = (name.empty() ? std::string("@") : Quote(name)) + "=";
    const auto& b = data.bytes;
    // A text with a line break has no quoted form that reads back: it goes as hex(1).
    if (data.type == kRegText && !b.empty() && b.back() == 0 &&
        !HasLineBreakOrNul(std::string(b.begin(), b.end() - 1))) {
        line += Quote(std::string(b.begin(), b.end() - 1));
    } else if (data.type == kRegDword && b.size() == 4) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08x",
                      unsigned(b[0]) | unsigned(b[1]) << 8 | unsigned(b[2]) << 16 | unsigned(b[3]) << 24);
        line += buf;
    } else if (data.type == kRegBinary) {
        line = FormatHexLine(line + "hex:", b, eol);
    } else {
        char buf[16];
        std::snprintf(buf, sizeof buf, "hex(%x):", unsigned(data.type));
        line = FormatHexLine(line + buf, b, eol);
    }
    return line + eol;
}

bool HasLineEnd(const std::string& raw) { return !raw.empty() && raw.back() == '\n'; }

// Whether "[" + path + "]" reads back as this key: not blank, no line break, no blanks around
// it, and no leading "-" (which would make the header a deletion line).
bool IsStorableKeyPath(const std::string& path)
{
    return !path.empty() && !HasLineBreakOrNul(path) && TrimWhite(path) == path && path[0] != '-';
}

} // namespace

RegistryData RegistryData::Text(const std::string& text, uint32_t type)
{
    RegistryData d;
    d.type = type;
    d.bytes.assign(text.begin(), text.end());
    d.bytes.push_back(0);
    return d;
}

RegistryData RegistryData::MultiText(const std::vector<std::string>& strings)
{
    RegistryData d;
    d.type = kRegMultiText;
    for (const std::string& s : strings) {
        d.bytes.insert(d.bytes.end(), s.begin(), s.end());
        d.bytes.push_back(0);
    }
    d.bytes.push_back(0);
    return d;
}

RegistryData RegistryData::Dword(int32_t value)
{
    RegistryData d;
    d.type = kRegDword;
    uint32_t v = static_cast<uint32_t>(value);
    d.bytes = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return d;
}

RegistryStore::RegistryStore(std::string computer) : computer_(std::move(computer)) {}

std::string RegistryStore::FilePath(const std::string& computer)
{
    std::string name = IsBlank(computer) ? ComputerName() : computer;
    if (name.empty() || name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos ||
        name.find('\0') != std::string::npos)
        return std::string();
    const std::string dir = StandInRoot() + "/registry";
    const std::string fileName = name + ".reg";
    if (DIR* d = ::opendir(dir.c_str())) {
        std::string found;
        while (dirent* e = ::readdir(d)) {
            if (EqualsNoCase(e->d_name, fileName)) {
                found = e->d_name;
                break;
            }
        }
        ::closedir(d);
        if (!found.empty())
            return dir + "/" + found;
    }
    return dir + "/" + fileName;
}

namespace {

// The file's whole text: Loaded; Missing when there is no file; Failed when it cannot be read.
RegistryStore::LoadResult readWhole(const std::string& path, std::string& text)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return RegistryStore::LoadResult::Missing;
    std::ifstream in(path, std::ios::binary);
    if (!in || !S_ISREG(st.st_mode))
        return RegistryStore::LoadResult::Failed;
    std::ostringstream read;
    read << in.rdbuf();
    if (in.bad())
        return RegistryStore::LoadResult::Failed;
    text = read.str();
    return RegistryStore::LoadResult::Loaded;
}

} // namespace

RegistryStore::LoadResult RegistryStore::Load()
{
    entries_.clear();
    std::string text;
    const LoadResult read = readWhole(FilePath(computer_), text);
    if (read == LoadResult::Missing)
        loaded_ = std::string();
    if (read != LoadResult::Loaded)
        return read;
    SetText(text);
    loaded_ = text;
    return LoadResult::Loaded;
}

namespace {

bool MakeRegistryFolder(const std::string& path)
{
    const std::string dir = path.substr(0, path.rfind('/'));
    return ::mkdir(dir.c_str(), 0777) == 0 || errno == EEXIST;
}

} // namespace

bool RegistryStore::Write(const std::string& path) const
{
    try {
        ReplacementFile out(WinPathFromHost(path));
        out.Write(Text());
        out.Commit();
        return true;
    } catch (const AppError& e) {
        writeFailure_ = "The registry file '" + WinPathFromHost(path) + "' could not be written (" +
                        (e.description().empty() ? "error " + std::to_string(e.number()) : e.description()) + ")";
        return false;
    }
}

bool RegistryStore::Locked(const RewriteLock& lock, const std::string& path) const
{
    lockFailure_ = lock.busy() ? "The registry file " + LockedFileText(WinPathFromHost(path)) : std::string();
    writeFailure_ = lockFailure_;
    if (!lock.held() && writeFailure_.empty())
        writeFailure_ = "The registry file '" + WinPathFromHost(path) + "' could not be locked for its write";
    return lock.held();
}

bool RegistryStore::Save() const
{
    const std::string path = FilePath(computer_);
    writeFailure_.clear();
    if (path.empty() || !MakeRegistryFolder(path)) {
        writeFailure_ = "The registry folder of computer '" + computer_ + "' cannot be made";
        return false;
    }
    // Read, compared and written under one lock, as every rewrite of the file is: a store read
    // earlier is written only over the text it was read from, never over another program's
    // change made since; a text given whole (SetText) takes the place of whatever stands.
    const RewriteLock lock(path);
    if (!Locked(lock, path))
        return false;
    std::string standing;
    const LoadResult read = readWhole(path, standing);
    if (read == LoadResult::Failed) {
        writeFailure_ = "The registry file '" + WinPathFromHost(path) + "' could not be read, so it was not written";
        return false;
    }
    const bool exists = read == LoadResult::Loaded;
    if (loaded_ && standing != *loaded_) {
        writeFailure_ = "The registry file '" + WinPathFromHost(path) + "' was changed by another program since it was "
                        "read; it stands with that change, and this store was not written over it";
        return false;
    }
    if (exists && standing == Text())
        return true; // what stands is what would be written
    if (!Write(path))
        return false;
    loaded_ = Text();
    return true;
}

bool RegistryStore::Update(const std::function<bool(RegistryStore&)>& change)
{
    const std::string path = FilePath(computer_);
    writeFailure_.clear();
    // A change that leaves the file as it stands is no write: it needs neither the folder nor the
    // lock, so a file that cannot be written now fails none of it.
    const auto standsAlready = [&] {
        if (Load() == LoadResult::Failed)
            return false;
        const std::string before = Text();
        if (!change(*this) || Text() != before)
            return false;
        lockFailure_.clear();
        writeFailure_.clear();
        return true;
    };
    if (path.empty() || !MakeRegistryFolder(path)) {
        writeFailure_ = "The registry folder of computer '" + computer_ + "' cannot be made";
        return !path.empty() && standsAlready();
    }
    // Another program's write takes a moment; one that holds the lock for longer is reported,
    // not waited for with the window standing still.
    const RewriteLock lock(path);
    if (!Locked(lock, path))
        return standsAlready();
    if (Load() == LoadResult::Failed) {
        writeFailure_ = "The registry file '" + WinPathFromHost(path) + "' could not be read";
        return false;
    }
    const std::string before = Text();
    if (!change(*this))
        return false;
    return Text() == before || Write(path);
}

std::string RegistryStore::Text() const
{
    std::string text;
    for (const Entry& e : entries_)
        text += e.raw;
    return text;
}

void RegistryStore::SetText(const std::string& text)
{
    loaded_.reset();
    entries_.clear();
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t nl = text.find('\n', pos);
        size_t end = nl == std::string::npos ? text.size() : nl + 1;
        lines.push_back(text.substr(pos, end - pos));
        pos = end;
    }

    std::string sectionKey; // empty outside a usable key section
    for (size_t i = 0; i < lines.size(); ++i) {
        Entry e;
        e.raw = lines[i];
        std::string content = TrimWhite(WithoutLineEnd(lines[i]));
        std::string name, dataText;
        if (content.size() >= 2 && content.front() == '[' && content.back() == ']') {
            std::string key = StripTrailingBackslashes(TrimWhite(content.substr(1, content.size() - 2)));
            // A "[-key]" line deletes a key when imported; as stored text it is kept and ignored.
            sectionKey = (!key.empty() && key[0] != '-') ? key : std::string();
            if (!sectionKey.empty()) {
                e.kind = Kind::Key;
                e.key = sectionKey;
            }
        } else if (!sectionKey.empty() && SplitValueLine(content, name, dataText)) {
            // Hex data may go on over lines that end in "\"; a "\" without a continuation line
            // after it ends the value where it stands.
            dataText = TrimWhite(dataText);
            while (IsHexData(dataText) && dataText.back() == '\\') {
                dataText.pop_back();
                if (i + 1 >= lines.size())
                    break;
                const std::string next = TrimWhite(WithoutLineEnd(lines[i + 1]));
                if (!IsHexContinuation(next))
                    break;
                dataText = TrimWhite(dataText + next);
                e.raw += lines[++i];
            }
            if (ParseData(dataText, e.data)) {
                e.kind = Kind::Value;
                e.key = sectionKey;
                e.name = name;
            }
        }
        entries_.push_back(std::move(e));
    }
}

std::string RegistryStore::LineEnd() const
{
    for (const Entry& e : entries_) {
        size_t nl = e.raw.find('\n');
        if (nl != std::string::npos)
            return nl > 0 && e.raw[nl - 1] == '\r' ? "\r\n" : "\n";
    }
    return "\r\n";
}

bool RegistryStore::KeyExists(const std::string& keyPath) const
{
    std::string path = StripTrailingBackslashes(keyPath);
    if (IsRootName(path))
        return true;
    for (const Entry& e : entries_)
        if (e.kind == Kind::Key && (EqualsNoCase(e.key, path) || StartsWithNoCase(e.key, path + "\\")))
            return true;
    return false;
}

bool RegistryStore::CreateKey(const std::string& keyPath)
{
    std::string path = StripTrailingBackslashes(keyPath);
    for (const Entry& e : entries_)
        if (e.kind == Kind::Key && EqualsNoCase(e.key, path))
            return true;
    if (!IsStorableKeyPath(path))
        return false;
    const std::string eol = LineEnd();
    if (entries_.empty()) {
        entries_.push_back({Kind::Other, "REGEDIT4" + eol, "", "", {}});
    } else if (!HasLineEnd(entries_.back().raw)) {
        entries_.back().raw += eol;
    }
    if (!TrimWhite(entries_.back().raw).empty())
        entries_.push_back({Kind::Other, eol, "", "", {}});
    entries_.push_back({Kind::Key, "[" + path + "]" + eol, path, "", {}});
    return true;
}

std::vector<std::string> RegistryStore::SubKeyNames(const std::string& keyPath) const
{
    std::string prefix = StripTrailingBackslashes(keyPath) + "\\";
    std::vector<std::string> names;
    for (const Entry& e : entries_) {
        if (e.kind != Kind::Key || !StartsWithNoCase(e.key, prefix))
            continue;
        std::string rest = e.key.substr(prefix.size());
        std::string name = rest.substr(0, rest.find('\\'));
        if (name.empty())
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || EqualsNoCase(n, name);
        if (!seen)
            names.push_back(name);
    }
    return names;
}

std::vector<std::string> RegistryStore::ValueNames(const std::string& keyPath) const
{
    std::string path = StripTrailingBackslashes(keyPath);
    std::vector<std::string> names;
    for (const Entry& e : entries_) {
        if (e.kind != Kind::Value || !EqualsNoCase(e.key, path))
            continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || EqualsNoCase(n, e.name);
        if (!seen)
            names.push_back(e.name);
    }
    return names;
}

const RegistryStore::Entry* RegistryStore::FindValue(const std::string& keyPath, const std::string& name) const
{
    std::string path = StripTrailingBackslashes(keyPath);
    for (const Entry& e : entries_)
        if (e.kind == Kind::Value && EqualsNoCase(e.key, path) && EqualsNoCase(e.name, name))
            return &e;
    return nullptr;
}

const RegistryData* RegistryStore::Value(const std::string& keyPath, const std::string& name) const
{
    const Entry* e = FindValue(keyPath, name);
    return e ? &e->data : nullptr;
}

bool RegistryStore::SetValue(const std::string& keyPath, const std::string& name, const RegistryData& data)
{
    if (HasLineBreakOrNul(name))
        return false;
    const std::string eol = LineEnd();
    if (const Entry* found = FindValue(keyPath, name)) {
        Entry& e = const_cast<Entry&>(*found);
        if (e.data == data)
            return true; // the same value keeps its line as written
        // The entry keeps the line end it had, so a last line without one stays without.
        bool hadLineEnd = HasLineEnd(e.raw);
        e.raw = FormatValue(e.name, data, eol);
        if (!hadLineEnd)
            e.raw.resize(e.raw.size() - eol.size());
        e.data = data;
        return true;
    }

    std::string path = StripTrailingBackslashes(keyPath);
    if (!CreateKey(path))
        return false;
    // After the last value of the key's first section, or right after its header.
    size_t at = entries_.size();
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].kind != Kind::Key || !EqualsNoCase(entries_[i].key, path))
            continue;
        at = i + 1;
        for (size_t j = i + 1; j < entries_.size() && entries_[j].kind != Kind::Key; ++j)
            if (entries_[j].kind == Kind::Value)
                at = j + 1;
        break;
    }
    if (!HasLineEnd(entries_[at - 1].raw))
        entries_[at - 1].raw += eol;
    Entry e{Kind::Value, FormatValue(name, data, eol), path, name, data};
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), std::move(e));
    return true;
}

bool RegistryStore::RemoveValue(const std::string& keyPath, const std::string& name)
{
    const Entry* found = FindValue(keyPath, name);
    if (!found)
        return false;
    entries_.erase(entries_.begin() + (found - entries_.data()));
    return true;
}
