// The change-and-look way: the look runs after a failure (or after every call when asked) and
// decides what is said.
#include "services/ChangeOutcome.h"

#include "platform/AppError.h"

#include <gtest/gtest.h>

namespace {

// How the look fails to read: not at all, by a raised error, or by saying so.
enum class Unread { No, Raised, Said };

struct Case {
    const char* name;
    bool throws;
    std::string returned;
    ChangeState looked;
    Unread lookFails;
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
            if (c.lookFails == Unread::Raised)
                throw AppError(1, "CRIS::DBRead", "risunlod ended with exit code 1");
            if (c.lookFails == Unread::Said)
                CouldNotRead("the rows of pdtable_113 could not be counted: Disk full.");
            seen = c.looked == ChangeState::Done ? "the row is gone" : "the row stands";
            return c.looked;
        },
        c.when);
    EXPECT_EQ(out.state, c.expected);
    EXPECT_EQ(out.unread, c.lookFails != Unread::No);
    EXPECT_EQ(looks, (c.throws || !c.returned.empty() || c.when == LookAfter::EveryCall) ? 1 : 0);
    EXPECT_EQ(out.Describe("the DELETE of 'P1009'"), c.sentence);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ChangeAndLookTest,
    ::testing::Values(
        Case{"Succeeded", false, "", ChangeState::NotDone, Unread::No, ChangeState::Done, "The DELETE of 'P1009' was done."},
        Case{"DiedAfterTheWork", true, "", ChangeState::Done, Unread::No, ChangeState::Done,
             "The DELETE of 'P1009' was done although risbatch ended with exit code 139; the row is gone."},
        Case{"RefusedNothingChanged", false, "refused", ChangeState::NotDone, Unread::No, ChangeState::NotDone,
             "The DELETE of 'P1009' was not done: refused; the row stands."},
        Case{"RefusalEndsWithItsOwnPeriod", false, "refused.", ChangeState::NotDone, Unread::No, ChangeState::NotDone,
             "The DELETE of 'P1009' was not done: refused; the row stands."},
        Case{"LookFails", true, "", ChangeState::Done, Unread::Raised, ChangeState::NotKnown,
             "Whether the DELETE of 'P1009' was done is not known: risbatch ended with exit code 139; what "
             "stands could not be read (risunlod ended with exit code 1)."},
        // A look that cannot read is never taken for one that found part: "not known", not "not whole".
        Case{"EveryCallCleanLookFails", false, "", ChangeState::Done, Unread::Raised, ChangeState::NotKnown,
             "The DELETE of 'P1009' ended without an error, but whether it was done is not known: what stands "
             "could not be read (risunlod ended with exit code 1).",
             LookAfter::EveryCall},
        Case{"EveryCallCleanLookSaysItCannotRead", false, "", ChangeState::Done, Unread::Said, ChangeState::NotKnown,
             "The DELETE of 'P1009' ended without an error, but whether it was done is not known: what stands "
             "could not be read (the rows of pdtable_113 could not be counted: Disk full).",
             LookAfter::EveryCall},
        // A client that ends well having done part of its work: the look decides.
        Case{"EveryCallCleanButMissing", false, "", ChangeState::NotDone, Unread::No, ChangeState::NotDone,
             "The DELETE of 'P1009' ended without an error, but nothing of it stands: the row stands.",
             LookAfter::EveryCall},
        Case{"EveryCallCleanButPartial", false, "", ChangeState::NotKnown, Unread::No, ChangeState::NotKnown,
             "The DELETE of 'P1009' ended without an error, but it is not whole: the row stands.",
             LookAfter::EveryCall},
        Case{"EveryCallCleanAndThere", false, "", ChangeState::Done, Unread::No, ChangeState::Done,
             "The DELETE of 'P1009' was done.", LookAfter::EveryCall}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
