// The dump edit of the design table copy, and the run of a discipline without design tables.
#include "projcopy/DesignTableCopy.h"

#include "platform/TextUtil.h"
#include "projcopy/CopyLog.h"
#include "projcopy/CopyWorkFiles.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> edit(const std::vector<std::string>& lines)
{
    DesignTableCopy::DumpEdit e("dd_old", "dd_new");
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        std::string o;
        if (e.Edit(l, o))
            out.push_back(o);
    }
    return out;
}

const std::string kGrant = "grant select, insert, delete, update on pdtable_12_7 to PUBLIC";
const std::string kIndexA = "create unique index a on pdtable_12_7 (x)";
const std::string kIndexB = "create unique index b on pdtable_12_7 (y)";

} // namespace

TEST(DumpEdit, OnlyTheOldSchemasLineBecomesTheTargetsDefaultSchema)
{
    EXPECT_EQ(edit({"create schema dd_old on database (oracle, dbname ORCL) user dd_old", "create table t (a int)"}),
              (std::vector<std::string>{"default schema dd_new", "create table t (a int)"}));
    EXPECT_EQ(edit({"create schema dd_older on database (oracle)"}),
              std::vector<std::string>{"create schema dd_older on database (oracle)"});
}

TEST(DumpEdit, IndexAndGrantLinesOfTheDumpsTablesGoAlongOnceEach)
{
    const std::string kOtherIndex = "create unique index c on pdtable_34_7 (x)";
    EXPECT_EQ(edit({"create table pdtable_12_7 (x int, y int)", kGrant, kGrant, "", kIndexA, kOtherIndex, kIndexB,
                    kGrant, "row 1", ""}),
              (std::vector<std::string>{"create table pdtable_12_7 (x int, y int)", kGrant, kIndexA, kIndexB, kGrant,
                                        "row 1"}));
}

TEST(DesignTableCopy, ADisciplineWithoutTablesRunsNoClient)
{
    CopyLog log;
    log.Reset();
    DesignTableCopy(log).LoadModelTable("", "", "dd_a", "dd_b", 7, 3);
    const std::string text = ReadFile2String(log.Path());
    EXPECT_NE(text.find("\tNo data to load\r\n"), std::string::npos);
    EXPECT_EQ(text.find("Loading table"), std::string::npos);
    EXPECT_FALSE(IsFileExists(CopyWorkFile(kCopyEditedDump)));
    EXPECT_FALSE(IsFileExists(CopyWorkFile(kCopyAnswer)));
}
