// One outside program run with its output appended to the program log, and that output read
// back so the caller can tell whether the program reported an error.
#pragma once

#include <string>

struct LoggedRun {
    long exitCode = 0;   // the batch launcher's result; -1 when the batch could not be started
    std::string output;  // what the run appended to the log

    // Runs the command text through the batch launcher with its output appended to the program
    // log (a log of its own in the temporary folder, removed afterwards, when the program has
    // none or it cannot be written) and waits.
    static LoggedRun Run(const std::string& command);
};
