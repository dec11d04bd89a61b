// Speed of the project file check on a large project, as the window runs it: the file check
// window offscreen with its tree mirror and the Qt event pump, the sample project with 1,000,
// 2,000 and 4,000 extra models whose files are missing, and a search directory of 50,000 files
// that holds a copy of every fourth missing file. Beside it, in the same run, `find` over the
// same tree, the listing of the tree ("dir /S /B" through batchcmd) and the candidate search for
// 2,000 missing files. The environment is built in a temporary folder and removed at the end.
#include "BenchEnvironment.h"
#include "filecheck/AlternativeFiles.h"
#include "filecheck/frmUpgradeCheck.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "ui/qt/QtServices.h"

#include <QApplication>
#include <QPushButton>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kFolders = 500;
constexpr int kFilesPerFolder = 100; // 50,000 files
constexpr int kMostMissing = 4000;
// The sample project's models keep their numbers below this one.
constexpr int kFirstBenchModel = 1000;

struct Bench {
    std::string hostRoot;
    std::string treeHost;
    std::string treeWin;
    std::unique_ptr<ScriptedMessageService> boxes;
    int missingModels = 0;
};

Bench& bench()
{
    static Bench b;
    return b;
}

std::string missingFileName(int k)
{
    return "bm" + std::to_string(k) + ".dgn";
}

// 500 folders of 100 files below 25 area folders; the copies of the missing files of every
// fourth bench model are among them, so that the tree holds 50,000 files whatever the count.
void generateTree()
{
    Bench& b = bench();
    b.treeHost = b.hostRoot + "/drives/c/backup";
    int copy = 0;
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = b.treeHost + "/area" + std::to_string(f % 25) + "/unit" + std::to_string(f);
        fs::create_directories(folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            const bool isCopy = copy < kMostMissing && (f * kFilesPerFolder + i) % 50 == 0;
            const std::string name =
                isCopy ? missingFileName(copy) : "f" + std::to_string(f) + "_" + std::to_string(i) + ".dgn";
            if (isCopy)
                copy += 4;
            std::ofstream(folder + "/" + name) << "design file " << name;
        }
    }
    b.treeWin = WinPathFromHost(b.treeHost);
}

void execute(RisSession& session, const std::string& statement)
{
    std::string out;
    session.Execute(statement, out);
}

// The bench models of the project: count models of discipline 1 in the sample's three areas,
// whose files do not exist in the sample's model folder.
void setMissingModels(int count)
{
    Bench& b = bench();
    if (b.missingModels == count)
        return;
    DbServer server(b.hostRoot);
    RisSession session(server);
    execute(session, "default schema pd_demo");
    execute(session, "delete from pdtable_113 where model_index_no >= " + std::to_string(kFirstBenchModel));
    for (int k = 0; k < count; ++k)
        execute(session, "insert into pdtable_113 values (" + std::to_string(kFirstBenchModel + k) + ", 1, " +
                             std::to_string(1 + k % 3) + ", 'BM" + std::to_string(k) + "', '', 'PDSSRV1', " +
                             "'D:\\pds\\demo\\model', '" + missingFileName(k) + "', 0, 1)");
    b.missingModels = count;
}

void buildEnvironment()
{
    Bench& b = bench();
    StandInEnvironmentOptions options;
    options.dataDir = TARNWICK_SOURCE_DIR "/tests/data/standins";
    b.hostRoot = BuildBenchEnvironment("tw_filecheckbench", options);
    generateTree();

    const std::string temp = WinPathFromHost(b.hostRoot + "/temp");
    gTempDir = AddBackslash(temp);
    gIniFile = gTempDir + "tarnwick.ini";
    gLogFile = gTempDir + "tarnwick.log";
    WriteIniValue(gIniFile, std::string("SearchDirs"), std::string("Dir0"), b.treeWin);
}

