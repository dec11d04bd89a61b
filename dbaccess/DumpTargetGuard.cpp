// The files an unload must not write over.
#include "dbaccess/DumpTargetGuard.h"

#include "dbaccess/DumpSchemaLine.h"
#include "platform/AppError.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"

std::string DumpTargetRefusal(const std::string& dump, const std::string& schema, const std::string& alsoSchema)
{
    // Opened, a FIFO would wait for a writer for ever.
    if (IsSpecialFile(dump))
        return "'" + dump + "' is not a regular file (a FIFO or a device): it stays as it was, and no new dump "
               "takes its place";
    if (!HostFileExists(dump))
        return {};
    // Windows replaces no read-only file; a rename here would (root may rename over anything).
    if (IsReadOnlyFile(dump))
        return "the dump '" + dump + "' is read-only: it stays as it was, and no new dump takes its place (clear "
               "its read-only attribute to unload " + schema + " there)";
    if (HostFileSize(dump) == 0)
        return {};
    const std::string advice = " (move it aside to unload " + schema + " there)";
    std::string named;
    try {
        named = DumpSchemaLine::SchemaWordOf(DumpSchemaLine::ReadFirstLine(dump));
    } catch (const AppError& e) {
        return "'" + dump + "' cannot be read (" + e.description() + "): it stays as it was, and no new dump takes "
               "its place";
    }
    if (named.empty())
        return "'" + dump + "' is no RIS dump (its first line names no schema): it stays as it was, and no new dump "
               "takes its place" + advice;
    if (!EqualsNoCase(named, schema) && (alsoSchema.empty() || !EqualsNoCase(named, alsoSchema)))
        return "'" + dump + "' is a dump of schema " + named + ": it stays as it was, and no dump of " + schema +
               " takes its place" + advice;
    return {};
}
