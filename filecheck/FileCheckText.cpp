// Text and field helpers of the file checks.
#include "filecheck/FileCheckText.h"

#include "platform/Clock.h"
#include "platform/FolderCache.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOpError.h"
#include "services/FileOperation.h"
#include "services/Messages.h"
#include "services/NetworkPaths.h"

std::string FieldText(Recordset& rs, const std::string& field)
{
    return FieldTextAt(rs, rs.Fields().IndexOf(field));
}

std::string FieldTextAt(Recordset& rs, int index)
{
    const Variant v = rs.Fields()[index].Value();
    return v.IsNull() ? std::string() : v.ToText();
}

bool FieldBlank(Recordset& rs, const std::string& field)
{
    return IsBlank(Trim(FieldText(rs, field)));
}

bool FieldIsNull(Recordset& rs, const std::string& field)
{
    const Variant v = rs.Fields()[field].Value();
    return v.IsNull() || v.IsEmpty();
}

bool MatchesKeyPattern(const std::string& pattern, const std::string& text)
{
    return GlobMatch(pattern, text, GlobRules{"*", "", false});
}

std::string ReplaceNoCase(const std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty())
        return text;
    std::string out;
    size_t pos = 0;
    for (size_t hit; (hit = FindNoCase(text, from, pos)) != std::string::npos; pos = hit + from.size())
        out += text.substr(pos, hit - pos) + to;
    return out + text.substr(pos);
}

std::string CriteriaText(const std::string& value)
{
    return "'" + ReplaceAll(value, "'", "''") + "'";
}

AppError PassOnAsDescription(const AppError& e, const std::string& ownName)
{
    std::string description = e.description();
    if (!e.source().empty() && e.source() != kAppTitle)
        description = e.source() + ": " + description;
    return AppError(e.number(), ownName, description);
}

std::string RowNetworkFolder(const std::string& server, const std::string& path, std::string& failure)
{
    std::string folder;
    {
        const FolderCacheReads runReads;
        folder = LocalPath2UNC(server, path, false);
    }
    failure.clear();
    if (folder.empty()) {
        failure = gFileOpErrDescription;
        if (gFileOpErrNumber != 0)
            ShowStatus(failure);
    }
    return folder;
}

bool CheckedFileExists(const std::string& path)
{
    const FolderCacheReads runReads;
    return IsFileExists(path, 0);
}

void DoEventsBetweenRows()
{
    constexpr uint64_t kIntervalMs = 20;
    static uint64_t last = 0;
    const uint64_t now = GetClock().TickMs();
    if (last != 0 && now - last < kIntervalMs && now >= last)
        return;
    last = now == 0 ? 1 : now;
    DoEvents();
}
