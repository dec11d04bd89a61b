// File dialogs' filter notation and the folder browser's remembered start folder.
#include "services/Dialog.h"

#include "platform/AppError.h"
#include "platform/TextUtil.h"
#include "services/FileOpError.h"

namespace {
std::string gRememberedStartFolder;
} // namespace

std::vector<FileFilter> Dialog::ParseFilter(const std::string& filterIn)
{
    std::string filter = filterIn;
    if (filter.empty() || filter.back() != '|')
        filter += '|';
    const std::vector<std::string> parts = Split(filter, "|");
    std::vector<FileFilter> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty())
            break;
        out.push_back({parts[i], parts[i + 1]});
    }
    return out;
}

std::string Dialog::OpenFile(const std::string& filter, const std::string& initialDir)
{
    try {
        return Dialogs::Get().OpenFile(ParseFilter(filter), initialDir);
    } catch (...) {
        return {};
    }
}

std::vector<std::string> Dialog::OpenFiles(const std::string& filter, const std::string& initialDir)
{
    try {
        return Dialogs::Get().OpenFiles(ParseFilter(filter), initialDir);
    } catch (...) {
        return {};
    }
}

std::vector<std::string> ChosenFiles(const std::string& answer)
{
    if (answer.empty())
        return {};
    std::vector<std::string> parts = Split(answer, std::string(1, '\0'));
    if (parts.size() == 1)
        return parts;
    const std::string dir = parts.front().empty() || parts.front().back() == '\\' ? parts.front() : parts.front() + "\\";
    std::vector<std::string> files;
    for (size_t i = 1; i < parts.size(); ++i)
        if (!parts[i].empty())
            files.push_back(dir + parts[i]);
    return files;
}

std::string Dialog::SaveFile(const std::string& defaultName, const std::string& filter, const std::string& initialDir)
{
    try {
        return Dialogs::Get().SaveFile(defaultName, ParseFilter(filter), initialDir);
    } catch (...) {
        return {};
    }
}

Dialog& GetDialog()
{
    static Dialog instance;
    return instance;
}

std::string BrowseForFolder(const std::string& title, const std::string& startFolder)
{
    try {
        if (!IsBlank(startFolder))
            gRememberedStartFolder = Trim(startFolder);
        std::string folder = Dialogs::Get().BrowseFolder(title, gRememberedStartFolder);
        if (!IsBlank(folder) && folder.back() != '\\')
            folder += '\\';
        ClearFileOpError();
        return folder;
    } catch (const AppError& e) {
        RecordFileOpError(e, "BrowseForFolder");
        return {};
    }
}
