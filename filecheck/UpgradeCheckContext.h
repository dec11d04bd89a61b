// What the file check window hands its checks and restores: the project, the search
// directories and seed files of its controls, the result tree and the report workbook.
#pragma once

#include "filecheck/CheckReportWorkbook.h"
#include "services/CheckTree.h"

#include <string>
#include <vector>

class Worksheet;

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
    CheckReportWorkbook report;

    // The report worksheet, nullptr when no report is open.
    Worksheet* Sheet() const { return report.Sheet(); }
    std::string ProjectSchema() const { return "pd_" + projectName; }
};
