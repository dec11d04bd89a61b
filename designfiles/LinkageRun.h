// The linkage reading run: every design file (*.dgn) below the listed directories is handed
// to MicroStation with the MDL application read_linkage.ma, which writes the file's discipline
// and partition into a result file; each file gives one row of the linkage report.
#pragma once

#include <functional>
#include <string>
#include <vector>

class LinkageReport;

class LinkageRun {
public:
    explicit LinkageRun(LinkageReport& report) : report_(report) {}

    // The whole run after the window has disabled its button: checks, report creation, the
    // scan, saving, the question "Show report now?" and the common end. reportFileNow gives
    // the report field's text when the report is opened. Never throws: a failure is shown in a
    // message box with the exclamation icon.
    void Run(const std::vector<std::string>& dirs, const std::string& reportFile,
             const std::function<std::string()>& reportFileNow);

    // The MDL application beside the executable.
    static std::string MdlPath();
    // The two command lines for one design file: set "MS_MDL=<folder of the MDL application>"
    // and the MicroStation program with "-wa<application file name>" and the design and result
    // files, each in double quotes ("%" doubled). Raises error 1 when the folder holds a
    // character no path may hold, or a text holds a double quote or a control character.
    static std::string CommandText(const std::string& mdlPath, const std::string& mstnPath,
                                   const std::string& designFile, const std::string& resultFile);

private:
    void scan(const std::vector<std::string>& dirs, const std::string& mdlPath, const std::string& resultFile);

    LinkageReport& report_;
};
