// What the linkage reading makes of the result file that read_linkage.ma leaves: the
// discipline and partition texts of one report row.
#pragma once

#include <string>

struct LinkageResult {
    std::string discipline; // "Piping", "Equipment" or "Unknown"
    std::string partition;  // the partition number text, or "No partition_no found"

    // The content is split at every single blank (line breaks are no separators, nothing is
    // trimmed): field 1 "1" is piping with field 2 as its partition, "2" equipment without
    // one, anything else (also an empty content) unknown. A piping result without a second
    // field has no partition.
    static LinkageResult Parse(const std::string& content);
};
