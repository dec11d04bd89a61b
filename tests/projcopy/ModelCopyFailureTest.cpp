// The project copy with a RIS client that fails on the model's row or on one of its design
// tables: the run never calls such a model copied, and the target lists no model that is not
// there whole.
#include "projcopy/ModelCopyRun.h"

#include "platform/FileAttributes.h"
#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "services/ScriptedMessageService.h"
#include "support/TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using projcopytest::Rows;

class ModelCopyFailureTest : public projcopytest::TwoProjects {
protected:
    void SetUp() override
    {
        TwoProjects::SetUp();
        savedPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        fs::create_directories(bin_.host());
        ::setenv("PATH", (bin_.host() + ":" + savedPath_).c_str(), 1);
    }
    void TearDown() override
    {
        ::setenv("PATH", savedPath_.c_str(), 1);
        fs::remove_all(HostPath("\\\\PDSSRV1\\pds\\copy"));
    }
    // A client found before the real one: it runs the given shell text first ($in and $out are
    // the -i and -o files with forward slashes, "$*" the arguments), then hands over to the real
    // client.
    void wrap(const std::string& client, const std::string& check)
    {
        const std::string file = bin_.host() + "/" + client + ".exe";
        testsupport::WriteHostFile(file, "#!/bin/sh\nprev=\nfor a in \"$@\"; do h=$(printf '%s' \"$a\" | tr '\\\\' '/'); "
                                         "[ \"$prev\" = -i ] && in=$h; [ \"$prev\" = -o ] && out=$h; prev=$a; done\n" +
                                             check + "\nexec '" + testsupport::BinDir() + "/" + client +
                                             ".exe' \"$@\"\n");
        fs::permissions(file, fs::perms::owner_all);
    }
    int copyP1001()
    {
        EmptyTargetPiping();
        fs::remove_all(HostPath("\\\\PDSSRV1\\pds\\copy"));
        CheckTree tree;
        ModelSelectionTree selection(sides, ris, log, tree);
        selection.ReadProjectTree(oldProject);
        for (CheckTreeNode* n : tree.Nodes())
            if (n->text == "P1001") {
                n->checked = true;
                ModelSelectionTree::NodeCheck(*n);
            }
        return ModelCopyRun(sides, ris, log, selection, tree).Run();
    }

    ScriptedMessageService messages;
    CopyLog log;
    RisParamsAccess ris{log};
    testsupport::ScopedDir bin_{"wrapped"};
    std::string savedPath_;
};

} // namespace

