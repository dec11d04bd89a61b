// The one answer of a call that changes data (a statement, a load, a server-manager script, a
// schema or user created or dropped, a table copy, a file moved, copied or deleted) when it
// fails: look at what it changed and say what stands afterwards, never the exit code alone.
#pragma once

#include <functional>
#include <string>

enum class ChangeState {
    Done,     // the change's effect is there (also when its call failed)
    NotDone,  // nothing of it is there: the state before the call stands
    NotKnown, // the look could not tell, or found only part of it: `seen` says what stands
};

struct ChangeOutcome {
    ChangeState state = ChangeState::Done;
    std::string failure; // the call's own failure (empty when it ended without one)
    std::string seen;    // what the look found after a failure (empty when no look ran)
    // With NotKnown: the look could not read what stands (it raised, or said so through
    // CouldNotRead), and seen says why; without it, a NotKnown look read and found part.
    bool unread = false;

    bool CallFailed() const { return !failure.empty(); }
    bool Done() const { return state == ChangeState::Done; }
    // The call failed, or it ended without failure and the look that followed it found its
    // effect missing or only in part (LookAfter::EveryCall).
    bool Failed() const { return CallFailed() || !Done(); }

    // One sentence for a box, a status line or the log, "what" naming the change ("the UPDATE
    // of pdtable_113", "the load of 'C:\pdsdump\pd_demo.dmp'"):
    //   done:           "<What> was done."  or, after a failed call,
    //                   "<What> was done although <failure>; <seen>."
    //   not done:       "<What> was not done: <failure>[; <seen>]."
    //   not known:      "Whether <what> was done is not known: <failure>. What stands: <seen>."
    //   not read:       "Whether <what> was done is not known: <failure>; what stands could not be
    //                   read (<seen>)."
    // after a call that ended without failure whose look found the effect missing or partial:
    //   not done:       "<What> ended without an error, but nothing of it stands: <seen>."
    //   not known:      "<What> ended without an error, but it is not whole: <seen>."
    // or whose look could not read what stands:
    //   not read:       "<What> ended without an error, but whether it was done is not known: what
    //                   stands could not be read (<seen>)."
    std::string Describe(const std::string& what) const;
};

// Reads what stands after the change: Done when its whole effect is there, NotDone when none
// of it is, NotKnown when only part is there. `seen` tells, in words, what was found ("the row
// of 'P1009' is gone from pdtable_113"). A look that cannot read what stands throws (any
// std::exception, or CouldNotRead): the outcome is then NotKnown and unread, its error what
// was seen. A look never words a failed read as a state of its own.
using ChangeLook = std::function<ChangeState(std::string& seen)>;

// Says, from within a look, that what stands could not be read and why ("the rows of pdtable_113
// could not be counted: ..."). Throws; ChangeAndLook makes the outcome NotKnown and unread.
[[noreturn]] void CouldNotRead(const std::string& why);

// When the look runs: only after a failed call, or after every call. A client that can end
// with exit 0 having done only part of its work (a load, a copy of rows) is looked at after
// every call, with a look that can tell the new state from the old.
enum class LookAfter { Failure, EveryCall };

// Runs change. When it throws (any std::exception) or returns a failure text, runs look and
// returns what stands. A change that ends without failure is Done and the look does not run,
// unless `when` is EveryCall: then the look's answer decides. The caller words its message from
// the result; the change's exception never escapes. change returns the empty text on success,
// else its failure in words.
ChangeOutcome ChangeAndLook(const std::function<std::string()>& change, const ChangeLook& look,
                            LookAfter when = LookAfter::Failure);
