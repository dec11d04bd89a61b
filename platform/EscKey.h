// The Esc key as the long loops poll it: a latch that the window layer sets on a key press.
#pragma once

// The window layer reports the key: down true on a press, false on its release.
void NoteEscKey(bool down);
// True when Esc is down now or was pressed since the previous call; clears the "pressed since"
// part, as the platform's asynchronous key state does.
bool EscKeyPressed();
// Forgets any earlier press (a loop about to start does not stop on an old one).
void ResetEscKey();
