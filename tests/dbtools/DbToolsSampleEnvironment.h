// The fixture of the window tests on the sample environment: the stand-in server with the
// sample project, a settings file and program log of the test's own, scripted message boxes.
#pragma once

#include "admin/AdminTestSupport.h"
#include "dbaccess/CRIS.h"
#include "platform/RunMark.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "services/ScriptedMessageService.h"
#include "standins/dbserver/SchemaTables.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <map>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class DbToolsSampleEnvironment : public ::testing::Test {
public:
    // The schema's own database on the stand-in server, past the program.
    static std::unique_ptr<SqliteDb> UserDb(const std::string& schema)
    {
        DbServer server(DbServer::EnvironmentRoot());
        return server.OpenUserDatabase(server.FindSchema(schema)->dbUser);
    }
    // Runs its statements on the schema's database when it goes: puts back what a test changed.
    struct ExecAtEnd {
        std::string schema, sql;
        ~ExecAtEnd() { UserDb(schema)->Exec(sql); }
    };

protected:
    void SetUp() override
    {
        testsupport::BuildSampleEnvironment();
        savedTemp_ = gTempDir;
        gTempDir = WinPathFromHost(std::getenv("TEMP")) + "\\";
    }
    void TearDown() override
    {
        gTempDir = savedTemp_;
        // No change of a schema outlives its test; the mark of one that lost tables goes with the
        // tables the test put back.
        for (const auto& [object, seen] : RunMark::List("schema ")) {
            EXPECT_NE(seen.state, RunMark::State::Held) << object;
            RunMark::RemoveLeft(object);
        }
    }

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

    // Every table of the schema with its column types (and NOT NULL), rows, indexes and grants, and the views,
    // read from the stand-in server's own files, not through the program.
    static std::map<std::string, std::string> SchemaState(const std::string& schema)
    {
        DbServer server(DbServer::EnvironmentRoot());
        const std::string user = server.FindSchema(schema)->dbUser;
        auto db = server.OpenUserDatabase(user);
        SchemaTables tables(*db);
        std::map<std::string, std::string> state;
        for (const std::string& t : tables.Tables()) {
            std::string& text = state[t];
            for (const RisColumn& c : tables.Columns(t))
                text += c.name + " " + c.type + (c.notNull ? " not null" : "") + ", ";
            text += "rows:";
            for (const auto& row : db->QueryRows("SELECT * FROM \"" + t + "\" ORDER BY 1")) {
                for (const auto& v : row)
                    text += " " + v.value_or("NULL");
                text += ";";
            }
            text += " indexes:";
            for (const RisIndex& i : tables.Indexes(t))
                text += " " + i.name + "(" + Join(i.columns, ",") + ")";
            text += " grants: " + Join(server.GrantsOn(user, t), ",");
        }
        for (const RisView& v : tables.Views())
            state["view " + v.name] = v.definition;
        return state;
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
