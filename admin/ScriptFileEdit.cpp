// Backup, search, replacement and append of the script runner's file edits.
#include "admin/ScriptFileEdit.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/TextUtil.h"
#include "services/FileContents.h"
#include "services/FileOperation.h"
#include "services/WholeBackup.h"


namespace {

constexpr size_t kSearchChunk = 4 * 1024 * 1024;

size_t find(const std::string& hay, const std::string& needle, bool ignoreCase)
{
    return ignoreCase ? FindNoCase(hay, needle) : hay.find(needle);
}

} // namespace

bool FileContainsText(const std::string& path, const std::string& text, bool ignoreCase)
{
    if (text.empty())
        return true;
    BinaryFile file;
    file.Open(path, BinaryFile::Mode::Read);
    const int64_t size = file.Size();
    // Consecutive pieces overlap by one byte less than the text, so no occurrence is cut.
    const size_t overlap = text.size() - 1;
    std::string piece;
    for (int64_t position = 0; position < size; position += static_cast<int64_t>(kSearchChunk)) {
        piece = file.ReadAt(position, kSearchChunk + overlap);
        if (find(piece, text, ignoreCase) != std::string::npos)
            return true;
        if (position + static_cast<int64_t>(piece.size()) >= size)
            break;
    }
    return false;
}

void BackupScriptFile(const std::string& path)
{
    const std::string backup = path + ".bak";
    if (const ChangeOutcome copied = MakeWholeBackup(path, backup); !copied.Done())
        throw AppError(1, "BackupScriptFile", BackupRefusal(copied, path, backup));
}

bool ChangeTextInFile(const std::string& path, const std::string& search, const std::string& replacement)
{
    if (search.empty() || !FileContainsText(path, search, true))
        return false;
    if (IsBlank(search))
        // The chunked replacement of the file services passes over search texts of blanks.
        throw AppError(1, "ChangeTextInFile", "A search text of blanks only is not supported: '" + search + "'");
    BackupScriptFile(path);
    ClearFileOpError();
    ReplaceInFile(path, search, replacement);
    long number = 0;
    std::string source, description;
    GetFileOpError(number, source, description);
    if (number != 0)
        throw AppError(number, ComposeErrorSource("ChangeTextInFile", 0, source), description);
    return true;
}

bool AppendTextOnce(const std::string& path, const std::string& text)
{
    BackupScriptFile(path);
    if (FileContainsText(path, text, false))
        return false;
    AppendToFile(text, path);
    return true;
}
