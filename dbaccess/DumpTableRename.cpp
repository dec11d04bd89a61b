// Table renaming in RIS dump files.
#include "dbaccess/DumpTableRename.h"

#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpWriter.h"
#include "dbaccess/IndexNames.h"
#include "dbaccess/RISListing.h"
#include "platform/TextUtil.h"

#include <cctype>

namespace {

bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

} // namespace

DumpTableRename::DumpTableRename(const std::vector<std::string>& oldNames, const std::vector<std::string>& newNames)
{
    const size_t n = std::min(oldNames.size(), newNames.size());
    for (size_t i = 0; i < n; ++i)
        if (!IsBlank(oldNames[i]))
            pairs_.emplace_back(Trim(oldNames[i]), Trim(newNames[i]));
}

const std::string* DumpTableRename::NewNameOf(const std::string& name) const
{
    for (const auto& [from, to] : pairs_)
        if (EqualsNoCase(from, name))
            return &to;
    return nullptr;
}

std::string DumpTableRename::RenameWords(const std::string& text, bool indexNames) const
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\'' || c == '"') {
            // A literal (a view's condition) is copied as it stands, doubled quotes included.
            size_t end = i + 1;
            while (end < text.size()) {
                if (text[end] == c) {
                    if (end + 1 < text.size() && text[end + 1] == c) {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            end = std::min(end + 1, text.size());
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        if (!IsNameChar(c)) {
            out += c;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && IsNameChar(text[end]))
            ++end;
        const std::string word = text.substr(i, end - i);
        if (const std::string* to = NewNameOf(word)) {
            out += *to;
        } else if (indexNames && word.size() > 1 && (word[0] == 'u' || word[0] == 'U')) {
            const std::string* renamed = NewNameOf(word.substr(1));
            out += renamed ? word.substr(0, 1) + *renamed : word;
        } else {
            out += word;
        }
        i = end;
    }
    return out;
}

std::string DumpTableRename::RenameStatementLine(const std::string& line) const
{
    if (pairs_.empty())
        return line;
    const std::string lower = ToLower(line.substr(0, 32));
    const bool index = lower.rfind("create unique index ", 0) == 0 || lower.rfind("create index ", 0) == 0;
    const bool headed = index || lower.rfind("create table ", 0) == 0 || lower.rfind("insert into ", 0) == 0;
    if (headed) {
        // Only the part before the column list names tables; the columns keep their names.
        const size_t paren = line.find('(');
        const size_t cut = paren == std::string::npos ? line.size() : paren;
        ListedIndex listed;
        if (index && !indexNames_.empty() && ParseIndexLine(line, listed)) {
            const auto named = indexNames_.find(ToLower(listed.name));
            if (named != indexNames_.end()) {
                const size_t at = line.find_first_not_of(' ', lower.rfind("create unique index ", 0) == 0 ? 20 : 13);
                const size_t end = at + listed.name.size();
                return line.substr(0, at) + named->second + RenameWords(line.substr(end, cut - end), false) +
                       line.substr(cut);
            }
        }
        return RenameWords(line.substr(0, cut), index && indexNames_.empty()) + line.substr(cut);
    }
    if (lower.rfind("grant ", 0) == 0 || lower.rfind("revoke ", 0) == 0 || lower.rfind("create view ", 0) == 0)
        return RenameWords(line, false);
    return line;
}

void DumpTableRename::Copy(const std::string& sourceDump, const std::string& targetDump) const
{
    DumpReader reader(sourceDump);
    DumpWriter writer(targetDump);
    DumpItem item;
    while (reader.Next(item)) {
        switch (item.kind) {
        case DumpItemKind::CreateTable:
        case DumpItemKind::InsertLine:
        case DumpItemKind::IndexLine:
        case DumpItemKind::GrantLine:
            writer.WriteLine(RenameStatementLine(item.line));
            break;
        case DumpItemKind::OtherLine:
            if (!leftOutViews_.empty() && leftOutViews_.count(ViewNameOf(item.line)))
                break;
            writer.WriteLine(RenameStatementLine(item.line));
            break;
        default:
            writer.WriteLine(item.line);
            break;
        }
    }
    writer.Close();
}
