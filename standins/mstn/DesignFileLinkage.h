// The linkage of a design file in the stand-in environment. A stand-in design file is a plain
// text file; the line
//     PDS-LINKAGE <discipline code> <partition number>
// anywhere in it (the first such line counts; words separated by blanks) gives the discipline
// code (1 piping, 2 equipment) and partition number that the design system writes into a real
// design file's linkage. A file without that line carries no linkage.
#pragma once

#include <optional>
#include <string>

struct DesignFileLinkage {
    std::string discipline;
    std::string partition;

    static constexpr const char* kKeyword = "PDS-LINKAGE";

    // The linkage line of the design file's content, or nothing.
    static std::optional<DesignFileLinkage> Read(const std::string& content);
    // The line that gives a design file this linkage, with its CR LF.
    static std::string Line(const std::string& discipline, const std::string& partition);
    // What read_linkage.ma writes into its result file: discipline code, a blank, partition
    // number, nothing after; "0 0" for a file without linkage.
    static std::string ResultText(const std::optional<DesignFileLinkage>& linkage);
};
