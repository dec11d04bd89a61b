// Placement of a real Qt window in twips (offscreen).
#include "ui/qt/QtWindowPlacement.h"

#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

class QtWindowPlacementTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"qtplace"};
    std::string saved = gIniFile;
    QWidget window;

    void SetUp() override
    {
        gIniFile = dir.host() + "/tarnwick.ini";
        window.setObjectName("frmRISTable");
        window.setGeometry(10, 20, 300, 200);
    }
    void TearDown() override { gIniFile = saved; }
};

TEST_F(QtWindowPlacementTest, SaveWritesTwips)
{
    window.show();
    QtWindowPlacement p(&window);
    const long top = p.top(), left = p.left();
    SaveWindowPos(&window);
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable", "WindowState"), "0");
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable", "Top"), std::to_string(top));
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable", "Left"), std::to_string(left));
    EXPECT_EQ(top % 15, 0);
}

TEST_F(QtWindowPlacementTest, RestoreMovesAndResizesWithinTheScreen)
{
    window.show();
    std::ofstream(gIniFile, std::ios::binary) << "[frmRISTable]\r\nTop=1500\r\nLeft=3000\r\nHeight=4500\r\nWidth=6000\r\n";
    RestoreWindowPos(&window);
    QtWindowPlacement p(&window);
    EXPECT_EQ(p.top(), 1500);
    EXPECT_EQ(p.left(), 3000);
    EXPECT_EQ(p.height(), 4500);
    EXPECT_EQ(p.width(), 6000);
}

TEST_F(QtWindowPlacementTest, FixedSizeWindowIsNotSizable)
{
    window.setFixedSize(300, 200);
    EXPECT_FALSE(QtWindowPlacement(&window).isSizable());
}

TEST_F(QtWindowPlacementTest, StoredMaximisedMaximises)
{
    std::ofstream(gIniFile, std::ios::binary) << "[frmRISTable]\r\nWindowState=2\r\n";
    RestoreWindowPos(&window);
    EXPECT_TRUE(window.windowState().testFlag(Qt::WindowMaximized));
}

} // namespace
