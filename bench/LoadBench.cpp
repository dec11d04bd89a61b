// The clear load of a dump of 1,000,000 rows (about 52 MB) into a schema of the stand-in
// server, as rislod runs it, beside what the same rows cost at the least: the dump read by the
// same reader and its rows put into a table without rules by one prepared statement in one
// transaction. The load keeps the server's rules (an empty text is NULL, each column's check,
// a refused row named); what it costs beyond the plain insert is the price of those rules.
// A second dump of 1,000,000 rows of numbers (coordinates, weights, serial numbers of up to 20
// digits) is loaded and unloaded again: the price of keeping every digit of every number.
// After each load comes the look that tells its rows from older ones: the dump read, the table
// unloaded, and every row of both compared value by value as its column's type reads it.
// The environment is built in a temporary folder and removed at the end of the run.
#include "BenchEnvironment.h"
#include "TimesReporter.h"
#include "dbaccess/DumpReader.h"
#include "dbaccess/DumpWriter.h"
#include "dbaccess/SchemaDumpSummary.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaLoader.h"
#include "standins/dbserver/SchemaUnloader.h"
#include "standins/dbserver/SqliteDb.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <memory>

namespace fs = std::filesystem;

namespace {

constexpr long kRows = 1000000;
const char* const kSchema = "pd_loadbench";
const char* const kTable = "pdtable_113";

std::string hostRoot;
std::string dumpFile;        // Windows path
std::string numbersDumpFile; // Windows path
std::unique_ptr<DbServer> server;

const std::vector<DumpColumn> kColumns = {{"model_index_no", "int"},
                                          {"area_index_no", "smallint"},
                                          {"model_no", "char(12)"},
                                          {"model_description", "char(40)"},
                                          {"path_name", "char(20)"}};

// Rows of about 52 bytes; every tenth description an empty text (stored as NULL), every
// seventh path NULL.
void writeDump(const std::string& path)
{
    DumpWriter w(path);
    w.WriteDefaultSchemaLine(kSchema);
    w.BeginTable(kTable, kColumns);
    for (long i = 0; i < kRows; ++i)
        w.WriteRow({std::to_string(i + 1), std::to_string(i % 17), "P" + std::to_string(1000000 + i),
                    i % 10 == 0 ? DumpValue("") : DumpValue("Model " + std::to_string(i) + " here"),
                    i % 7 == 0 ? DumpValue() : DumpValue("D:\\pds\\m")});
    w.EndTable();
    w.Finish();
}

const std::vector<DumpColumn> kNumberColumns = {{"pipe_index_no", "int"},        {"x_coordinate", "double"},
                                                {"y_coordinate", "double"},        {"weight", "decimal(12,3)"},
                                                {"serial_no", "decimal(38,0)"}};

// Every tenth serial number has 20 digits, more than a double holds.
void writeNumbersDump(const std::string& path)
{
    DumpWriter w(path);
    w.WriteDefaultSchemaLine(kSchema);
    w.BeginTable("pdtable_12_1", kNumberColumns);
    for (long i = 0; i < kRows; ++i)
        w.WriteRow({std::to_string(i + 1), std::to_string(i % 100000) + "." + std::to_string(i % 1000),
                    "-" + std::to_string(i % 7919) + ".25", std::to_string(i % 5000) + "." + std::to_string(100 + i % 900),
                    i % 10 == 0 ? "1234567890" + std::to_string(1000000000 + i) : std::to_string(i * 7)});
    w.EndTable();
    w.Finish();
}

void buildEnvironment()
{
    StandInEnvironmentOptions options;
    options.sampleProject = false;
    hostRoot = BuildBenchEnvironment("tw_loadbench", options);
    server = std::make_unique<DbServer>(hostRoot);
    server->SetUserPassword(kSchema, kSchema);
    for (const char* p : {"CONNECT", "RESOURCE"})
        server->GrantPrivilege(kSchema, p);
    RisSession session(*server);
    std::string out;
    session.Execute(std::string("create schema ") + kSchema + " on database (oracle, dbname " +
                        server->DatabaseName() + ", ostype nt) user " + kSchema + "." + kSchema + "@" +
                        server->DatabaseName(),
                    out);
    dumpFile = WinPathFromHost(hostRoot + "/load.dmp");
    writeDump(dumpFile);
    numbersDumpFile = WinPathFromHost(hostRoot + "/numbers.dmp");
    writeNumbersDump(numbersDumpFile);
}

// The clear load of the whole dump, as "rislod ... clear table with data all" runs it.
void BM_ClearLoad(benchmark::State& state)
{
    const RisTransferRequest request = RisTransferRequest::Parse(
        RisTransferRequest::SplitWords(std::string(kSchema) + " clear table with data all"));
    long long loaded = 0;
    for (auto _ : state) {
        RisSession session(*server);
        std::string console;
        loaded = SchemaLoader(session, nullptr, nullptr).Load(request, dumpFile, console).rowsLoaded;
    }
    if (loaded != kRows)
        state.SkipWithError("the load did not load every row");
    state.counters["dump_MB"] = static_cast<double>(fs::file_size(HostPath(dumpFile))) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The same rows read by the same reader and inserted by one prepared statement in one
// transaction into a table of the same columns without checks or triggers.
void BM_PlainInsert(benchmark::State& state)
{
    RisSession session(*server);
    SqliteDb& db = session.Database(kSchema);
    std::string create = "CREATE TABLE plain_rows (";
    std::string insert = "INSERT INTO plain_rows VALUES (";
    for (size_t i = 0; i < kColumns.size(); ++i) {
        create += (i ? ", " : "") + kColumns[i].name + " " + kColumns[i].type;
        insert += i ? ", ?" : "?";
    }
    create += ")";
    insert += ")";
    long long rows = 0;
    for (auto _ : state) {
        db.Exec("DROP TABLE IF EXISTS plain_rows");
        db.Exec(create);
        db.Exec("BEGIN IMMEDIATE");
        SqliteStatement st(db, insert);
        DumpReader reader(dumpFile);
        DumpItem item;
        rows = 0;
        while (reader.Next(item)) {
            if (item.kind != DumpItemKind::Row)
                continue;
            st.Reset();
            for (size_t i = 0; i < item.values.size(); ++i) {
                if (item.values[i])
                    st.BindText(static_cast<int>(i) + 1, *item.values[i]);
                else
                    st.BindNull(static_cast<int>(i) + 1);
            }
            while (st.Step()) {
            }
            ++rows;
        }
        db.Exec("COMMIT");
    }
    db.Exec("DROP TABLE IF EXISTS plain_rows");
    if (rows != kRows)
        state.SkipWithError("the plain insert did not insert every row");
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The clear load of the dump of numbers.
void BM_ClearLoadNumbers(benchmark::State& state)
{
    const RisTransferRequest request = RisTransferRequest::Parse(
        RisTransferRequest::SplitWords(std::string(kSchema) + " clear table with data pdtable_12_1"));
    long long loaded = 0;
    for (auto _ : state) {
        RisSession session(*server);
        std::string console;
        loaded = SchemaLoader(session, nullptr, nullptr).Load(request, numbersDumpFile, console).rowsLoaded;
    }
    if (loaded != kRows)
        state.SkipWithError("the load did not load every row of numbers");
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The look after a load whose counts cannot tell its rows from older ones: the dump read (as the
// program reads it before the load), the loaded table unloaded with its rows only, and the rows
// of both compared value by value.
void runLoadLook(benchmark::State& state, const std::string& dump, const std::string& table)
{
    const RisTransferRequest request = RisTransferRequest::Parse(
        RisTransferRequest::SplitWords(std::string(kSchema) + " table with var data " + table));
    const std::string out = WinPathFromHost(hostRoot + "/look.dmp");
    size_t faults = 0;
    for (auto _ : state) {
        const SchemaDumpSummary wanted = SchemaDumpSummary::Read(dump);
        RisSession session(*server);
        std::string console;
        SchemaUnloader(session).Unload(request, out, console);
        faults = wanted.RowDifferences(SchemaDumpSummary::Read(out), table).size();
    }
    if (faults != 0)
        state.SkipWithError("the look found the loaded rows otherwise than the dump's");
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_LoadLook(benchmark::State& state) { runLoadLook(state, dumpFile, kTable); }
void BM_LoadLookNumbers(benchmark::State& state) { runLoadLook(state, numbersDumpFile, "pdtable_12_1"); }

// The unload of the table of numbers the load before made, as "risunlod" writes it.
void BM_UnloadNumbers(benchmark::State& state)
{
    const RisTransferRequest request = RisTransferRequest::Parse(
        RisTransferRequest::SplitWords(std::string(kSchema) + " table with var data pdtable_12_1"));
    const std::string out = WinPathFromHost(hostRoot + "/numbers_out.dmp");
    for (auto _ : state) {
        RisSession session(*server);
        std::string console;
        SchemaUnloader(session).Unload(request, out, console);
    }
    state.counters["dump_MB"] = static_cast<double>(fs::file_size(HostPath(out))) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ClearLoad)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadLook)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ClearLoadNumbers)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LoadLookNumbers)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_UnloadNumbers)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return RunTimedBenchmarks(
        argc, argv, buildEnvironment,
        [](TimesReporter& reporter) {
            const double plain = reporter.ms["BM_PlainInsert"];
            const double load = reporter.ms["BM_ClearLoad"];
            if (plain > 0 && load > 0)
                std::cout << "Clear load of " << kRows << " rows: " << load << " ms; plain insert of the same rows "
                          << plain << " ms; the load costs " << load / plain << " times the plain insert\n";
        },
        [] {
            server.reset();
            std::error_code ec;
            fs::remove_all(hostRoot, ec);
        });
}
