// The schema list wrapper's error form and the project schema's name.
#include "dbaccess/SchemaLists.h"

#include "platform/AppError.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(SchemaListsTest, ProjectSchemaNameKeepsTheProjectAsGiven)
{
    EXPECT_EQ(GetProjectSchemaName("Abc 1"), "pd_Abc 1");
    EXPECT_EQ(GetProjectSchemaName(""), "pd_");
}

TEST(SchemaListsTest, GetSchemasRaisesOwnErrorWithIncomingSourceInTheDescription)
{
    // No RIS client registered: the access object cannot list anything.
    std::filesystem::remove_all(std::filesystem::path(std::getenv("TARNWICK_ROOT")) / "registry");
    try {
        GetSchemas(true);
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "GetSchemas");
        EXPECT_EQ(e.description().rfind("CRIS::", 0), 0u) << e.description();
        EXPECT_NE(e.description().find(": RIS client not found or not correctly installed"), std::string::npos)
            << e.description();
    }
}

} // namespace
