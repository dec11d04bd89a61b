// Views ordered by what they read.
#include "standins/dbserver/ViewOrder.h"

#include "dbaccess/RisSqlText.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "standins/dbserver/SqliteDb.h"

#include <sqlite3.h>

#include <functional>
#include <optional>
#include <queue>
#include <set>
#include <string>

namespace {

// Every table and view a prepared statement reads, as SQLite names them to its authorizer: each
// relation read (also one whose columns are not read, as count(*) reads it) and each view whose
// query is compiled in.
int noteRead(void* into, int action, const char* relation, const char*, const char*, const char* insideView)
{
    auto& read = *static_cast<std::set<std::string>*>(into);
    if (action == SQLITE_READ && relation)
        read.insert(ToLower(relation));
    if (insideView)
        read.insert(ToLower(insideView));
    return SQLITE_OK;
}

// The relations the view reads at any depth; nothing when the view cannot be compiled.
std::optional<std::set<std::string>> readsOf(SqliteDb& db, const std::string& view)
{
    std::set<std::string> read;
    sqlite3_set_authorizer(db.Handle(), noteRead, &read);
    std::optional<std::set<std::string>> result;
    try {
        SqliteStatement compiled(db, "SELECT * FROM " + RisSqlText::QuoteName(view));
        result = std::move(read);
    } catch (const AppError&) {
        // Its reads stay unknown: the view comes last.
    }
    sqlite3_set_authorizer(db.Handle(), nullptr, nullptr);
    if (result)
        result->erase(ToLower(view));
    return result;
}

} // namespace

std::vector<RisView> ViewsInMakeOrder(SqliteDb& db, const std::vector<RisView>& madeOrder)
{
    const size_t n = madeOrder.size();
    std::vector<std::vector<size_t>> readers(n); // per view, the views that read it
    std::vector<size_t> waitingFor(n, 0);        // per view, the views it reads not yet placed
    std::vector<bool> unknown(n, false);
    for (size_t i = 0; i < n; ++i) {
        const auto read = readsOf(db, madeOrder[i].name);
        if (!read) {
            unknown[i] = true;
            continue;
        }
        for (size_t j = 0; j < n; ++j)
            if (j != i && read->count(ToLower(madeOrder[j].name))) {
                readers[j].push_back(i);
                ++waitingFor[i];
            }
    }
    // Of the views ready to be made, always the one made first.
    std::priority_queue<size_t, std::vector<size_t>, std::greater<>> ready;
    for (size_t i = 0; i < n; ++i)
        if (!unknown[i] && waitingFor[i] == 0)
            ready.push(i);
    std::vector<RisView> ordered;
    std::vector<bool> placed(n, false);
    while (!ready.empty()) {
        const size_t i = ready.top();
        ready.pop();
        ordered.push_back(madeOrder[i]);
        placed[i] = true;
        for (size_t reader : readers[i])
            if (--waitingFor[reader] == 0 && !unknown[reader])
                ready.push(reader);
    }
    // What is left reads a view whose reads are unknown, or (a catalogue SQLite would not keep)
    // one that reads it back.
    for (size_t i = 0; i < n; ++i)
        if (!placed[i])
            ordered.push_back(madeOrder[i]);
    return ordered;
}

std::string ViewThatCannotBeMade(SqliteDb& db, const std::string& view)
{
    try {
        SqliteStatement compiled(db, "SELECT * FROM " + RisSqlText::QuoteName(view));
        return {};
    } catch (const AppError& e) {
        const std::string& m = e.description();
        const std::string until = ": a dump of the schema cannot make the view until ";
        const size_t at = m.find("no such table: ");
        if (at == std::string::npos)
            return "view '" + ToLower(view) + "' cannot be made as it stands (" + m + ")" + until +
                   "it is made anew or dropped";
        // The engine puts its name of the schema's file before a table a view names.
        std::string table = Trim(m.substr(at + 15));
        if (StartsWithNoCase(table, "main."))
            table.erase(0, 5);
        return "view '" + ToLower(view) + "' reads table '" + ToLower(table) + "', which no longer stands" + until +
               "the table stands again or the view is dropped";
    }
}
