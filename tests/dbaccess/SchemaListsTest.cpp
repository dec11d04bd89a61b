// The schema list wrapper's error form, with no RIS client registered.
#include "dbaccess/SchemaLists.h"

#include "dbaccess/CRIS.h"
#include "dbaccess/RegistryAside.h"
#include "platform/AppError.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"

#include <optional>
#include <gtest/gtest.h>

namespace {

// No RIS client registered while it lives, and the process-wide access object made to forget
// the client and the schema lists it found before, also when it goes: the object finds the
// registered client again on its next use.
class NoRisClientRegistered {
public:
    NoRisClientRegistered() { forget(); }
    ~NoRisClientRegistered()
    {
        registry_.reset();
        forget();
    }
    NoRisClientRegistered(const NoRisClientRegistered&) = delete;
    NoRisClientRegistered& operator=(const NoRisClientRegistered&) = delete;

private:
    static void forget()
    {
        try {
            gCRIS->SetUseRIS("");
        } catch (const AppError&) {
        }
        try {
            gCRIS->RISGetSchemas(true, true); // drops both cached lists
        } catch (const AppError&) {
        }
    }
    std::optional<dumptest::RegistryAside> registry_{std::in_place};
};

TEST(SchemaListsTest, GetSchemasRaisesOwnErrorWithIncomingSourceInTheDescription)
{
    const NoRisClientRegistered noClient;
    const AppError e = testsupport::Raised([] { GetSchemas(true); });
    EXPECT_EQ(e.number(), 1);
    EXPECT_EQ(e.source(), "GetSchemas");
    EXPECT_EQ(e.description().rfind("CRIS::", 0), 0u) << e.description();
    EXPECT_NE(e.description().find(": RIS client not found or not correctly installed"), std::string::npos)
        << e.description();
}

} // namespace
