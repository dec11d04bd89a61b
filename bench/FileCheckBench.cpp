// Speed of the alternative file search of the file check on a project of tens of thousands of
// files: the listing through "dir /S /B" and batchcmd, and the scan of that listing for the
// alternatives of one missing file name. The tree is generated into TEMP and removed at the end.
#include "filecheck/AlternativeFiles.h"
#include "filecheck/MissingEntries.h"
#include "platform/ado/AdoTypes.h"
#include "platform/ado/Recordset.h"
#include "services/CheckTree.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 400;
constexpr int kFilesPerFolder = 100; // 40,000 design files

struct BenchTree {
    std::string hostDir;
    std::string winDir;
    std::string listing;
};

BenchTree& tree()
{
    static BenchTree t;
    return t;
}

// Folders of models and drawings; every 50th folder holds a copy of "p1002.dgn".
void generateTree()
{
    BenchTree& t = tree();
    t.hostDir = HostPath(GetEnvVar("TEMP")) + "/filecheck_bench_" + std::to_string(::getpid());
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = t.hostDir + "/area" + std::to_string(f % 20) + "/unit" + std::to_string(f);
        fs::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i)
            std::ofstream(folder + "/m" + std::to_string(f) + "_" + std::to_string(i) + ".dgn") << "x";
        if (f % 50 == 0)
            std::ofstream(folder + "/p1002.dgn") << "copy";
    }
    t.winDir = WinPathFromHost(t.hostDir);
}

void BM_FindInitListing(benchmark::State& state)
{
    for (auto _ : state) {
        tree().listing = FindInit({tree().winDir});
        benchmark::DoNotOptimize(tree().listing.size());
    }
    state.counters["files"] = kFolders * kFilesPerFolder;
    state.counters["listing_MB"] = tree().listing.size() / 1e6;
}

void BM_FindMissingFiles(benchmark::State& state)
{
    if (tree().listing.empty())
        tree().listing = FindInit({tree().winDir});
    size_t found = 0;
    for (auto _ : state) {
        found = FindMissingFiles(tree().listing, "P1002.DGN").size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["alternatives"] = static_cast<double>(found);
}

void BM_FindMissingFilesNoMatch(benchmark::State& state)
{
    if (tree().listing.empty())
        tree().listing = FindInit({tree().winDir});
    for (auto _ : state)
        benchmark::DoNotOptimize(FindMissingFiles(tree().listing, "nosuch.dgn").size());
}

// Entering missing models into the result tree: each finding looks its group nodes up by key.
void BM_AddMissingModel(benchmark::State& state)
{
    const int models = static_cast<int>(state.range(0));
    Recordset rs;
    rs.Fields().Append("discipline_indx_no", adSmallInt, 2);
    rs.Fields().Append("area_index_no", adSmallInt, 2);
    rs.Fields().Append("model_no", adVarChar, 21);
    rs.Fields().Append("model_description", adVarChar, 41);
    rs.Open();
    for (int m = 0; m < models; ++m)
        rs.AddNew({"discipline_indx_no", "area_index_no", "model_no", "model_description"},
                  {Variant(1 + m % 2), Variant(m % 20), Variant("M" + std::to_string(m)), Variant("")});
    for (auto _ : state) {
        CheckTree tree;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            AddMissingModel(tree, nullptr, nullptr, nullptr, rs, "FILE_NOT_FOUNDm.dgn", "File not found", true);
        benchmark::DoNotOptimize(tree.Count());
    }
}

} // namespace

BENCHMARK(BM_AddMissingModel)->Arg(1000)->Arg(4000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindInitListing)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_FindMissingFiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindMissingFilesNoMatch)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    InitEnvironmentDefaults();
    benchmark::Initialize(&argc, argv);
    generateTree();
    std::cerr << "Generated " << kFolders * kFilesPerFolder << " files below " << tree().hostDir << "\n";
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(tree().hostDir, ec);
    return 0;
}
