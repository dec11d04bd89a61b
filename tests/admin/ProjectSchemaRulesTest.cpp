// Project membership of schema names: the whole-suffix rule and the project list.
#include "admin/ProjectSchemaRules.h"

#include <gtest/gtest.h>

namespace {

TEST(ProjectSchemaRulesTest, ASchemaBelongsToTheWholeProjectNameAfterItsFirstUnderscore)
{
    const struct {
        const char* schema;
        const char* project;
        bool member;
    } cases[] = {
        {"pd_p1", "p1", true},          {"DD_P1", "p1", true},      {"pd_p10", "p1", false},
        {"pd_p1", "p10", false},        {"pipm_my_abc", "my_abc", true}, {"pd_my_abc", "abc", false},
        {"p1", "p1", false},            {"pd_", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSchemaOfProject(c.schema, c.project), c.member) << c.schema << " / " << c.project;
}

TEST(ProjectSchemaRulesTest, ExistingProjectNeedsTheWholeProjectSchema)
{
    std::vector<std::string> names{"pd_abcd", "dd_abc", "PD_Xyz"};
    EXPECT_FALSE(IsExistingProject(names, "abc"));
    EXPECT_TRUE(IsExistingProject(names, "abcd"));
    EXPECT_TRUE(IsExistingProject(names, "xyz"));
    EXPECT_FALSE(IsExistingProject(names, ""));
}

TEST(ProjectSchemaRulesTest, SchemasOfProjectKeepListOrderAndThePickListTakesProjectSchemas)
{
    std::vector<std::string> names{"dd_p1", "pd_p10", "mto_p1", "pd_p1", "p1"};
    EXPECT_EQ(SchemasOfProject(names, "P1"), (std::vector<std::string>{"dd_p1", "mto_p1", "pd_p1"}));
    EXPECT_EQ(ProjectsOfSchemaList({"pd_abc", "dd_abc", "pd_xyz"}), (std::vector<std::string>{"abc", "xyz"}));
}

} // namespace
