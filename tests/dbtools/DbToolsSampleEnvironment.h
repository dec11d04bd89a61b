// The fixture of the window tests on the sample environment: the stand-in server with the
// sample project, a settings file and program log of the test's own, scripted message boxes.
#pragma once

#include "admin/AdminTestSupport.h"
#include "dbaccess/CRIS.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "services/ScriptedMessageService.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class DbToolsSampleEnvironment : public ::testing::Test {
protected:
    void SetUp() override
    {
        testsupport::BuildSampleEnvironment();
        savedTemp_ = gTempDir;
        gTempDir = WinPathFromHost(std::getenv("TEMP")) + "\\";
    }
    void TearDown() override { gTempDir = savedTemp_; }

    std::string win(const std::string& name) const { return folder_.win(name); }

    // The values of one column of a query, read by an access object of its own (no caches).
    static std::vector<std::string> query(const std::string& schema, const std::string& sql)
    {
        CRIS cris;
        cris.SetUseRIS("");
        Recordset rs = cris.DBRead(schema, sql, 3);
        std::vector<std::string> values;
        if (rs.RecordCount() > 0)
            for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                values.push_back(rs.Fields()[0].Value().ToText());
        return values;
    }

    std::vector<std::string> prompts() const
    {
        std::vector<std::string> out;
        for (const auto& a : boxes_.asked())
            out.push_back(a.prompt);
        return out;
    }

    admintest::AdminFolder folder_{"dbtools"};
    ScriptedMessageService boxes_;
    std::string savedTemp_;
};
