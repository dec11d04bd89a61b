// The Esc latch: down, pressed since the last question, and reset.
#include "platform/EscKey.h"

#include <gtest/gtest.h>

TEST(EscKeyTest, APressIsSeenOnceAfterItsRelease)
{
    EscKey::Reset();
    EXPECT_FALSE(EscKey::Pressed());
    EscKey::NoteDown();
    EscKey::NoteUp();
    EXPECT_TRUE(EscKey::Pressed());
    EXPECT_FALSE(EscKey::Pressed());
}

TEST(EscKeyTest, AKeyHeldDownIsSeenAtEveryQuestion)
{
    EscKey::Reset();
    EscKey::NoteDown();
    EXPECT_TRUE(EscKey::Pressed());
    EXPECT_TRUE(EscKey::Pressed());
    EscKey::NoteUp();
    EXPECT_FALSE(EscKey::Pressed());
}

TEST(EscKeyTest, ResetForgetsAnEarlierPress)
{
    EscKey::NoteDown();
    EscKey::NoteUp();
    EscKey::Reset();
    EXPECT_FALSE(EscKey::Pressed());
}

TEST(EscKeyTest, ForgettingAnEarlierPressKeepsAKeyStillHeld)
{
    EscKey::Reset();
    EscKey::NoteDown();
    EscKey::NoteUp();
    EscKey::ForgetEarlierPress();
    EXPECT_FALSE(EscKey::Pressed());
    EscKey::NoteDown();
    EscKey::ForgetEarlierPress();
    EXPECT_TRUE(EscKey::Pressed());
    EscKey::Reset();
}
