// The program log kept open for a run: every entry whole, at the end of the file also after
// another program appended meanwhile, and a new log name taken at once.
#include "services/ProgramLog.h"

#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <fstream>
#include <gtest/gtest.h>

TEST(ProgramLogRunScope, EntriesStayWholeAndInPlaceBesideOutsideAppends)
{
    testsupport::ScopedDir dir{"runlog"};
    const std::string saved = gLogFile;
    gLogFile = WinPathFromHost(dir.host()) + "\\run.log";
    {
        const ProgramLogRunScope run;
        WriteProgramLog("first");
        std::ofstream(dir.host() + "/run.log", std::ios::app) << "outside\r\n";
        WriteProgramLog("second");
        gLogFile = WinPathFromHost(dir.host()) + "\\next.log";
        WriteProgramLog("third");
    }
    gLogFile = saved;
    auto withoutTimes = [](const std::string& text) {
        std::string out;
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find("\r\n", start);
            const std::string line = text.substr(start, end - start);
            const size_t tab = line.find('\t');
            out += (tab == std::string::npos ? line : line.substr(tab + 1)) + "|";
            start = end == std::string::npos ? text.size() : end + 2;
        }
        return out;
    };
    EXPECT_EQ(withoutTimes(testsupport::ReadHostFile(dir.host() + "/run.log")), "first|outside|second|");
    EXPECT_EQ(withoutTimes(testsupport::ReadHostFile(dir.host() + "/next.log")), "third|");
}
