// The sample environment with some design files of project "demo" missing and candidates for
// them in a search directory, for the whole-system tests of the file check.
#pragma once

#include "filecheck/UpgradeCheckContext.h"
#include "platform/Environment.h"
#include "platform/WinPath.h"
#include "services/FileOperation.h"
#include "services/AppGlobals.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>
#include <gtest/gtest.h>

class SampleProjectFixture : public ::testing::Test {
protected:
    static constexpr const char* kModelDir = "\\\\PDSSRV1\\pds\\demo\\model\\";
    static constexpr const char* kDrawingDir = "\\\\PDSSRV1\\pds\\demo\\dwg\\";
    static constexpr const char* kLibraryDir = "\\\\PDSSRV1\\pds\\demo\\lib\\";
    static constexpr const char* kProjectDir = "\\\\PDSSRV1\\pds\\demo\\proj\\";
    static constexpr const char* kBackup = "C:\\backup";

    static void SetUpTestSuite()
    {
        testsupport::BuildSampleEnvironment();
    }

    void SetUp() override
    {
        namespace fs = std::filesystem;
        // The builder puts back every design file the tables name; then the faults of the test.
        fs::remove_all(HostPath(kBackup));
        for (const char* report : {"demo_original.xls", "demo_upgraded.xls"})
            fs::remove(HostPath(AddBackslash(GetEnvVar("TEMP")) + report));
        for (std::string f : {std::string(kModelDir) + "p1002.dgn", std::string(kModelDir) + "e2001.dgn",
                              std::string(kDrawingDir) + "d101.dwg", std::string(kLibraryDir) + "stdnote.l",
                              std::string(kProjectDir) + "A1.1"})
            fs::remove(HostPath(f));
        SetUpTestSuite();
        for (std::string f : {std::string(kModelDir) + "p1002.dgn", std::string(kModelDir) + "e2001.dgn",
                              std::string(kDrawingDir) + "d101.dwg", std::string(kLibraryDir) + "stdnote.l",
                              std::string(kProjectDir) + "A1.1"})
            fs::remove(HostPath(f));
        place("old\\p1002.dgn", "old copy of P1002", 2001);
        place("new\\p1002.dgn", "new copy of P1002", 2003);
        place("dwg\\D101.DWG", "copy of D-101", 2002);
        savedLog_ = gLogFile;
        gLogFile = WinPathFromHost(logDir_.host()) + "\\tarnwick.log";
        testsupport::WriteHostFile(logDir_.host() + "/tarnwick.log", "");
        ctx.projectName = "demo";
        ctx.searchDirs = {kBackup};
    }

    void TearDown() override { gLogFile = savedLog_; }

    std::string log() const { return testsupport::ReadHostFile(logDir_.host() + "/tarnwick.log"); }

    // A candidate below the search directory with its modification year.
    static void place(const std::string& rel, const std::string& content, int year)
    {
        const std::string host = HostPath(std::string(kBackup) + "\\" + rel);
        testsupport::WriteHostFile(host, content);
        std::tm tm{};
        tm.tm_year = year - 1900;
        tm.tm_mon = 2;
        tm.tm_mday = 3;
        tm.tm_hour = 10;
        std::filesystem::last_write_time(
            host, std::filesystem::file_time_type::clock::from_sys(std::chrono::system_clock::from_time_t(std::mktime(&tm))));
    }
    static std::string content(const std::string& winPath) { return testsupport::ReadHostFile(HostPath(winPath)); }
    // Every file below the project's folders on its server (model, drawing, library, project
    // folders), by its path below them, with its content.
    static std::map<std::string, std::string> projectFiles()
    {
        namespace fs = std::filesystem;
        const fs::path top = HostPath("\\\\PDSSRV1\\pds\\demo");
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(top))
            if (entry.is_regular_file())
                files[fs::relative(entry.path(), top).string()] = testsupport::ReadHostFile(entry.path().string());
        return files;
    }
    static bool exists(const std::string& winPath) { return std::filesystem::exists(HostPath(winPath)); }

    testsupport::ScopedDir logDir_{"filechecklog"};
    std::string savedLog_;
    UpgradeCheckContext ctx;
    ScriptedMessageService boxes;
};
