// The name checks before the RIS schema and user statements.
#include "dbaccess/SchemaStatements.h"

#include "platform/AppError.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

using testsupport::Raised;

struct NameCase {
    const char* name;
    const char* value;
    bool statementName; // letters, digits, underscore
    bool connectionPart; // no ";"
    bool definitionPart; // nothing that reshapes a schema definition
};

class NameCheckTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameCheckTest, RefusesWhatWouldChangeTheStatement)
{
    const NameCase& c = GetParam();
    auto refused = [](auto&& check) {
        try {
            check();
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), 1);
            return true;
        }
        return false;
    };
    EXPECT_EQ(refused([&] { CheckStatementName("User name", c.value); }), !c.statementName);
    EXPECT_EQ(refused([&] { CheckConnectionPart("Password", c.value); }), !c.connectionPart);
    EXPECT_EQ(refused([&] { CheckDefinitionPart("Directory", c.value); }), !c.definitionPart);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NameCheckTest,
    ::testing::Values(NameCase{"Plain", "pd_demo1", true, true, true},
                      NameCase{"BlanksAround", " pd_demo ", true, true, true},
                      NameCase{"Empty", "", false, true, true},
                      NameCase{"Path", "d:\\orant", false, true, true},
                      NameCase{"Host", "10.0.0.5", false, true, true},
                      NameCase{"Semicolon", "x;Data Source=evil", false, false, false},
                      NameCase{"StatementTail", "x cascade", false, true, true},
                      NameCase{"Quote", "o'x", false, true, false},
                      NameCase{"Parenthesis", "x)) USER a.b", false, true, false},
                      NameCase{"Comma", "a,b", false, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SchemaStatementsTest, MessagesNameTheValueButNeverAPassword)
{
    EXPECT_EQ(Raised([] { CheckStatementName("User name", "a b"); }).description(),
              "User name 'a b' is not valid: only letters, digits and underscore are allowed");
    const std::string secret = "s3cr3t";
    for (const std::string& bad : {std::string(), secret + "\r\n", secret + std::string(1, '\0'), secret + "\""}) {
        const std::string text = Raised([&] { CheckCredential("Operating system password", bad, true); }).description();
        EXPECT_EQ(text.rfind("Operating system password ", 0), 0u) << text;
        EXPECT_EQ(text.find(secret), std::string::npos) << text;
    }
    for (const char* ok : {"NT\\admin", "p@ss", "Secret#1", "it's", " blank "})
        EXPECT_NO_THROW(CheckCredential("Password", ok, true)) << ok;
    EXPECT_EQ(Raised([] { CheckConnectionPart("Server name", "s;x"); }).description(),
              "Server name 's;x' is not valid: it must not contain ';'");
}
