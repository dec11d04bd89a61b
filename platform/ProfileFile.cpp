// Private-profile engine: parsing a settings file into lines and editing single lines of it.
#include "platform/ProfileFile.h"

#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/ReplacementFile.h"
#include "platform/RewriteLock.h"
#include "platform/TextEncoding.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kSpace = " \t\r\n\v\f";
constexpr const char* kNewLine = "\r\n";

enum class LineKind { Blank, Section, Key, Comment, Other };

// One line of the file: its text without the line end, and the line end as it stands.
struct Line {
    std::string text;
    std::string eol;
    LineKind kind = LineKind::Blank;
    std::string name;  // section or key name
    std::optional<std::string> value; // a key line's value; absent for a line without "="
    std::string raw;   // a Unicode file's bytes of text as they stand in the file
};

std::string trimSpace(std::string_view s)
{
    size_t b = s.find_first_not_of(kSpace);
    if (b == std::string_view::npos)
        return {};
    size_t e = s.find_last_not_of(kSpace);
    return std::string(s.substr(b, e - b + 1));
}

void classify(Line& l)
{
    std::string t = trimSpace(l.text);
    if (t.empty()) {
        l.kind = LineKind::Blank;
    } else if (t[0] == '[') {
        size_t close = t.rfind(']');
        if (close == std::string::npos) {
            l.kind = LineKind::Other;
        } else {
            l.kind = LineKind::Section;
            l.name = t.substr(1, close - 1);
        }
    } else if (t[0] == ';') {
        l.kind = LineKind::Comment;
    } else {
        l.kind = LineKind::Key;
        size_t eq = t.find('=');
        if (eq == std::string::npos) {
            l.name = t;
        } else {
            l.name = trimSpace(std::string_view(t).substr(0, eq));
            l.value = trimSpace(std::string_view(t).substr(eq + 1));
        }
        if (l.name.empty())
            l.kind = LineKind::Other;
    }
}

struct Profile {
    bool exists = false;
    TextEncoding encoding = TextEncoding::Ansi; // as the file's byte-order mark says
    std::vector<Line> lines;
    std::string strayByte; // the odd last byte of a UTF-16 file, kept at its end
};

Profile load(const std::string& hostPath)
{
    Profile p;
    std::ifstream in(hostPath, std::ios::binary);
    if (!in)
        return p;
    p.exists = true;
    std::ostringstream ss;
    ss << in.rdbuf();
    const std::string bytes = ss.str();
    // A file in UTF-16 or UTF-8 with its byte-order mark reads as the ANSI profile functions
    // hand it over: one byte per character, "?" for one beyond the code page.
    size_t markLength = 0;
    p.encoding = DetectByteOrderMark(bytes, markLength);
    std::string_view text = std::string_view(bytes).substr(markLength);
    const size_t unit = CodeUnitSize(p.encoding);
    if (text.size() % unit != 0) {
        p.strayByte = text.substr(text.size() - 1);
        text.remove_suffix(1);
    }
    const auto unitIs = [&](size_t at, char c) { return CodeUnitAt(text, at, p.encoding) == unsigned(c); };
    // A line ends at LF, at CR LF, or at a CR alone (a file written with CR line ends).
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = pos;
        while (end + unit <= text.size() && !unitIs(end, '\n') && !unitIs(end, '\r'))
            end += unit;
        size_t next = text.size();
        if (end + unit <= text.size()) {
            next = end + unit;
            if (unitIs(end, '\r') && next + unit <= text.size() && unitIs(next, '\n'))
                next += unit;
        } else {
            end = text.size();
        }
        Line l;
        if (p.encoding != TextEncoding::Ansi)
            l.raw = text.substr(pos, end - pos);
        l.text = DecodeText(text.substr(pos, end - pos), p.encoding);
        l.eol = DecodeText(text.substr(end, next - end), p.encoding);
        pos = next;
        classify(l);
        p.lines.push_back(std::move(l));
    }
    return p;
}

