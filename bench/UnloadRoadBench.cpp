// The unload of a schema of nine tables over the stand-in environment, two ways in one run: the
// plain unload of the access object (risunlod into a dump, the dump's form checked), and the
// road every dump of the program takes (DumpCommands: risunlod into a new file beside the dump,
// then the checks that decide whether it may replace the old dump, and the rename). The
// difference is the price of those checks. The environment is built in a temporary folder and
// removed at the end of the run.
#include "BenchEnvironment.h"
#include "TimesReporter.h"
#include "admin/AdminGlobals.h"
#include "admin/DumpCommands.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/DumpWholeCheck.h"
#include "dbaccess/DumpWriter.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaLoader.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr int kTables = 9;
constexpr long kRowsPerTable = 10000;
constexpr long kRows = kTables * kRowsPerTable;
const char* const kSchema = "pd_unbench";

std::string hostRoot;

std::string tableName(int i) { return "pdtable_" + std::to_string(101 + i); }

void writeSchemaDump(const std::string& path)
{
    DumpWriter w(path);
    w.WriteDefaultSchemaLine(kSchema);
    for (int t = 0; t < kTables; ++t) {
        w.BeginTable(tableName(t), {{"model_index_no", "int"},
                                    {"area_index_no", "smallint"},
                                    {"model_no", "char(20)"},
                                    {"model_description", "char(240)"},
                                    {"path_name", "char(50)"}});
        for (long i = 0; i < kRowsPerTable; ++i)
            w.WriteRow({std::to_string(i + 1), std::to_string(i % 17), "P" + std::to_string(100000 + i),
                        i % 4 == 0 ? DumpValue() : DumpValue("Model " + std::to_string(i) + " of table " +
                                                             std::to_string(t)),
                        "D:\\pds\\bench\\model"});
        w.EndTable();
    }
    w.Finish();
}

void buildEnvironment()
{
    StandInEnvironmentOptions options;
    options.sampleProject = false;
    hostRoot = BuildBenchEnvironment("tw_unloadroadbench", options);
    // The program starts its clients by their bare names, as from a command line.
    const std::string bin = fs::read_symlink("/proc/self/exe").parent_path().string();
    const char* path = std::getenv("PATH");
    ::setenv("PATH", (bin + ":" + (path ? path : "")).c_str(), 1);

    DbServer server(hostRoot);
    server.SetUserPassword(kSchema, kSchema);
    for (const char* p : {"CONNECT", "RESOURCE"})
        server.GrantPrivilege(kSchema, p);
    RisSession session(server);
    std::string out;
    session.Execute(std::string("create schema ") + kSchema + " on database (oracle, dbname " +
                        server.DatabaseName() + ", ostype nt) user " + kSchema + "." + kSchema + "@" +
                        server.DatabaseName(),
                    out);
    const std::string source = WinPathFromHost(hostRoot + "/source.dmp");
    writeSchemaDump(source);
    std::string console;
    const RisTransferRequest request = RisTransferRequest::Parse(
        RisTransferRequest::SplitWords(std::string(kSchema) + " clear table with data all"));
    const LoadCounts counts = SchemaLoader(session, nullptr, nullptr).Load(request, source, console);
    DeleteFileA(source);
    if (counts.rowsLoaded != kRows)
        throw std::runtime_error("the bench schema did not load: " + console);

    gTempDir = WinPathFromHost(hostRoot + "/temp");
    fs::create_directories(hostRoot + "/dumps");
    gDumpDir = WinPathFromHost(hostRoot + "/dumps");
    gCRIS->SetUseRIS("");
}

// The access object's unload of every table with its views, indexes and grants, the first line
// rewritten: what a dump of the schema holds, without the checks of the dump road.
void BM_PlainUnload(benchmark::State& state)
{
    const std::string dump = gCRIS->GetTempDir() + "plain.dmp";
    for (auto _ : state)
        gCRIS->RISUnload(dump, kSchema, std::nullopt, std::nullopt, "", 0, true, UnloadExtras::ViewsIndexesGrants);
    state.counters["dump_MB"] = static_cast<double>(GetFileSize(dump)) / 1e6;
    DeleteFileA(dump);
    state.SetItemsProcessed(state.iterations() * kRows);
}

// The road of the main window, the scripts and "/risunloadall": each run replaces the dump the
// run before it wrote.
void BM_UnloadRoad(benchmark::State& state)
{
    DumpCommands dump;
    for (auto _ : state) {
        if (!dump.UnloadSchema(kSchema)) {
            state.SkipWithError(dump.report().LastError().c_str());
            break;
        }
    }
    state.counters["dump_MB"] = static_cast<double>(GetFileSize(gDumpDir + "\\" + kSchema + ".dmp")) / 1e6;
    state.SetItemsProcessed(state.iterations() * kRows);
}

BENCHMARK(BM_PlainUnload)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_UnloadRoad)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return RunTimedBenchmarks(
        argc, argv, buildEnvironment,
        [](TimesReporter& reporter) {
            const double plain = reporter.ms["BM_PlainUnload"];
            const double road = reporter.ms["BM_UnloadRoad"];
            if (plain > 0 && road > 0)
                std::cout << "Unload of " << kTables << " tables, " << kRows << " rows: plain " << plain
                          << " ms, the dump road with its checks " << road << " ms (+" << road - plain << " ms, "
                          << 100 * (road - plain) / plain << "%)\n";
        },
        [] {
            std::error_code ec;
            fs::remove_all(hostRoot, ec);
        });
}
