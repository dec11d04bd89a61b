// The change-and-look way every data-changing call takes after a failure.
#include "services/ChangeOutcome.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"

#include <exception>

namespace {

std::string Failure(const std::exception& e)
{
    if (const auto* app = dynamic_cast<const AppError*>(&e))
        return app->description();
    return e.what();
}

} // namespace

void CouldNotRead(const std::string& why)
{
    throw AppError(1, "", why);
}

std::string ChangeOutcome::Describe(const std::string& what) const
{
    const std::string failure = WithoutEndingPeriods(this->failure);
    if (state == ChangeState::NotKnown && unread) {
        const std::string notRead = "what stands could not be read (" + WithoutEndingPeriods(seen) + ")";
        if (!CallFailed())
            return Capitalised(what) + " ended without an error, but whether it was done is not known: " + notRead +
                   ".";
        return "Whether " + what + " was done is not known: " + failure + "; " + notRead + ".";
    }
    if (!CallFailed() && state != ChangeState::Done)
        return Capitalised(what) + " ended without an error, but " +
               (state == ChangeState::NotDone ? "nothing of it stands" : "it is not whole") +
               (seen.empty() ? std::string() : ": " + seen) + ".";
    switch (state) {
    case ChangeState::Done:
        if (!CallFailed())
            return Capitalised(what) + " was done.";
        return Capitalised(what) + " was done although " + failure + (seen.empty() ? "" : "; " + seen) + ".";
    case ChangeState::NotDone:
        return Capitalised(what) + " was not done: " + failure + (seen.empty() ? "" : "; " + seen) + ".";
    case ChangeState::NotKnown:
        break;
    }
    return "Whether " + what + " was done is not known: " + failure + ". What stands: " +
           (seen.empty() ? std::string("nothing could be read") : seen) + ".";
}

ChangeOutcome ChangeAndLook(const std::function<std::string()>& change, const ChangeLook& look, LookAfter when)
{
    ChangeOutcome outcome;
    try {
        outcome.failure = change();
    } catch (const std::exception& e) {
        outcome.failure = Failure(e);
        if (outcome.failure.empty())
            outcome.failure = "the call failed without a message";
    }
    if (!outcome.CallFailed() && when == LookAfter::Failure)
        return outcome;
    try {
        outcome.state = look(outcome.seen);
    } catch (const std::exception& e) {
        outcome.state = ChangeState::NotKnown;
        outcome.unread = true;
        outcome.seen = Failure(e);
        if (outcome.seen.empty())
            outcome.seen = "the read failed without a message";
    }
    return outcome;
}
