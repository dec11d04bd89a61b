// The project copy's journal file: "name=value" lines, one block per entry.
#include "projcopy/CopyJournalFile.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"

#include <array>
#include <cctype>

namespace {

const char* const kFirstLine = "Tarnwick project copy journal";
const char* const kLastLine = "end of journal";
const char* const kPrefix = "project_";
const char* const kSuffix = ".journal";

std::string marksFolder() { return WinPathFromHost(RunMark::Folder()); }

// A file name for the project: letters, digits, "_" and "-" kept, anything else "_".
std::string fileNameOf(const std::string& project)
{
    std::string name;
    for (unsigned char c : ToLower(project))
        name += std::isalnum(c) || c == '_' || c == '-' ? static_cast<char>(c) : '_';
    return kPrefix + name + kSuffix;
}

// Values keep to one line, and the parts of a value line stay apart.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        default: out += c;
        }
    }
    return out;
}

std::string unescaped(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
    }
    return out;
}

std::string parts(const std::vector<std::string>& values)
{
    std::vector<std::string> out;
    for (const std::string& v : values)
        out.push_back(escaped(v));
    return Join(out, "\t");
}

std::vector<std::string> partsOf(const std::string& text)
{
    std::vector<std::string> out;
    for (const std::string& p : Split(text, "\t"))
        out.push_back(unescaped(p));
    return out;
}

const char* kindName(JournalEntry::Kind kind)
{
    switch (kind) {
    case JournalEntry::Kind::Row: return "row";
    case JournalEntry::Kind::File: return "file";
    case JournalEntry::Kind::Folder: return "folder";
    case JournalEntry::Kind::Table: return "table";
    }
    return "row";
}

// The text fields of an entry by their names in the file.
template <typename Entry>
auto textFields(Entry& e)
{
    return std::array{std::pair{"model", &e.model}, std::pair{"params", &e.params}, std::pair{"schema", &e.schema},
                      std::pair{"target", &e.project}, std::pair{"name", &e.name}, std::pair{"key", &e.key},
                      std::pair{"what", &e.what}, std::pair{"source", &e.source},
                      std::pair{"paramstext", &e.paramsText}, std::pair{"aside", &e.aside}};
}

std::string entryText(const JournalEntry& e)
{
    std::string text = std::string("entry=") + kindName(e.kind) + "\n";
    text += std::string("state=") + (e.state == JournalEntry::State::Made ? "made" : "intended") + "\n";
    for (const auto& [name, value] : textFields(e))
        if (!value->empty())
            text += std::string(name) + "=" + escaped(*value) + "\n";
    for (const RowValue& v : e.row) {
        // T or N: a text or a number with its value; t or n: a Null.
        const char flag = v.text ? (v.value ? 'T' : 't') : (v.value ? 'N' : 'n');
        text += "value=" + parts({std::string(1, flag), v.column, v.value.value_or("")}) + "\n";
    }
    for (const RowUser& u : e.users)
        text += "user=" + parts({u.table, u.where, u.name, u.noun}) + "\n";
    if (e.image.Known())
        text += "image=" + parts({std::to_string(e.image.size), e.image.time, e.image.digest}) + "\n";
    return text + "end\n";
}

[[noreturn]] void unreadable(const std::string& path, const std::string& why)
{
    throw AppError(1, "CopyJournalFile", "The journal of a project copy '" + path + "' cannot be read: " + why);
}

// Sets the entry's field name from value; a name no entry has is passed over.
void setField(JournalEntry& e, const std::string& name, const std::string& value, const std::string& path)
{
    for (const auto& [field, text] : textFields(e))
        if (name == field) {
            *text = unescaped(value);
            return;
        }
    if (name == "state") {
        e.state = value == "made" ? JournalEntry::State::Made : JournalEntry::State::Intended;
    } else if (name == "value") {
        const std::vector<std::string> p = partsOf(value);
        if (p.size() != 3 || p[0].size() != 1 || std::string("TtNn").find(p[0][0]) == std::string::npos)
            unreadable(path, "a value line is not whole");
        RowValue v;
        v.text = p[0][0] == 'T' || p[0][0] == 't';
        v.column = p[1];
        if (std::isupper(static_cast<unsigned char>(p[0][0])))
            v.value = p[2];
        e.row.push_back(v);
    } else if (name == "user") {
        const std::vector<std::string> p = partsOf(value);
        if (p.size() != 4)
            unreadable(path, "a user line is not whole");
        e.users.push_back({p[0], p[1], p[2], p[3]});
    } else if (name == "image") {
        const std::vector<std::string> p = partsOf(value);
        if (p.size() != 3 || p[0].empty() || p[0].size() > 18 || p[0].find_first_not_of("0123456789") != std::string::npos)
            unreadable(path, "an image line is not whole");
        e.image.size = std::stoll(p[0]);
        e.image.time = p[1];
        e.image.digest = p[2];
    }
}

