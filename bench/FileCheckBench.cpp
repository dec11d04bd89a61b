// Speed of the project file check on a large project, as the window runs it: the file check
// window offscreen with its tree mirror and the Qt event pump, on the sample project with up to
// 50,000 extra models whose files lie in 500 folders of 100 below the project's file server,
// and a search directory that holds a backup of every one of them. Measured: projects of
// 12,500, 25,000 and 50,000 models with every file present, and the 50,000 with 1,000, 2,000
// and 4,000 files deleted (each found with its backup); beside them, in the same run, `find`
// over the project's tree, the database reads of one check, the listing of the backup ("dir /S
// /B" through batchcmd) and the candidate search for 2,000 missing files. Each is run three times;
// the minimum and the median are printed at the end with the ratios. The environment is built
// in a temporary folder and removed at the end.
#include "BenchEnvironment.h"
#include "dbaccess/CRIS.h"
#include "dbaccess/ProjectData.h"
#include "dbaccess/WholeTableRead.h"
#include "filecheck/AlternativeFiles.h"
#include "filecheck/CheckQueries.h"
#include "filecheck/frmUpgradeCheck.h"
#include "platform/AppError.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"
#include "services/IniFile.h"
#include "services/MessageService.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SqliteDb.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "ui/qt/QtServices.h"

#include <QApplication>
#include <QPushButton>
#include <benchmark/benchmark.h>

#include <algorithm>
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
constexpr int kFilesPerFolder = 100; // 50,000 model files
constexpr int kMostModels = kFolders * kFilesPerFolder;
// The sample project's models keep their numbers below this one.
constexpr int kFirstBenchModel = 1000;
struct Bench {
    std::string hostRoot;
    std::string projectHost; // the bench models' folders on the file server
    std::string backupHost;
    std::string backupWin;
    std::unique_ptr<ScriptedMessageService> boxes;
    int models = 0;
    int missing = 0;
};

Bench& bench()
{
    static Bench b;
    return b;
}

std::string modelFileName(int k)
{
    return "bm" + std::to_string(k) + ".dgn";
}

std::string folderName(int k)
{
    return "u" + std::to_string(k / kFilesPerFolder);
}

void writeModelFile(const std::string& folderHost, int k)
{
    std::ofstream(folderHost + "/" + modelFileName(k)) << "design file " << k;
}

// Every bench model's file in the project's tree and its backup in the search directory.
void generateTrees()
{
    Bench& b = bench();
    b.projectHost = HostPath("\\\\PDSSRV1\\pds\\demo") + "/bench";
    b.backupHost = b.hostRoot + "/drives/c/backup";
    for (int f = 0; f < kFolders; ++f) {
        const std::string folder = "u" + std::to_string(f);
        fs::create_directories(b.projectHost + "/" + folder);
        fs::create_directories(b.backupHost + "/" + folder);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            writeModelFile(b.projectHost + "/" + folder, f * kFilesPerFolder + i);
            writeModelFile(b.backupHost + "/" + folder, f * kFilesPerFolder + i);
        }
    }
    b.backupWin = WinPathFromHost(b.backupHost);
}

void execute(RisSession& session, const std::string& statement)
{
    std::string out;
    session.Execute(statement, out);
}

// The project holds models bench models of discipline 1 in the sample's three areas, and the
// files of the first missing of them are deleted (their backups stay).
void setProject(int models, int missing)
{
    Bench& b = bench();
    if (b.models != models) {
        DbServer server(b.hostRoot);
        RisSession session(server);
        execute(session, "default schema pd_demo");
        SqliteDb& db = session.Database("pd_demo");
        db.Exec("BEGIN");
        execute(session, "delete from pdtable_113 where model_index_no >= " + std::to_string(kFirstBenchModel));
        for (int k = 0; k < models; ++k)
            execute(session, "insert into pdtable_113 values (" + std::to_string(kFirstBenchModel + k) + ", 1, " +
                                 std::to_string(1 + k % 3) + ", 'BM" + std::to_string(k) + "', '', 'PDSSRV1', " +
                                 "'D:\\pds\\demo\\bench\\" + folderName(k) + "', '" + modelFileName(k) + "', 0, 1)");
        db.Exec("COMMIT");
        b.models = models;
    }
    for (int k = missing; k < b.missing; ++k)
        writeModelFile(b.projectHost + "/" + folderName(k), k);
    for (int k = b.missing; k < missing; ++k)
        fs::remove(b.projectHost + "/" + folderName(k) + "/" + modelFileName(k));
    b.missing = missing;
}

void buildEnvironment()
{
    Bench& b = bench();
    StandInEnvironmentOptions options;
    options.dataDir = TARNWICK_SOURCE_DIR "/tests/data/standins";
    b.hostRoot = BuildBenchEnvironment("tw_filecheckbench", options);
    generateTrees();

    const std::string temp = WinPathFromHost(b.hostRoot + "/temp");
    gTempDir = AddBackslash(temp);
    gIniFile = gTempDir + "tarnwick.ini";
    gLogFile = gTempDir + "tarnwick.log";
    WriteIniValue(gIniFile, std::string("SearchDirs"), std::string("Dir0"), b.backupWin);
}

// The window after its deferred settings load, with the backup as its one search directory.
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
    const std::string command = "find '" + bench().projectHost + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("find failed");
}