// The window after its deferred settings load, with the tree as its one search directory.
frmUpgradeCheck* window()
{
    frmUpgradeCheck* form = frmUpgradeCheck::Instance();
    if (form)
        return form;
    form = frmUpgradeCheck::ShowMe(StandInEnvironment::kProject);
    for (int i = 0; i < 2000 && !form->cmdCheck->isEnabled(); ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return form;
}

void BM_FindOverTree(benchmark::State& state)
{
    const std::string command = "find '" + bench().treeHost + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("find failed");
}

void BM_Listing(benchmark::State& state)
{
    size_t size = 0;
    for (auto _ : state)
        size = FindInit({bench().treeWin}).size();
    state.counters["listing_MB"] = static_cast<double>(size) / 1e6;
}

// The search for the candidates of 2,000 missing files in the listing of the tree, the index of
// the listing included.
void BM_CandidateSearch(benchmark::State& state)
{
    const std::string text = FindInit({bench().treeWin});
    size_t found = 0;
    for (auto _ : state) {
        const FileListing listing(text);
        found = 0;
        for (int k = 0; k < 2000; ++k)
            found += FindMissingFiles(listing, missingFileName(k)).size();
    }
    state.counters["candidates"] = static_cast<double>(found);
}

// cmdCheck of the window with its tree mirror; events are pumped by the check as it goes.
void BM_WindowCheck(benchmark::State& state)
{
    setMissingModels(static_cast<int>(state.range(0)));
    frmUpgradeCheck* form = window();
    for (auto _ : state) {
        bench().boxes->Answer(MsgAnswer::No); // Show report now?
        form->cmdCheck->click();
    }
    const CheckTree& tree = form->context().tree;
    size_t fileNodes = 0;
    for (const CheckTreeNode* node : tree.Nodes())
        if (node->key.find("ModelBM") != std::string::npos && node->key.find("File") != std::string::npos)
            ++fileNodes;
    if (fileNodes != static_cast<size_t>(state.range(0)))
        state.SkipWithError("the check did not list every missing bench model");
    state.counters["tree_nodes"] = static_cast<double>(tree.Count());
}

BENCHMARK(BM_FindOverTree)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Listing)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CandidateSearch)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WindowCheck)->Arg(1000)->Arg(2000)->Arg(4000)->Unit(benchmark::kMillisecond)->Iterations(2);

// Keeps the time of every benchmark so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (!r.error_occurred)
                ms[r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args)] =
                    r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> ms;
};

void printRatios(const RatioReporter& reporter)
{
    auto at = [&](const std::string& name) {
        auto it = reporter.ms.find(name);
        return it == reporter.ms.end() ? 0.0 : it->second;
    };
    const double find = at("BM_FindOverTree");
    const double listing = at("BM_Listing");
    const double search = at("BM_CandidateSearch");
    std::cout << "\nfind over the tree " << find << " ms; listing " << listing << " ms; candidate search for 2000 "
              << search << " ms (" << (search < listing ? "below" : "NOT below") << " the listing)\n";
    double previous = 0;
    for (const char* n : {"1000", "2000", "4000"}) {
        const double check = at(std::string("BM_WindowCheck/") + n);
        std::cout << "check with " << n << " missing models: " << check << " ms, " << check / find << " x find";
        if (previous > 0)
            std::cout << ", " << check / previous << " x the half (limit 2.1)";
        std::cout << "\n";
        previous = check;
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    int rc = 0;
    try {
        buildEnvironment();
        QApplication app(argc, argv);
        InstallQtServices();
        bench().boxes = std::make_unique<ScriptedMessageService>();
        std::cerr << "Generated " << kFolders * kFilesPerFolder << " files below " << bench().treeHost << "\n";
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        printRatios(reporter);
        if (frmUpgradeCheck* form = frmUpgradeCheck::Instance()) {
            form->close(); // deletes itself
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        bench().boxes.reset();
    } catch (const AppError& e) {
        std::cerr << e.source() << ": " << e.description() << "\n";
        rc = 1;
    }
    std::error_code ec;
    fs::remove_all(bench().hostRoot, ec);
    benchmark::Shutdown();
    return rc;
}
