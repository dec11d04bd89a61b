// Qt file dialogs and folder browser.
#include "ui/qt/QtDialogs.h"

#include "platform/TextUtil.h"
#include "platform/WinPath.h"
#include "ui/qt/QtText.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>

namespace {

QString hostDir(const std::string& winDir)
{
    return IsBlank(winDir) ? QDir::currentPath() : ToQString(HostPath(winDir));
}

std::string winPath(const QString& host) { return host.isEmpty() ? std::string() : WinPathFromHost(FromQString(host)); }

// The chosen paths; none on cancel.
QStringList runAll(QFileDialog& dialog)
{
    // The patterns appended for Qt stay out of sight; the descriptions show as written.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString run(QFileDialog& dialog)
{
    const QStringList chosen = runAll(dialog);
    return chosen.isEmpty() ? QString() : chosen.first();
}

} // namespace

QStringList QtDialogs::NameFilters(const std::vector<FileFilter>& filters)
{
    QStringList out;
    for (const FileFilter& f : filters) {
        QStringList patterns;
        for (const std::string& p : Split(f.patterns, ";")) {
            const std::string t = Trim(p);
            if (!t.empty())
                patterns << (t == "*.*" ? QString("*") : ToQString(t));
        }
        if (patterns.isEmpty())
            patterns << "*";
        out << ToQString(f.description) + " (" + patterns.join(' ') + ")";
    }
    return out;
}

std::string QtDialogs::OpenFile(const std::vector<FileFilter>& filters, const std::string& initialDir)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), hostDir(initialDir));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(filters));
    return winPath(run(dialog));
}

std::vector<std::string> QtDialogs::OpenFiles(const std::vector<FileFilter>& filters, const std::string& initialDir)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), hostDir(initialDir));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(NameFilters(filters));
    std::vector<std::string> files;
    for (const QString& file : runAll(dialog))
        files.push_back(winPath(file));
    return files;
}

std::string QtDialogs::SaveFile(const std::string& defaultName, const std::vector<FileFilter>& filters,
                                const std::string& initialDir)
{
    QFileDialog dialog(QApplication::activeWindow(), QString(), hostDir(initialDir));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(NameFilters(filters));
    if (!defaultName.empty())
        dialog.selectFile(ToQString(defaultName));
    return winPath(run(dialog));
}

std::string QtDialogs::BrowseFolder(const std::string& title, const std::string& startFolder)
{
    QFileDialog dialog(QApplication::activeWindow(), ToQString(title), hostDir(startFolder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    return winPath(run(dialog));
}
