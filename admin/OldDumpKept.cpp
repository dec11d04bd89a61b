// The old dump copied whole beside the new one under a name of its own.
#include "admin/OldDumpKept.h"

#include "platform/AppError.h"
#include "platform/HostFiles.h"

namespace {
bool sameTime(const LocalTime& a, const LocalTime& b)
{
    return FormatLocalTime(a, "yyyymmddhhnnss") == FormatLocalTime(b, "yyyymmddhhnnss") &&
           a.millisecond == b.millisecond;
}
} // namespace

std::string OldDumpKept::NameFor(const std::string& dump, const LocalTime& at, int n)
{
    return dump + ".before-drop_" + FormatLocalTime(at, "yyyy-mm-dd_hh-nn-ss") +
           (n > 1 ? "_" + std::to_string(n) : std::string()) + ".bak";
}

OldDumpKept::OldDumpKept(const std::string& dump, const LocalTime& at)
{
    // A name of its own per run: a copy that stands, also one of this same second, is never
    // written over.
    for (int n = 1;; ++n) {
        name_ = NameFor(dump, at, n);
        try {
            HostCopyFile(dump, name_, Overwrite::No);
            break;
        } catch (const AppError& e) {
            if (e.number() != kErrFileExists || n >= 999)
                throw;
        }
    }
    size_ = HostFileSize(name_);
    modified_ = HostFileModified(name_);
}

std::string OldDumpKept::Withdraw() const
{
    try {
        if (!HostFileExists(name_))
            return {};
        if (HostFileSize(name_) != size_ || !sameTime(HostFileModified(name_), modified_))
            return "'" + name_ + "' has changed since it was made and stays";
        HostDeleteFile(name_, true);
        return {};
    } catch (const AppError& e) {
        return "'" + name_ + "' stays (" + e.description() + ")";
    }
}
