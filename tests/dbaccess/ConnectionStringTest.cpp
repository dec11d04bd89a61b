// Connection strings of the Oracle and SQL Server kinds.
#include "dbaccess/ConnectionString.h"

#include <gtest/gtest.h>

TEST(ConnectionStringTest, Oracle)
{
    EXPECT_EQ(OracleConnectString("orcl", "scott", "tiger"),
              "Provider=MSDAORA.1;Data Source=orcl;User Id=scott;Password=tiger;");
    // Arguments go in untrimmed.
    EXPECT_EQ(OracleConnectString(" orcl", "u ", ""), "Provider=MSDAORA.1;Data Source= orcl;User Id=u ;Password=;");
}

TEST(ConnectionStringTest, SqlServerWithLoginOrWindowsAuthentication)
{
    EXPECT_EQ(SqlServerConnectString("srv", "db", "sa", "pw"),
              "Driver={SQL Server};Server=srv;Database=db;Uid=sa;Pwd=pw;");
    EXPECT_EQ(SqlServerConnectString("srv", "db", "sa", ""), "Driver={SQL Server};Server=srv;Database=db;Uid=sa;Pwd=;");
    EXPECT_EQ(SqlServerConnectString("srv", "db", "  ", "pw"),
              "Driver={SQL Server};Server=srv;Database=db;Trusted_Connection=True;");
}
