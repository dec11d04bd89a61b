// The stand-in environment builder.
#include "standins/dbserver/StandInEnvironment.h"

#include "dbaccess/DumpReader.h"
#include "platform/AppError.h"
#include "platform/Environment.h"
#include "platform/RegistryStore.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisErrorBlock.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/RisTransferRequest.h"
#include "standins/dbserver/SchemaLoader.h"
#include "standins/mstn/DesignFileLinkage.h"

#include <filesystem>
#include <functional>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace {

const char* kOwn = "StandInEnvironment::Build";

// Set while a root without its "built" mark is built again: what a killed build may have left
// half made is made anew (the files written again, the project schemas loaded again).
bool gRedo = false;

// Runs the builder's steps with the root as the process's stand-in root, so that every
// Windows path and the registry store land below it.
class RootScope {
public:
    explicit RootScope(const std::string& root) : old_(GetEnvVar("TARNWICK_ROOT")), had_(!old_.empty())
    {
        SetEnvVar("TARNWICK_ROOT", root);
    }
    ~RootScope()
    {
        if (had_)
            SetEnvVar("TARNWICK_ROOT", old_);
        else
            ::unsetenv("TARNWICK_ROOT");
    }

private:
    std::string old_;
    bool had_;
};

// Writes the whole file under a name of its own and moves it in place, so that a kill leaves
// the file whole or missing, never cut; a temporary a killed run left goes with the next write.
void writeHostFileWhole(const std::string& host, const std::string& content, const std::string& named)
{
    fs::create_directories(fs::path(host).parent_path());
    const std::string temp = host + ".twenv.tmp";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f << content;
        f.flush();
        if (!f)
            RaiseError(kOwn, "Cannot write '" + named + "'");
    }
    std::error_code ec;
    fs::rename(temp, host, ec);
    if (ec) {
        fs::remove(temp, ec);
        RaiseError(kOwn, "Cannot write '" + named + "'");
    }
}

void writeFileIfMissing(const std::string& winPath, const std::string& content)
{
    const std::string host = HostPath(winPath);
    if (fs::exists(host) && !gRedo)
        return;
    writeHostFileWhole(host, content, winPath);
}

// A program of the environment: a link to the built stand-in, so that a rebuild is seen.
void linkProgram(const std::string& winPath, const std::string& target)
{
    const std::string host = HostPath(winPath);
    fs::create_directories(fs::path(host).parent_path());
    std::error_code ec;
    fs::remove(host, ec);
    fs::create_symlink(target, host, ec);
    if (ec) {
        fs::copy_file(target, host, fs::copy_options::overwrite_existing, ec);
        if (ec)
            RaiseError(kOwn, "Cannot place '" + winPath + "': " + ec.message());
    }
}

// Each registry file is read, changed and written back under its lock: a program writing it
// meanwhile loses nothing.
void updateRegistry(const std::string& computer, const std::string& whose,
                    const std::function<void(RegistryStore&)>& change)
{
    RegistryStore store(computer);
    if (!store.Update([&](RegistryStore& s) {
            change(s);
            return true;
        }))
        RaiseError(kOwn, "Cannot write the registry of " + whose +
                             (store.WriteFailure().empty() ? std::string() : ": " + store.WriteFailure()));
}

void buildRegistry(std::string& report)
{
    updateRegistry("", "this computer", [](RegistryStore& local) {
        const std::string ris = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Intergraph\\RIS\\05.04";
        local.SetValue(ris, "PathName", RegistryData::Text(StandInEnvironment::kRisDir));
        local.SetValue(ris, "Version", RegistryData::Text("05.04.00.00"));
        const std::string mstn = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Bentley\\MicroStation\\07.01";
        local.SetValue(mstn, "PathName", RegistryData::Text(StandInEnvironment::kMicroStation));
        local.SetValue(mstn, "Version", RegistryData::Text("07.01.05.03"));
        const std::string intl = "HKEY_CURRENT_USER\\Control Panel\\International";
        if (!local.Value(intl, "sDecimal"))
            local.SetValue(intl, "sDecimal", RegistryData::Text("."));
        if (!local.Value(intl, "sThousand"))
            local.SetValue(intl, "sThousand", RegistryData::Text(","));
    });
    updateRegistry(StandInEnvironment::kFileServer, "the file server", [](RegistryStore& server) {
        server.SetValue("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\lanmanserver\\Shares", "pds",
                        RegistryData::MultiText({"CSCFlags=0", "MaxUses=4294967295", "Path=D:\\pds", "Permissions=0",
                                                 "Remark=PDS projects", "Type=0"}));
    });
    report += "Registry: RIS client, MicroStation, regional settings; shares of " +
              std::string(StandInEnvironment::kFileServer) + "\n";
}