JournalEntry::Kind kindOf(const std::string& name, const std::string& path)
{
    for (JournalEntry::Kind k : {JournalEntry::Kind::Row, JournalEntry::Kind::File, JournalEntry::Kind::Folder,
                                 JournalEntry::Kind::Table})
        if (name == kindName(k))
            return k;
    unreadable(path, "an entry of an unknown kind '" + name + "'");
}

// A journal is a regular file of the marks folder, never followed through a link: what stands
// behind a link (or a FIFO) is no journal, and writing it would overwrite another's file.
void refuseNoJournal(const std::string& path, const std::string& project)
{
    std::string what;
    try {
        if (HostFileBehindLinks(HostPath(path)) != HostPath(path))
            what = "is a symbolic link, which no program follows";
        else if (IsSpecialFile(path))
            what = "is no regular file";
    } catch (const AppError&) {
        what = "is a loop of symbolic links";
    }
    if (!what.empty())
        throw AppError(75, "CopyJournalFile",
                       "The journal file '" + path + "' of the copies into project '" + project + "' " + what +
                           ": once no copy into that project runs, remove that file");
}

} // namespace

CopyJournalFile::CopyJournalFile(const std::string& project)
    : project_(project), path_(marksFolder() + "\\" + fileNameOf(project))
{
    who_ = RunMark::WhoFields();
}

void CopyJournalFile::Save(const std::vector<JournalEntry>& entries) const
{
    refuseNoJournal(path_, project_);
    try {
        if (entries.empty()) {
            if (HostFileExists(path_))
                HostDeleteFile(path_, true);
            return;
        }
        if (!HostFolderExists(marksFolder()))
            HostMakeFolder(marksFolder(), true);
        std::string text = std::string(kFirstLine) + "\nproject=" + escaped(project_) + "\n";
        for (const auto& [name, value] : who_)
            text += name + "=" + escaped(value) + "\n";
        for (const JournalEntry& e : entries)
            text += entryText(e);
        HostWriteFile(path_, text + kLastLine + "\n");
    } catch (const AppError& e) {
        throw AppError(e.number(), "CopyJournalFile",
                       "The journal of the copy into project '" + project_ + "' ('" + path_ +
                           "') could not be written: " + e.description());
    }
}

bool CopyJournalFile::Load(std::vector<JournalEntry>& entries, RunMark::Fields& who) const
{
    entries.clear();
    who.clear();
    refuseNoJournal(path_, project_);
    if (!HostFileExists(path_))
        return false;
    std::vector<std::string> lines = Split(ReplaceAll(BinaryFile::ReadAll(path_), "\r", ""), "\n");
    if (lines.empty() || lines.front() != kFirstLine)
        unreadable(path_, "it does not begin as a journal does");
    bool whole = false, inEntry = false;
    for (size_t i = 1; i < lines.size() && !whole; ++i) {
        const std::string& line = lines[i];
        const size_t eq = line.find('=');
        const std::string name = line.substr(0, eq), value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (line == kLastLine) {
            whole = !inEntry;
        } else if (line == "end") {
            inEntry = false;
        } else if (name == "entry") {
            entries.push_back(JournalEntry{});
            entries.back().kind = kindOf(value, path_);
            inEntry = true;
        } else if (eq != std::string::npos && inEntry) {
            setField(entries.back(), name, value, path_);
        } else if (eq != std::string::npos && name != "project") {
            who.emplace_back(name, unescaped(value));
        }
    }
    if (!whole)
        unreadable(path_, "it ends before its last line");
    return true;
}

std::vector<std::string> CopyJournalFile::Projects()
{
    std::vector<std::string> projects;
    if (!HostFolderExists(marksFolder()))
        return projects;
    try {
        for (const HostEntry& e : HostListFolder(marksFolder())) {
            const std::string prefix = kPrefix, suffix = kSuffix;
            if (!e.folder && e.name.size() > prefix.size() + suffix.size() && StartsWithNoCase(e.name, prefix) &&
                EndsWithNoCase(e.name, suffix))
                projects.push_back(e.name.substr(prefix.size(), e.name.size() - prefix.size() - suffix.size()));
        }
    } catch (const AppError&) {
        // A marks folder that cannot be listed holds nothing this start can name.
    }
    return projects;
}
