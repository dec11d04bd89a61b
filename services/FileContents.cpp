// File contents: whole reads, chunked replacement with a safe swap, appending.
#include "services/FileContents.h"

#include "platform/AppError.h"
#include "platform/BinaryFile.h"
#include "platform/Clock.h"
#include "platform/Environment.h"
#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "services/AppGlobals.h"
#include "services/FileOperation.h"

#include <algorithm>

namespace {

// Every occurrence of search replaced, without regard to case, left to right; the inserted
// text is not scanned again.
std::string replaceNoCase(const std::string& text, const std::string& search, const std::string& replacement)
{
    std::string out;
    size_t from = 0;
    for (;;) {
        size_t hit = FindNoCase(text, search, from);
        if (hit == std::string::npos)
            break;
        out.append(text, from, hit - from);
        out += replacement;
        from = hit + search.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

// The length of the chunk up to and including its last line break (CR LF, else LF); the whole
// chunk when it holds none.
size_t wholeLines(const std::string& chunk)
{
    size_t crlf = chunk.rfind("\r\n");
    if (crlf != std::string::npos)
        return crlf + 2;
    size_t lf = chunk.rfind('\n');
    return lf != std::string::npos ? lf + 1 : chunk.size();
}

std::string workFolder()
{
    if (!gTempDir.empty() && IsFileExists(gTempDir, 1))
        return gTempDir;
    return GetEnvVar("TEMP");
}

// Puts the finished work file in place of the original. Its content goes into a replacement of
// the original (written beside it, flushed, then renamed over it), so until that rename the
// original is untouched; a linked original keeps its link, and the file its mode and owner.
void swapIn(const std::string& work, const std::string& path)
{
    try {
        ReplacementFile out(path);
        out.WriteFileContent(HostPath(work));
        out.Commit();
    } catch (const AppError& e) {
        throw AppError(e.number(), ComposeErrorSource("CopyFileA", 0, e.source()), e.description());
    }
}

} // namespace

std::string ReadFile2String(const std::string& path)
{
    try {
        if (!IsFileExists(path))
            throw AppError(1, "", "File '" + path + "' not exists");
        std::string text = BinaryFile::ReadAll(path);
        ClearFileOpError();
        return text;
    } catch (const AppError& e) {
        RecordFileOpError(e, "ReadFile2String");
        return {};
    }
}

std::vector<std::string> ReadFile2Array(const std::string& path)
{
    try {
        std::string text = ReadFile2String(path);
        RaiseFileOpError();
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        std::vector<std::string> lines = text.empty() ? std::vector<std::string>() : Split(text, "\n");
        ClearFileOpError();
        return lines;
    } catch (const AppError& e) {
        RecordFileOpError(e, "ReadFile2Array");
        return {};
    }
}

void ReplaceInFile(const std::string& path, const std::vector<std::string>& search,
                   const std::vector<std::string>& replacement, size_t chunkSize)
{
    std::string work;
    try {
        if (!IsFileExists(path))
            throw AppError(2, "", "File '" + path + "' not exists");
        const std::string folder = workFolder();
        if (!IsFileExists(folder, 1))
            throw AppError(3, "", "Directory with destination file '" + folder + "' not exists");
        work = AddBackslash(folder) + GetTempName();

        BinaryFile in, out;
        in.Open(path, BinaryFile::Mode::Read);
        out.Open(work, BinaryFile::Mode::Write);
        const int64_t size = in.Size();
        const size_t pairs = std::min(search.size(), replacement.size());
        int64_t position = 0;
        while (size - position > 0) {
            const size_t want = static_cast<size_t>(std::min<int64_t>(size - position, std::max<size_t>(chunkSize, 1)));
            std::string chunk = in.ReadAt(position, want);
            if (chunk.empty())
                throw AppError(62, "", "Input past end of file");
            // Each chunk but the last ends with a whole line, so a search text within one line
            // is never split; the rest is read again with the next chunk.
            chunk.resize(wholeLines(chunk));
            position += static_cast<int64_t>(chunk.size());
            for (size_t i = 0; i < pairs; ++i)
                if (!IsBlank(search[i]))
                    chunk = replaceNoCase(chunk, search[i], replacement[i]);
            out.Write(chunk);
            DoEvents();
        }
        in.Close();
        out.Flush();
        out.Close();
        swapIn(work, path);
        ClearFileOpError();
    } catch (const AppError& e) {
        RecordFileOpError(e, "ReplaceInFile");
    }
    const FileOpError saved = SaveFileOpError();
    DeleteFileA(work);
    RestoreFileOpError(saved);
}

void ReplaceInFile(const std::string& path, const std::string& search, const std::string& replacement,
                   size_t chunkSize)
{
    ReplaceInFile(path, std::vector<std::string>{search}, std::vector<std::string>{replacement}, chunkSize);
}

void AppendToFile(const std::string& text, const std::string& path)
{
    if (path.empty() || !HostFileExists(path) || IsHiddenName(GetFileName(path)))
        return;
    BinaryFile::AppendText(path, text + "\r\n");
}

void AppendLineWhole(const std::string& path, const std::string& text)
{
    ReplacementFile out(path);
    out.WriteFileContent(out.target());
    out.Write(text + "\r\n");
    out.Commit();
}
