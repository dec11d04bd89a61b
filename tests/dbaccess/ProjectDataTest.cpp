// The schemas of a project as assembled from RIS's list and pdtable_102, and the refusals of
// the project-data queries that need no server.
#include "dbaccess/ProjectData.h"

#include "platform/AppError.h"
#include "support/Raised.h"

#include <gtest/gtest.h>
#include <ostream>

namespace {

using Names = std::vector<std::string>;

struct ComposeCase {
    const char* name;
    std::string project;
    std::string projectSchema;   // empty: the project schema lacks pdtable_102
    Names pathNames;
    Names risSchemas;
    Names expected;
};

std::ostream& operator<<(std::ostream& os, const ComposeCase& c) { return os << c.name; }


class ComposeProjectSchemasTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeProjectSchemasTest, OrdersAndFiltersTheNames)
{
    const ComposeCase& c = GetParam();
    EXPECT_EQ(ComposeProjectSchemas(c.project, c.projectSchema, c.pathNames, c.risSchemas), c.expected);
}

const Names kRis{"pd_p1", "dd_p1", "ra_p1", "ee_p1", "other_p2", "shared_db", "pd_p10"};

const ComposeCase kComposeCases[] = {
    {"ProjectSchemaThenNamedThenSuffixed", "p1", "pd_p1", {"shared_db", "ee_p1"}, kRis,
     {"pd_p1", "shared_db", "ee_p1", "dd_p1", "ra_p1"}},
    {"DirectoryPathIsNoSchema", "p1", "pd_p1", {"C:\\proj_dir", "shared_db"}, kRis,
     {"pd_p1", "shared_db", "dd_p1", "ra_p1", "ee_p1"}},
    {"NameWithoutUnderscoreIgnored", "p1", "pd_p1", {"shareddb"}, Names{"pd_p1", "shareddb"}, {"pd_p1"}},
    {"NameUnknownToRISIgnored", "p1", "pd_p1", {"gone_db"}, kRis, {"pd_p1", "dd_p1", "ra_p1", "ee_p1"}},
    {"NamedInTheRowsCaseOnce", "p1", "pd_p1", {"SHARED_DB", "shared_db", "RA_P1"}, kRis,
     {"pd_p1", "SHARED_DB", "RA_P1", "dd_p1", "ee_p1"}},
    {"NoPdtable102OnlySuffixedNames", "p1", "", {}, kRis, {"pd_p1", "dd_p1", "ra_p1", "ee_p1"}},
    {"ProjectCaseIgnored", "P1", "pd_P1", {}, kRis, {"pd_P1", "dd_p1", "ra_p1", "ee_p1"}},
    {"LongerProjectNameNotMatched", "p10", "", {}, kRis, {"pd_p10"}},
    {"NothingKnownToRIS", "p1", "", {}, {}, {}},
};

INSTANTIATE_TEST_SUITE_P(Lists, ComposeProjectSchemasTest, ::testing::ValuesIn(kComposeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GetProjectSchemasTest, BlankProjectRefused)
{
    const AppError e = testsupport::Raised([] { GetProjectSchemas(" ", false); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "GetProjectSchemas");
    EXPECT_EQ(e.description(), "Project number not defined");
}

} // namespace
