// Helpers of the design file tool tests: in-memory project tables, statements on the stand-in
// server's project schema, and the status lines that an operation wrote to the program log.
#pragma once

#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/ado/Recordset.h"
#include "services/AppGlobals.h"
#include "standins/dbserver/DbServer.h"
#include "standins/dbserver/RisSession.h"
#include "support/SampleEnvironment.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <string>
#include <utility>
#include <vector>

namespace designfilestest {

// A recordset with text columns (names ending in "_no" of the listed numeric ones are numbers).
inline Recordset Table(const std::vector<std::string>& columns, const std::vector<std::vector<Variant>>& rows,
                       const std::vector<std::string>& numeric = {})
{
    Recordset rs;
    for (const std::string& c : columns) {
        bool number = false;
        for (const std::string& n : numeric)
            number = number || n == c;
        rs.Fields().Append(c, number ? adInteger : adVarChar, number ? 0 : 255);
    }
    rs.Open();
    for (const auto& row : rows)
        rs.AddNew(columns, row);
    if (rs.RecordCount() > 0)
        rs.MoveFirst();
    return rs;
}

// The sample environment with its misnamed design files, as the linkage tests read them.
inline void BuildMisnamedSample()
{
    StandInEnvironmentOptions options = testsupport::SampleEnvironmentOptions();
    options.misnamedDesignFiles = true;
    testsupport::BuildSampleEnvironment(options);
}

// Runs RIS statements on the stand-in server of the process's environment (failures ignored).
inline void Sql(const std::string& statements)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    std::string out;
    session.RunBatch(statements, out);
}

// The first column of the first row of a query on the project schema pd_demo, as stored.
inline std::string Stored(const std::string& sql)
{
    DbServer server(StandInRoot());
    RisSession session(server);
    return session.Database("pd_demo").QueryText(sql).value_or("<none>");
}

// Points the program log at a fresh file for the test's lifetime; lines() gives the status
// texts written since.
class StatusCapture {
public:
    StatusCapture() : dir_("status"), saved_(gLogFile) { gLogFile = dir_.host() + "/tarnwick.log"; }
    ~StatusCapture() { gLogFile = saved_; }

    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        for (const std::string& entry : Split(testsupport::ReadHostFile(dir_.host() + "/tarnwick.log"), "\r\n")) {
            const size_t tab = entry.find('\t');
            if (tab != std::string::npos)
                out.push_back(entry.substr(tab + 1));
        }
        return out;
    }
    bool contains(const std::string& text) const
    {
        for (const std::string& l : lines())
            if (l == text)
                return true;
        return false;
    }

private:
    testsupport::ScopedDir dir_;
    std::string saved_;
};

} // namespace designfilestest
