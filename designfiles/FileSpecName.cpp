// Design file naming rules.
#include "designfiles/FileSpecName.h"

#include "platform/TextUtil.h"

bool FileSpecName::Matches(const std::string& spec, const std::string& number)
{
    const size_t dot = spec.find('.');
    const std::string base = Trim(dot == std::string::npos ? spec : spec.substr(0, dot));
    return ToLower(base) == ToLower(number);
}

FileSpecName::Parts FileSpecName::Split(const std::string& spec)
{
    const size_t dot = spec.find('.');
    if (dot == std::string::npos)
        return {Trim(spec), ""};
    return {Trim(spec.substr(0, dot)), Trim(spec.substr(dot))};
}

bool FileSpecName::HasSpecialChars(const std::string& text)
{
    if (IsBlank(text))
        return false;
    return text.find_first_of("\\/:?\"<>| ") != std::string::npos;
}
