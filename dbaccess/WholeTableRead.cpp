// Reads of a whole table whose row count the server confirms.
#include "dbaccess/WholeTableRead.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/RowCountAnswer.h"
#include "dbaccess/SqlParse.h"
#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

WholeTableReads* innermostRun = nullptr;

// Raises unless every table holds in the dump the rows the server counts, naming the first
// table, in the order given, that does not. The count is one risbatch run for all of them.
void requireServerCounts(CRIS& cris, const std::string& schema, const std::string& dump,
                         const std::vector<std::string>& tables)
{
    const std::vector<DumpTableCount> dumped = CheckDumpWhole(dump).tables;
    const RowCounts counts = cris.RISCountRows(schema, tables);
    for (const std::string& table : tables) {
        const auto count = counts.find(table);
        if (count == counts.end())
            continue;
        const std::string shortOf = RowCountDifferences(dumped, RowCounts{*count});
        if (!shortOf.empty())
            RaiseError("", "The read of " + table + " of schema " + schema + " is not whole: " + shortOf);
    }
}

// The tables a statement of the run may read, compared without regard to case.
bool holds(const std::vector<std::string>& tables, const std::string& table)
{
    return std::any_of(tables.begin(), tables.end(), [&](const std::string& t) { return EqualsNoCase(t, table); });
}

} // namespace

Recordset DBReadWhole(CRIS& cris, const std::string& schema, const std::string& sql, int32_t lockType)
{
    if (cris.GetDBConType() != CRIS::kConRIS)
        return cris.DBRead(schema, sql, lockType);
    try {
        if (IsBlank(schema))
            RaiseError("", "Schema name not defined");
        if (WholeTableReads* run = WholeTableReads::Covering(cris, schema, ParseSelect(sql).table))
            return run->Read(sql, lockType);
        // A run of this one statement: its table unloaded whole and counted, its dump gone after.
        WholeTableReads one(cris, schema, {sql});
        return one.Read(sql, lockType);
    } catch (const AppError& e) {
        throw PassOn(e, "CRIS::DBRead");
    }
}

Recordset DBReadInRun(CRIS& cris, const std::string& schema, const std::string& sql, int32_t lockType)
{
    if (cris.GetDBConType() == CRIS::kConRIS && !IsBlank(schema))
        if (WholeTableReads* run = WholeTableReads::Covering(cris, schema, ParseSelect(sql).table)) {
            try {
                return run->Read(sql, lockType);
            } catch (const AppError& e) {
                throw PassOn(e, "CRIS::DBRead");
            }
        }
    return cris.DBRead(schema, sql, lockType);
}

WholeTableReads::WholeTableReads(CRIS& cris, std::string schema, const std::vector<std::string>& statements)
    : cris_(cris), schema_(std::move(schema)), outer_(innermostRun)
{
    for (const std::string& sql : statements)
        if (const std::string table = Trim(ParseSelect(sql).table); !table.empty() && !holds(tables_, table))
            tables_.push_back(table);
    innermostRun = this;
}

WholeTableReads::~WholeTableReads()
{
    innermostRun = outer_;
    if (!dump_.empty())
        DeleteFileA(dump_);
}

WholeTableReads* WholeTableReads::Covering(const CRIS& cris, const std::string& schema, const std::string& table)
{
    for (WholeTableReads* run = innermostRun; run; run = run->outer_)
        if (&run->cris_ == &cris && EqualsNoCase(run->schema_, Trim(schema)) && holds(run->tables_, Trim(table)))
            return run;
    return nullptr;
}

Recordset WholeTableReads::Read(const std::string& sql, int32_t /*lockType: as RISDumpRead opens it*/)
{
    if (dump_.empty())
        unloadAndCount();
    return cris_.RISDumpRead(dump_, schema_, sql);
}

void WholeTableReads::unloadAndCount()
{
    const std::string dump = cris_.GetTempDir() + GetTempName();
    try {
        // Whole tables, whatever the statements' conditions: only then can the server's counts
        // tell whether the unload left a row out.
        cris_.RISUnload(dump, schema_, tables_, std::nullopt, "", CRIS::kVariableLayout, false, UnloadExtras::None);
        requireServerCounts(cris_, schema_, dump, tables_);
    } catch (const AppError&) {
        DeleteFileA(dump);
        throw;
    }
    dump_ = dump;
}
