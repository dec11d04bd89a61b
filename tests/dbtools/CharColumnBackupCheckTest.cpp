// The proof of a backup dump against the live schema: a dump that is whole but lacks a table
// or rows, or holds a table the schema lacks, is named for each difference.
#include "dbtools/CharColumnBackupCheck.h"

#include "DbToolsSampleEnvironment.h"
#include "platform/TextUtil.h"
#include "support/TestFiles.h"

namespace {

using CharColumnBackupCheckTest = DbToolsSampleEnvironment;

// The sample design dump with edits applied line by line: a line for which drop answers true is left out.
std::string SampleDumpWithout(const std::function<bool(const std::string&)>& drop)
{
    std::string out;
    for (const std::string& line : Split(testsupport::ReadHostFile(testsupport::SourceDir() +
                                                                   "/tests/data/standins/dd_demo.dmp"),
                                         "\r\n"))
        if (!line.empty() && !drop(line))
            out += line + "\r\n";
    return out;
}

TEST_F(CharColumnBackupCheckTest, AWholeDumpIsTrustedOnlyWithEveryTableAndEveryRow)
{
    const std::vector<std::string> tables = gCRIS->DBGetTables("dd_demo", true);
    testsupport::WriteHostFile(folder_.host("same.dmp"), SampleDumpWithout([](const std::string&) { return false; }));
    EXPECT_EQ(BackupDumpDifferences(win("same.dmp"), "dd_demo", tables), std::vector<std::string>{});

    // Whole by its form: pdtable_34_2 left out with its lines, two rows of pdtable_34_1 gone,
    // and a table the schema does not have.
    bool in342 = false;
    std::string cut = SampleDumpWithout([&in342](const std::string& line) {
        if (line.rfind("create table pdtable_34_2 ", 0) == 0)
            in342 = true;
        const bool drop = in342 || line.find(" on pdtable_34_2") != std::string::npos ||
                          line.rfind("201 'GATE1'", 0) == 0 || line.rfind("202 'GATE2'", 0) == 0;
        if (line.find("End of Table") != std::string::npos)
            in342 = false;
        return drop;
    });
    cut.insert(cut.find("***RIS*** End of Schema"), "create table t9 (a int)\r\ninsert into t9 (a) values (?)\r\n"
                                                      "***variable*** a \r\n***RIS*** End of Table ***RIS***\r\n");
    testsupport::WriteHostFile(folder_.host("cut.dmp"), cut);
    EXPECT_EQ(BackupDumpDifferences(win("cut.dmp"), "dd_demo", tables),
              (std::vector<std::string>{"pdtable_34_1 holds 3 rows on the server, 1 in the dump",
                                        "pdtable_34_2 is not in the dump", "t9 is in the dump but not in the schema"}));
}

} // namespace
