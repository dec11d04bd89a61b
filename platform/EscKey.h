// The Esc key as the program's loops ask for it between their steps: the answer is yes when
// the key is down now or was pressed since the previous question, as the Windows key state has it.
#pragma once

class EscKey {
public:
    // Whether Esc is down or was pressed since the last call; clears the "pressed" part.
    static bool Pressed();
    // Told by the window layer's key filter.
    static void NoteDown();
    static void NoteUp();
    // Forgets both states (a loop that must not see an older press).
    static void Reset();
    // Forgets a press made before now (to cancel a dialog, say) while a key still held down
    // keeps counting: every command calls it as it starts, so only a press during its run stops it.
    static void ForgetEarlierPress();
};
