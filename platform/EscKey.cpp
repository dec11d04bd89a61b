// The Esc key latch: one process-wide state, set from the interface thread.
#include "platform/EscKey.h"

namespace {
bool gEscDown = false;
bool gEscPressedSince = false;
} // namespace

void NoteEscKey(bool down)
{
    gEscDown = down;
    if (down)
        gEscPressedSince = true;
}

bool EscKeyPressed()
{
    const bool pressed = gEscDown || gEscPressedSince;
    gEscPressedSince = false;
    return pressed;
}

void ResetEscKey()
{
    gEscDown = false;
    gEscPressedSince = false;
}
