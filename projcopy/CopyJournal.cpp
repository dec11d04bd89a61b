// The journal of one model's copy and its undo.
#include "projcopy/CopyJournal.h"

#include "platform/TextUtil.h"
#include "projcopy/CopyLog.h"
#include "projcopy/RisParamsAccess.h"
#include "services/BatchLauncher.h"
#include "services/FileOperation.h"

bool CopyJournal::InsertRow(const std::string& m, const std::string& table, const std::string& statement,
                            const std::string& where, const std::string& what)
{
    const std::string schema = "pd_" + sides_.newProject();
    const std::string project = "project '" + sides_.newProject() + "'";
    const std::string error = ris_.RunStatement(sides_.newParams(), schema, statement);
    if (error.empty()) {
        RowInserted(table, where, what);
        return true;
    }
    // A client that dies after its work has carried the INSERT out: the row tells.
    std::string failure;
    switch (RowStands(table, where, failure)) {
    case 1:
        log_.WriteLog(m + ": " + what + " stands in " + project + " although risbatch failed: " + error);
        RowInserted(table, where, what);
        return true;
    case 0:
        log_.WriteLog(m + ": " + what + " not added to " + project + ": " + error);
        return false;
    default:
        log_.WriteLog(m + ": " + what + " perhaps added to " + project + ": " + error +
                      "; it could not be read again: " + failure);
        RowInserted(table, where, what);
        return false;
    }
}

void CopyJournal::RowInserted(const std::string& table, const std::string& where, const std::string& what)
{
    entries_.push_back({Kind::Row, table, where, what});
}

void CopyJournal::FileCreated(const std::string& path) { entries_.push_back({Kind::File, path, "", ""}); }

void CopyJournal::FolderCreated(const std::string& path) { entries_.push_back({Kind::Folder, path, "", ""}); }

void CopyJournal::TableLoaded(const std::string& schema, const std::string& table)
{
    entries_.push_back({Kind::Table, table, schema, ""});
}

int CopyJournal::TableStands(const std::string& schema, const std::string& table, std::string& failure) const
{
    // Answered without rows by risbatch itself: the table's layout is not needed to ask.
    failure = ris_.RunStatement(sides_.newParams(), schema, "SELECT * FROM " + table + " WHERE 1 = 0");
    if (failure.empty())
        return 1;
    if (failure.find("RIS_E_UNKNOWN_RELATION") != std::string::npos) {
        failure.clear();
        return 0;
    }
    return -1;
}

int CopyJournal::RowStands(const std::string& table, const std::string& where, std::string& failure) const
{
    Recordset rs = ris_.GetData(sides_.newParams(), "pd_" + sides_.newProject(),
                                "SELECT * FROM " + table + " WHERE " + where + ";", failure);
    if (!failure.empty())
        return -1;
    const bool stands = rs.State() == adStateOpen && rs.RecordCount() > 0;
    if (rs.State() == adStateOpen)
        rs.Close();
    return stands ? 1 : 0;
}

std::string CopyJournal::describe(const Entry& e)
{
    switch (e.kind) {
    case Kind::Row:
        return e.what + " (" + e.name + ")";
    case Kind::File:
        return "file '" + e.name + "'";
    case Kind::Folder:
        return "folder '" + e.name + "'";
    case Kind::Table:
        return "design table " + e.name + " of " + e.where;
    }
    return e.name;
}

std::string CopyJournal::takeOut(const Entry& e) const
{
    long pid = 0;
    std::string failure;
    // The client may have failed before or after it took the row or table out: looked at again,
    // the row or table itself tells (stands: 1 yes, 0 no, -1 unknown).
    auto lookedAgain = [&failure](const std::string& error, int stands) -> std::string {
        if (stands == 0)
            return {};
        return stands == 1 ? "it stands" + (error.empty() ? std::string() : " (" + error + ")")
                           : "whether it stands is unknown: " + failure;
    };
    switch (e.kind) {
    case Kind::Row: {
        const std::string error =
            ris_.RunStatement(sides_.newParams(), "pd_" + sides_.newProject(), "DELETE FROM " + e.name + " WHERE " + e.where);
        return lookedAgain(error, RowStands(e.name, e.where, failure));
    }
    case Kind::File:
        if (DeleteFileA(e.name, false) && !IsFileExists(e.name, 0))
            return {};
        failure = gFileOpErrDescription;
        return "it stands" + (failure.empty() ? std::string() : " (" + failure + ")");
    case Kind::Folder:
        // Only when empty: whatever else is in it now is not this copy's.
        ExecA("rmdir " + QuoteString(e.name), "", 0, "", pid, true);
        return IsFileExists(e.name, 1) ? "it stands" : std::string();
    case Kind::Table: {
        const std::string error = ris_.RunStatement(sides_.newParams(), e.where, "DROP TABLE " + e.name);
        return lookedAgain(error, TableStands(e.where, e.name, failure));
    }
    }
    return {};
}

std::vector<std::string> CopyJournal::Undo(const std::string& m)
{
    std::vector<std::string> gone, left;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        const std::string why = takeOut(*it);
        if (why.empty())
            gone.push_back(describe(*it));
        else
            left.push_back(describe(*it) + ": " + why);
    }
    entries_.clear();
    const std::string project = "project '" + sides_.newProject() + "'";
    if (!gone.empty())
        log_.WriteLog(m + ": taken out of " + project + " again: " + Join(gone, ", "));
    if (!left.empty())
        log_.WriteLog(m + ": left in " + project + ": " + Join(left, ", "));
    return left;
}
