// Piping model restore with a load client that fails: the restore never reports success for
// tables it cleared and could not fill.
#include "admin/PipingModelRestore.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"

#include <gtest/gtest.h>

#include <cerrno>
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
    void TearDown() override
    {
        SetHostFileFault(nullptr);
        ::setenv("PATH", savedPath_.c_str(), 1);
    }

    void rislod(const std::string& body) { client("rislod", body); }
    void client(const std::string& name, const std::string& body)
    {
        const std::string file = folder_.host("bin/" + name + ".exe");
        admintest::WriteHostFile(file, "#!/bin/sh\n" + body);
        fs::permissions(file, fs::perms::owner_all);
    }
    static std::string block(const std::string& error)
    {
        std::string errorLine = "* RIS Error: " + error;
        errorLine.resize(78, ' ');
        return std::string(79, '*') + "\n" + errorLine + "*\n" + std::string(79, '*') + "\n";
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
    struct Case {
        const char* name;
        std::string script;
        std::string error;  // "" = restored
    };
    const std::vector<Case> cases = {
        {"crashed part-way", "echo 'Loading pdtable_12_3'\nexit 134\n", "rislod ended with exit code 134"},
        {"rejected rows without a block", "echo 'Loading pdtable_12_3'\necho '1 row rejected'\nexit 1\n",
         "rislod ended with exit code 1"},
        {"reported a RIS error", "printf '" + block("RIS_E_TABLE_NOT_FOUND") + "'\nexit 1\n", "RIS_E_TABLE_NOT_FOUND"},
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

// The list the restore offers is this run's answer or none: an old output that stays, a client
// that died part-way or reported an error give an error instead of a stale or partial list.
TEST_F(PipingModelRestoreFailureTest, AStaleOrPartialModelListIsNoList)
{
    const std::string output = HostPath(PipingModelRestore::OutputFile());
    const std::string list = "model_no: 'P1001'\npartition_no: 3\nmodel_no: 'P1002'\npartition_no: 4\n";
    struct Case {
        const char* name;
        bool oldOutputStays;   // an earlier run's output that cannot be deleted
        std::string script;    // the risbatch run
        std::string error;     // "" = listed
    };
    const std::vector<Case> cases = {
        {"old output that cannot be deleted", true, "exit 134\n", "could not be deleted"},
        {"died part-way", false, "printf \"model_no: 'P1001'\\npartition_no: 3\\n\" > '" + output + "'\nexit 134\n",
         "risbatch ended with exit code 134"},
        {"reported a RIS error", false, "printf '" + block("RIS_E_TABLE_NOT_FOUND") + "' > '" + output + "'\nexit 1\n",
         "RIS_E_TABLE_NOT_FOUND"},
        {"listed", false, "printf \"" + list + "\" > '" + output + "'\n", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client("risbatch", c.script);
        if (c.oldOutputStays) {
            admintest::WriteHostFile(output, "model_no: 'OLD1'\npartition_no: 9\n");
            SetHostFileFault([&](const std::string& op, const std::string& host) {
                return op == "delete" && host == output ? EACCES : 0;
            });
        }
        try {
            const std::vector<PipingModel> models = PipingModelRestore::ListModels("abc");
            EXPECT_TRUE(c.error.empty()) << "listed " << models.size() << " model(s)";
            if (c.error.empty()) {
                ASSERT_EQ(models.size(), 2u);
                EXPECT_EQ(models[1].modelNo, "P1002");
                EXPECT_EQ(models[1].partitionNo, "4");
            }
        } catch (const AppError& e) {
            EXPECT_FALSE(c.error.empty()) << e.description();
            EXPECT_NE(e.description().find(c.error), std::string::npos) << e.description();
        }
        SetHostFileFault(nullptr);
        fs::remove(output);
    }
}
