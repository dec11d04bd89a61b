// The [Replace] edits of a chosen dump.
#include "admin/DumpReplacer.h"

#include "dbaccess/DumpScanner.h"
#include "platform/AppError.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "services/WholeBackup.h"

std::string ReplaceKeysInLine(const std::string& line, const std::vector<std::string>& keys,
                              const std::vector<std::string>& values)
{
    std::string out = line;
    for (size_t k = 0; k < keys.size(); ++k) {
        const std::string& key = keys[k];
        if (key.empty())
            continue;
        const std::string& value = k < values.size() ? values[k] : std::string();
        size_t at = FindNoCase(out, key);
        while (at != std::string::npos) {
            out.replace(at, key.size(), value);
            at = FindNoCase(out, key, at + value.size());
        }
    }
    return out;
}

bool ApplyReplacements(const std::string& file, const std::vector<std::string>& keys,
                       const std::vector<std::string>& values)
{
    // The edited content goes straight into a replacement of the dump (a hidden file beside the
    // file a link names, never taken for a dump), which one rename puts in place.
    ReplacementFile out(file);
    bool changed = false;
    DumpScanner scanner(file);
    std::string chunk, carry;
    while (scanner.NextChunk(chunk)) {
        std::string text = carry + chunk;
        std::vector<std::string> lines = Split(text, "\n");
        carry = lines.back(); // the text after the last line end: completed by the next chunk
        lines.pop_back();
        for (auto& line : lines) {
            // Only the CR of the line end goes: a CR inside a row's text is the value's.
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::string edited = ReplaceKeysInLine(line, keys, values);
            if (edited != line) {
                changed = true;
                line = std::move(edited);
            }
        }
        if (!lines.empty())
            out.Write(Join(lines, "\r\n") + "\r\n");
    }
    // The text after the last line end is one more line, empty when the file ends with one.
    if (!carry.empty() && carry.back() == '\r')
        carry.pop_back();
    std::string last = ReplaceKeysInLine(carry, keys, values);
    changed = changed || last != carry;
    out.Write(last + "\r\n");
    if (!changed)
        return false;
    // Never edit without a whole backup: after a failed copy the backup is looked at.
    const std::string backup = file + ".bak";
    if (const ChangeOutcome copied = MakeWholeBackup(file, backup); !copied.Done())
        RaiseError("ApplyReplacements", BackupRefusal(copied, file, backup));
    try {
        out.Commit();
    } catch (const AppError& e) {
        RaiseError("ApplyReplacements",
                   "'" + file + "' not replaced (its backup is '" + file + ".bak'): " + e.description());
    }
    return true;
}
