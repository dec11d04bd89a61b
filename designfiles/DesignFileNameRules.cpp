// Design file naming rules.
#include "designfiles/DesignFileNameRules.h"

#include "platform/TextUtil.h"

bool DesignFileNameRules::Matches(const std::string& spec, const std::string& number)
{
    const size_t dot = spec.find('.');
    const std::string base = Trim(dot == std::string::npos ? spec : spec.substr(0, dot));
    return ToLower(base) == ToLower(number);
}

DesignFileNameRules::Parts DesignFileNameRules::Split(const std::string& spec)
{
    const size_t dot = spec.find('.');
    if (dot == std::string::npos)
        return {Trim(spec), ""};
    return {Trim(spec.substr(0, dot)), Trim(spec.substr(dot))};
}

bool DesignFileNameRules::HasSpecialChars(const std::string& text)
{
    if (IsBlank(text))
        return false;
    return text.find_first_of("\\/:?\"<>| ") != std::string::npos;
}
