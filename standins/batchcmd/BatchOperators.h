// The command operators of a batch line as cmd reads them: "&", "&&", "||", "|" and the "^"
// escape; and the cmd syntax this interpreter does not run ("if", "for", "goto", "call :label", blocks).
#pragma once

#include <string>
#include <vector>

// How a step of a line follows the step before it.
enum class StepJoint {
    First,
    Always,    // "&"
    OnSuccess, // "&&": only when the step before ended with 0
    OnFailure, // "||": only when the step before ended with another code
};

struct LineStep {
    StepJoint joint = StepJoint::First;
    // The commands of the step, joined by "|" (one for a step without a pipe). Quotes and "^"
    // escapes are kept for ParseBatchLine.
    std::vector<std::string> pipeline;
};

struct SplitBatchLine {
    std::vector<LineStep> steps;
    // The word of a syntax the interpreter does not run ("if", "for", "goto", "(", or an
    // operator with no command beside it); empty when the whole line can run.
    std::string refused;
};

// Splits an expanded line at its operators outside double quotes; a "^" makes the character
// after it plain. "2>&1" stays a redirection, and "rem" makes the rest of the line its own.
SplitBatchLine SplitOperators(const std::string& line);
