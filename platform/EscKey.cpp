// The Esc latch shared by the window layer's key filter and the loops that poll it.
#include "platform/EscKey.h"

#include <atomic>

namespace {
std::atomic<bool> gDown{false};
std::atomic<bool> gPressedSince{false};
} // namespace

bool EscKey::Pressed()
{
    bool pressed = gPressedSince.exchange(false);
    return pressed || gDown.load();
}

void EscKey::NoteDown()
{
    gDown = true;
    gPressedSince = true;
}

void EscKey::NoteUp()
{
    gDown = false;
}

void EscKey::Reset()
{
    gDown = false;
    gPressedSince = false;
}

void EscKey::ForgetEarlierPress()
{
    gPressedSince = false;
}
