// Two projects for the project copy tests: the sample project "demo" of the process's stand-in
// environment (the source), and a second environment under its own root with the same sample
// (the target), each reached through its own RIS parameters file.
#pragma once

#include "platform/Environment.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/RunMark.h"
#include "projcopy/CopyJournalFile.h"
#include "projcopy/ProjectSides.h"
#include "services/AppGlobals.h"
#include "services/FileContents.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/SchemaTables.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace projcopytest {

using testsupport::SampleEnvironmentOptions;

// The parameters file (Windows path on drive C of the source environment) naming root.
inline std::string WriteParams(const std::string& name, const std::string& hostRoot)
{
    const std::string win = "C:\\parms\\" + name;
    testsupport::WriteHostFile(HostPath(win), "ROOT=" + hostRoot + "\r\n");
    return win;
}

// Statements on a schema of the environment under hostRoot; failures are ignored (a table
// already dropped), the answers returned.
inline std::string RunSql(const std::string& hostRoot, const std::string& statements)
{
    DbServer server(hostRoot);
    RisSession session(server);
    std::string out;
    session.RunBatch(statements, out);
    return out;
}

using Table = std::vector<std::vector<std::optional<std::string>>>;

inline Table Rows(const std::string& hostRoot, const std::string& schema, const std::string& sql)
{
    DbServer server(hostRoot);
    RisSession session(server);
    return session.Database(schema).QueryRows(sql);
}

// What a copy can change in the target under hostRoot, as text: every row of its discipline,
// area and model tables, every design table with its row count, and every file below the copy
// folder \\PDSSRV1\pds\copy of the process's environment with its size.
inline std::string TargetState(const std::string& hostRoot)
{
    DbServer server(hostRoot);
    RisSession session(server);
    std::string out;
    for (const char* table : {"pdtable_111", "pdtable_112", "pdtable_113"})
        for (const auto& row : session.Database("pd_demo").QueryRows(std::string("SELECT * FROM ") + table)) {
            out += table;
            for (const auto& v : row)
                out += " | " + v.value_or("<null>");
            out += "\n";
        }
    SchemaTables tables(session.Database("dd_demo"));
    for (const std::string& t : tables.Tables())
        out += "dd_demo." + t + " " + std::to_string(tables.RowCount(t)) + " rows\n";
    const std::filesystem::path copy = HostPath("\\\\PDSSRV1\\pds\\copy");
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(copy, ec); !ec && it != std::filesystem::end(it);
         it.increment(ec))
        files.push_back(it->path().lexically_relative(copy).string() +
                        (it->is_directory() ? std::string("/") : " " + std::to_string(it->file_size())));
    std::sort(files.begin(), files.end());
    for (const std::string& f : files)
        out += f + "\n";
    return out;
}

// Everything a copy could touch in the project demo under hostRoot: every row of every table
// of its project and design schemas, rows sorted, as text.
inline std::string ProjectState(const std::string& hostRoot)
{
    DbServer server(hostRoot);
    RisSession session(server);
    std::string out;
    for (const char* schema : {"pd_demo", "dd_demo"}) {
        SqliteDb& db = session.Database(schema);
        for (const std::string& t : SchemaTables(db).Tables()) {
            std::vector<std::string> rows;
            for (const auto& row : db.QueryRows("SELECT * FROM " + t)) {
                std::string line = std::string(schema) + "." + t;
                for (const auto& v : row)
                    line += " | " + v.value_or("<null>");
                rows.push_back(line);
            }
            std::sort(rows.begin(), rows.end());
            out += std::string(schema) + "." + t + " (" + std::to_string(rows.size()) + " rows)\n";
            for (const std::string& r : rows)
                out += r + "\n";
        }
    }
    return out;
}

// Every file and folder of the file server (both projects' design files) with its size.
inline std::string FileServerState()
{
    const std::filesystem::path root = HostPath("\\\\PDSSRV1");
    std::vector<std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec); !ec && it != std::filesystem::end(it);
         it.increment(ec))
        files.push_back(it->path().lexically_relative(root).string() +
                        (it->is_directory() ? std::string("/") : " " + std::to_string(it->file_size())));
    std::sort(files.begin(), files.end());
    return Join(files, "\n");
}

// A copy that did not finish leaves its journal and its project's mark in the marks folder of
// the environment all tests share: taken away when a test ends.
inline void ForgetUnfinishedCopies()
{
    std::vector<std::string> projects = CopyJournalFile::Projects();
    projects.push_back("demo");
    for (const std::string& project : projects) {
        CopyJournalFile(project).Save({});
        RunMark::RemoveLeft("project " + project);
    }
}

class TwoProjects : public ::testing::Test {
protected:
    void TearDown() override { ForgetUnfinishedCopies(); }

    void SetUp() override
    {
        static bool built = false;
        std::string report;
        if (!built) {
            StandInEnvironment::Build(StandInRoot(), SampleEnvironmentOptions(), report);
            built = true;
        }
        target_ = std::make_unique<testsupport::ScopedDir>("target");
        targetRoot = target_->host() + "/root";
        StandInEnvironment::Build(targetRoot, SampleEnvironmentOptions(), report);
        oldParams = WriteParams("old.prm", StandInRoot());
        newParams = WriteParams("new.prm", targetRoot);
        sides.oldProject = [this] { return oldProject; };
        sides.newProject = [this] { return newProject; };
        sides.oldParams = [this] { return oldParams; };
        sides.newParams = [this] { return newParams; };
    }

    // The target without the piping discipline: no models, partitions, areas, discipline or
    // design tables of discipline 1, and its piping models stored in D:\pds\copy\model\.
    void EmptyTargetPiping()
    {
        std::string sql = "default schema pd_demo;\r\n"
                          "delete from pdtable_113 where discipline_indx_no = 1;\r\n"
                          "delete from pdtable_114 where partition_no < 3;\r\n"
                          "delete from pdtable_112 where discipline_indx_no = 1;\r\n"
                          "delete from pdtable_111 where discipline_indx_no = 1;\r\n"
                          "update pdtable_115 set default_path_name = 'D:\\pds\\copy\\model\\' "
                          "where discipline_indx_no = 1;\r\n"
                          "default schema dd_demo;\r\n";
        for (int p : {1, 2})
            for (int t : {12, 34, 50, 67, 80})
                sql += "drop table pdtable_" + std::to_string(t) + "_" + std::to_string(p) + ";\r\n";
        RunSql(targetRoot, sql);
    }

    // Both projects, their rows and the files of the file server.
    std::string BothProjects() const
    {
        return "source:\n" + ProjectState(StandInRoot()) + "target:\n" + ProjectState(targetRoot) + "files:\n" +
               FileServerState();
    }

    std::string CopyLogText() const
    {
        return ReadFile2String(TmpFile("projcopy.log"));
    }

    std::string targetRoot, oldParams, newParams;
    std::string oldProject = "demo", newProject = "demo";
    ProjectSides sides;

private:
    std::unique_ptr<testsupport::ScopedDir> target_;
};

} // namespace projcopytest
