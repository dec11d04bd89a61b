// The error a call raises, for the tests that look at its number, source and description.
#pragma once

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace testsupport {

// The AppError the call raises; fails the test (and gives error 0) when it raises none.
template <class F>
AppError Raised(F&& f)
{
    try {
        f();
    } catch (const AppError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return AppError(0, "", "");
}

} // namespace testsupport
