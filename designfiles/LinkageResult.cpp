// Reading the result of read_linkage.ma.
#include "designfiles/LinkageResult.h"

#include "platform/TextUtil.h"

#include <vector>

LinkageResult LinkageResult::Parse(const std::string& content)
{
    const char* const noPartition = "No partition_no found";
    const std::vector<std::string> fields = Split(content, " ");
    const std::string code = fields.empty() ? std::string() : fields[0];
    if (code == "1")
        return {"Piping", fields.size() > 1 ? fields[1] : noPartition};
    if (code == "2")
        return {"Equipment", noPartition};
    return {"Unknown", noPartition};
}
