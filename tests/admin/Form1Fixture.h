// The main window on the sample environment, for the window tests: the stand-in environment
// built once per test program, settings and dumps of the test's own, answers scripted.
#pragma once

#include "admin/DumpCommands.h"
#include "admin/Form1.h"
#include "admin/Startup.h"
#include "platform/RunMark.h"
#include "platform/BinaryFile.h"
#include "platform/WinPath.h"
#include "services/IniFile.h"
#include "services/ScriptedDialogs.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "standins/dbserver/StandInEnvironment.h"
#include "support/SampleEnvironment.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

using Rows = std::vector<std::vector<std::optional<std::string>>>;

class Form1Fixture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    void SetUp() override
    {
        SetProgramFolder(WinPathFromHost(programDir.host()) + "\\");
        dumpDir = WinPathFromHost(dumps.host());
        std::string ini = WinPathFromHost(programDir.host()) + "\\tarnwick.ini";
        WriteIniValue(ini, "TARNWICK", "risdmpdir", dumpDir);
        WriteIniValue(ini, "TARNWICK", "projname", "demo");
    }
    void TearDown() override
    {
        SetProgramFolder("");
        for (const auto& [object, seen] : RunMark::List("load ")) // records of loads the test left not whole
            RunMark::RemoveLeft(object);
    }

    // Form1 after its start-up and deferred project list, with waits shortened.
    std::unique_ptr<Form1> startedForm()
    {
        auto form = std::make_unique<Form1>();
        EXPECT_TRUE(form->Form_Load());
        form->Timer1_Timer();
        form->dumpCommands().pause = [](double) {};
        form->dumpCommands().rewriteDelayMs = 0;
        return form;
    }

    // Every table of a schema with its rows in a fixed order.
    static std::map<std::string, Rows> tablesOf(const std::string& schema)
    {
        DbServer server(StandInRoot());
        RisSession session(server);
        SqliteDb& db = session.Database(schema);
        std::map<std::string, Rows> tables;
        for (auto& t : db.QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
        {
            Rows rows = db.QueryRows("SELECT * FROM \"" + *t[0] + "\"");
            std::sort(rows.begin(), rows.end());
            tables[*t[0]] = rows;
        }
        return tables;
    }

    static void execute(const std::string& schema, const std::string& statement)
    {
        DbServer server(StandInRoot());
        RisSession session(server);
        std::string out;
        session.Execute("default schema " + schema, out);
        session.Execute(statement, out);
    }

    static void writeFile(const std::string& winPath, const std::string& text)
    {
        BinaryFile f;
        f.Open(winPath, BinaryFile::Mode::Write);
        f.Write(text);
        f.Close();
    }

    testsupport::ScopedDir programDir{"prog"};
    testsupport::ScopedDir dumps{"dumps"};
    std::string dumpDir;
    ScriptedMessageService messages;
    ScriptedDialogs dialogs;
};
