// Lays out a stand-in environment under a root folder, as tests and the demo need it: the
// registry of this computer (RIS client directory, MicroStation, regional separators) and of
// the file server (its shares), the drives with the RIS client programs, the server manager
// and "mscode.bat", the database server with its administrators, and a sample project loaded
// from dump files with its design files on the file server.
#pragma once

#include <string>

struct StandInEnvironmentOptions {
    std::string binDir;  // host folder of the built stand-in programs
    std::string dataDir; // host folder holding the sample dumps (pd_<project>.dmp, dd_<project>.dmp)
    bool sampleProject = true;
    // A second environment under <root>/env2 (its own database server and schema file, chosen
    // by the parameters file kSecondParamsFile) with the project kSecondProject, a target for
    // model copies between environments. Its design files lie on the same file server.
    bool secondEnvironment = false;
    // Adds to the sample a model and a drawing whose file names do not fit their numbers.
    bool misnamedDesignFiles = false;
};

class StandInEnvironment {
public:
    static constexpr const char* kProject = "demo";
    static constexpr const char* kFileServer = "PDSSRV1";
    static constexpr const char* kRisDir = "C:\\win32app\\ingr\\RIS";
    static constexpr const char* kServerManager = "d:\\orant\\bin\\svrmgr30.exe";
    static constexpr const char* kPds2dDir = "C:\\win32app\\ingr\\PDS2D\\binnt";
    static constexpr const char* kMicroStation = "C:\\Bentley\\Program\\MicroStation\\ustation.exe";
    static constexpr const char* kDumpDir = "C:\\pdsdump";
    // The Oracle home named in the registry, whose "network\admin\tnsnames.ora" names the
    // stand-in server's database, and the SQL Server name of the client's alias list.
    static constexpr const char* kOracleHome = "d:\\orant";
    static constexpr const char* kSqlServer = "PDSSQL1";
    // The RIS parameters file whose ROOT line names this environment.
    static constexpr const char* kParamsFile = "C:\\win32app\\ingr\\share\\ris.prm";
    static constexpr const char* kSecondProject = "demo2";
    static constexpr const char* kSecondParamsFile = "C:\\win32app\\ingr\\share\\env2.prm";

    // The file in the root written when a build is through, and removed when one begins.
    static constexpr const char* kBuiltMark = "twenv.built";

    // Builds (or completes) the environment under hostRoot; what exists already is kept, and
    // the sample project is loaded only when its project schema is not defined yet. A root
    // that holds anything but not the built mark is one whose build was stopped: its files are
    // written again and its project schemas loaded again. Appends one line per step to report. Raises AppError when a step fails, after removing every
    // file and folder this run made under hostRoot (a root it made goes whole).
    static void Build(const std::string& hostRoot, const StandInEnvironmentOptions& options, std::string& report);
};
