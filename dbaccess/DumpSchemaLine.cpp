// Rewriting the schema line of dump files.
#include "dbaccess/DumpSchemaLine.h"

#include "dbaccess/DumpLineClassifier.h"
#include "dbaccess/DumpScanner.h"
#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kFirstLineStep = 4096;

// Opens an existing file, or raises 53 "File '<path>' not found".
void openExisting(BinaryFile& f, const std::string& path, BinaryFile::Mode mode)
{
    if (!HostFileExists(path))
        throw AppError(53, "DumpSchemaLine", "File '" + path + "' not found");
    // An open of a FIFO or a device waits for a writer that may never come.
    if (IsSpecialFile(path))
        throw AppError(75, "DumpSchemaLine", "'" + path + "' is not a regular file (a FIFO or a device)");
    try {
        f.Open(path, mode);
    } catch (const AppError& e) {
        throw AppError(e.number(), "DumpSchemaLine", e.description() + " '" + path + "'");
    }
}

[[noreturn]] void rethrowFor(const AppError& e, const std::string& path)
{
    throw AppError(e.number(), "DumpSchemaLine", e.description() + " '" + path + "'");
}

// The text from the file's start up to and including the first LF, read in growing
// prefixes; the whole file when it holds no LF.
std::string firstLineWithEnd(BinaryFile& f)
{
    std::string prefix;
    for (;;) {
        const size_t searchFrom = prefix.size();
        const std::string piece = f.ReadAt(static_cast<int64_t>(prefix.size()), kFirstLineStep);
        if (piece.empty())
            return prefix;
        prefix += piece;
        const size_t lf = prefix.find('\n', searchFrom);
        if (lf != std::string::npos)
            return prefix.substr(0, lf + 1);
    }
}

size_t markLength(std::string_view text)
{
    return text.substr(0, DumpFormat::kUtf8Mark.size()) == DumpFormat::kUtf8Mark ? DumpFormat::kUtf8Mark.size() : 0;
}

} // namespace

bool DumpSchemaLine::RewriteInPlace(const std::string& dumpFile, std::string* leftAsItIs)
{
    BinaryFile f;
    openExisting(f, dumpFile, BinaryFile::Mode::Update);
    std::string first = firstLineWithEnd(f);
    // The line begins after a byte-order mark, which stays.
    const size_t mark = markLength(first);
    first.erase(0, mark);
    if (first.empty() || first.back() != '\n')
        return false;
    // A first line ended by LF alone (the rest may end CR LF) is left as it is: the line that
    // ends at the first CR LF would reach into the next line, and its bytes must stay.
    if (first.size() < 2 || first[first.size() - 2] != '\r') {
        if (leftAsItIs && first.rfind("default ", 0) != 0)
            *leftAsItIs = "its first line ends with LF alone";
        return false;
    }
    const std::string line = first.substr(0, first.size() - 2);
    if (line.rfind("default ", 0) == 0 || first.size() <= 18)
        return false;
    // The name is read as the third word, wherever blanks put it: taken at a fixed column, a
    // leading or doubled blank would make the name a blank, lost for good.
    const std::string name = SchemaWordOf(line);
    if (name.empty()) {
        if (leftAsItIs)
            *leftAsItIs = "its first line is not a \"create schema <name>\" line";
        return false;
    }
    std::string newLine = DumpFormat::DefaultSchemaLine(name);
    if (newLine.size() > line.size())
        return false;
    newLine.append(line.size() - newLine.size(), ' ');
    newLine += "\r\n";
    try {
        f.WriteAt(static_cast<int64_t>(mark), newLine);
        f.CloseChecked();
    } catch (const AppError& e) {
        rethrowFor(e, dumpFile);
    }
    return true;
}

