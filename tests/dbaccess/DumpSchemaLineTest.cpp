// The schema line of dumps: rewrite in place and the chunked copy naming another schema.
#include "dbaccess/DumpSchemaLine.h"

#include "DumpTestFiles.h"
#include "platform/AppError.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace dumptest;

namespace {

const std::string kRest = "create table t (a int)\r\n***variable*** a \r\n1 \r\n***RIS*** End of Table ***RIS***\r\n";

// "default schema " + name, filled with blanks to the length of the old line.
std::string padded(const std::string& name, const std::string& oldLine)
{
    std::string l = "default schema " + name;
    return l + std::string(oldLine.size() - l.size(), ' ');
}

struct InPlaceCase {
    const char* name;
    std::string before;
    std::string after; // equal to before when nothing may change
    std::string left = {}; // why the file is left as it is, when that is said
};

} // namespace

class DumpSchemaLineInPlace : public ::testing::TestWithParam<InPlaceCase> {
protected:
    testsupport::ScopedDir dir_{"schemaline"};
};

TEST_P(DumpSchemaLineInPlace, KeepsLengthAndIsIdempotent)
{
    const InPlaceCase& c = GetParam();
    const std::string host = dir_.host() + "/d.dmp";
    WriteHostFile(host, c.before);
    std::string left;
    EXPECT_EQ(DumpSchemaLine::RewriteInPlace(Win(host), &left), c.before != c.after);
    EXPECT_EQ(left, c.left);
    const std::string once = ReadHostFile(host);
    EXPECT_EQ(once, c.after);
    EXPECT_EQ(once.size(), c.before.size());
    EXPECT_FALSE(DumpSchemaLine::RewriteInPlace(Win(host)));
    EXPECT_EQ(ReadHostFile(host), once);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpSchemaLineInPlace,
    ::testing::Values(
        InPlaceCase{"UnloadClientLine", "create schema pd_abc on database (ora, dbname x)\r\n" + kRest,
                    padded("pd_abc", "create schema pd_abc on database (ora, dbname x)") + "\r\n" + kRest},
        InPlaceCase{"NameAndOneMoreCharacter", "create schema pd_ab x\r\n" + kRest, "default schema pd_ab \r\n" + kRest},
        InPlaceCase{"NewLineWouldBeLonger", "create schema pd_abc\r\n" + kRest, "create schema pd_abc\r\n" + kRest},
        InPlaceCase{"AlreadyDefault", "default schema pd_abc   \r\n" + kRest, "default schema pd_abc   \r\n" + kRest},
        InPlaceCase{"LfOnlyFile", "create schema pd_abc on database x\nrest\n", "create schema pd_abc on database x\nrest\n",
                    "its first line ends with LF alone"},
        // The first CR LF ends the second line: nothing of that line may be overwritten.
        InPlaceCase{"FirstLineEndsWithLfAlone", "create schema pd_abc on database (ora, dbname x)\n" + kRest,
                    "create schema pd_abc on database (ora, dbname x)\n" + kRest, "its first line ends with LF alone"},
        // The name is a word wherever the blanks put it.
        InPlaceCase{"LeadingBlank", " create schema pd_abc on database x\r\n" + kRest,
                    padded("pd_abc", " create schema pd_abc on database x") + "\r\n" + kRest},
        InPlaceCase{"DoubledBlanks", "create  schema\t pd_abc  on database x\r\n" + kRest,
                    padded("pd_abc", "create  schema\t pd_abc  on database x") + "\r\n" + kRest},
        InPlaceCase{"NoSchemaName", "create schema    \r\n" + kRest, "create schema    \r\n" + kRest,
                    "its first line is not a \"create schema <name>\" line"},
        InPlaceCase{"NotASchemaLine", "create table t (a int) on x\r\n" + kRest, "create table t (a int) on x\r\n" + kRest,
                    "its first line is not a \"create schema <name>\" line"},
        InPlaceCase{"NoLineEndAtAll", "create schema pd_abc on database x", "create schema pd_abc on database x"},
        InPlaceCase{"EmptyFile", "", ""},
        InPlaceCase{"OnlyTheFirstLine", "create schema a b c d e\r\ncreate schema x y z w v\r\n",
                    padded("a", "create schema a b c d e") + "\r\ncreate schema x y z w v\r\n"},
        InPlaceCase{"LongFirstLine", "create schema pd_abc " + std::string(10000, 'x') + "\r\n" + kRest,
                    "default schema pd_abc" + std::string(10000, ' ') + "\r\n" + kRest}),
    [](const auto& info) { return std::string(info.param.name); });

