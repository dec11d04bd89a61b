// The reads that show what stands after a change: users, schemas, tables, rows, grants.
#include "admin/StandingState.h"

#include "admin/ListSources.h"
#include "admin/ServerManagerQuery.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/CRISWork.h"
#include "dbaccess/RISErrorReader.h"
#include "dbaccess/RISListing.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"
#include "services/Messages.h"

#include <algorithm>
#include <optional>

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

// A client's message without its blanks and periods at the end: the sentence adds its own.
std::string withoutEndingPeriods(const std::string& text)
{
    return WithoutEndingPeriods(Trim(text));
}

// The schema's tables from its listing, which comes whole or answers the schema's unknown-schema
// error: nothing when the server does not know the schema. The schema list, which has no end
// line, cannot show that a schema is absent.
std::optional<std::vector<std::string>> tablesOfSchema(const std::string& schema)
{
    try {
        return gCRIS->DBGetTables(schema, true);
    } catch (const AppError& e) {
        if (e.description().find("RIS_E_UNKNOWN_SCHEMA") != std::string::npos)
            return std::nullopt;
        throw;
    }
}

// What the schema defines, from one listing that comes whole or answers the schema's
// unknown-schema error: nothing when the server does not know the schema.
std::optional<SchemaDumpSummary> definitionsOfSchema(const std::string& schema)
{
    try {
        return SchemaDumpSummary::FromListing(gCRIS->RISGetDefinitions(schema));
    } catch (const AppError& e) {
        if (e.description().find("RIS_E_UNKNOWN_SCHEMA") != std::string::npos)
            return std::nullopt;
        throw;
    }
}

// A fault of the summary's comparison, said of the dump rather than of a backup.
std::string ofTheDump(const std::string& fault)
{
    return ReplaceAll(fault, "the backup", "the dump");
}

// What a look found of one table: the table and the words.
using TableFaults = std::vector<std::pair<std::string, std::string>>;

// Tables the look could not tell, and why in words.
struct NotTold {
    std::vector<std::string> tables;
    std::string words;
};

