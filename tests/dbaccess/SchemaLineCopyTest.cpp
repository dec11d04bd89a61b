// The work copy of a dump with its schema line naming another schema, as the load and unload
// place it: only the first line changes.
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

const std::string kRows = "create table t (a int)\r\ninsert into t (a) values (?)\r\n***variable*** a \r\n1 \r\n"
                          "***RIS*** End of Table ***RIS***\r\n";

} // namespace

TEST_P(SchemaLineCopyTest, RewritesTheFirstLineOnly)
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
        CopyCase{"CreateLineLosesItsClauses", "create schema pd_abc on database (ORACLE) user pd_abc\r\n" + kRows, "",
                 "pd_abc", "default schema pd_abc\r\n" + kRows, 1 << 20},
        CopyCase{"TargetNamesTheLine", "default schema pd_abc\r\n" + kRows, " dd_xyz ", "dd_xyz",
                 "default schema dd_xyz\r\n" + kRows, 1 << 20},
        // Bare LF line ends of the data stay as they were.
        CopyCase{"LineEndsKept", "create schema pd_abc x\nrow 1\nrow 2\r\nrow 3\n", "", "pd_abc",
                 "default schema pd_abc\nrow 1\nrow 2\r\nrow 3\n", 1 << 20},
        // A data row holding a phrase is no schema line, in the first chunk or a later one.
        CopyCase{"DataRowWithPhraseUnchanged",
                 "create schema s1 x\r\n'default schema q' \r\n'create schema r' \r\n", "n", "n",
                 "default schema n\r\n'default schema q' \r\n'create schema r' \r\n", 24},
        CopyCase{"NoSchemaLineCopiesUnchanged", "row\r\ndefault schema pd_late\r\n", "dd_x", "",
                 "row\r\ndefault schema pd_late\r\n", 1 << 20},
        CopyCase{"EmptyDump", "", "x", "", "", 1 << 20}),
    [](const auto& info) { return std::string(info.param.name); });