TEST_F(ModelCopyFailureTest, AFailedRowOrDesignTableFailsTheModel)
{
    struct Case {
        const char* name;
        const char* client;
        const char* check;
        const char* logLine;
        const char* outcome;  // the model's closing line in the copy log
    };
    const char* tablesFailed = "P1001: design tables not copied whole, model 'P1001' taken out of project 'demo' again";
    const std::vector<Case> cases = {
        {"row insert that crashed", "risbatch",
         "grep -q 'INSERT INTO pdtable_113' \"$in\" && { printf 'RIS batch\\r\\n' > \"$out\"; exit 134; }",
         "P1001: model 'P1001' not added to project 'demo': risbatch ended with exit code 134", "models not copied"},
        {"load that crashed", "rislod", "grep -q pdtable_34_1 \"$in\" && { echo 'Loading pdtable_34_1'; exit 139; }",
         "Table 'pdtable_34_1' not copied into dd_demo: rislod ended with exit code 139", tablesFailed},
        {"load that rejected rows", "rislod", "grep -q pdtable_50_1 \"$in\" && { echo '2 rows rejected'; exit 1; }",
         "Table 'pdtable_50_1' not copied into dd_demo: rislod ended with exit code 1", tablesFailed},
        {"unload that crashed", "risunlod", "case \"$*\" in *pdtable_67_1*) echo unloading; exit 134;; esac",
         "Table 'pdtable_67_1' not copied into dd_demo: risunlod ended with exit code 134", tablesFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(bin_.host());
        fs::create_directories(bin_.host());
        wrap(c.client, c.check);
        const size_t asked = messages.asked().size();
        EXPECT_EQ(copyP1001(), 1);
        ASSERT_EQ(messages.asked().size(), asked + 1);
        EXPECT_EQ(messages.asked().back().prompt, "Models not copied: 'P1001'. See the copy log '" + log.Path() + "'");
        EXPECT_TRUE(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1001'").empty());
        const std::string text = CopyLogText();
        EXPECT_NE(text.find(c.logLine), std::string::npos) << text;
        EXPECT_NE(text.find(c.outcome), std::string::npos) << text;
        EXPECT_EQ(text.find("processing successfully complete"), std::string::npos) << text;
    }
}

// A list of the target that cannot be read is no empty list: the model it was to be checked
// against is not copied, the run ends failed and names what it could not read.
TEST_F(ModelCopyFailureTest, AFailedReadOfTheTargetStopsTheRun)
{
    struct Case {
        const char* name;
        const char* check;
        const char* prompt;  // the message's beginning
        const char* error;   // in the message and the copy log
    };
    const std::vector<Case> cases = {
        {"model list, client crashed",
         "grep -q 'SELECT partition_no, model_index_no FROM pdtable_113' \"$in\" && "
         "{ printf 'RIS batch\\r\\n' > \"$out\"; exit 134; }",
         "Cannot read the model list (pdtable_113) of project 'demo': ", "risbatch ended with exit code 134"},
        {"model list, schema gone",
         "grep -q 'SELECT partition_no, model_index_no FROM pdtable_113' \"$in\" && sed -i s/pd_demo/pd_gone/ \"$in\"",
         "Cannot read the model list (pdtable_113) of project 'demo': ", "RIS Error:"},
        {"partition list, no answer", "grep -q 'SELECT partition_no FROM pdtable_114' \"$in\" && exit 1",
         "Cannot read the partition list (pdtable_114) of project 'demo': ", "risbatch gave no answer"},
        {"discipline list, no answer", "grep -q 'SELECT discipline_indx_no FROM pdtable_111' \"$in\" && exit 1",
         "Cannot read the discipline list (pdtable_111) of project 'demo': ", "risbatch gave no answer"},
        {"source model row, no answer", "grep -q 'SELECT \\* FROM pdtable_113 WHERE model_no' \"$in\" && exit 1",
         "Cannot read the model row (pdtable_113) of project 'demo': ", "risbatch gave no answer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(bin_.host());
        fs::create_directories(bin_.host());
        wrap("risbatch", c.check);
        const size_t asked = messages.asked().size();
        EXPECT_EQ(copyP1001(), 1);
        ASSERT_EQ(messages.asked().size(), asked + 1);
        const std::string prompt = messages.asked().back().prompt;
        EXPECT_EQ(prompt.rfind(c.prompt, 0), 0u) << prompt;
        EXPECT_NE(prompt.find(c.error), std::string::npos) << prompt;
        EXPECT_TRUE(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1001'").empty());
        const std::string text = CopyLogText();
        EXPECT_NE(text.find(std::string("P1001: ") + c.prompt), std::string::npos) << text;
        EXPECT_NE(text.find(c.error), std::string::npos) << text;
        EXPECT_NE(text.find("processing failed"), std::string::npos) << text;
    }
    // Read whole, an empty list of the target is still empty: the model goes in.
    fs::remove_all(bin_.host());
    projcopytest::RunSql(targetRoot, "default schema pd_demo;\r\ndelete from pdtable_113;\r\ndelete from pdtable_114;\r\n");
    EXPECT_EQ(copyP1001(), 0);
    EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1001'").size(), 1u);
}

// A companion file that another program holds in use: xcopy copies the model file before it and
// then fails, so the model file alone must not make the model count as copied.
TEST_F(ModelCopyFailureTest, AnXcopyThatFailsOnACompanionFileFailsTheModel)
{
    std::string folder;
    for (const char* share : {"\\\\PDSSRV1\\D\\pds\\demo\\model\\", "\\\\PDSSRV1\\D$\\pds\\demo\\model\\"})
        if (fs::exists(HostPath(std::string(share) + "p1001.dgn")))
            folder = share;
    ASSERT_FALSE(folder.empty());
    const std::string companion = folder + "p1001.zzz";   // listed after p1001.dgn
    testsupport::WriteHostFile(HostPath(companion), "companion");
    struct RemoveAfter {
        std::string host;
        ~RemoveAfter() { fs::remove(host); }
    } removeCompanion{HostPath(companion)};
    {
        FileLock inUse(companion, false);
        ASSERT_TRUE(inUse.held());
        EXPECT_EQ(copyP1001(), 1);
    }
    ASSERT_FALSE(messages.asked().empty());
    EXPECT_EQ(messages.asked().back().prompt, "Models not copied: 'P1001'. See the copy log '" + log.Path() + "'");
    EXPECT_TRUE(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1001'").empty());
    const std::string text = CopyLogText();
    EXPECT_NE(text.find("P1001: xcopy of the model files ended with exit code 4, model 'P1001' taken out of project "
                        "'demo' again"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("processing successfully complete"), std::string::npos) << text;
}
