// The main window on the sample environment for the whole-system window tests: the environment
// built once per test program, settings and program log in the test's own folder, message box
// answers scripted, the Esc latch cleared, the dump commands' waits shortened, and the schemas
// and users a test made removed again.
#pragma once

#include "admin/AdminTestSupport.h"
#include "admin/DumpCommands.h"
#include "admin/Form1.h"
#include "platform/EscKey.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/DbServer.h"
#include "support/SampleEnvironment.h"

#include <gtest/gtest.h>

class SampleForm1Test : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }

    void SetUp() override
    {
        EscKey::Reset();
        form.dumpCommands().pause = [](double) {};
        form.dumpCommands().rewriteDelayMs = 0;
    }

    static DbServer Server() { return DbServer(DbServer::EnvironmentRoot()); }

    testsupport::AddedSchemasCleanup cleanup;
    admintest::AdminFolder folder{"form1_e2e"};
    ScriptedMessageService messages;
    Form1 form;
};
