// Message template formatting of the DDL check window.
#include "dbtools/DdlMessageArgs.h"

#include "platform/Clock.h"
#include "platform/TextUtil.h"

namespace ddl {

namespace {
const std::string kSeparator = "|||";
}

std::vector<std::string> SplitMessageArgs(std::string& text)
{
    const size_t p = text.find(kSeparator);
    if (p == std::string::npos) {
        text = Trim(text);
        return {};
    }
    const std::string rest = Trim(std::string_view(text).substr(p + kSeparator.size()));
    text = Trim(std::string_view(text).substr(0, p));
    if (rest.empty())
        return {std::string()};
    return Split(rest, kSeparator);
}

std::string ReplaceMessageArgs(std::string& text, bool removeAmpersands)
{
    std::string result;
    try {
        const std::vector<std::string> args = SplitMessageArgs(text);
        result = text;
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string placeholder = "%" + std::to_string(i) + "%";
            result = ReplaceAll(result, placeholder, args[i]);
            text = ReplaceAll(text, placeholder, args[i]);
            DoEvents();
        }
        if (removeAmpersands)
            result = ReplaceAll(result, "&", "");
        return result;
    } catch (...) {
        return text;
    }
}

} // namespace ddl
