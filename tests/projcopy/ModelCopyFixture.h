// The project copy of the sample's model P1001 into a target whose piping discipline is emptied
// and whose piping models go to \\PDSSRV1\pds\copy\model, with the RIS clients wrapped.
#pragma once

#include "platform/ado/Recordset.h"
#include "projcopy/CopyLog.h"
#include "projcopy/ModelCopyRun.h"
#include "projcopy/ModelSelectionTree.h"
#include "projcopy/ProjCopyTestSupport.h"
#include "projcopy/RisParamsAccess.h"
#include "services/CheckTree.h"
#include "services/ScriptedMessageService.h"
#include "support/WrapperClients.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace projcopytest {

namespace fs = std::filesystem;

inline const char* const kCopyFolder = "\\\\PDSSRV1\\pds\\copy";

class ModelCopyFixture : public TwoProjects {
protected:
    void SetUp() override
    {
        TwoProjects::SetUp();
        EmptyTargetPiping();
        fs::remove_all(HostPath(kCopyFolder));
        before = TargetState(targetRoot);
        bothBefore = BothProjects();
    }
    void TearDown() override
    {
        fs::remove_all(HostPath(kCopyFolder));
        TwoProjects::TearDown();
    }
    // The copy run of the models checked in the source's tree, between the projects of on.
    int copyModels(const ProjectSides& on, const std::vector<std::string>& models)
    {
        CheckTree tree;
        ModelSelectionTree selection(on, ris, log, tree);
        if (!models.empty())
            selection.ReadProjectTree(on.oldProject());
        for (CheckTreeNode* n : tree.Nodes())
            if (std::find(models.begin(), models.end(), n->text) != models.end()) {
                n->checked = true;
                ModelSelectionTree::NodeCheck(*n);
            }
        return ModelCopyRun(on, ris, log, selection, tree).Run();
    }
    int copyP1001() { return copyModels(sides, {"P1001"}); }
    std::string lastMessage() const { return messages.asked().empty() ? "" : messages.asked().back().prompt; }
    std::string notCopied(const std::string& stands = ": what its copy made is taken out of project 'demo' again") const
    {
        return "Models not copied: 'P1001'. See the copy log '" + log.Path() + "'\r\n'P1001'" + stands;
    }
    // P1001 whole in the target: its rows, its file and the five design tables of its partitions
    // with their rows.
    void expectP1001Whole(size_t rows = 1, const std::string& partition = "1")
    {
        EXPECT_EQ(Rows(targetRoot, "pd_demo", "SELECT * FROM pdtable_113 WHERE model_no = 'P1001'").size(), rows);
        EXPECT_TRUE(fs::exists(HostPath(std::string(kCopyFolder) + "\\model\\p1001.dgn")));
        for (const std::string& p : {std::string("1"), partition})
            for (int t : {12, 34, 50, 67, 80}) {
                const std::string table = "SELECT * FROM pdtable_" + std::to_string(t) + "_" + p;
                EXPECT_EQ(Rows(targetRoot, "dd_demo", table), Rows(StandInRoot(), "dd_demo", table)) << table;
            }
    }

    ScriptedMessageService messages;
    CopyLog log;
    RisParamsAccess ris{log};
    std::string before, bothBefore;
    // The copy starts the clients by their bare names: the wrappers are first on PATH.
    testsupport::WrapperClients clients;
};

// The target folder as the copy names it (the administrative share of drive D).
inline const std::string kFolder = "\\\\PDSSRV1\\D$\\pds\\copy\\model";
inline const std::string kRowsOfTheModel = "model 'P1001' (pdtable_113), area 'A1' (pdtable_112), discipline 'Piping' (pdtable_111)";
inline std::string filesAndRows(const std::string& tables)
{
    return tables + "file '" + kFolder + "\\p1001.dgn', folder '" + kFolder + "', folder '\\\\PDSSRV1\\D$\\pds\\copy', " +
           kRowsOfTheModel;
}

} // namespace projcopytest
