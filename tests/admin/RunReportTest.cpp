// The closing message of a command follows what its outside programs did.
#include "admin/RunReport.h"

#include <gtest/gtest.h>

namespace {

// A RIS client's error block: a frame of "*" ending in column 79, then the error line.
const std::string kRisErrorOutput = "Unloading schema pd_abc\r\n" + std::string(79, '*') +
                                    "\r\nRIS Error: RIS_E_UNKNOWN_SCHEMA\r\n" + std::string(79, '*') + "\r\n";

TEST(RunReportTest, FailuresAreCountedAndTheFirstNamed)
{
    RunReport r;
    r.NoteRun("risunlod pd_a", 0, kRisErrorOutput);
    r.NoteRun("risunlod dd_a", -1, "");
    r.NoteRun("risunlod ra_a", 49, "'risunlod' is not recognized as an internal or external command");
    r.NoteRun("risunlod ee_a", 0, "");
    EXPECT_EQ(r.ErrorCount(), 3);
    EXPECT_EQ(r.FirstError(), "risunlod pd_a: RIS Error: RIS_E_UNKNOWN_SCHEMA");
    std::string msg = r.ClosingMessage("C:\\t\\x.log");
    EXPECT_EQ(msg.find("ready"), std::string::npos);
    EXPECT_NE(msg.find("ended with errors"), std::string::npos);
    EXPECT_NE(msg.find("'C:\\t\\x.log'"), std::string::npos);
    r.Clear();
    EXPECT_FALSE(r.HasErrors());
}

TEST(RunReportTest, RISErrorNeedsAFramedBlock)
{
    EXPECT_EQ(FirstRISError(kRisErrorOutput), "RIS Error: RIS_E_UNKNOWN_SCHEMA");
    std::string framed = std::string(79, '*') + "\r\n* RIS Error: RIS_E_INTERNAL_ERROR" + std::string(43, ' ') +
                         "*\r\n* file is not a database" + std::string(54, ' ') + "*\r\n" + std::string(79, '*') + "\r\n";
    EXPECT_EQ(FirstRISError(framed), "RIS Error: RIS_E_INTERNAL_ERROR - file is not a database");
    EXPECT_EQ(FirstRISError("value 'RIS Error: x' in a row\r\n"), "");
}

} // namespace
