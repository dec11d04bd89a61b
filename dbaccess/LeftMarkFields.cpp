// Fields of a mark a dead run left, carried on by a later run.
#include "dbaccess/LeftMarkFields.h"

namespace leftmark {

bool IsWhoField(const std::string& name)
{
    return name == "object" || name == "program" || name == "process" || name == "computer" || name == "started";
}

void Put(RunMark::Fields& fields, const std::string& name, const std::string& value)
{
    for (auto& [n, v] : fields)
        if (n == name) {
            v = value;
            return;
        }
    fields.emplace_back(name, value);
}

std::string LeftBy(const RunMark::Fields& left)
{
    const std::string by = RunMark::Field(left, "left by");
    return by.empty() ? RunMark::WhoText(left) : by;
}

std::string LeftWhat(const RunMark::Fields& left)
{
    const std::string carried = RunMark::Field(left, "left what");
    return carried.empty() ? RunMark::Field(left, "what") : carried;
}

RunMark::Fields Carried(const RunMark::Fields& left, bool keepWhat)
{
    RunMark::Fields carried;
    for (const auto& [name, value] : left)
        if (!IsWhoField(name) && (keepWhat || name != "what"))
            carried.emplace_back(name, value);
    Put(carried, "left by", LeftBy(left));
    if (!keepWhat)
        Put(carried, "left what", LeftWhat(left));
    return carried;
}

bool LeftInPart(const RunMark::Fields& left)
{
    if (left.empty() || RunMark::Field(left, "whole if cut off") == "yes")
        return false;
    return RunMark::Field(left, "dump").empty() || !RunMark::Field(left, "left what").empty();
}

} // namespace leftmark
