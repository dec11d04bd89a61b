// The errors the Excel stand-in raises, with the numbers automation gives them.
#pragma once

#include "platform/AppError.h"

#include <string>

// Excel's own failures (a rejected sheet name, a save that fails, a bad address).
inline constexpr long kExcelMethodFailed = 1004;
// The automation object could not be created: Excel is missing.
inline constexpr long kExcelCannotCreate = 429;
// The application has quit: every later call fails.
inline constexpr long kExcelServerGone = 462;
// A worksheet of a closed workbook, or a deleted worksheet, was used.
inline constexpr long kExcelObjectDisconnected = -2147221080;
// An index outside a collection.
inline constexpr long kExcelSubscriptOutOfRange = 9;

// The source Excel's own errors carry; the caller adds its name in front when it passes them on.
inline constexpr const char* kExcelErrorSource = "Microsoft Excel";

[[noreturn]] inline void RaiseExcelError(const std::string& description, long number = kExcelMethodFailed)
{
    throw AppError(number, kExcelErrorSource, description);
}
