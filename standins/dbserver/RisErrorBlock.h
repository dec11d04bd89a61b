// RIS errors of the stand-in clients. They travel as AppError whose source is the RIS error
// name (RIS_E_...) and are written as the framed block the system reads: a line of "*" whose
// last "*" stands in column 79, boxed lines holding "RIS Error: <name>" and the message, and
// a closing line of "*".
#pragma once

#include "platform/AppError.h"

#include <string>

inline constexpr long kRisErrorNumber = 1;
inline constexpr int kRisFrameWidth = 79;

[[noreturn]] void RaiseRisError(const std::string& name, const std::string& message);

// The RIS error name of an error: its source when that is a RIS_E_ name, else
// RIS_E_INTERNAL_ERROR (a failure of the stand-in itself, still reported in the RIS form).
std::string RisErrorName(const AppError& e);

// The framed block, every line ended by CR LF.
std::string FormatRisErrorBlock(const std::string& name, const std::string& message);
std::string FormatRisErrorBlock(const AppError& e);
