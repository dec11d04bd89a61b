// Project membership of schema names.
#include "admin/ProjectSchemaRules.h"

#include "platform/TextUtil.h"

bool IsSchemaOfProject(std::string_view schema, std::string_view project)
{
    if (project.empty())
        return false;
    size_t us = schema.find('_');
    if (us == std::string_view::npos)
        return false;
    return EqualsNoCase(schema.substr(us + 1), project);
}

bool IsExistingProject(const std::vector<std::string>& schemaNames, std::string_view project)
{
    if (project.empty())
        return false;
    std::string wanted = "pd_" + std::string(project);
    for (const auto& name : schemaNames)
        if (EqualsNoCase(name, wanted))
            return true;
    return false;
}

std::vector<std::string> SchemasOfProject(const std::vector<std::string>& schemaNames, std::string_view project)
{
    std::vector<std::string> out;
    for (const auto& name : schemaNames)
        if (IsSchemaOfProject(name, project))
            out.push_back(name);
    return out;
}

std::vector<std::string> SchemasToUnloadAll(const std::vector<std::string>& schemaNames)
{
    std::vector<std::string> out;
    for (const auto& name : schemaNames)
        if (name.compare(0, 4, "mto_") != 0)
            out.push_back(name);
    return out;
}

std::vector<std::string> ProjectsOfSchemaList(const std::vector<std::string>& schemaNames)
{
    std::vector<std::string> out;
    for (const auto& name : schemaNames)
        if (name.compare(0, 3, "pd_") == 0)
            out.push_back(name.substr(3));
    return out;
}