// The database reads of one check run on the project of 50,000 models, as the check makes them:
// its statements inside one run's table reads (each table unloaded once, the server's counts
// asked once), and the project directory of the area marker check.
void BM_DatabaseReads(benchmark::State& state)
{
    setProject(kMostModels, 0);
    long rows = 0;
    const std::vector<std::string> statements = checkqueries::CheckRunStatements();
    for (auto _ : state) {
        rows = 0;
        const WholeTableReads run(*gCRIS, "pd_demo", statements);
        for (const std::string& query : statements)
            rows += DBReadWhole(*gCRIS, "pd_demo", query, 3).RecordCount();
        GetProjectDirectory(StandInEnvironment::kProject);
    }
    if (rows < kMostModels)
        state.SkipWithError("the model table is not whole");
}

void BM_Listing(benchmark::State& state)
{
    size_t size = 0;
    for (auto _ : state)
        size = FindInit({bench().backupWin}).size();
    state.counters["listing_MB"] = static_cast<double>(size) / 1e6;
}

// The search for the candidates of 2,000 missing files in the listing of the backup, the index
// of the listing included.
void BM_CandidateSearch(benchmark::State& state)
{
    const std::string text = FindInit({bench().backupWin});
    size_t found = 0;
    for (auto _ : state) {
        const FileListing listing(text);
        found = 0;
        for (int k = 0; k < 2000; ++k)
            found += FindMissingFiles(listing, modelFileName(k)).size();
    }
    state.counters["candidates"] = static_cast<double>(found);
}

// cmdCheck of the window with its tree mirror; events are pumped by the check as it goes.
// Arguments: the bench models of the project, and how many of their files are deleted.
void BM_WindowCheck(benchmark::State& state)
{
    const int missing = static_cast<int>(state.range(1));
    setProject(static_cast<int>(state.range(0)), missing);
    frmUpgradeCheck* form = window();
    for (auto _ : state) {
        bench().boxes->Answer(MsgAnswer::No); // Show report now?
        form->cmdCheck->click();
    }
    const CheckTree& tree = form->context().tree;
    int candidates = 0;
    for (const CheckTreeNode* node : tree.Nodes())
        if (node->key.find("ModelBM") != std::string::npos && node->key.find("File") != std::string::npos)
            ++candidates;
    if (candidates != missing)
        state.SkipWithError("the check did not find the backup of every missing model");
    state.counters["tree_nodes"] = static_cast<double>(tree.Count());
}

BENCHMARK(BM_FindOverTree)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_DatabaseReads)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Listing)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_CandidateSearch)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
BENCHMARK(BM_WindowCheck)
    ->ArgNames({"models", "missing"})
    ->Args({kMostModels / 4, 0})
    ->Args({kMostModels / 2, 0})
    ->Args({kMostModels, 0})
    ->Args({kMostModels, 1000})
    ->Args({kMostModels, 2000})
    ->Args({kMostModels, 4000})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3);

// Keeps the time of every repetition so that the minimum, the median and the ratios can be
// printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs)
            if (!r.error_occurred && r.run_type == Run::RT_Iteration)
                ms[r.run_name.function_name + (r.run_name.args.empty() ? "" : "/" + r.run_name.args)].push_back(
                    r.GetAdjustedRealTime());
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::vector<double>> ms;
};

struct Figures {
    double min = 0;
    double median = 0;
};

Figures figures(const RatioReporter& reporter, const std::string& name)
{
    auto it = reporter.ms.find(name);
    if (it == reporter.ms.end() || it->second.empty())
        return {};
    std::vector<double> t = it->second;
    std::sort(t.begin(), t.end());
    return {t.front(), t[t.size() / 2]};
}

void printFigures(const RatioReporter& reporter)
{
    auto line = [&](const std::string& label, const std::string& name) {
        const Figures f = figures(reporter, name);
        std::cout << label << ": min " << f.min << " ms, median " << f.median << " ms\n";
        return f;
    };
    std::cout << "\n";
    const Figures find = line("find over the project tree", "BM_FindOverTree");
    const Figures read = line("database reads of one check (50,000 models)", "BM_DatabaseReads");
    line("listing of the backup", "BM_Listing");
    line("candidate search for 2000 files", "BM_CandidateSearch");
    Figures previous;
    for (int models : {kMostModels / 4, kMostModels / 2, kMostModels}) {
        const Figures f = line("check of " + std::to_string(models) + " present models",
                               "BM_WindowCheck/models:" + std::to_string(models) + "/missing:0");
        if (find.min > 0)
            std::cout << "  " << f.min / find.min << " x find (min)";
        if (previous.min > 0)
            std::cout << ", doubling: " << f.min / previous.min << " x (min), " << f.median / previous.median
                      << " x (median), limit 2.1";
        std::cout << "\n";
        previous = f;
    }
    const Figures whole = figures(reporter, "BM_WindowCheck/models:50000/missing:0");
    std::cout << "goal for 50,000 present: at most 20 x find + the reads = " << 20 * find.min + read.min
              << " ms (min figures); measured " << whole.min << " ms\n";
    for (int missing : {1000, 2000, 4000})
        line("check of 50000 models with " + std::to_string(missing) + " missing",
             "BM_WindowCheck/models:50000/missing:" + std::to_string(missing));
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
        std::cerr << "Generated " << 2 * kMostModels << " files below " << bench().hostRoot << "\n";
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        printFigures(reporter);
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