// The file's bytes in its own encoding, with its mark. A line that an edit left alone keeps
// its bytes, characters beyond the code page included.
std::string fileBytes(const Profile& p)
{
    std::string out = ByteOrderMark(p.encoding);
    for (const Line& l : p.lines) {
        if (p.encoding != TextEncoding::Ansi && DecodeText(l.raw, p.encoding) == l.text)
            out += l.raw;
        else
            out += EncodeText(l.text, p.encoding);
        out += EncodeText(l.eol, p.encoding);
    }
    return out + p.strayByte;
}

thread_local std::string gLockFailure;
thread_local std::string gWriteFailure;

bool save(const std::string& hostPath, const Profile& p)
{
    // A file another program writes just now is waited for a while, not refused at once.
    if (!WaitUntilUnlocked(hostPath)) {
        gLockFailure = gWriteFailure = "The settings file " + LockedFileText(WinPathFromHost(hostPath));
        return false;
    }
    // The new text replaces the file only once it is whole and flushed, so a failed write never
    // leaves half a file; a linked settings file keeps its link, and the file its mode and owner.
    try {
        ReplacementFile out(hostPath);
        out.Write(fileBytes(p));
        out.Commit();
        return true;
    } catch (const AppError& e) {
        gWriteFailure = "The settings file '" + WinPathFromHost(hostPath) + "' could not be written (" +
                        (e.description().empty() ? std::string("error ") + std::to_string(e.number())
                                                 : e.description()) +
                        ")";
        return false;
    }
}

// Index of the first section line with this name from `from` on, or npos.
size_t findSection(const Profile& p, const std::string& section, size_t from = 0)
{
    for (size_t i = from; i < p.lines.size(); ++i)
        if (p.lines[i].kind == LineKind::Section && EqualsNoCase(p.lines[i].name, section))
            return i;
    return std::string::npos;
}

// One past the last line of the section that starts at `header`.
size_t sectionEnd(const Profile& p, size_t header)
{
    size_t i = header + 1;
    while (i < p.lines.size() && p.lines[i].kind != LineKind::Section)
        ++i;
    return i;
}

size_t findKey(const Profile& p, size_t header, const std::string& key)
{
    const size_t end = sectionEnd(p, header);
    for (size_t i = header + 1; i < end; ++i)
        if (p.lines[i].kind == LineKind::Key && EqualsNoCase(p.lines[i].name, key))
            return i;
    return std::string::npos;
}

