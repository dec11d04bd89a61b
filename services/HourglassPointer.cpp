// The hourglass of one command through the application's mouse pointer.
#include "services/HourglassPointer.h"

#include "services/FormRegistry.h"

namespace {
constexpr int kHourglass = 11;
} // namespace

HourglassPointer::HourglassPointer() : before_(FormRegistry::MousePointer())
{
    FormRegistry::SetMousePointer(kHourglass);
}

HourglassPointer::~HourglassPointer()
{
    FormRegistry::SetMousePointer(before_);
}
