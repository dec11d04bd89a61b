// The [Replace] edits of a chosen dump.
#include "admin/DumpReplacer.h"

#include "admin/DumpCommandLines.h"
#include "dbaccess/DumpScanner.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"
#include "services/FileOperation.h"

namespace {

void raiseFileOp(const std::string& what)
{
    long number = 0;
    std::string source, description;
    GetFileOpError(number, source, description);
    RaiseError("ApplyReplacements", what + (description.empty() ? std::string() : ": " + description));
}

} // namespace

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
    std::string temp = FileInDir(GetPathDir(file), GetTempBaseName() + ".tmp");
    bool changed = false;
    try {
        BinaryFile out;
        out.Open(temp, BinaryFile::Mode::Write);
        DumpScanner scanner(file);
        std::string chunk, carry;
        while (scanner.NextChunk(chunk)) {
            std::string text = carry + chunk;
            std::vector<std::string> lines = Split(ReplaceAll(std::move(text), "\r", ""), "\n");
            carry = lines.back(); // the text after the last line end: completed by the next chunk
            lines.pop_back();
            for (auto& line : lines) {
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
        std::string last = ReplaceKeysInLine(carry, keys, values);
        changed = changed || last != carry;
        out.Write(last + "\r\n");
        out.Close();
    } catch (const AppError&) {
        DeleteFileA(temp);
        throw;
    }
    if (!changed) {
        DeleteFileA(temp);
        return false;
    }
    if (!CopyFileA(file, file + ".bak")) {
        DeleteFileA(temp);
        raiseFileOp("Backup of '" + file + "' not written");
    }
    // One rename puts the edited copy in place: a copy and delete could fail half-way, leaving
    // the copy in the dump folder, where loading all dumps would take it for a dump.
    try {
        HostMoveFile(temp, file);
    } catch (const AppError& e) {
        DeleteFileA(temp);
        RaiseError("ApplyReplacements",
                   "'" + file + "' not replaced (its backup is '" + file + ".bak'): " + e.description());
    }
    return true;
}
