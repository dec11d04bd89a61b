// Project membership of schema names: the whole-suffix rule and the project list.
#include "admin/ProjectSchemaRules.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

struct MembershipCase {
    const char* name;
    const char* schema;
    const char* project;
    bool member;
    friend std::ostream& operator<<(std::ostream& os, const MembershipCase& c) { return os << c.name; }
};

class SchemaOfProjectTest : public ::testing::TestWithParam<MembershipCase> {};

TEST_P(SchemaOfProjectTest, WholeProjectNameAfterFirstUnderscore)
{
    const auto& c = GetParam();
    EXPECT_EQ(IsSchemaOfProject(c.schema, c.project), c.member) << c.schema << " / " << c.project;
}

INSTANTIATE_TEST_SUITE_P(Cases, SchemaOfProjectTest,
                         ::testing::Values(MembershipCase{"Exact", "pd_p1", "p1", true},
                                           MembershipCase{"AnyCase", "DD_P1", "p1", true},
                                           MembershipCase{"LongerProjectIsOther", "pd_p10", "p1", false},
                                           MembershipCase{"ShorterProjectIsOther", "pd_p1", "p10", false},
                                           MembershipCase{"ProjectWithUnderscore", "pipm_my_abc", "my_abc", true},
                                           MembershipCase{"SuffixOfLongerName", "pd_my_abc", "abc", false},
                                           MembershipCase{"NoUnderscore", "p1", "p1", false},
                                           MembershipCase{"EmptyProject", "pd_", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProjectSchemaRulesTest, ExistingProjectNeedsTheWholeProjectSchema)
{
    std::vector<std::string> names{"pd_abcd", "dd_abc", "PD_Xyz"};
    EXPECT_FALSE(IsExistingProject(names, "abc"));
    EXPECT_TRUE(IsExistingProject(names, "abcd"));
    EXPECT_TRUE(IsExistingProject(names, "xyz"));
    EXPECT_FALSE(IsExistingProject(names, ""));
}

TEST(ProjectSchemaRulesTest, SchemasOfProjectKeepListOrder)
{
    std::vector<std::string> names{"dd_p1", "pd_p10", "mto_p1", "pd_p1", "p1"};
    EXPECT_EQ(SchemasOfProject(names, "P1"), (std::vector<std::string>{"dd_p1", "mto_p1", "pd_p1"}));
}

TEST(ProjectSchemaRulesTest, ProjectPickListFromProjectSchemas)
{
    std::vector<std::string> names{"pd_abc", "dd_abc", "pd_xyz"};
    EXPECT_EQ(ProjectsOfSchemaList(names), (std::vector<std::string>{"abc", "xyz"}));
}

} // namespace
