// The whole-dump check on the shared table of whole and cut dumps, and on files that are none.
#include "dbaccess/DumpWholeCheck.h"

#include "dbaccess/DumpTestFiles.h"
#include "platform/HostFiles.h"
#include "support/DumpWholenessCases.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

using namespace dumptest;

TEST(DumpWholeCheckTest, WholeAndCutDumps)
{
    testsupport::ScopedDir dir{"dumpwhole"};
    const std::string path = dir.host() + "/c.dmp";
    for (const auto& c : testsupport::DumpWholenessCases()) {
        WriteHostFile(path, c.dump);
        const DumpWholeness w = CheckDumpWhole(Win(path));
        if (c.problem.empty()) {
            EXPECT_TRUE(w.Whole()) << c.what << ": " << w.problem;
            EXPECT_EQ(w.schema, "pd_c") << c.what;
            ASSERT_EQ(w.tables.size(), 2u) << c.what;
            EXPECT_EQ(w.tables[0].table, "t") << c.what;
            EXPECT_EQ(w.tables[0].rows, 4u) << c.what;
            EXPECT_EQ(w.tables[1].table, "t2") << c.what;
            EXPECT_EQ(w.tables[1].rows, std::string(c.what).find("without rows") == std::string::npos ? 2u : 0u)
                << c.what;
        } else {
            EXPECT_FALSE(w.Whole()) << c.what;
            EXPECT_NE(w.problem.find(c.problem), std::string::npos) << c.what << ": " << w.problem;
        }
    }
}

TEST(DumpWholeCheckTest, AFileThatIsNoDumpIsAProblemNamingIt)
{
    testsupport::ScopedDir dir{"dumpwhole"};
    std::filesystem::create_directory(dir.host() + "/folder.dmp");
    WriteHostFile(dir.host() + "/unreadable.dmp", testsupport::WholeDump());
    SetHostFileFault([](const std::string& op, const std::string& host) {
        return op == "read" && host.ends_with("unreadable.dmp") ? EACCES : 0;
    });
    for (const std::string name : {"missing.dmp", "folder.dmp", "unreadable.dmp"}) {
        const std::string file = Win(dir.host() + "/" + name);
        const DumpWholeness w = CheckDumpWhole(file);
        EXPECT_FALSE(w.Whole()) << name;
        EXPECT_NE(w.problem.find(file), std::string::npos) << w.problem;
    }
    SetHostFileFault(nullptr);
}

TEST(DumpWholeCheckTest, TablesNotInDumpNamesTheTrimmedNamesWithoutABlock)
{
    const std::vector<DumpTableCount> dumped{{"pdtable_1", 3}, {"PDTABLE_2", 0}};
    const struct {
        std::vector<std::string> names;
        std::vector<std::string> missing;
    } cases[] = {
        {{}, {}},
        {{"pdtable_1", "pdtable_2"}, {}},
        {{" PDtable_1 ", "pdtable_2  "}, {}},
        {{"pdtable_3", " pdtable_1", "  pdtable_4 "}, {"pdtable_3", "pdtable_4"}},
        {{"pdtable_"}, {"pdtable_"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TablesNotInDump(c.names, dumped), c.missing) << ::testing::PrintToString(c.names);
    EXPECT_EQ(TablesNotInDump({"t"}, {}), std::vector<std::string>{"t"});
}
