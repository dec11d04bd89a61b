// The schema-line copy that load and unload use: only the schema line changes; line ends and
// data rows stay as they were.
#include "dbaccess/DumpSchemaLine.h"
#include "dbaccess/DumpTestFiles.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace dumptest;

namespace {

struct CopyCase {
    const char* name;
    std::string dump;
    std::string target;
    std::string expectedName;
    std::string expectedCopy;
    size_t chunkSize;
};

class SchemaLineCopyTest : public ::testing::TestWithParam<CopyCase> {
protected:
    testsupport::ScopedDir dir{"schemaline"};
};

} // namespace

TEST_P(SchemaLineCopyTest, RewritesTheSchemaLineOnly)
{
    const CopyCase& c = GetParam();
    const std::string src = dir.host() + "/in.dmp";
    const std::string dst = dir.host() + "/out.dmp";
    WriteHostFile(src, c.dump);
    EXPECT_EQ(DumpSchemaLine::CopyWithSchemaName(Win(src), Win(dst), c.target, c.chunkSize), c.expectedName);
    EXPECT_EQ(ReadHostFile(dst), c.expectedCopy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemaLineCopyTest,
    ::testing::Values(
        // Bare LF line ends of the data stay as they were.
        CopyCase{"LineEndsKept", "create schema pd_abc x\nrow 1\nrow 2\r\nrow 3\n", "", "pd_abc",
                 "default schema pd_abc\nrow 1\nrow 2\r\nrow 3\n", 1 << 20},
        // A data row holding a phrase is no schema line, in the first chunk or a later one.
        CopyCase{"DataRowWithPhraseUnchanged",
                 "create schema s1 x\r\n'default schema q' \r\n'create schema r' \r\n", "n", "n",
                 "default schema n\r\n'default schema q' \r\n'create schema r' \r\n", 24},
        // The schema line after other lines: the first line outside a table's rows that holds
        // a phrase, any case; every other byte stays.
        CopyCase{"SchemaLineAfterABanner", "-- unloaded 2026\r\nCreate Schema pd_abc x y\r\ncreate schema q\r\n", "",
                 "pd_abc", "-- unloaded 2026\r\ndefault schema pd_abc\r\ncreate schema q\r\n", 7},
        CopyCase{"RowsBeforeTheSchemaLineAreNoSchemaLine",
                 "create table t (a char(30))\r\n***variable*** a \r\n'create schema evil' \r\n"
                 "***RIS*** End of Table ***RIS***\r\ndefault schema s\r\n",
                 "", "s",
                 "create table t (a char(30))\r\n***variable*** a \r\n'create schema evil' \r\n"
                 "***RIS*** End of Table ***RIS***\r\ndefault schema s\r\n",
                 16},
        CopyCase{"NoSchemaLineCopiesUnchanged", "create table t (a int)\r\n", "x", "", "create table t (a int)\r\n",
                 1 << 20}),
    [](const auto& info) { return std::string(info.param.name); });