// The administrative share D$ of the file server: its whole drive D, in which the share "pds"
// (D:\pds) is the folder pds, so a path reached through either share is the same file.
void buildAdminShare(std::string& report)
{
    const std::string server = std::string("\\\\") + StandInEnvironment::kFileServer;
    const fs::path pds = HostPath(server + "\\pds");
    const fs::path drive = HostPath(server + "\\D$");
    fs::create_directories(pds);
    fs::create_directories(drive);
    std::error_code ec;
    if (!fs::exists(drive / "pds", ec)) {
        fs::create_directory_symlink("../" + pds.filename().string(), drive / "pds", ec);
        if (ec)
            RaiseError(kOwn, "Cannot place the share D$ of the file server: " + ec.message());
    }
    report += "File server " + std::string(StandInEnvironment::kFileServer) + ": shares pds and D$\n";
}

void buildPrograms(const StandInEnvironmentOptions& options, std::string& report)
{
    const std::string bin = std::string(StandInEnvironment::kRisDir) + "\\BIN\\";
    for (const char* prog : {"risbatch.exe", "risunlod.exe", "rislod.exe", "risclnsr.exe"}) {
        const std::string target = options.binDir + "/" + prog;
        if (!fs::exists(target))
            RaiseError(kOwn, "The stand-in program '" + target + "' is not built");
        linkProgram(bin + prog, target);
    }
    const std::string svrmgr = options.binDir + "/svrmgr30.exe";
    if (fs::exists(svrmgr))
        linkProgram(StandInEnvironment::kServerManager, svrmgr);
    for (const char* ustation : {"ustation.exe", "ustation"}) {
        const std::string target = options.binDir + "/" + ustation;
        if (fs::exists(target)) {
            linkProgram(StandInEnvironment::kMicroStation, target);
            break;
        }
    }
    // The design system's 2D batch: says what it does for the project it is given.
    writeFileIfMissing(std::string(StandInEnvironment::kPds2dDir) + "\\mscode.bat",
                       "echo PDS2D MS code run for project %1\r\n"
                       "echo MS code tables of project %1 updated\r\n");
    fs::create_directories(HostPath(StandInEnvironment::kDumpDir));
    fs::create_directories(HostPath("W:\\pdsdef"));
    report += "Programs: RIS clients in " + bin + ", " + StandInEnvironment::kServerManager + ", mscode.bat\n";
}

void buildServer(const std::string& hostRoot, std::string& report)
{
    DbServer server(hostRoot);
    // The grants are given also to a user that is there already: a build killed between the
    // user and its grants left it without them. Giving a grant twice keeps one.
    for (auto [user, password] : {std::pair{"DBOPER", "WQ4ZTK9"}, std::pair{"DBADMIN", "TPXW9KA2"}}) {
        if (!server.FindUser(user))
            server.SetUserPassword(user, password);
        server.GrantPrivilege(user, "DBA");
        server.GrantPrivilege(user, "CONNECT");
    }
    writeFileIfMissing(StandInEnvironment::kParamsFile, "ROOT=" + hostRoot + "\r\n");
    report += "Database " + server.DatabaseName() + ": administrators DBOPER and DBADMIN, parameters file " +
              StandInEnvironment::kParamsFile + "\n";
}

// What the clients of this computer know of the database servers: the Oracle home with its
// net service names, the SQL Server alias list, and the databases of the SQL Server side.
void buildClientLists(const std::string& hostRoot, std::string& report)
{
    updateRegistry("", "this computer", [](RegistryStore& local) {
        const std::string oracle = "HKEY_LOCAL_MACHINE\\SOFTWARE\\ORACLE";
        local.SetValue(oracle + "\\ALL_HOMES", "HOME_COUNTER", RegistryData::Text("1"));
        local.SetValue(oracle + "\\HOME0", "ORACLE_HOME", RegistryData::Text(StandInEnvironment::kOracleHome));
        local.SetValue(oracle + "\\HOME0", "ORACLE_HOME_NAME", RegistryData::Text("DEFAULT_HOME"));
        local.SetValue("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo",
                       StandInEnvironment::kSqlServer, RegistryData::Text("DBMSSOCN,127.0.0.1,1433"));
    });

    DbServer server(hostRoot);
    const std::string db = server.DatabaseName();
    const std::string address = "(DESCRIPTION = (ADDRESS = (PROTOCOL = TCP)(HOST = 127.0.0.1)(PORT = 1521))"
                                "(CONNECT_DATA = (SID = " + db + ")))\r\n";
    writeFileIfMissing(std::string(StandInEnvironment::kOracleHome) + "\\network\\admin\\tnsnames.ora",
                       "# Net service names of the stand-in database server\r\n" +
                       ToLower(db) + ".world =\r\n  " + address + ToUpper(db) + " = " + address);
    for (const char* name : {"master", "model", "msdb", "tempdb", "pds"})
        server.CreateSqlDatabase(name);
    report += "Clients: Oracle home " + std::string(StandInEnvironment::kOracleHome) + " with tnsnames.ora, SQL Server " +
              StandInEnvironment::kSqlServer + " with its databases\n";
}

