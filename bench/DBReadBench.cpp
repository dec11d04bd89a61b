// DBRead of a 100,000-row table over the stand-in environment, end to end and by stage: the
// unload through risunlod (in the variable layout, as DBRead unloads), the dump conversion into a
// text table, and the text driver's query. The environment is built in a temporary folder and
// removed at the end of the run.
#include "BenchEnvironment.h"
#include "TimesReporter.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpParse.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/DumpWriter.h"
#include "platform/WinPath.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "services/FileOperation.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaLoader.h"
#include "standins/dbserver/StandInEnvironment.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr long kRows = 100000;
const char* const kSchema = "pd_bench";
const char* const kTable = "pdtable_113";
const char* const kSelect = "SELECT * FROM pdtable_113";

struct Bench {
    std::string hostRoot;
    std::unique_ptr<CRIS> cris;
    std::string dump;       // an unload of the table, for the conversion stage
    std::string textFile;   // its conversion, for the driver stage
    std::string iniFile;
};

Bench& bench()
{
    static Bench b;
    return b;
}

// The table: the columns of the model table with a long description, numbers and Nulls.
void writeTableDump(const std::string& path)
{
    DumpWriter w(path);
    w.WriteDefaultSchemaLine(kSchema);
    w.BeginTable(kTable, {{"model_index_no", "int"},
                          {"discipline_indx_no", "smallint"},
                          {"area_index_no", "smallint"},
                          {"model_no", "char(20)"},
                          {"model_description", "char(240)"},
                          {"network_address", "char(26)"},
                          {"path_name", "char(50)"},
                          {"model_file_spec", "char(14)"},
                          {"model_type", "smallint"},
                          {"partition_no", "smallint"}});
    for (long i = 0; i < kRows; ++i)
        w.WriteRow({std::to_string(i + 1), std::to_string(i % 3 + 1), std::to_string(i % 17),
                    "P" + std::to_string(100000 + i),
                    i % 4 == 0 ? DumpValue() : DumpValue("Model " + std::to_string(i) + " - Bob's \"main\" lines"),
                    "PDSSRV1", "D:\\pds\\bench\\model", "p" + std::to_string(i) + ".dgn", "0",
                    std::to_string(i % 500)});
    w.EndTable();
    w.Finish();
}

void buildEnvironment()
{
    Bench& b = bench();
    StandInEnvironmentOptions options;
    options.sampleProject = false;
    b.hostRoot = BuildBenchEnvironment("tw_dbreadbench", options);

    DbServer server(b.hostRoot);
    server.SetUserPassword(kSchema, kSchema);
    for (const char* p : {"CONNECT", "RESOURCE"})
        server.GrantPrivilege(kSchema, p);
    RisSession session(server);
    std::string out;
    session.Execute(std::string("create schema ") + kSchema + " on database (oracle, dbname " +
                        server.DatabaseName() + ", ostype nt) user " + kSchema + "." + kSchema + "@" +
                        server.DatabaseName(),
                    out);
    const std::string source = WinPathFromHost(b.hostRoot + "/source.dmp");
    writeTableDump(source);
    std::string console;
    const RisTransferRequest request = RisTransferRequest::Parse(
        RisTransferRequest::SplitWords(std::string(kSchema) + " clear table with data all"));
    const LoadCounts counts = SchemaLoader(session, nullptr, nullptr).Load(request, source, console);
    DeleteFileA(source);
    if (counts.rowsLoaded != kRows)
        throw std::runtime_error("the bench table did not load: " + console);

    b.cris = std::make_unique<CRIS>();
    b.cris->SetUseRIS("");
    b.dump = b.cris->GetTempDir() + "bench.dmp";
    b.cris->RISUnload(b.dump, kSchema, std::vector<std::string>{kTable}, std::nullopt, "",
                      CRIS::kVariableLayout, false, UnloadExtras::None);
    RISDumpParse(b.cris->GetTempDir(), b.dump, kSchema, kTable, b.textFile, b.iniFile);
}

void BM_DBReadEndToEnd(benchmark::State& state)
{
    for (auto _ : state) {
        Recordset rs = bench().cris->DBRead(kSchema, kSelect, 3);
        if (rs.RecordCount() != kRows)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_Unload(benchmark::State& state)
{
    Bench& b = bench();
    const std::string dump = b.cris->GetTempDir() + "unload.dmp";
    for (auto _ : state)
        b.cris->RISUnload(dump, kSchema, std::vector<std::string>{kTable}, std::nullopt, "",
                          CRIS::kVariableLayout, false, UnloadExtras::None);
    state.counters["dump_MB"] = static_cast<double>(GetFileSize(dump)) / 1e6;
    DeleteFileA(dump);
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The unload as every road that replaces a dump takes it now: the unload, then the server's
// count of the table (one risbatch run) compared with the dump's.
void BM_UnloadWithRowCounts(benchmark::State& state)
{
    Bench& b = bench();
    const std::string dump = b.cris->GetTempDir() + "unload.dmp";
    for (auto _ : state) {
        b.cris->RISUnload(dump, kSchema, std::vector<std::string>{kTable}, std::nullopt, "",
                          CRIS::kVariableLayout, false, UnloadExtras::None);
        const std::string differences = RowCountDifferences(
            CheckDumpWhole(dump).tables, b.cris->RISCountRows(kSchema, std::vector<std::string>{kTable}));
        if (!differences.empty())
            state.SkipWithError(differences.c_str());
    }
    DeleteFileA(dump);
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_Conversion(benchmark::State& state)
{
    Bench& b = bench();
    for (auto _ : state) {
        std::string text, ini;
        RISDumpParse(b.cris->GetTempDir(), b.dump, kSchema, kTable, text, ini);
        state.PauseTiming();
        DeleteFileA(text);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_TextDriverQuery(benchmark::State& state)
{
    Bench& b = bench();
    // The conversion above rewrote Schema.ini for its own files; put the driver's back.
    std::string text, ini;
    DeleteFileA(b.textFile);
    RISDumpParse(b.cris->GetTempDir(), b.dump, kSchema, kTable, b.textFile, b.iniFile);
    const std::string sql = "SELECT * FROM " + b.textFile + " AS [" + kTable + "]";
    for (auto _ : state) {
        Connection conn;
        conn.Open("Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=" + GetPathDir(b.textFile) + ";");
        Recordset rs;
        rs.SetCursorLocation(adUseClient);
        rs.Open(sql, conn, adOpenStatic, adLockOptimistic, adCmdText);
        if (rs.RecordCount() != kRows)
            state.SkipWithError("wrong row count");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_DBReadEndToEnd)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Unload)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UnloadWithRowCounts)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_Conversion)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_TextDriverQuery)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return RunTimedBenchmarks(
        argc, argv, buildEnvironment,
        [](TimesReporter& reporter) {
            const double total = reporter.ms["BM_DBReadEndToEnd"];
            const double unload = reporter.ms["BM_Unload"];
            const double conversion = reporter.ms["BM_Conversion"];
            const double driver = reporter.ms["BM_TextDriverQuery"];
            if (total > 0) {
                const double rest = total - unload - conversion - driver;
                std::cout << "DBRead of " << kRows << " rows: " << total << " ms; unload " << unload << " ms ("
                          << 100 * unload / total << "%), conversion " << conversion << " ms ("
                          << 100 * conversion / total << "%), text driver " << driver << " ms ("
                          << 100 * driver / total << "%), rest " << rest << " ms (" << 100 * rest / total << "%)\n";
            }
        },
        [] {
            bench().cris.reset();
            std::error_code ec;
            fs::remove_all(bench().hostRoot, ec);
        });
}
