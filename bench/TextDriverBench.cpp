// Times the text-file driver on a text table of 100,000 rows (the shape a dump conversion
// writes) and the recordset's filter and sort on the result.
#include "platform/WinPath.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

constexpr int kRows = 100000;
const char* const kDriver = "Driver={Microsoft Text Driver (*.txt; *.csv)};DBQ=C:\\bench\\;";

void PrepareTable()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    static const std::string root = std::filesystem::temp_directory_path().string() + "/tw_bench_ado";
    static const struct Cleanup {
        ~Cleanup() { std::filesystem::remove_all(root); }
    } cleanup;
    setenv("TARNWICK_ROOT", root.c_str(), 1);
    std::filesystem::create_directories(root + "/drives/c/bench");
    std::ofstream txt(HostPath("C:\\bench\\rows.txt"), std::ios::binary);
    const char d = '\x01';
    for (int i = 0; i < kRows; ++i)
        txt << i << d << "MODEL_" << i % 977 << d << i % 12 << d << (i * 0.25) << d << "\\\\srv\\share\\p" << i % 40
            << d << "file_" << i << ".dgn" << d << "2024-01-" << (i % 28 + 1) << d << "\r\n";
    std::ofstream ini(HostPath("C:\\bench\\Schema.ini"), std::ios::binary);
    ini << "[rows.txt]\r\nColNameHeader=False\r\nFormat=Delimited(" << d << ")\r\nCharacterSet=ANSI\r\n"
        << "Col1=model_index_no long\r\nCol2=model_no char width 21\r\nCol3=partition_no short\r\n"
        << "Col4=weight double\r\nCol5=path_name char width 81\r\nCol6=model_file_spec char width 15\r\n"
        << "Col7=created char width 240\r\n";
}

Recordset Query(const std::string& sql)
{
    Connection conn;
    conn.Open(kDriver);
    Recordset rs = conn.Execute(sql);
    conn.Close();
    return rs;
}

void BM_TextDriverSelectAll(benchmark::State& state)
{
    PrepareTable();
    for (auto _ : state) {
        Recordset rs = Query("SELECT * FROM C:\\bench\\rows.txt AS [pdtable_113];");
        benchmark::DoNotOptimize(rs.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_TextDriverSelectAll)->Unit(benchmark::kMillisecond);

void BM_TextDriverSelectWhere(benchmark::State& state)
{
    PrepareTable();
    for (auto _ : state) {
        Recordset rs = Query("SELECT model_no FROM C:\\bench\\rows.txt AS [pdtable_113] WHERE UCASE(model_no) = 'MODEL_5';");
        benchmark::DoNotOptimize(rs.RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_TextDriverSelectWhere)->Unit(benchmark::kMillisecond);

void BM_RecordsetFilterAndSort(benchmark::State& state)
{
    PrepareTable();
    Recordset rs = Query("SELECT * FROM C:\\bench\\rows.txt AS [pdtable_113];");
    for (auto _ : state) {
        rs.SetFilter("model_no LIKE 'MODEL_1*' AND partition_no = #3#");
        rs.SetSort("[weight] Desc");
        benchmark::DoNotOptimize(rs.RecordCount());
        rs.SetFilter("");
        rs.SetSort("");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_RecordsetFilterAndSort)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
