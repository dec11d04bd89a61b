// Client command lines, the schema line of a dump and the candidate test.
#include "admin/DumpCommandLines.h"
#include "admin/OldDumpKept.h"
#include "services/FileOperation.h"

#include "platform/AppError.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

TEST(DumpCommandLinesTest, ClientCommandLinesQuoteTheDumpWhichHasOneSeparator)
{
    EXPECT_EQ(DumpFileOf("C:\\dumps", "pd_abc"), "C:\\dumps\\pd_abc.dmp");
    EXPECT_EQ(DumpFileOf("C:\\dumps\\", "pd_abc"), "C:\\dumps\\pd_abc.dmp");
    EXPECT_EQ(UnloadCommand("pd_abc", "C:\\my dumps\\pd_abc.dmp"),
              "risunlod -m w -o \"C:\\my dumps\\pd_abc.dmp\" -s pd_abc table with var data all index all grant all view all");
    EXPECT_EQ(LoadCommand("C:\\my dumps\\pd_abc.dmp", "pd_abc"),
              "rislod -m w -i \"C:\\my dumps\\pd_abc.dmp\" -s pd_abc clear table with data all view all index all grant all");
}

TEST(DumpCommandLinesTest, SchemaOfTheSchemaLine)
{
    const struct {
        const char* line;
        bool isDefault;
        const char* schema;
    } cases[] = {
        {"default schema pd_abc", true, "pd_abc"},
        {"default schema dd_abc        ", true, "dd_abc"},
        {"create schema pd_abc on database", false, "pd_abc on database"},
        {"Default Schema pd_abc", false, "pd_abc"}, // capitals make no default line
        {"default", false, ""},
        {"default schema", true, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsDefaultSchemaLine(c.line), c.isDefault) << c.line;
        EXPECT_EQ(SchemaOfSchemaLine(c.line), c.schema) << c.line;
    }
}

TEST(DumpCommandLinesTest, CandidatesNeedTheSchemaWordAndNoBakEnd)
{
    EXPECT_TRUE(IsLoadCandidate("default schema pd_a", "pd_a.dmp", SchemaWordCase::Exact));
    EXPECT_TRUE(IsLoadCandidate("create schema pd_a x", "pd_a.dmp", SchemaWordCase::Exact));
    EXPECT_FALSE(IsLoadCandidate("default schema pd_a", "pd_a.dmp.bak", SchemaWordCase::Any));
    EXPECT_TRUE(IsLoadCandidate("default schema pd_a", "pd_a.BAK", SchemaWordCase::Any));
    // The old dump an unload keeps beside the new one is never taken for a dump to load.
    EXPECT_FALSE(IsLoadCandidate("default schema pd_a",
                                 GetFileName(OldDumpKept::NameFor("C:\\d\\pd_a.dmp", LocalTime{2026, 12, 8, 3, 18, 0}, 2)),
                                 SchemaWordCase::Any));
    EXPECT_EQ(OldDumpKept::NameFor("C:\\d\\pd_a.dmp", LocalTime{2026, 12, 8, 3, 18, 0}, 2),
              "C:\\d\\pd_a.dmp.before-drop_2026-12-08_03-18-00_2.bak");
    EXPECT_FALSE(IsLoadCandidate("DEFAULT SCHEMA pd_a", "pd_a.dmp", SchemaWordCase::Exact));
    EXPECT_TRUE(IsLoadCandidate("DEFAULT SCHEMA pd_a", "pd_a.dmp", SchemaWordCase::Any));
    EXPECT_FALSE(IsLoadCandidate(" schema x", "x.dmp", SchemaWordCase::Any)); // before position 5
    EXPECT_FALSE(IsLoadCandidate("hello world", "x.dmp", SchemaWordCase::Any));
}

TEST(DumpCommandLinesTest, NamesOutsideTheIdentifierFormAreRefused)
{
    EXPECT_NO_THROW(CheckIdentifier("pd_abc1", "Schema", "RISUnload"));
    for (const char* bad : {"", "pd abc", "pd_'x", "pd_a\"b", "pd_a&del"}) {
        SCOPED_TRACE(bad);
        const AppError e = testsupport::Raised([&] { CheckIdentifier(bad, "Schema", "RISUnload"); });
        EXPECT_EQ(e.number(), 1);
        EXPECT_EQ(e.source(), "RISUnload");
        EXPECT_NE(e.description().find(std::string("'") + bad + "'"), std::string::npos);
    }
}

} // namespace
