// The one classification of dump lines that every reader uses.
#include "dbaccess/DumpLineClassifier.h"

#include "dbaccess/DumpTestFiles.h"
#include "platform/AppError.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace dumptest;
using K = DumpLineKind;

namespace {

const std::string kEnd = "***RIS*** End of Table ***RIS***";
const std::string kEndSchema = "***RIS*** End of Schema ***RIS***";

} // namespace

TEST(DumpLineClassifierTest, KindsInFileOrder)
{
    const std::vector<std::pair<std::string, K>> lines = {
        {"create schema pd_a on database (oracle)", K::SchemaLine},
        {"  default schema x", K::Other}, // only where a line begins with it
        {kEnd, K::EndOfTable},             // stray: closes nothing
        {"CREATE TABLE t (a int, b char(40))", K::CreateTable},
        {"insert into t (a, b) values (?, ?)", K::BlockLine},
        {"***variable*** a b ", K::BlockLine},
        {"1 'create table u (x int)' ", K::BlockLine},
        {"default schema pd_b", K::BlockLine},
        {kEndSchema, K::BlockLine},
        {"'" + kEnd + "'", K::BlockLine},
        {kEnd + "\r", K::EndOfTable},
        // A definition-only table: the next keyword line closes its block before any rows.
        {"create table d1 (a int)", K::CreateTable},
        {"create table d2 (a int)", K::CreateTable},
        {"create unique index ud2 on d2 (a)", K::Other},
        {"create table d3 (create int)", K::CreateTable},
        {"create 1 6", K::BlockLine}, // a fixed header whose first column is named create
        {"create table d4 (a int)", K::BlockLine},
        {kEnd, K::EndOfTable},
        {"default schema pd_c", K::SchemaLine},
        {"create unique index ut on t (a)", K::Other},
        {kEndSchema, K::EndOfSchema},
    };
    DumpLineClassifier c;
    for (const auto& [line, kind] : lines)
        EXPECT_EQ(c.Classify(line), kind) << line;
    EXPECT_FALSE(c.InTableBlock());
}

TEST(DumpLineClassifierTest, EndOfTableLineIsFoundOnlyAsAWholeLine)
{
    // Followed by blanks it is neither the marker nor a row: the dump is refused.
    EXPECT_THROW(DumpLineClassifier().Classify(kEnd + " \r"), AppError);
    EXPECT_THROW(DumpLineClassifier::FindEndOfTableLine("1 'x' \r\n" + kEnd + "\t\r\n" + kEnd + "\r\n"), AppError);
    EXPECT_EQ(DumpLineClassifier::FindEndOfTableLine("1 'x " + kEnd + "' \r\n" + kEnd + "\r\nz\r\n"), 5 + kEnd.size() + 4);
    EXPECT_EQ(DumpLineClassifier::FindEndOfTableLine(kEnd + "x\n" + kEnd), kEnd.size() + 2);
    EXPECT_EQ(DumpLineClassifier::FindEndOfTableLine("a\n" + kEnd + "\n", 2), 2u);
    EXPECT_EQ(DumpLineClassifier::FindEndOfTableLine("a" + kEnd + "\r\n"), std::string::npos);
    EXPECT_EQ(DumpLineClassifier::FindEndOfTableLine(kEnd + "\rx\n"), std::string::npos);
    // A blank before it, or other case, makes a lookalike: refused, not passed over as a row.
    EXPECT_THROW(DumpLineClassifier::FindEndOfTableLine("1 '***' \r\n " + kEnd + "\r\n" + kEnd + "\r\n"), AppError);
    EXPECT_THROW(DumpLineClassifier::FindEndOfTableLine("1 \n***ris*** END OF TABLE ***ris***\n" + kEnd), AppError);
    EXPECT_EQ(DumpLineClassifier::FindEndOfTableOrLookalike("1 '***' ***\r\n\t" + kEnd + "\r\n"), 13u);
    EXPECT_THROW(DumpLineClassifier().Classify(" " + kEndSchema), AppError);
    EXPECT_EQ(DumpLineClassifier().Classify("x " + kEnd), K::Other);
}

TEST(DumpLineClassifierTest, LinesOfAFileSkipBlocksAtAnyChunkSize)
{
    testsupport::ScopedDir dir{"dumplines"};
    const std::string path = dir.host() + "/d.dmp";
    WriteHostFile(path, "default schema s\r\ncreate table a (x int)\r\ncreate table b (x char(9))\r\n"
                        "insert into b (x) values (?)\r\n***variable*** x \r\n'" + kEnd + "' \r\n" + kEnd +
                            "\r\ncreate table c (x int)\r\n" + kEndSchema + "\r\n");
    for (size_t chunk = 1; chunk < 200; chunk += 3) {
        DumpLines lines(Win(path), chunk);
        std::vector<std::string> seen;
        std::string_view line;
        DumpLineKind kind;
        while (lines.Next(line, kind)) {
            seen.emplace_back(line);
            if (kind == K::CreateTable) {
                ASSERT_TRUE(lines.SkipBlock() || line.find("create table c") == 0) << chunk;
            }
        }
        EXPECT_EQ(seen, (std::vector<std::string>{"default schema s", "create table a (x int)",
                                                  "create table b (x char(9))", "create table c (x int)", kEndSchema}))
            << chunk;
    }
}
