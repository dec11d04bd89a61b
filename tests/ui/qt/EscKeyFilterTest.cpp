// The Esc latch: down now or pressed since the last question, fed by key events of any window.
#include "platform/EscKey.h"
#include "ui/qt/EscKeyFilter.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class EscKeyFilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EscKeyFilter::Install();
        EscKey::Reset();
    }
};

// How presses and held keys count is the latch's own matter; here only that the events reach it.
TEST_F(EscKeyFilterTest, PressesAndReleasesOfAnyWindowReachTheLatch)
{
    QLineEdit edit;
    edit.show();
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_TRUE(EscKey::Pressed());
    QTest::keyPress(&edit, Qt::Key_Escape);
    EXPECT_TRUE(EscKey::Pressed());
    QTest::keyRelease(&edit, Qt::Key_Escape);
    EXPECT_FALSE(EscKey::Pressed());
}

TEST_F(EscKeyFilterTest, OtherKeysDoNotCountAndTheWidgetStillGetsThem)
{
    QLineEdit edit;
    edit.show();
    QTest::keyClicks(&edit, "ab");
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_FALSE(EscKey::Pressed());
    EXPECT_EQ(edit.text(), "ab");
}

} // namespace
