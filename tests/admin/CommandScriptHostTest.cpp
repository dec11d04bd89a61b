// The command script host: user and schema commands reach their operations; a missing one is
// an error, never a silent pass.
#include "admin/CommandScriptHost.h"

#include "admin/DumpCommands.h"
#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandScriptHostTest, UserAndSchemaCommandsReachTheirOperations)
{
    std::vector<std::string> calls;
    auto note = [&calls](const char* name) {
        return [&calls, name](const std::string& p) { calls.push_back(std::string(name) + "|" + p); };
    };
    DumpCommands dump;
    CommandScriptHost host(dump, {note("creDBUser"), note("delDBUser"), note("creSchema"), note("delSchema")});
    host.Cre_DBUser("cre_dbuser 'u'");
    host.Del_DBUser("del_dbuser 'u'");
    host.cre_schema("cre_schema 's'");
    host.Del_Schema("del_schema 's'");
    EXPECT_EQ(calls, (std::vector<std::string>{"creDBUser|cre_dbuser 'u'", "delDBUser|del_dbuser 'u'",
                                               "creSchema|cre_schema 's'", "delSchema|del_schema 's'"}));
}

TEST(CommandScriptHostTest, AnOperationLeftUnsetIsAnError)
{
    DumpCommands dump;
    CommandScriptHost host(dump, {});
    try {
        host.Del_Schema("del_schema 's'");
        FAIL();
    } catch (const AppError& e) {
        EXPECT_NE(e.description().find("del_schema"), std::string::npos);
    }
}

} // namespace