// One database user and RIS schema of the project, loaded from its dump.
void loadSchema(DbServer& server, const std::string& schema, const std::string& dump, std::string& report)
{
    server.SetUserPassword(schema, schema);
    server.SetUserTablespace(schema, "USER_DATA", false);
    server.SetUserTablespace(schema, "TEMPORARY_DATA", true);
    for (const char* p : {"CONNECT", "RESOURCE"})
        server.GrantPrivilege(schema, p);
    RisSession session(server);
    std::string out;
    session.Execute("create schema " + schema + " on database (oracle, dbname " + server.DatabaseName() +
                        ", osuser svcacct.k4t2p , dir d:\\orant, ostype nt, remote (tcp 127.0.0.1)) user " + schema +
                        "." + schema + "@" + server.DatabaseName(),
                    out);
    RisTransferRequest request = RisTransferRequest::Parse(RisTransferRequest::SplitWords(
        schema + " clear table with data all view all index all grant all"));
    std::string console;
    LoadCounts counts = SchemaLoader(session, nullptr, nullptr).Load(request, WinPathFromHost(dump), console);
    if (counts.errors || counts.rowsRejected)
        RaiseError(kOwn, "The sample dump '" + dump + "' did not load cleanly:\n" + console);
    report += "Schema " + schema + ": " + std::to_string(counts.tables) + " tables, " +
              std::to_string(counts.rowsLoaded) + " rows\n";
}

// The design files the project tables name: every row of pdtable_102, 113 and 121 with a
// location gets its file on the file server, plus the project directory's seed and area files.
void buildFiles(DbServer& server, const std::string& project, std::string& report)
{
    RisSession session(server);
    SqliteDb& db = session.Database("pd_" + project);
    long files = 0;
    auto place = [&](const std::string& node, const std::string& path, const std::string& file, const std::string& what,
                     const std::string& linkage = std::string()) {
        if (Trim(node).empty() || Trim(path).empty() || Trim(file).empty())
            return;
        std::string dir = ReplaceAll(Trim(path), "/", "\\");
        if (dir.size() >= 3 && dir[1] == ':')
            dir = dir.substr(2); // below the share of the drive's "pds" folder
        if (StartsWithNoCase(dir, "\\pds"))
            dir = dir.substr(4);
        const std::string win = "\\\\" + Trim(node) + "\\pds" + dir + "\\" + Trim(file);
        writeFileIfMissing(win, "Stand-in design file: " + what + "\r\n" + linkage);
        ++files;
    };
    for (auto& r : db.QueryRows("SELECT network_address, path_name, rdb_file_spec, type_of_rdb_data FROM pdtable_102"))
        if (r[0] && r[1] && r[2] && r[1]->find('\\') != std::string::npos)
            place(*r[0], *r[1], *r[2], "project file type " + r[3].value_or(""));
    // A model file carries its discipline and partition as its linkage, as the design system
    // writes them into a real design file.
    for (auto& r : db.QueryRows("SELECT network_address, path_name, model_file_spec, model_no, discipline_indx_no, "
                                "partition_no FROM pdtable_113"))
        if (r[0] && r[1] && r[2])
            place(*r[0], *r[1], *r[2], "model " + r[3].value_or(""),
                  r[4] && r[5] ? DesignFileLinkage::Line(*r[4], *r[5]) : std::string());
    for (auto& r : db.QueryRows("SELECT network_address, path_name, drawing_file_spec, drawing_no FROM pdtable_121"))
        if (r[0] && r[1] && r[2])
            place(*r[0], *r[1], *r[2], "drawing " + r[3].value_or(""));
    for (auto& r : db.QueryRows("SELECT network_address, path_name FROM pdtable_102 WHERE type_of_rdb_data = 99")) {
        if (!r[0] || !r[1])
            continue;
        for (const char* seed : {"mdlsdz.dgn", "eqpsdz.dgn", "rwysdz.dgn", "drwsdz.dgn"})
            place(*r[0], *r[1], seed, std::string("seed file ") + seed);
        for (auto& a : db.QueryRows("SELECT area_name, discipline_indx_no FROM pdtable_112 WHERE interference_mode = 1"))
            if (a[0] && a[1])
                place(*r[0], *r[1], Trim(*a[0]) + "." + *a[1], "area marker " + *a[0]);
    }
    report += "File server " + std::string(StandInEnvironment::kFileServer) + ": " + std::to_string(files) +
              " design files of project " + project + "\n";
}

