// Piping model restore on the sample environment with RIS clients that fail: the restore never
// reports success for tables it cleared and could not fill, and the model list is this run's
// whole answer or none.
#include "admin/PipingModelRestore.h"

#include "AdminTestSupport.h"
#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/WinPath.h"
#include "support/SampleEnvironment.h"
#include "support/WrapperClients.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace {

using testsupport::ClientRule;

class PipingModelRestoreFailureTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::BuildSampleEnvironment(); }
    void TearDown() override { SetHostFileFault(nullptr); }

    // What the call raised; empty when it went through.
    template <class Call> static std::string failureOf(Call call)
    {
        try {
            call();
            return {};
        } catch (const AppError& e) {
            return e.description();
        }
    }

    admintest::AdminFolder folder_{"pipingfailure"};
    testsupport::WrapperClients clients_;
    const std::string dump_ = WinPathFromHost(testsupport::SourceDir() + "/tests/data/standins/dd_demo.dmp");
};

TEST_F(PipingModelRestoreFailureTest, AClientThatDiedOrRefusedATableIsNoRestore)
{
    struct Case {
        const char* name;
        ClientRule rule;    // of rislod
        std::string error;  // "" = restored
    };
    const std::vector<Case> cases = {
        {"crashed at the end of the load", ClientRule::DieAfter(134), "rislod ended with exit code 134"},
        {"died before loading, rows unsaid", ClientRule::DieBefore(1, "1 row rejected"), "rislod ended with exit code 1"},
        {"refused a table", ClientRule::FailTable("pdtable_34_1", "RIS_E_TABLE_NOT_FOUND"),
         "RIS Error: RIS_E_TABLE_NOT_FOUND - "},
        {"loaded", ClientRule::PassThrough(), ""},
    };
    const PipingModel model{"P1001", "1"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients_.Set("rislod", c.rule);
        std::string message;
        const std::string error = failureOf([&] { message = PipingModelRestore::Restore(dump_, "demo", model); });
        EXPECT_EQ(clients_.Runs("rislod"), 1);
        if (c.error.empty()) {
            EXPECT_EQ(error, "");
            EXPECT_NE(message.find("DD schema was restored!"), std::string::npos);
            continue;
        }
        EXPECT_NE(error.find("The restore of piping model P1001 into dd_demo ended with errors"), std::string::npos)
            << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        EXPECT_EQ(error.find("*****"), std::string::npos) << error; // the error, not its frame
    }
}

TEST_F(PipingModelRestoreFailureTest, AStaleOrPartialModelListIsNoList)
{
    const std::string output = HostPath(PipingModelRestore::OutputFile());
    struct Case {
        const char* name;
        bool oldOutputStays; // an earlier run's output that cannot be deleted
        ClientRule rule;     // of risbatch
        std::string error;   // "" = listed
    };
    const std::vector<Case> cases = {
        {"old output that cannot be deleted", true, ClientRule::PassThrough(), "could not be deleted"},
        {"died after its answer", false, ClientRule::DieAfter(134), "risbatch ended with exit code 134"},
        {"refused the query", false, ClientRule::RefuseStatement("pdtable_113", "RIS_E_TABLE_NOT_FOUND"),
         "RIS_E_TABLE_NOT_FOUND"},
        {"listed", false, ClientRule::PassThrough(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clients_.Set("risbatch", c.rule);
        if (c.oldOutputStays) {
            admintest::WriteHostFile(output, "model_no: 'OLD1'\npartition_no: 9\n");
            SetHostFileFault([&](const std::string& op, const std::string& host) {
                return op == "delete" && host == output ? EACCES : 0;
            });
        }
        std::vector<PipingModel> models;
        const std::string error = failureOf([&] { models = PipingModelRestore::ListModels("demo"); });
        SetHostFileFault(nullptr);
        std::filesystem::remove(output);
        if (!c.error.empty()) {
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(error, "");
        ASSERT_EQ(models.size(), 2u);
        EXPECT_EQ(models[1].modelNo, "P1002");
        EXPECT_EQ(models[1].partitionNo, "2");
    }
}

} // namespace
