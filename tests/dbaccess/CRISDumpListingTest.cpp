// The dump listings of the database access object.
#include "dbaccess/CRIS.h"

#include "platform/WinPath.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

TEST(CRISDumpListing, ListsSchemasAndTablesOfADump)
{
    testsupport::ScopedDir dir{"crisdump"};
    const std::string dump = dir.host() + "/in.dmp";
    testsupport::WriteHostFile(dump, "create schema pd_abc password x\r\n"
                                     "create table t (a int, b char(3))\r\n"
                                     "insert into t (a, b) values (?, ?)\r\n"
                                     "***variable*** a b \r\n"
                                     "1 'xy'\r\n"
                                     "***RIS*** End of Table ***RIS***\r\n"
                                     "***RIS*** End of Schema ***RIS***\r\n");
    CRIS cris;
    const std::string dumpWin = WinPathFromHost(dump);
    EXPECT_EQ(cris.RISDumpGetSchemas(dumpWin), std::vector<std::string>{"pd_abc"});
    EXPECT_EQ(cris.RISDumpGetTables(dumpWin), std::vector<std::string>{"pd_abc|t"});

}