std::string stripQuotes(const std::string& v)
{
    if (v.size() > 1 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

std::string cutList(const std::string& list, size_t capacity)
{
    if (list.size() + 1 <= capacity)
        return list;
    return capacity >= 2 ? list.substr(0, capacity - 2) : std::string();
}

Line makeLine(std::string text)
{
    Line l;
    l.text = std::move(text);
    l.eol = kNewLine;
    classify(l);
    return l;
}

// Whether the write would leave the file reading as it reads now: the value stands in the first
// section of the name as its first key of the name, read as the engine reads it (white space
// trimmed, one pair of quotes removed); or what a removal would take out is in no section.
bool standsAlready(const Profile& p, const std::string& section, const std::optional<std::string>& key,
                   const std::optional<std::string>& value)
{
    const size_t header = findSection(p, section);
    if (!key)
        return header == std::string::npos;
    if (!value) {
        for (size_t h = header; h != std::string::npos; h = findSection(p, section, h + 1))
            if (findKey(p, h, *key) != std::string::npos)
                return false;
        return true;
    }
    // A value with a line break would be written as more than one line.
    if (header == std::string::npos || value->find_first_of("\r\n") != std::string::npos)
        return false;
    const size_t k = findKey(p, header, *key);
    return k != std::string::npos && p.lines[k].value &&
           stripQuotes(*p.lines[k].value) == stripQuotes(trimSpace(*value));
}

void insertLine(Profile& p, size_t at, Line l)
{
    // The line before the new one needs a line end of its own.
    if (at > 0 && p.lines[at - 1].eol.empty())
        p.lines[at - 1].eol = kNewLine;
    p.lines.insert(p.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(l));
}

} // namespace

std::string ProfileFile::GetString(const std::optional<std::string>& section, const std::optional<std::string>& key,
                                   const std::optional<std::string>& defaultValue, size_t capacity,
                                   const std::string& file)
{
    if (capacity == 0)
        return {};
    const Profile p = load(HostPath(file));
    if (!section) {
        std::string list;
        for (const Line& l : p.lines)
            if (l.kind == LineKind::Section)
                list += l.name + '\0';
        return cutList(list, capacity);
    }
    const size_t header = findSection(p, *section);
    if (!key) {
        std::string list;
        if (header != std::string::npos) {
            const size_t end = sectionEnd(p, header);
            for (size_t i = header + 1; i < end; ++i)
                if (p.lines[i].kind == LineKind::Key)
                    list += p.lines[i].name + '\0';
        }
        return cutList(list, capacity);
    }
    std::string value;
    const size_t k = header == std::string::npos ? std::string::npos : findKey(p, header, *key);
    if (k != std::string::npos && p.lines[k].value)
        value = stripQuotes(*p.lines[k].value);
    else if (defaultValue)
        value = TrimRight(*defaultValue);
    if (value.size() > capacity - 1)
        value.resize(capacity - 1);
    return value;
}

const std::string& ProfileFile::LastLockFailure() { return gLockFailure; }
const std::string& ProfileFile::LastWriteFailure() { return gWriteFailure; }

bool ProfileFile::WriteString(const std::optional<std::string>& section, const std::optional<std::string>& key,
                              const std::optional<std::string>& value, const std::string& file)
{
    gLockFailure.clear();
    gWriteFailure.clear();
    if (!section) {
        if (key || value)
            gWriteFailure = "A settings write without a section was refused";
        return !key && !value; // the platform's "flush the cache" call
    }
    const std::string host = HostPath(file);
    // A write of what already stands is no write: the file is neither locked nor touched, so a
    // settings file made read-only, or one another program holds, fails no write that changes
    // nothing.
    if (standsAlready(load(host), *section, key, value))
        return true;
    // Read, change and rename under one lock: another program's write between our read and our
    // rename would otherwise be lost without a word.
    const RewriteLock lock(host);
    if (lock.busy()) {
        gLockFailure = gWriteFailure = "The settings file " + LockedFileText(WinPathFromHost(host));
        return false;
    }
    Profile p = load(host);
    if (standsAlready(p, *section, key, value))
        return true;
    // Renaming over a read-only file would succeed where Windows refuses the write.
    if (p.exists && IsReadOnlyFile(file)) {
        gWriteFailure = "The settings file '" + WinPathFromHost(host) + "' is read-only";
        return false;
    }
    const size_t header = findSection(p, *section);

    if (!key || !value) {
        if (header == std::string::npos)
            return true;
        // Every section of the name goes (a file may hold one twice, in another letter case),
        // or the key in each of them: what stays behind would be read back as written later.
        bool changed = false;
        for (size_t h = header; h != std::string::npos; h = findSection(p, *section, h)) {
            if (!key) {
                const size_t end = sectionEnd(p, h);
                p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(h),
                              p.lines.begin() + static_cast<std::ptrdiff_t>(end));
                changed = true;
                continue;
            }
            for (size_t k = findKey(p, h, *key); k != std::string::npos; k = findKey(p, h, *key)) {
                p.lines.erase(p.lines.begin() + static_cast<std::ptrdiff_t>(k));
                changed = true;
            }
            ++h;
        }
        return !changed || save(host, p);
    }

    if (header == std::string::npos) {
        insertLine(p, p.lines.size(), makeLine("[" + *section + "]"));
        insertLine(p, p.lines.size(), makeLine(*key + "=" + *value));
        return save(host, p);
    }
    const size_t k = findKey(p, header, *key);
    if (k != std::string::npos) {
        // The key keeps its own spelling; only its line changes.
        Line& l = p.lines[k];
        l.text = l.name + "=" + *value;
        classify(l);
        return save(host, p);
    }
    // A new key goes after the section's last non-blank line, before the blank lines that
    // separate it from the next section.
    size_t at = sectionEnd(p, header);
    while (at > header + 1 && p.lines[at - 1].kind == LineKind::Blank)
        --at;
    insertLine(p, at, makeLine(*key + "=" + *value));
    return save(host, p);
}
