// Window placement rules: what a restore applies and what a save writes.
#include "services/WindowPlacement.h"

#include "services/AppGlobals.h"
#include "services/IniFile.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class FakeWindow : public WindowPlacement {
public:
    std::string name() const override { return "frmRISTable"; }
    int windowState() const override { return state; }
    void setWindowState(int s) override { state = s; }
    int borderStyle() const override { return border; }
    long top() const override { return t; }
    long left() const override { return l; }
    long height() const override { return h; }
    long width() const override { return w; }
    void setTop(long v) override
    {
        if (refuseTop)
            throw std::runtime_error("refused");
        t = v;
    }
    void setLeft(long v) override { l = v; }
    void setHeight(long v) override { h = v; }
    void setWidth(long v) override { w = v; }
    long screenWidth() const override { return 15000; }
    long screenHeight() const override { return 12000; }

    int state = Normal, border = 2;
    long t = 500, l = 600, h = 4000, w = 5000;
    bool refuseTop = false;
};

class WindowPlacementTest : public ::testing::Test {
protected:
    testsupport::ScopedDir dir{"place"};
    std::string saved = gIniFile;
    FakeWindow win;

    void SetUp() override { gIniFile = dir.host() + "/tarnwick.ini"; }
    void TearDown() override { gIniFile = saved; }
    void store(const std::string& body) { std::ofstream(gIniFile, std::ios::binary) << "[frmRISTable]\r\n" << body; }
};

TEST_F(WindowPlacementTest, StoredMaximisedWinsOverPosition)
{
    store("WindowState=2\r\nTop=100\r\n");
    RestoreWindowPos(win);
    EXPECT_EQ(win.state, WindowPlacement::Maximized);
    EXPECT_EQ(win.t, 500);
}

struct RestoreCase {
    const char* name;
    const char* stored;
    long top, left, height, width;
};

class RestoreCases : public WindowPlacementTest, public ::testing::WithParamInterface<RestoreCase> {};

TEST_P(RestoreCases, AppliesWhatFitsTheScreen)
{
    store(GetParam().stored);
    RestoreWindowPos(win);
    EXPECT_EQ(win.t, GetParam().top);
    EXPECT_EQ(win.l, GetParam().left);
    EXPECT_EQ(win.h, GetParam().height);
    EXPECT_EQ(win.w, GetParam().width);
    EXPECT_EQ(win.state, WindowPlacement::Normal);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, RestoreCases,
    ::testing::Values(
        RestoreCase{"AllStored", "WindowState=0\r\nTop=1000\r\nLeft=2000\r\nHeight=3000\r\nWidth=4000\r\n", 1000, 2000, 3000, 4000},
        RestoreCase{"NothingStored", "", 500, 600, 4000, 5000},
        RestoreCase{"NegativeTopGoesToZero", "Top=-300\r\n", 0, 600, 4000, 5000},
        RestoreCase{"TextTopGoesToZero", "Top=abc\r\n", 0, 600, 4000, 5000},
        RestoreCase{"TopBeyondScreenIgnored", "Top=12000\r\n", 500, 600, 4000, 5000},
        RestoreCase{"HalvesRoundToEven", "Top=1000.5\r\nLeft=1001.5\r\n", 1000, 1002, 4000, 5000},
        RestoreCase{"WidthWithinMarginApplied", "Left=1000\r\nWidth=14200\r\n", 500, 1000, 4000, 14200},
        RestoreCase{"WidthBeyondMarginIgnored", "Left=1000\r\nWidth=14201\r\n", 500, 1000, 4000, 5000},
        RestoreCase{"HeightHasNoMargin", "Top=1000\r\nHeight=11001\r\n", 1000, 600, 4000, 5000},
        RestoreCase{"HeightToScreenEdge", "Top=1000\r\nHeight=11000\r\n", 1000, 600, 11000, 5000}),
    [](const ::testing::TestParamInfo<RestoreCase>& i) { return std::string(i.param.name); });

TEST_F(WindowPlacementTest, FixedBorderKeepsItsSize)
{
    win.border = 3;
    store("Top=10\r\nHeight=3000\r\nWidth=4000\r\n");
    RestoreWindowPos(win);
    EXPECT_EQ(win.t, 10);
    EXPECT_EQ(win.h, 4000);
    EXPECT_EQ(win.w, 5000);
    std::filesystem::remove(gIniFile);
    SaveWindowPos(win);
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable", std::nullopt, "", true), "WindowState;Top;Left");
}

TEST_F(WindowPlacementTest, RefusedChangeDoesNotStopTheOthers)
{
    win.refuseTop = true;
    store("Top=10\r\nLeft=20\r\n");
    RestoreWindowPos(win);
    EXPECT_EQ(win.t, 500);
    EXPECT_EQ(win.l, 20);
}

TEST_F(WindowPlacementTest, MinimisedWindowIsNeitherRestoredNorSaved)
{
    win.state = WindowPlacement::Minimized;
    SaveWindowPos(win);
    EXPECT_FALSE(std::filesystem::exists(gIniFile));
    store("Top=10\r\n");
    RestoreWindowPos(win);
    EXPECT_EQ(win.t, 500);
}

TEST_F(WindowPlacementTest, SaveWritesStatePositionAndSize)
{
    SaveWindowPos(win);
    EXPECT_EQ(testsupport::ReadHostFile(gIniFile),
              "[frmRISTable]\r\nWindowState=0\r\nTop=500\r\nLeft=600\r\nHeight=4000\r\nWidth=5000\r\n");

    // A maximised window writes only its state; the position stored before stays.
    win.state = WindowPlacement::Maximized;
    win.t = 9;
    SaveWindowPos(win);
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable", "WindowState"), "2");
    EXPECT_EQ(ReadIniValue(gIniFile, "frmRISTable", "Top"), "500");
}

} // namespace
