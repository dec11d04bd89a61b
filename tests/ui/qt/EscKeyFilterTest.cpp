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

TEST_F(EscKeyFilterTest, PressAndReleaseCountsOnceAtTheNextQuestion)
{
    QLineEdit edit;
    edit.show();
    QTest::keyClick(&edit, Qt::Key_Escape);
    EXPECT_TRUE(EscKey::Pressed());
    EXPECT_FALSE(EscKey::Pressed());
}

TEST_F(EscKeyFilterTest, HeldKeyCountsUntilReleased)
{
    QLineEdit edit;
    edit.show();
    QTest::keyPress(&edit, Qt::Key_Escape);
    EXPECT_TRUE(EscKey::Pressed());
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

TEST_F(EscKeyFilterTest, ResetForgetsAnEarlierPress)
{
    EscKey::NoteDown();
    EscKey::NoteUp();
    EscKey::Reset();
    EXPECT_FALSE(EscKey::Pressed());
}

} // namespace
