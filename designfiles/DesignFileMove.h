// The move of one design file by the file name correction and by the mend of a killed one: a
// copy that never replaces a file, then the deletion of the source without force, and a look at
// both names afterwards. A copy the move made beside a source that stays is taken away again
// while it is still as made, so that the file never stands under both names.
#pragma once

#include "services/ChangeOutcome.h"

#include <functional>
#include <string>

struct FileImage;

// What the caller writes down on the way, so that a program killed during the move leaves it
// said: copied, with the copy as made, before the source goes (throwing keeps the source and
// takes the copy away again); givenUp, before a copy is taken away again or once the file is
// seen under its old name alone (the move will not be made; throwing changes nothing of that).
struct DesignFileMoveRecording {
    std::function<void(const FileImage&)> copied;
    std::function<void()> givenUp;
};

// Done when the file stands under the new name alone, NotDone when under the old name alone (a
// read-only source is refused before anything is copied), NotKnown when under both or neither.
ChangeOutcome MoveDesignFile(const std::string& from, const std::string& to,
                             const DesignFileMoveRecording& recording = {});

// The failure text of a move for a node or a record: the file error when nothing moved, else
// the state. Empty when the move was done.
std::string DesignFileMoveFailure(const ChangeOutcome& outcome, const std::string& from, const std::string& to);
