// RIS clients that die without a RIS error block (a crash, an abort): their exit code is the
// only sign, and the operation must fail rather than pass their incomplete work off as done.
#include "FakeRisClients.h"

#include "dbaccess/RISCommandLine.h"
#include "platform/AppError.h"

#include <filesystem>
#include <functional>

using namespace fakeris;
using namespace dumptest;

namespace {

// The fake clients, ending with the exit code of "<name>.rc" when the test puts one there.
class RisClientExitFailureTest : public FakeRisTest {
protected:
    void SetUp() override
    {
        FakeRisTest::SetUp();
        for (const char* name : {"risbatch", "risunlod", "rislod", "risclnsr"})
            WriteHostFile(Host(std::string(name) + ".exe"),
                          std::string(kScript) + "if [ -f \"$d/$n.rc\" ]; then exit $(cat \"$d/$n.rc\"); fi\n");
    }
    std::string dump()
    {
        WriteHostFile(in.host() + "/x.dmp", "default schema pd_abc\r\ncreate table t (a int)\r\n"
                                            "***RIS*** End of Table ***RIS***\r\n***RIS*** End of Schema ***RIS***\r\n");
        return Win(in.host()) + "\\x.dmp";
    }
    std::string path(const std::string& name) const { return Win(in.host()) + "\\" + name; }
    testsupport::ScopedDir in{"exit"};
};

} // namespace

TEST_F(RisClientExitFailureTest, SilentFailureExitIsAnErrorAnExplainedOneKeepsItsMeaning)
{
    struct Case {
        const char* name;
        const char* client;
        const char* rc;
        std::string console;  // the client's console output
        std::string output;   // "<client>.o": the file it writes with -o ("" = none)
        std::string badRows;  // "<client>.b": rows rislod rejected
        std::function<void()> call;
        std::string error;    // "" = passes
    };
    const std::string log = path("load.log");
    const std::string out = path("out.dmp");
    const std::vector<Case> cases = {
        {"load that crashed", "rislod", "134", "rislod: Aborted\r\n", "", "",
         [&] { cris_.RISLoad(dump(), std::nullopt, 0, "", "", 25); }, "rislod ended with exit code 134"},
        {"load that failed without a block", "rislod", "1", "loading\r\n", "", "",
         [&] { cris_.RISLoad(dump(), std::nullopt, 0, "", "", 25); }, "rislod ended with exit code 1"},
        {"load that rejected rows into the log", "rislod", "1", "loading\r\n", "", "1 'bad' \r\n",
         [&] { cris_.RISLoad(dump(), std::nullopt, 0, "", log, 25); }, ""},
        {"load that crashed after rejecting rows", "rislod", "139", "loading\r\n", "", "1 'bad' \r\n",
         [&] { cris_.RISLoad(dump(), std::nullopt, 0, "", log, 25); }, "rislod ended with exit code 139"},
        {"load with an index error only", "rislod", "1", ErrorBlock("RIS_E_CREATE_INDEX", "u_t"), "", "",
         [&] { cris_.RISLoad(dump(), std::nullopt, 0, "", "", 25); }, ""},
        {"unload that crashed after writing a part", "risunlod", "134", "unloading\r\n", "create table t (a int)\r\n",
         "", [&] { cris_.RISUnload(out, "pd_abc", std::nullopt, std::nullopt, "", 0, true, true); },
         "risunlod ended with exit code 134"},
        {"statements cut off", "risbatch", "137", "", "1 row inserted.\r\n", "",
         [&] { cris_.DBWrite("pd_abc", "insert into t values (1); insert into t values (2);"); },
         "risbatch ended with exit code 137"},
        {"listing cut off", "risunlod", "134", "", "create schema pd_abc x\r\ncreate table a (y int)\r\n", "",
         [&] { cris_.DBGetTables("pd_abc", true); }, "risunlod ended with exit code 134"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* f : {".rc", ".console", ".o", ".b"})
            std::filesystem::remove(Host(std::string(c.client) + f));
        Put(std::string(c.client) + ".rc", c.rc);
        Put(std::string(c.client) + ".console", c.console);
        if (!c.output.empty())
            Put(std::string(c.client) + ".o", c.output);
        if (!c.badRows.empty())
            Put(std::string(c.client) + ".b", c.badRows);
        if (c.error.empty()) {
            EXPECT_NO_THROW(c.call());
            continue;
        }
        const AppError e = Raised(c.call);
        EXPECT_NE(e.description().find(c.error), std::string::npos) << e.description();
    }
    // The unload that died left no dump that could pass for a backup.
    EXPECT_FALSE(std::filesystem::exists(HostPath(out)));
}
