// Piping model restore with a load client that fails: the restore never reports success for
// tables it cleared and could not fill.
#include "admin/PipingModelRestore.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PipingModelRestoreFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A rislod of the test's own, found first on the search path.
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        fs::create_directories(folder_.host("bin"));
        ::setenv("PATH", (folder_.host("bin") + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override { ::setenv("PATH", savedPath_.c_str(), 1); }

    void rislod(const std::string& body)
    {
        const std::string file = folder_.host("bin/rislod.exe");
        admintest::WriteHostFile(file, "#!/bin/sh\n" + body);
        fs::permissions(file, fs::perms::owner_all);
    }
    std::string dump()
    {
        std::string d = "default schema dd_abc\r\n";
        for (int t : PipingModelRestore::TableNumbers())
            d += "create table pdtable_" + std::to_string(t) + "_3 (a int)\r\ninsert into pdtable_" +
                 std::to_string(t) + "_3 (a) values (?)\r\n***variable*** a \r\n1 \r\n***RIS*** End of Table ***RIS***\r\n";
        admintest::WriteHostFile(folder_.host("dd_abc.dmp"), d + "***RIS*** End of Schema ***RIS***\r\n");
        return folder_.win("dd_abc.dmp");
    }

    admintest::AdminFolder folder_{"pipingfailure"};
    std::string savedPath_;
};

} // namespace

TEST_F(PipingModelRestoreFailureTest, AClientThatDiedOrRejectedRowsIsNoRestore)
{
    std::string errorLine = "* RIS Error: RIS_E_TABLE_NOT_FOUND";
    errorLine.resize(78, ' ');
    const std::string block = std::string(79, '*') + "\n" + errorLine + "*\n" + std::string(79, '*') + "\n";
    struct Case {
        const char* name;
        std::string script;
        std::string error;  // "" = restored
    };
    const std::vector<Case> cases = {
        {"crashed part-way", "echo 'Loading pdtable_12_3'\nexit 134\n", "rislod ended with exit code 134"},
        {"rejected rows without a block", "echo 'Loading pdtable_12_3'\necho '1 row rejected'\nexit 1\n",
         "rislod ended with exit code 1"},
        {"reported a RIS error", "printf '" + block + "'\nexit 1\n", "RIS_E_TABLE_NOT_FOUND"},
        {"loaded", "echo 'Load complete.'\n", ""},
    };
    const PipingModel model{"P1001", "3"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rislod(c.script);
        if (c.error.empty()) {
            EXPECT_NE(PipingModelRestore::Restore(dump(), "abc", model).find("DD schema was restored!"),
                      std::string::npos);
            continue;
        }
        try {
            PipingModelRestore::Restore(dump(), "abc", model);
            ADD_FAILURE() << "reported as restored";
        } catch (const AppError& e) {
            EXPECT_NE(e.description().find("The restore of piping model P1001 into dd_abc ended with errors"),
                      std::string::npos) << e.description();
            EXPECT_NE(e.description().find(c.error), std::string::npos) << e.description();
        }
    }
}
