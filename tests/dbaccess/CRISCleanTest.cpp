// RIS clean: judged by the word "success" and the RIS errors of risclnsr's console output.
#include "FakeRisClients.h"

#include "platform/AppError.h"

using namespace fakeris;

using CRISCleanTest = FakeRisTest;

TEST_F(CRISCleanTest, SuccessInAnyLetterCase)
{
    Put("risclnsr.console", "Cleaning pd_abc ... SUCCESS\r\n");
    cris_.RISClean("pd_abc");
    EXPECT_EQ(Got("risclnsr.args"), "pd_abc\n");
    Put("risclnsr.console", ErrorBlock("RIS_E_CREATE_INDEX", "i") + "Success\r\n");
    cris_.RISClean(" pd_abc ");
}

TEST_F(CRISCleanTest, FailuresAndTheirOrder)
{
    Put("risclnsr.console", "nothing to do\r\n");
    AppError e = Raised([&] { cris_.RISClean("pd_abc"); });
    EXPECT_EQ(e.description(), "risclnsr failed");
    EXPECT_EQ(e.source(), "CRIS::RISClean");

    Put("risclnsr.console", ErrorBlock("RIS_E_UNKNOWN_SCHEMA", "pd_abc") + "success\r\n");
    e = Raised([&] { cris_.RISClean("pd_abc"); });
    EXPECT_NE(e.description().find("RIS_E_UNKNOWN_SCHEMA"), std::string::npos);

}
