// The schema list wrapper's error form, with no RIS client registered.
#include "dbaccess/SchemaLists.h"

#include "dbaccess/CRIS.h"
#include "platform/AppError.h"
#include "support/Raised.h"
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// Moves the stand-in registry aside while it lives and makes the process-wide access object
// forget the RIS client and the schema lists it found before; the registry comes back at the
// end and the object finds the client again on its next use.
class NoRisClientRegistered {
public:
    NoRisClientRegistered()
    {
        if (fs::exists(registry_))
            fs::rename(registry_, aside_.host() + "/registry");
        forget();
    }
    ~NoRisClientRegistered()
    {
        std::error_code ec;
        fs::remove_all(registry_, ec);
        if (fs::exists(aside_.host() + "/registry"))
            fs::rename(aside_.host() + "/registry", registry_);
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
    const fs::path registry_ = fs::path(std::getenv("TARNWICK_ROOT")) / "registry";
    testsupport::ScopedDir aside_{"registry_aside"};
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
