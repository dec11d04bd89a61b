// Which schemas the table editor lists for a project.
#include "dbtools/AllProjectSchemas.h"

#include <gtest/gtest.h>

namespace {

using Names = std::vector<std::string>;

TEST(AllProjectSchemasTest, OwnFamiliesByNameThenTheProjectTableNames)
{
    const Names all = {"pd_demo", "dd_demo", "pid_demo", "RA_DEMO", "ru_demo", "ee_demo", "re_demo", "tdt_Demo",
                       "pd_demo2", "shared_lib", "xdemo"};
    EXPECT_EQ(SelectAllProjectSchemas("demo", all, {"dd_demo", "Shared_Lib", "D:\\dir_x", "nounderscore", "shared_lib",
                                                    "PD_DEMO", "gone_schema"}),
              (Names{"pd_demo", "pid_demo", "tdt_Demo", "dd_demo", "Shared_Lib"}));
}

} // namespace
