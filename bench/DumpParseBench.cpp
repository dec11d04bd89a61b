// Speed of the dump-to-text-table conversion beside a plain chunked read and write of the
// same dump.
// The dump (over 200 MB) is generated into TEMP once and deleted at the end of the run.
#include "dbaccess/DumpParse.h"
#include "dbaccess/DumpScanner.h"
#include "dbaccess/DumpTextConverter.h"
#include "dbaccess/DumpWriter.h"
#include "platform/BinaryFile.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kDumpBytes = 210ull * 1000 * 1000;

struct BenchFiles {
    std::string hostDir;
    std::string dump;    // Windows form
    std::string workDir; // Windows form, with a final backslash
    uint64_t size = 0;
};

BenchFiles& files()
{
    static BenchFiles f;
    return f;
}

// A table block like the project tables: numbers, quoted texts with quotes and blanks, NULLs.
void generateDump()
{
    BenchFiles& f = files();
    InitEnvironmentDefaults();
    const std::string temp = GetEnvVar("TEMP").empty() ? fs::temp_directory_path().string() : GetEnvVar("TEMP");
    f.hostDir = HostPath(temp) + "/tw_dumpbench_" + std::to_string(::getpid());
    fs::create_directories(f.hostDir + "/work");
    f.dump = WinPathFromHost(f.hostDir + "/bench.dmp");
    f.workDir = WinPathFromHost(f.hostDir + "/work") + "\\";
    const std::vector<DumpColumn> columns = {{"model_index_no", "int"},  {"model_file_spec", "char(40)"},
                                             {"path_name", "char(80)"},   {"network_address", "char(26)"},
                                             {"discipline", "smallint"},  {"weight", "double"},
                                             {"description", "char(240)"}, {"revised", "date"}};
    DumpWriter w(f.dump);
    w.WriteCreateSchemaLine("pd_bench", " on database (ORACLE, dbname bench) user pd_bench");
    w.BeginTable("pdtable_other", {{"a", "int"}});
    w.WriteRow({std::string("1")});
    w.EndTable();
    w.BeginTable("pdtable_113", columns);
    uint64_t written = 0;
    for (long i = 0; written < kDumpBytes; ++i) {
        DumpRow row = {std::to_string(i),
                       "pipe" + std::to_string(i % 9973) + ".dgn",
                       std::string("\\pds\\proj\\models\\area ") + std::to_string(i % 17),
                       i % 5 == 0 ? DumpValue() : DumpValue("srv_" + std::to_string(i % 31)),
                       std::to_string(i % 40 - 20),
                       i % 7 == 0 ? DumpValue() : DumpValue(std::to_string(i * 0.25)),
                       i % 3 == 0 ? DumpValue("it's the \"main\" line, area " + std::to_string(i % 101))
                                  : DumpValue(""),
                       DumpValue("2026-12-06")};
        std::string line;
        DumpFormat::AppendVariableRow(line, row, {false, true, true, true, false, false, true, true});
        written += line.size() + 2;
        w.WriteRow(row);
    }
    w.EndTable();
    w.Finish();
    f.size = fs::file_size(f.hostDir + "/bench.dmp");
}

void BM_PlainChunkedRead(benchmark::State& state)
{
    const BenchFiles& f = files();
    std::string chunk;
    for (auto _ : state) {
        DumpScanner scanner(f.dump);
        uint64_t total = 0;
        while (scanner.NextChunk(chunk))
            total += chunk.size();
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
}

// The floor of any conversion that writes its result: the same chunks read and written.
void BM_PlainChunkedCopy(benchmark::State& state)
{
    const BenchFiles& f = files();
    std::string chunk;
    const std::string out = f.workDir + "copy.txt";
    for (auto _ : state) {
        DumpScanner scanner(f.dump);
        BinaryFile o;
        o.Open(out, BinaryFile::Mode::Write);
        while (scanner.NextChunk(chunk))
            o.Write(chunk);
        o.CloseChecked();
        state.PauseTiming();
        DeleteFileA(out);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
}

// The conversion of the rows alone, without the data file.
void BM_ConvertRowsInMemory(benchmark::State& state)
{
    const BenchFiles& f = files();
    std::string chunk;
    std::unique_ptr<char[]> out(new char[2 * DumpFormat::kChunkSize]);
    for (auto _ : state) {
        DumpScanner scanner(f.dump);
        size_t total = 0;
        while (scanner.NextChunk(chunk))
            total += DumpTextConverter::ConvertVariableRows(chunk, out.get());
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
}

void BM_RISDumpParse(benchmark::State& state)
{
    const BenchFiles& f = files();
    for (auto _ : state) {
        std::string text, ini;
        RISDumpParse(f.workDir, f.dump, "pd_bench", "pdtable_113", text, ini);
        state.PauseTiming();
        DeleteFileA(text);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.size));
}

BENCHMARK(BM_PlainChunkedRead)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PlainChunkedCopy)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ConvertRowsInMemory)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_RISDumpParse)->Unit(benchmark::kMillisecond)->Iterations(5);

// Keeps the throughput of every run so the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            bytesPerSecond[r.run_name.function_name] = r.counters.at("bytes_per_second").value;
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> bytesPerSecond;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    generateDump();
    std::cout << "dump: " << files().size / 1e6 << " MB in " << files().hostDir << "\n";
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double read = reporter.bytesPerSecond["BM_PlainChunkedRead"] / 1e6;
    const double parse = reporter.bytesPerSecond["BM_RISDumpParse"] / 1e6;
    const double copy = reporter.bytesPerSecond["BM_PlainChunkedCopy"] / 1e6;
    // The conversion reads and writes every byte, so its yardstick is the plain read and
    // write of the same chunks; the plain read alone is shown for scale.
    if (read > 0 && parse > 0 && copy > 0)
        std::cout << "conversion " << parse << " MB/s, plain read and write " << copy << " MB/s: ratio "
                  << parse / copy << " (plain read alone " << read << " MB/s)\n";
    std::error_code ec;
    fs::remove_all(files().hostDir, ec);
    benchmark::Shutdown();
    return 0;
}
