// One workbook of the Excel stand-in: its sheets in memory, saved as .xlsx content under the
// name the caller gives (also an ".xls" name: the content is xlsx whatever the name says).
#pragma once

#include "platform/excel/Worksheets.h"

#include <memory>
#include <string>

class ExcelApplication;
class FileLock;
class Worksheet;

class Workbook {
public:
    // Owned by the application's workbook collection; a new workbook named name ("Book1")
    // with sheetCount sheets "Sheet1" ... .
    Workbook(ExcelApplication& app, std::string name, int sheetCount);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    class Worksheets& Worksheets();
    const class Worksheets& Worksheets() const;
    // Worksheets().Item(index).
    Worksheet& Worksheets(int index);

    // Writes the whole workbook to path (Windows form) and makes it the workbook's file. An
    // existing file is replaced without a question, whatever DisplayAlerts says; the file is
    // written beside it first, so a failed save leaves the old one whole. Raises 1004 for an
    // empty path, a folder that does not exist, a file that is read-only or held by another
    // program, and a failed write.
    void SaveAs(const std::string& path);
    // Writes the workbook to its file again; raises 1004 when it was never saved under a name.
    void Save();
    // Closes the workbook, saving it first when asked; unsaved changes are otherwise dropped
    // without a question. Every later call on it or its sheets raises.
    void Close(bool saveChanges = false);

    // The full path of the file after SaveAs, until then the workbook's name ("Book1").
    const std::string& FullName() const;
    // The file name part of FullName.
    std::string Name() const;

    ExcelApplication& Application() const { return app_; }
    bool IsOpen() const { return open_; }
    // Raises when the workbook was closed or its application quit.
    void RequireOpen() const;

    // Closing without a save, for the application's Quit.
    void Discard();

private:
    void writeFile(const std::string& path);

    ExcelApplication& app_;
    std::string fullName_;
    bool open_ = true;
    bool hasFile_ = false;
    class Worksheets sheets_;
    // Excel holds the file of an open workbook, so other programs see it in use.
    std::unique_ptr<FileLock> fileLock_;
};
