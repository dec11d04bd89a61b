// The old dump copied whole beside the new one under a name of its own.
#include "admin/OldDumpKept.h"

#include "platform/AppError.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"

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

void OldDumpKept::RemoveLeftCopies(const std::string& dump)
{
    const size_t slash = dump.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? std::string(".") : dump.substr(0, slash);
    const std::string lead = "." + dump.substr(slash == std::string::npos ? 0 : slash + 1) + ".before-drop_";
    try {
        for (const HostEntry& e : HostListFolder(folder)) {
            // The part of a copy is hidden and named "."<copy>".~<process id>.<hex>".
            const size_t end = e.name.find(".bak.~");
            if (e.folder || !e.hidden || end == std::string::npos || !StartsWithNoCase(e.name, lead))
                continue;
            MendInterruptedReplacement(folder + "\\" + e.name.substr(1, end + 3));
        }
    } catch (const AppError&) {
    }
}

std::string OldDumpKept::Withdraw() const
{
    try {
        if (!HostFileExists(name_))
            return {};
        if (HostFileSize(name_) != size_ || HostFileModified(name_) != modified_)
            return "'" + name_ + "' has changed since it was made and stays";
        HostDeleteFile(name_, true);
        return {};
    } catch (const AppError& e) {
        return "'" + name_ + "' stays (" + e.description() + ")";
    }
}
