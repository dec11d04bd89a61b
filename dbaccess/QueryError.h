// The errors that the query operations of the access object raise after their clean-up.
#pragma once

#include "platform/AppError.h"

#include <string>

// The error being handled, as an AppError; only inside a catch block. Another exception type
// becomes error 1 with its text.
AppError CurrentError();

// Number unchanged, the operation's name in front of the source, and for the data-access
// components' unspecified error (0x80004005) a line break and the hint to repair them.
AppError ComposeQueryError(const AppError& e, const std::string& operation);
