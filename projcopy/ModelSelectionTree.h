// The source project's models in a three-level check-box tree (discipline, area, model), the
// check marks set from a models list file, and the product version check of the two projects.
#pragma once

#include "projcopy/ProjectSides.h"

#include <string>

class CheckTree;
struct CheckTreeNode;
class CopyLog;
class RisParamsAccess;

class ModelSelectionTree {
public:
    ModelSelectionTree(const ProjectSides& sides, const RisParamsAccess& ris, const CopyLog& log, CheckTree& tree)
        : sides_(sides), ris_(ris), log_(log), tree_(tree)
    {
    }

    // Empties the tree and fills it from pdtable_111, 112 and 113 of "pd_" & project through
    // the source parameters file. Nodes are keyed "Discipline<n>", "Area<n>", "Model<n>". False
    // when the reading stopped at a failure (a list that could not be read, which the copy log
    // names, or a key already in the tree); the nodes added so far stay, and `failure` (when
    // given) gets what stopped it. Never throws.
    bool ReadProjectTree(const std::string& project, std::string* failure = nullptr) const;

    // A check mark on node: its subtree takes it, and it spreads upward.
    static void NodeCheck(CheckTreeNode& node);

    // Checks every node without children whose text equals a line of the file (blanks around
    // and letter case ignored). A missing or unreadable file changes nothing. Never throws.
    void SelectModels(const std::string& modelsFile) const;

    // True when both projects' product_version_no were read and are equal character for
    // character. Never throws.
    bool CheckProjectVersions(const std::string& oldProject, const std::string& newProject) const;

private:
    std::string readVersion(const std::string& params, const std::string& project) const;

    const ProjectSides& sides_;
    const RisParamsAccess& ris_;
    const CopyLog& log_;
    CheckTree& tree_;
};
