// Helpers of the admin tests: host files, a settings file and program log of their own, and a
// recording script host.
#pragma once

#include "admin/ScriptHost.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace admintest {

using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

inline bool HostExists(const std::string& hostPath) { return std::filesystem::exists(hostPath); }

// A test folder with gIniFile and gLogFile inside it for the test's lifetime.
class AdminFolder {
public:
    explicit AdminFolder(const std::string& tag) : dir_(tag), savedIni_(gIniFile), savedLog_(gLogFile)
    {
        gIniFile = win("tarnwick.ini");
        gLogFile = win("tarnwick.log");
        WriteHostFile(host("tarnwick.log"), "");
    }
    ~AdminFolder()
    {
        gIniFile = savedIni_;
        gLogFile = savedLog_;
    }
    std::string host(const std::string& name) const { return dir_.host() + "/" + name; }
    std::string win(const std::string& name) const { return WinPathFromHost(host(name)); }
    std::string log() const { return ReadHostFile(host("tarnwick.log")); }

private:
    testsupport::ScopedDir dir_;
    std::string savedIni_;
    std::string savedLog_;
};

// Records every call; fail, when set, is called first and may raise.
class RecordingHost : public ScriptHost {
public:
    std::vector<std::string> calls;
    std::function<void(const std::string& op)> fail;

    void RISUnload(const std::string& p) override { note("RISUnload", p); }
    void RISLoad(const std::string& p) override { note("RISLoad", p); }
    void edrisdmp(const std::string& p) override { note("edrisdmp", p); }
    void Cre_DBUser(const std::string& p) override { note("Cre_DBUser", p); }
    void Del_DBUser(const std::string& p) override { note("Del_DBUser", p); }
    void cre_schema(const std::string& p) override { note("cre_schema", p); }
    void Del_Schema(const std::string& p) override { note("Del_Schema", p); }

private:
    void note(const std::string& op, const std::string& params)
    {
        if (fail)
            fail(op);
        calls.push_back(op + "|" + params);
    }
};

} // namespace admintest
