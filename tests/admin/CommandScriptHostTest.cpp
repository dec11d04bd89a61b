// The command script host: user and schema commands reach their operations; a missing one is
// an error, never a silent pass.
#include "admin/CommandScriptHost.h"

#include "admin/DumpCommands.h"
#include "platform/AppError.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandScriptHostTest, AnOperationLeftUnsetIsAnError)
{
    DumpCommands dump;
    CommandScriptHost host(dump, {});
    const AppError e = testsupport::Raised([&] { host.Del_Schema("del_schema 's'"); });
    EXPECT_NE(e.description().find("del_schema"), std::string::npos);
}

} // namespace
