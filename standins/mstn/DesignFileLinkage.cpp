// Linkage lines of stand-in design files.
#include "standins/mstn/DesignFileLinkage.h"

#include "platform/TextUtil.h"

#include <sstream>

std::optional<DesignFileLinkage> DesignFileLinkage::Read(const std::string& content)
{
    std::istringstream in(content);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(TrimWhite(line));
        std::string keyword, discipline, partition;
        words >> keyword >> discipline >> partition;
        if (keyword == kKeyword && !discipline.empty() && !partition.empty())
            return DesignFileLinkage{discipline, partition};
    }
    return std::nullopt;
}

std::string DesignFileLinkage::Line(const std::string& discipline, const std::string& partition)
{
    return std::string(kKeyword) + " " + discipline + " " + partition + "\r\n";
}

std::string DesignFileLinkage::ResultText(const std::optional<DesignFileLinkage>& linkage)
{
    return linkage ? linkage->discipline + " " + linkage->partition : "0 0";
}
