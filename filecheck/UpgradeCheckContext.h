// What the file check window hands its checks and restores: the project, the search
// directories and seed files of its controls, the result tree and the report workbook.
#pragma once

#include "filecheck/CheckReportWorkbook.h"
#include "services/CheckTree.h"

#include <map>
#include <string>
#include <vector>

class Worksheet;

// A table row whose file the check found missing, by the column values as stored: the server,
// the folder on it and the file name (a FrameWorks companion's name for a companion).
struct MissingFileRow {
    std::string server;
    std::string path;
    std::string fileName;
};

struct UpgradeCheckContext {
    // The project given to ShowMe; its schema is "pd_" + projectName.
    std::string projectName;
    // lstDirs, in list order.
    std::vector<std::string> searchDirs;
    // txtFWSeedFile and txtSeedFile: full paths, possibly empty.
    std::string fwSeedFile;
    std::string seedFile;
    // tvwTreeView's model.
    CheckTree tree;
    // The key of every File node the check entered to the table rows whose file it found
    // missing: one file name in two folders of one model or drawing gives one node, yet only
    // the rows whose file was missing are that node's to restore. Cleared with the tree.
    std::map<std::string, std::vector<MissingFileRow>> missingFiles;
    CheckReportWorkbook report;

    // The report worksheet, nullptr when no report is open.
    Worksheet* Sheet() const { return report.Sheet(); }
    std::string ProjectSchema() const { return "pd_" + projectName; }
    // Notes that the File node of the key (when the tree holds it) stands for the row's file.
    void NoteMissingFile(const std::string& nodeKey, const MissingFileRow& row)
    {
        if (!nodeKey.empty() && tree.Contains(nodeKey))
            missingFiles[nodeKey].push_back(row);
    }
    // The rows noted for the node, or nullptr for a node the check of this context did not enter.
    const std::vector<MissingFileRow>* MissingFilesOf(const std::string& nodeKey) const
    {
        const auto it = missingFiles.find(nodeKey);
        return it == missingFiles.end() ? nullptr : &it->second;
    }
    void ClearFindings()
    {
        tree.Clear();
        missingFiles.clear();
    }
};
