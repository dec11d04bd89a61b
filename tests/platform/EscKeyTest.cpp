// The Esc latch: down, pressed since the last test, and reset.
#include "platform/EscKey.h"

#include <gtest/gtest.h>

TEST(EscKeyTest, APressIsSeenOnceAfterItsRelease)
{
    ResetEscKey();
    EXPECT_FALSE(EscKeyPressed());
    NoteEscKey(true);
    NoteEscKey(false);
    EXPECT_TRUE(EscKeyPressed());
    EXPECT_FALSE(EscKeyPressed());
}

TEST(EscKeyTest, AKeyHeldDownIsSeenAtEveryTest)
{
    ResetEscKey();
    NoteEscKey(true);
    EXPECT_TRUE(EscKeyPressed());
    EXPECT_TRUE(EscKeyPressed());
    NoteEscKey(false);
    EXPECT_FALSE(EscKeyPressed());
}

TEST(EscKeyTest, ResetForgetsAnEarlierPress)
{
    NoteEscKey(true);
    NoteEscKey(false);
    ResetEscKey();
    EXPECT_FALSE(EscKeyPressed());
}