std::string DumpSchemaLine::ReadFirstLine(const std::string& dumpFile)
{
    BinaryFile f;
    openExisting(f, dumpFile, BinaryFile::Mode::Read);
    std::string line;
    for (int64_t at = 0;;) {
        const std::string piece = f.ReadAt(at, kFirstLineStep);
        at += static_cast<int64_t>(piece.size());
        if (piece.empty())
            break;
        const size_t lf = piece.find('\n');
        line.append(piece.substr(0, lf));
        if (lf != std::string_view::npos)
            break;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line.substr(markLength(line));
}

std::string DumpSchemaLine::SchemaWordOf(std::string_view line)
{
    std::vector<std::string> words;
    for (size_t at = 0; words.size() < 3;) {
        at = line.find_first_not_of(" \t", at);
        if (at == std::string_view::npos)
            break;
        const size_t end = std::min(line.find_first_of(" \t", at), line.size());
        words.emplace_back(line.substr(at, end - at));
        at = end;
    }
    if (words.size() < 3 || !EqualsNoCase(words[1], "schema") ||
        !(EqualsNoCase(words[0], "create") || EqualsNoCase(words[0], "default")))
        return {};
    return words[2];
}

std::string DumpSchemaLine::SchemaNameOf(std::string_view line)
{
    // The phrase as written first; a line found without regard to case still gives its name.
    size_t p = line.find(DumpFormat::kDefaultSchema);
    size_t len = DumpFormat::kDefaultSchema.size();
    if (p == std::string_view::npos)
        p = line.find(DumpFormat::kCreateSchema), len = DumpFormat::kCreateSchema.size();
    if (p == std::string_view::npos)
        p = FindNoCase(line, DumpFormat::kDefaultSchema), len = DumpFormat::kDefaultSchema.size();
    if (p == std::string_view::npos)
        p = FindNoCase(line, DumpFormat::kCreateSchema), len = DumpFormat::kCreateSchema.size();
    if (p == std::string_view::npos)
        return {};
    const size_t from = p + len;
    size_t blank = line.find(' ', from);
    if (blank == std::string_view::npos)
        blank = line.size();
    return Trim(line.substr(from, blank - from));
}

namespace {

// The start and end (before its line end) of the dump's schema line in a chunk of whole
// lines: the first line outside a table block that holds either phrase, any case. The
// classifier carries the block state from chunk to chunk. False when the chunk holds none.
bool findSchemaLine(const std::string& chunk, DumpLineClassifier& lines, size_t& start, size_t& end)
{
    size_t pos = 0;
    while (pos < chunk.size()) {
        if (lines.InRows()) {
            // The rows of a table are passed over up to the block's end line.
            pos = DumpLineClassifier::FindEndOfTableLine(chunk, pos);
            if (pos == std::string::npos)
                return false;
        }
        const size_t lf = chunk.find('\n', pos);
        const size_t next = lf == std::string::npos ? chunk.size() : lf + 1;
        size_t lineEnd = lf == std::string::npos ? chunk.size() : lf;
        if (lineEnd > pos && chunk[lineEnd - 1] == '\r')
            --lineEnd;
        const std::string_view line(chunk.data() + pos, lineEnd - pos);
        const DumpLineKind kind = lines.Classify(line);
        if ((kind == DumpLineKind::SchemaLine || kind == DumpLineKind::Other) &&
            (FindNoCase(line, DumpFormat::kDefaultSchema) != std::string::npos ||
             FindNoCase(line, DumpFormat::kCreateSchema) != std::string::npos)) {
            start = pos;
            end = lineEnd;
            return true;
        }
        pos = next;
    }
    return false;
}

} // namespace

std::string DumpSchemaLine::CopyWithSchemaName(const std::string& source, const std::string& target,
                                               const std::string& targetSchema, size_t chunkSize)
{
    DumpScanner scanner(source, chunkSize);
    BinaryFile out;
    try {
        out.Open(target, BinaryFile::Mode::Write);
    } catch (const AppError& e) {
        rethrowFor(e, target);
    }
    std::string name;
    bool found = false;
    DumpLineClassifier lines;
    std::string chunk;
    while (scanner.NextLines(chunk)) {
        size_t start = 0;
        size_t end = 0;
        // Only the schema line changes: a data row that holds a phrase stays as it is, and
        // so does every line end and every later line.
        if (!found && findSchemaLine(chunk, lines, start, end)) {
            found = true;
            const std::string_view line(chunk.data() + start, end - start);
            name = IsBlank(targetSchema) ? SchemaNameOf(line) : Trim(targetSchema);
            chunk.replace(start, end - start, DumpFormat::DefaultSchemaLine(name));
        }
        try {
            out.Write(chunk);
        } catch (const AppError& e) {
            rethrowFor(e, target);
        }
    }
    try {
        out.CloseChecked();
    } catch (const AppError& e) {
        rethrowFor(e, target);
    }
    return name;
}
