// Workbook: sheets, save and close.
#include "platform/excel/Workbook.h"

#include "platform/FileAttributes.h"
#include "platform/HostFiles.h"
#include "platform/ReplacementFile.h"
#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "platform/excel/ExcelApplication.h"
#include "platform/excel/ExcelErrors.h"
#include "platform/excel/Workbooks.h"
#include "platform/excel/Worksheet.h"
#include "platform/excel/XlsxExport.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

// The folder part of a Windows path ("C:\" for "C:\x.xls"), empty for a bare name.
std::string folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos)
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) + "\\" : std::string();
    return path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

[[noreturn]] void raiseCannotAccess(const std::string& path, const std::string& why)
{
    RaiseExcelError("Microsoft Excel cannot access the file '" + path + "': " + why);
}

} // namespace

Workbook::Workbook(ExcelApplication& app, std::string name, int sheetCount)
    : app_(app), fullName_(std::move(name)), sheets_(*this)
{
    for (int i = 0; i < sheetCount; ++i)
        sheets_.Add(Worksheets::Position::AfterLast);
}

Workbook::~Workbook() = default;

Worksheets& Workbook::Worksheets()
{
    RequireOpen();
    return sheets_;
}

const Worksheets& Workbook::Worksheets() const
{
    RequireOpen();
    return sheets_;
}

Worksheet& Workbook::Worksheets(int index)
{
    return Worksheets().Item(index);
}

void Workbook::RequireOpen() const
{
    app_.RequireRunning();
    if (!open_)
        RaiseExcelError("The workbook '" + Name() + "' is closed.", kExcelObjectDisconnected);
}

const std::string& Workbook::FullName() const
{
    RequireOpen();
    return fullName_;
}

std::string Workbook::Name() const
{
    return fileNameOf(fullName_);
}

void Workbook::SaveAs(const std::string& path)
{
    RequireOpen();
    if (Trim(path).empty())
        RaiseExcelError("Method 'SaveAs' of object '_Workbook' failed: no file name given.");
    const std::string folder = folderOf(path);
    if (!folder.empty() && !HostFolderExists(folder))
        raiseCannotAccess(path, "the folder '" + folder + "' does not exist.");
    writeFile(path);
    fullName_ = path;
    hasFile_ = true;
}

void Workbook::Save()
{
    RequireOpen();
    if (!hasFile_)
        RaiseExcelError("The workbook '" + Name() + "' has no file yet: save it with SaveAs first.");
    writeFile(fullName_);
}

void Workbook::Close(bool saveChanges)
{
    RequireOpen();
    if (saveChanges)
        Save();
    Discard();
}

void Workbook::Discard()
{
    if (!open_)
        return;
    open_ = false;
    fileLock_.reset();
    app_.Workbooks().Remove(*this);
}

void Workbook::writeFile(const std::string& path)
{
    const std::string host = HostPath(path);
    if (HostFolderExists(path))
        raiseCannotAccess(path, "a folder has that name.");
    // Our own hold on the file of this workbook is no reason to refuse writing it again.
    const bool ownFile = hasFile_ && EqualsNoCase(path, fullName_);
    if (!ownFile && HostFileExists(path) && (IsReadOnlyFile(path) || IsFileLocked(path)))
        raiseCannotAccess(path, "the file is read-only or in use by another program.");
    if (int err = InjectedFault("create", host))
        raiseCannotAccess(path, HostError(err).description() + ".");

    // The library writes a file of the name it is given: a fresh hidden one beside the target,
    // so that no file of the user's is written over.
    const size_t slash = host.rfind('/');
    std::string temp = host.substr(0, slash + 1) + "." + host.substr(slash + 1) + ".~xlsxXXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        raiseCannotAccess(path, HostError(errno).description() + ".");
    ::close(fd);
    try {
        WriteWorkbookXlsx(*this, temp);
    } catch (const AppError& e) {
        std::remove(temp.c_str());
        raiseCannotAccess(path, e.description());
    }
    // The new content replaces the file only when it is whole and flushed, keeping the file's
    // mode; our own hold on the file is let go for that moment and taken again whatever happens.
    fileLock_.reset();
    try {
        ReplacementFile out(path);
        out.WriteFileContent(temp);
        out.Commit();
    } catch (const AppError& e) {
        std::remove(temp.c_str());
        if (hasFile_)
            fileLock_ = std::make_unique<FileLock>(fullName_, false);
        raiseCannotAccess(path, e.description() + ".");
    }
    std::remove(temp.c_str());
    fileLock_ = std::make_unique<FileLock>(path, false);
}
