// The change-and-look way: the look runs after a failure (or after every call when asked) and
// decides what is said.
#include "services/ChangeOutcome.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    bool throws;
    std::string returned;
    ChangeState looked;
    bool lookThrows;
    ChangeState expected;
    std::string sentence;
    LookAfter when = LookAfter::Failure;
};

class ChangeAndLookTest : public ::testing::TestWithParam<Case> {};

TEST_P(ChangeAndLookTest, SaysWhatStands)
{
    const Case& c = GetParam();
    int looks = 0;
    ChangeOutcome out = ChangeAndLook(
        [&]() -> std::string {
            if (c.throws)
                throw AppError(1, "CRIS::DBWrite", "risbatch ended with exit code 139");
            return c.returned;
        },
        [&](std::string& seen) {
            ++looks;
            if (c.lookThrows)
                CouldNotRead("risunlod ended with exit code 1.");
            seen = c.looked == ChangeState::Done ? "the row is gone" : "the row stands";
            return c.looked;
        },
        c.when);
    EXPECT_EQ(out.state, c.expected);
    EXPECT_EQ(out.unread, c.lookThrows);
    EXPECT_EQ(looks, (c.throws || !c.returned.empty() || c.when == LookAfter::EveryCall) ? 1 : 0);
    EXPECT_EQ(out.Describe("the DELETE of 'P1009'"), c.sentence);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ChangeAndLookTest,
    ::testing::Values(
        Case{"Succeeded", false, "", ChangeState::NotDone, false, ChangeState::Done, "The DELETE of 'P1009' was done."},
        Case{"DiedAfterTheWork", true, "", ChangeState::Done, false, ChangeState::Done,
             "The DELETE of 'P1009' was done although risbatch ended with exit code 139; the row is gone."},
        Case{"RefusedNothingChanged", false, "refused", ChangeState::NotDone, false, ChangeState::NotDone,
             "The DELETE of 'P1009' was not done: refused; the row stands."},
        Case{"RefusalEndsWithItsOwnPeriod", false, "refused.", ChangeState::NotDone, false, ChangeState::NotDone,
             "The DELETE of 'P1009' was not done: refused; the row stands."},
        Case{"LookFails", true, "", ChangeState::Done, true, ChangeState::NotKnown,
             "Whether the DELETE of 'P1009' was done is not known: risbatch ended with exit code 139; what "
             "stands could not be read (risunlod ended with exit code 1)."},
        // A look that cannot read is never taken for one that found part: "not known", not "not whole".
        Case{"EveryCallCleanLookFails", false, "", ChangeState::Done, true, ChangeState::NotKnown,
             "The DELETE of 'P1009' ended without an error, but whether it was done is not known: what stands "
             "could not be read (risunlod ended with exit code 1).",
             LookAfter::EveryCall},
        // A client that ends well having done part of its work: the look decides.
        Case{"EveryCallCleanButMissing", false, "", ChangeState::NotDone, false, ChangeState::NotDone,
             "The DELETE of 'P1009' ended without an error, but nothing of it stands: the row stands.",
             LookAfter::EveryCall},
        Case{"EveryCallCleanButPartial", false, "", ChangeState::NotKnown, false, ChangeState::NotKnown,
             "The DELETE of 'P1009' ended without an error, but it is not whole: the row stands.",
             LookAfter::EveryCall},
        Case{"EveryCallCleanAndThere", false, "", ChangeState::Done, false, ChangeState::Done,
             "The DELETE of 'P1009' was done.", LookAfter::EveryCall}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