// The tables whose counts cannot tell are unloaded with their rows only (one run) and compared
// with the dump value by value, as they stand: what differs goes to off; when they cannot be
// compared, they go to notTold. Their definitions are compared from the listing.
void compareValues(const SchemaDumpSummary* wanted, const std::string& wantedProblem, const std::string& schema,
                   const std::vector<std::string>& tables, bool beforeRead, TableFaults& off, NotTold& notTold)
{
    try {
        if (!wanted)
            RaiseError("StandingState", "the dump's values could not be read: " + wantedProblem);
        WorkFiles work;
        const std::string unloaded = work.add(gCRIS->GetTempDir() + GetTempName());
        gCRIS->RISUnload(unloaded, schema, tables, std::nullopt, "", CRIS::kVariableLayout, true,
                         UnloadExtras::None);
        const SchemaDumpSummary now = SchemaDumpSummary::Read(unloaded);
        for (const std::string& table : tables)
            for (const std::string& fault : wanted->RowDifferences(now, table))
                off.emplace_back(table, table + " " + ofTheDump(fault));
    } catch (const AppError& e) {
        // A client's error comes in its frame of asterisks: its message is what the sentence needs.
        std::string why = RISErrorMessage(e.description());
        if (why.empty())
            why = e.description();
        notTold.tables = tables;
        notTold.words = Join(tables, ", ") + (tables.size() == 1 ? " holds" : " hold") + " as many rows as the dump" +
                        (beforeRead ? " and as before the load" : " (what stood before the load could not be read)") +
                        ", and could not be compared with it value by value (" + withoutEndingPeriods(why) + ")";
    }
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

StandingState::LoadBaseline StandingState::ReadBeforeLoad(const std::string& schema, const std::string& dumpFile,
                                                          DumpWholeness dump)
{
    LoadBaseline before;
    before.dump = std::move(dump);
    try {
        // The listing and the counts are each used only whole, and they need no room in TEMP
        // for a copy of the schema's rows: the dump's tables only are counted.
        std::vector<std::string> loaded; // the dump's tables the schema lists
        if (const auto listed = tablesOfSchema(schema))
            for (const DumpTableCount& d : before.dump.tables)
                if (ContainsNoCase(*listed, d.table))
                    loaded.push_back(d.table);
        for (const auto& [table, rows] : gCRIS->RISCountRows(schema, loaded))
            before.tables.push_back({table, rows});
        before.read = true;
    } catch (const AppError& e) {
        ShowStatus("What schema " + schema + " holds before the load could not be read: " + e.description());
    }
    if (!before.dump.Whole())
        return before;
    // Only a table that holds as many rows as the dump already needs its values compared after
    // the load: the dump is read for them before the load, as it is loaded. Its definitions came
    // with the whole-dump check.
    const bool countsMayNotTell =
        !before.read || std::any_of(before.dump.tables.begin(), before.dump.tables.end(), [&](const DumpTableCount& d) {
            return std::any_of(before.tables.begin(), before.tables.end(), [&](const DumpTableCount& b) {
                return EqualsNoCase(b.table, d.table) && b.rows == d.rows;
            });
        });
    if (!countsMayNotTell)
        return before;
    try {
        before.values = std::make_shared<const SchemaDumpSummary>(SchemaDumpSummary::Read(dumpFile));
    } catch (const AppError& e) {
        before.valuesProblem = e.description();
    }
    return before;
}

ChangeLook StandingState::LoadLook(const std::string& dumpFile, const std::string& schema, const LoadBaseline& before,
                                   LoadFindings* findings)
{
    return [dumpFile, schema, before, findings](std::string& seen) {
        if (findings)
            *findings = LoadFindings();
        // One listing gives every table with its columns, and every index, view and grant.
        const std::optional<SchemaDumpSummary> defined = definitionsOfSchema(schema);
        if (!defined) {
            seen = "the RIS schema " + schema + " does not exist";
            return ChangeState::NotDone;
        }
        const DumpWholeness& dump = before.dump;
        if (!dump.Whole()) {
            seen = "the dump '" + dumpFile + "' is not whole (" + dump.problem + "), so what schema " + schema +
                   " holds cannot be compared with it";
            return ChangeState::NotKnown;
        }
        // What the dump makes besides rows, from the whole-dump check made before the load.
        const SchemaDumpSummary made = SchemaDumpSummary::FromListing(Join(dump.definitions, "\n"));
        std::vector<std::string> there;
        for (const DumpTableCount& d : dump.tables)
            if (defined->HasTable(d.table))
                there.push_back(d.table);
        if (there.empty() && !dump.tables.empty()) {
            seen = "schema " + schema + " holds none of the dump's " + std::to_string(dump.tables.size()) + " tables";
            return ChangeState::NotDone;
        }
        const RowCounts counts = gCRIS->RISCountRows(schema, there);
        TableFaults off;                  // what stands otherwise than the dump has it
        std::vector<std::string> untold;  // tables whose count cannot tell the load's rows from older ones
        uint64_t rows = 0;
        for (const DumpTableCount& d : dump.tables) {
            rows += d.rows;
            const auto now = counts.find(d.table);
            if (now == counts.end()) {
                off.emplace_back(d.table, d.table + " is missing");
                continue;
            }
            if (now->second != d.rows) {
                off.emplace_back(d.table, d.table + " holds " + rowsText(now->second) + " of the dump's " +
                                              std::to_string(d.rows));
            } else {
                // A clear-mode load makes each table anew: a table absent before, or holding
                // another count, shows the load's rows; one that held as many already does not.
                const auto was = std::find_if(before.tables.begin(), before.tables.end(),
                                              [&](const DumpTableCount& b) { return EqualsNoCase(b.table, d.table); });
                if (!before.read || (was != before.tables.end() && was->rows == d.rows))
                    untold.push_back(d.table);
            }
            // Whatever its count: the table's columns, indexes and grants as the dump makes them.
            for (const std::string& fault : made.MadeDifferences(*defined, d.table))
                off.emplace_back(d.table, d.table + " " + ofTheDump(fault));
        }
        std::vector<std::string> views = made.ViewDifferences(*defined, SchemaDumpSummary::Extras::PassOver);
        NotTold notTold;
        if (!untold.empty())
            compareValues(before.values.get(), before.valuesProblem, schema, untold, before.read, off, notTold);
        if (off.empty() && views.empty() && notTold.tables.empty()) {
            if (findings)
                findings->coversSchema = std::all_of(defined->tables().begin(), defined->tables().end(),
                                                     [&](const std::string& t) { return ContainsNoCase(there, t); });
            seen = "schema " + schema + ": every table of the dump is there with its rows (" +
                   std::to_string(dump.tables.size()) + (dump.tables.size() == 1 ? " table, " : " tables, ") +
                   rowsText(rows) +
                   (untold.empty() ? std::string()
                                   : "; " + std::to_string(untold.size()) +
                                         " of them held as many rows before the load and were compared value by value") +
                   "), its columns, indexes and grants" + (made.HasViews() ? ", and the dump's views" : "");
            return ChangeState::Done;
        }
        std::vector<std::string> faulty, words;
        for (const auto& [table, text] : off) {
            if (!ContainsNoCase(faulty, table))
                faulty.push_back(table);
            words.push_back(text);
        }
        words.insert(words.end(), views.begin(), views.end());
        if (!notTold.tables.empty()) {
            for (const std::string& table : notTold.tables)
                if (!ContainsNoCase(faulty, table))
                    faulty.push_back(table);
            words.push_back(notTold.words);
        }
        const size_t alike = dump.tables.size() - std::min(dump.tables.size(), faulty.size());
        seen = "schema " + schema + ": " + Join(words, "; ") +
               (alike == 0 ? std::string() : "; the other " + std::to_string(alike) +
                                                 (alike == 1 ? " table of the dump is there with its rows"
                                                             : " tables of the dump are there with their rows"));
        if (findings)
            findings->partial = !off.empty() || !views.empty();
        return ChangeState::NotKnown;
    };
}

StandingState::LoadOutcome StandingState::LoadAndLook(const std::string& schema, const std::string& dumpFile,
                                                      DumpWholeness dump,
                                                      const std::function<std::string(bool& refusalNamed)>& run,
                                                      const std::string& what)
{
    const LoadBaseline before = ReadBeforeLoad(schema, dumpFile, std::move(dump));
    LoadFindings findings;
    bool refusalNamed = false;
    LoadOutcome load;
    load.outcome = ChangeAndLook([&] { return run(refusalNamed); }, LoadLook(dumpFile, schema, before, &findings),
                                 LookAfter::EveryCall);
    // A refusal the client named stands unless the look shows the dump's whole effect: the
    // schema then holds all the load was to make, and the sentence names what the client said.
    // Short of that, what the client refused stands: not done, whatever else the look could not tell.
    if (refusalNamed && load.outcome.CallFailed() && load.outcome.state == ChangeState::NotKnown && !findings.partial)
        load.outcome.state = ChangeState::NotDone;
    load.sentence = DescribeLoad(load.outcome, what, findings);
    load.wholeSchema = load.outcome.Done() && findings.coversSchema;
    return load;
}

std::string StandingState::DescribeLoad(const ChangeOutcome& load, const std::string& what,
                                        const LoadFindings& findings)
{
    const std::string failure = withoutEndingPeriods(load.failure);
    const std::string seen = withoutEndingPeriods(load.seen);
    switch (load.state) {
    case ChangeState::Done:
        if (!load.CallFailed())
            return load.Describe(what);
        return Capitalised(what) + " was done although " + failure + (seen.empty() ? "" : "; " + seen) + ".";
    case ChangeState::NotDone:
        return Capitalised(what) + " was not done" + (failure.empty() ? "" : ": " + failure) +
               (seen.empty() ? "" : ". What stands: " + seen) + ".";
    case ChangeState::NotKnown:
        break;
    }
    if (load.unread)
        return load.Describe(what);
    if (!findings.partial)
        return "Whether " + what + " was done is not known: " + (seen.empty() ? "nothing could be read" : seen) +
               (failure.empty() ? "" : "; " + failure) + ".";
    return Capitalised(what) + " is not whole: " + (seen.empty() ? "nothing could be read" : seen) +
           (failure.empty() ? "" : " (" + failure + ")") + ".";
}
