// The four script commands that belong to no other command of the main window: a message box,
// a command line, a text change in a file, and a line appended to a file.
#pragma once

#include <string>

class ScriptCommands {
public:
    // Each takes the script line as its parameter text (arguments between single quotes,
    // "§key§" placeholders filled from [TARNWICK]).

    // Shows argument 1 in a box with an OK button and waits for the user.
    static void Message(const std::string& params);
    // Runs argument 1 as a command line through the batch launcher, its output appended to the
    // program log, and waits for its end.
    static void doscmd(const std::string& params);
    // In file argument 1 replaces every occurrence of argument 2 (without regard to case) by
    // argument 3, after a checked backup to "<file>.bak". A doubled quote in an argument is
    // one quote, EMPTY_STRING the empty text. Shows its own failures (a missing file, a
    // missing argument, a failed backup or write) in a message box and returns normally, so
    // the run goes on.
    static void changetxt(const std::string& params);
    // Backs file argument 1 up to "<file>.bak" and appends argument 2 as a new last line unless
    // the file holds it already; the file is the old or the new one, never a part. A missing
    // file, and a hidden one (which the file services pass over), is shown in a message box and
    // the run goes on; other failures are raised, naming the file and what stands.
    static void append_text(const std::string& params);
};