struct CopyCase {
    const char* name;
    std::string source;
    std::string targetSchema;
    std::string expected;
    std::string name_;
};

class DumpSchemaLineCopy : public ::testing::TestWithParam<std::tuple<CopyCase, size_t>> {
protected:
    testsupport::ScopedDir dir_{"schemacopy"};
};

TEST_P(DumpSchemaLineCopy, RenamesTheSchemaLineOnly)
{
    const auto& [c, chunkSize] = GetParam();
    WriteHostFile(dir_.host() + "/s.dmp", c.source);
    const std::string name = DumpSchemaLine::CopyWithSchemaName(Win(dir_.host() + "/s.dmp"),
                                                                Win(dir_.host() + "/t.dmp"), c.targetSchema, chunkSize);
    EXPECT_EQ(name, c.name_);
    EXPECT_EQ(ReadHostFile(dir_.host() + "/t.dmp"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DumpSchemaLineCopy,
    ::testing::Combine(
        ::testing::Values(
            CopyCase{"CreateLineKeepsItsName", "create schema pd_abc on x\r\n" + kRest, "",
                     "default schema pd_abc\r\n" + kRest, "pd_abc"},
            CopyCase{"TargetSchemaGiven", "default schema pd_abc  \r\n" + kRest, " dd_xyz ",
                     "default schema dd_xyz\r\n" + kRest, "dd_xyz"},
            CopyCase{"SecondSchemaLineUntouched", "create schema a x\r\ncreate schema b y\r\n", "t",
                     "default schema t\r\ncreate schema b y\r\n", "t"},
            CopyCase{"NoSchemaLine", kRest, "s", kRest, ""},
            // Bare LF line ends of the data stay as they were.
            CopyCase{"LineEndsKept", "create schema pd_abc x\nrow 1\nrow 2\r\nrow 3\n", "",
                     "default schema pd_abc\nrow 1\nrow 2\r\nrow 3\n", "pd_abc"},
            // A data row holding a phrase is no schema line, in the first chunk or a later one.
            CopyCase{"DataRowWithPhraseUnchanged", "create schema s1 x\r\n'default schema q' \r\n'create schema r' \r\n",
                     "n", "default schema n\r\n'default schema q' \r\n'create schema r' \r\n", "n"},
            // The schema line after other lines: the first line outside a table's rows that
            // holds a phrase, any case; every other byte stays.
            CopyCase{"SchemaLineAfterABanner", "-- unloaded 2026\r\nCreate Schema pd_abc x y\r\ncreate schema q\r\n", "",
                     "-- unloaded 2026\r\ndefault schema pd_abc\r\ncreate schema q\r\n", "pd_abc"},
            CopyCase{"RowsBeforeTheSchemaLineAreNoSchemaLine",
                     "create table t (a char(30))\r\n***variable*** a \r\n'create schema evil' \r\n"
                     "***RIS*** End of Table ***RIS***\r\ndefault schema s  \r\n",
                     "",
                     "create table t (a char(30))\r\n***variable*** a \r\n'create schema evil' \r\n"
                     "***RIS*** End of Table ***RIS***\r\ndefault schema s\r\n",
                     "s"}),
        ::testing::Values(size_t{7}, size_t{30}, DumpFormat::kChunkSize)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_chunk" + std::to_string(std::get<1>(info.param));
    });
