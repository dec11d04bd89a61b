// Environment access.
#include "platform/Environment.h"

#include "platform/TextUtil.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

extern char** environ;

std::string GetEnvVar(const std::string& name)
{
    if (const char* v = std::getenv(name.c_str()))
        return v;
    for (char** e = environ; e && *e; ++e) {
        std::string_view entry(*e);
        size_t eq = entry.find('=');
        if (eq != std::string_view::npos && EqualsNoCase(entry.substr(0, eq), name))
            return std::string(entry.substr(eq + 1));
    }
    return {};
}

void SetEnvVar(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

void InitEnvironmentDefaults()
{
    std::error_code ec;
    std::string tmp = std::filesystem::temp_directory_path(ec).string();
    if (tmp.empty())
        tmp = "/tmp";
    if (GetEnvVar("TEMP").empty())
        SetEnvVar("TEMP", tmp);
    if (GetEnvVar("TMP").empty())
        SetEnvVar("TMP", tmp);
    if (GetEnvVar("COMPUTERNAME").empty())
        SetEnvVar("COMPUTERNAME", ComputerName());
}

std::string ComputerName()
{
    std::string v = GetEnvVar("COMPUTERNAME");
    if (!v.empty())
        return v;
    char buf[256] = {};
    if (::gethostname(buf, sizeof buf - 1) == 0 && buf[0])
        return ToUpper(buf);
    return "LOCALHOST";
}
