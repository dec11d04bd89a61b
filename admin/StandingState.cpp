// The reads that show what stands after a failed change: users, schemas, tables, rows, grants.
#include "admin/StandingState.h"

#include "admin/ListSources.h"
#include "admin/ServerManagerQuery.h"
#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <algorithm>

namespace {

constexpr const char* kOwn = "StandingState";

// The row count of a "no rows selected" or "<n> row(s) selected." line; -1 for another line.
long rowCountOf(const std::string& line)
{
    const std::string l = ToLower(Trim(line));
    if (l == "no rows selected")
        return 0;
    const size_t blank = l.find(' ');
    if (blank == std::string::npos || blank == 0)
        return -1;
    const std::string rest = l.substr(blank);
    if (rest != " row selected." && rest != " rows selected.")
        return -1;
    const std::string digits = l.substr(0, blank);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stol(digits);
}

std::string rowsText(uint64_t rows)
{
    return std::to_string(rows) + (rows == 1 ? " row" : " rows");
}

} // namespace

std::vector<std::string> StandingState::WholeUserListing(const std::vector<std::string>& linesAfterRule)
{
    std::vector<std::string> names;
    for (const std::string& raw : linesAfterRule) {
        const std::string line = Trim(raw);
        if (line.empty())
            continue;
        const long count = rowCountOf(line);
        if (count >= 0) {
            if (static_cast<size_t>(count) != names.size())
                RaiseError(kOwn, "The database user listing counts " + std::to_string(count) + " rows but lists " +
                                     std::to_string(names.size()));
            return names;
        }
        names.push_back(line);
    }
    RaiseError(kOwn, "The database user listing ends without its row count: it is not whole");
}

std::vector<std::string> StandingState::DbUsers()
{
    return WholeUserListing(ServerManagerQuery::Run("select username from dba_users group by username;",
                                                    kDefaultServerManagerPath, "Could not get database users"));
}

StandingState::SchemaContent StandingState::ReadSchema(const std::string& schema)
{
    // The listing and the counts are each used only whole, and they need no room in TEMP for a
    // copy of the schema's rows.
    const std::vector<std::string> tables = gCRIS->DBGetTables(schema, true);
    const RowCounts counts = gCRIS->RISCountRows(schema, tables);
    SchemaContent content;
    for (const std::string& table : tables)
        content.tables.push_back({table, counts.at(table)});
    return content;
}

ChangeState StandingState::CompareLoad(const std::vector<DumpTableCount>& dumped,
                                       const std::vector<DumpTableCount>& standing, std::string& seen)
{
    std::vector<std::string> off;
    uint64_t rows = 0;
    for (const DumpTableCount& d : dumped) {
        rows += d.rows;
        const auto there = std::find_if(standing.begin(), standing.end(),
                                        [&](const DumpTableCount& s) { return EqualsNoCase(s.table, d.table); });
        if (there == standing.end())
            off.push_back(d.table + " is missing");
        else if (there->rows != d.rows)
            off.push_back(d.table + " holds " + rowsText(there->rows) + " of the dump's " + std::to_string(d.rows));
    }
    if (off.empty()) {
        seen = "every table of the dump is there with its rows (" + std::to_string(dumped.size()) +
               (dumped.size() == 1 ? " table, " : " tables, ") + rowsText(rows) + ")";
        return ChangeState::Done;
    }
    seen = Join(off, "; ") + "; the other " + std::to_string(dumped.size() - off.size()) +
           " tables of the dump are there with their rows";
    return ChangeState::NotKnown;
}

ChangeLook StandingState::UserLook(const std::string& user, bool created)
{
    return [user, created](std::string& seen) {
        const bool exists = ContainsNoCase(DbUsers(), user);
        seen = "the database user " + user + (exists ? " exists" : " does not exist");
        return exists == created ? ChangeState::Done : ChangeState::NotDone;
    };
}

ChangeLook StandingState::SchemaLook(const std::string& schema, bool created)
{
    return [schema, created](std::string& seen) {
        const bool exists = gCRIS->IsRISSchemaExists(schema, true);
        seen = "the RIS schema " + schema + (exists ? " exists" : " does not exist");
        return exists == created ? ChangeState::Done : ChangeState::NotDone;
    };
}

ChangeLook StandingState::GrantLook(const SchemaTables& granted)
{
    return [granted](std::string& seen) {
        std::vector<std::string> without;
        size_t tables = 0;
        for (const auto& [schema, names] : granted) {
            const std::vector<ListedGrant> grants = gCRIS->RISGetGrants(schema);
            for (const std::string& table : names) {
                if (table.empty())
                    continue;
                ++tables;
                const bool toPublic = std::any_of(grants.begin(), grants.end(), [&](const ListedGrant& g) {
                    return EqualsNoCase(g.table, table) && EqualsNoCase(g.grantee, "public");
                });
                if (!toPublic)
                    without.push_back(schema + "." + table);
            }
        }
        if (without.empty()) {
            seen = "each of the " + std::to_string(tables) + " tables carries its grant to public";
            return ChangeState::Done;
        }
        if (without.size() == tables) {
            seen = "none of the " + std::to_string(tables) + " tables carries a grant to public";
            return ChangeState::NotDone;
        }
        seen = Join(without, ", ") + (without.size() == 1 ? " carries" : " carry") + " no grant to public; the other " +
               std::to_string(tables - without.size()) + " tables do";
        return ChangeState::NotKnown;
    };
}

ChangeLook StandingState::CleanLook(const std::string& schema)
{
    return [schema](std::string& seen) {
        if (!gCRIS->IsRISSchemaExists(schema, true)) {
            seen = "the RIS schema " + schema + " is no longer defined";
            return ChangeState::Done;
        }
        if (!ContainsNoCase(DbUsers(), schema)) {
            seen = "the RIS schema " + schema + " is still defined although its database user is gone";
            return ChangeState::NotDone;
        }
        seen = "the RIS schema " + schema + " and its database user stand; whether stale entries of dropped tables "
               "are left cannot be read";
        return ChangeState::NotKnown;
    };
}

ChangeLook StandingState::LoadLook(const std::string& dumpFile, const std::string& schema)
{
    return [dumpFile, schema](std::string& seen) {
        if (!gCRIS->IsRISSchemaExists(schema, true)) {
            seen = "the RIS schema " + schema + " does not exist";
            return ChangeState::NotDone;
        }
        const DumpWholeness dump = CheckDumpWhole(dumpFile);
        const SchemaContent standing = ReadSchema(schema);
        if (!dump.Whole()) {
            seen = "the dump '" + dumpFile + "' is not whole (" + dump.problem + "); schema " + schema + " holds " +
                   std::to_string(standing.tables.size()) + " tables";
            return ChangeState::NotKnown;
        }
        const ChangeState state = CompareLoad(dump.tables, standing.tables, seen);
        seen = "schema " + schema + ": " + seen;
        return state;
    };
}