// A model and a drawing whose design file names do not fit their numbers, for the file name
// check; added once, when the project is loaded.
void addMisnamedDesignFiles(DbServer& server, const std::string& project, std::string& report)
{
    RisSession session(server);
    session.SetDefaultSchema("pd_" + project);
    std::string out;
    session.Execute("insert into pdtable_113 (model_index_no, discipline_indx_no, area_index_no, model_no, "
                    "model_description, network_address, path_name, model_file_spec, model_type, partition_no) "
                    "values (4, 1, 2, 'P1003', 'Misnamed pipe model', 'PDSSRV1', 'D:\\pds\\demo\\model', "
                    "'pipe3.dgn', 0, 4)",
                    out);
    session.Execute("insert into pdtable_114 (partition_no) values (4)", out);
    session.Execute("insert into pdtable_121 (drawing_type, drawing_no, drawing_title, network_address, path_name, "
                    "drawing_file_spec) values (2, 'D-200', 'Misnamed plan', 'PDSSRV1', 'D:\\pds\\demo\\dwg', "
                    "'plan200.dgn')",
                    out);
    report += "Misnamed design files: model P1003 (pipe3.dgn), drawing D-200 (plan200.dgn)\n";
}

// The project's schemas from their dumps (once) and its design files.
void loadProject(DbServer& server, const std::string& project, const StandInEnvironmentOptions& options,
                 std::string& report)
{
    const char* prefixes[] = {"pd_", "dd_"};
    if (gRedo) {
        // A build stopped part way may have defined a schema whose tables or file are missing.
        for (const std::string prefix : prefixes) {
            if (server.FindSchema(prefix + project))
                server.DropSchema(prefix + project);
            if (server.FindUser(prefix + project))
                server.DropUser(prefix + project);
        }
        report += "Project " + project + ": loaded again, as the last build of this root did not finish\n";
    }
    if (!server.FindSchema("pd_" + project)) {
        for (const std::string prefix : prefixes)
            if (!fs::is_regular_file(options.dataDir + "/" + prefix + project + ".dmp"))
                RaiseError(kOwn, "Sample dump '" + options.dataDir + "/" + prefix + project + ".dmp' not found");
        // The project counts as loaded once its project schema is defined, so a load that
        // fails takes back the schemas and users it made.
        std::vector<std::string> made;
        try {
            for (const std::string prefix : prefixes) {
                made.push_back(prefix + project);
                loadSchema(server, prefix + project, options.dataDir + "/" + prefix + project + ".dmp", report);
            }
            if (options.misnamedDesignFiles && project == StandInEnvironment::kProject)
                addMisnamedDesignFiles(server, project, report);
        } catch (...) {
            for (const std::string& schema : made) {
                try {
                    if (server.FindSchema(schema))
                        server.DropSchema(schema);
                    if (server.FindUser(schema))
                        server.DropUser(schema);
                } catch (const AppError&) {
                    // The removal of the whole root after the failure takes the rest.
                }
            }
            throw;
        }
    } else {
        report += "Project " + project + " is loaded already\n";
    }
    buildFiles(server, project, report);
}

// The project's DDL definition files ("design.ddl", "eqp.ddl" of the sample data) in its project
// directory, where the design schema check reads them.
void placeDdlFiles(DbServer& server, const std::string& project, const std::string& dataDir, std::string& report)
{
    RisSession session(server);
    SqliteDb& db = session.Database("pd_" + project);
    for (auto& r : db.QueryRows("SELECT network_address, path_name FROM pdtable_102 WHERE type_of_rdb_data = 99")) {
        if (!r[0] || !r[1])
            continue;
        std::string dir = ReplaceAll(Trim(*r[1]), "/", "\\");
        if (dir.size() >= 3 && dir[1] == ':')
            dir = dir.substr(2);
        if (StartsWithNoCase(dir, "\\pds"))
            dir = dir.substr(4);
        for (const char* name : {"design.ddl", "eqp.ddl"}) {
            std::ifstream in(dataDir + "/" + name, std::ios::binary);
            if (!in)
                RaiseError(kOwn, "Sample DDL file '" + dataDir + "/" + name + "' not found");
            const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            writeFileIfMissing("\\\\" + Trim(*r[0]) + "\\pds" + dir + "\\" + name, content);
        }
        report += "DDL files of project " + project + " in \\\\" + Trim(*r[0]) + "\\pds" + dir + "\n";
    }
}

// The marks of the programs that run against the root (the builder's own among them): they
// neither make a root a used one nor go with a failed build.
bool isMarksFolder(const std::string& root, const fs::path& path)
{
    return path.lexically_normal() == (fs::path(root) / "marks").lexically_normal();
}

// True when the root holds anything but its marks.
bool holdsAnything(const std::string& root)
{
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        if (!isMarksFolder(root, it->path()))
            return true;
    return false;
}

// Every path below root, and root itself, that exists now; the marks left out.
std::set<std::string> existingPaths(const std::string& root)
{
    std::set<std::string> paths;
    std::error_code ec;
    if (!fs::exists(root, ec))
        return paths;
    paths.insert(fs::path(root).lexically_normal().string());
    for (fs::recursive_directory_iterator it(root, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        if (isMarksFolder(root, it->path())) {
            it.disable_recursion_pending();
            continue;
        }
        paths.insert(it->path().lexically_normal().string());
    }
    return paths;
}

// Removes every path below root (and root, when nothing else stays in it) that was not there
// before, deepest first.
void removeNewPaths(const std::string& root, const std::set<std::string>& before)
{
    const std::string rootPath = fs::path(root).lexically_normal().string();
    std::set<std::string> now = existingPaths(root);
    for (auto it = now.rbegin(); it != now.rend(); ++it) {
        if (before.count(*it))
            continue;
        std::error_code ec;
        if (*it == rootPath)
            fs::remove(*it, ec);
        else
            fs::remove_all(*it, ec);
    }
}

void buildAll(const std::string& hostRoot, const StandInEnvironmentOptions& options, std::string& report)
{
    try {
        fs::create_directories(hostRoot);
        RootScope scope(hostRoot);
        for (const char* drive : {"c", "d", "w"})
            fs::create_directories(hostRoot + "/drives/" + drive);
        buildRegistry(report);
        buildPrograms(options, report);
        buildServer(hostRoot, report);
        buildClientLists(hostRoot, report);
        buildAdminShare(report);
        if (!options.sampleProject)
            return;
        DbServer server(hostRoot);
        loadProject(server, StandInEnvironment::kProject, options, report);
        placeDdlFiles(server, StandInEnvironment::kProject, options.dataDir, report);
        if (options.secondEnvironment) {
            const std::string second = hostRoot + "/env2";
            DbServer other(second);
            writeFileIfMissing(StandInEnvironment::kSecondParamsFile, "ROOT=" + second + "\r\n");
            report += "Second environment in " + second + ", parameters file " + StandInEnvironment::kSecondParamsFile + "\n";
            loadProject(other, StandInEnvironment::kSecondProject, options, report);
        }
    } catch (const AppError& e) {
        throw PassOn(e, kOwn);
    } catch (const std::exception& e) {
        throw AppError(1, kOwn, e.what());
    }
}

} // namespace

void StandInEnvironment::Build(const std::string& hostRoot, const StandInEnvironmentOptions& options,
                               std::string& report)
{
    // The mark goes before the first change and comes back after the last, so a root without
    // it is one whose last build was stopped (killed, a power cut): that build is done again
    // rather than trusting what it left.
    const std::string mark = (fs::path(hostRoot) / kBuiltMark).string();
    std::error_code ec;
    const bool stopped = holdsAnything(hostRoot) && !fs::exists(mark, ec);
    // A build that fails takes back every file and folder it made, so that the next run does
    // not keep half an environment as if it were whole.
    const std::set<std::string> before = existingPaths(hostRoot);
    fs::remove(mark, ec);
    struct Redo {
        explicit Redo(bool on) { gRedo = on; }
        ~Redo() { gRedo = false; }
    } redo(stopped);
    try {
        buildAll(hostRoot, options, report);
        writeHostFileWhole(mark, "Built by twenv.\n", mark);
    } catch (...) {
        removeNewPaths(hostRoot, before);
        throw;
    }
}

