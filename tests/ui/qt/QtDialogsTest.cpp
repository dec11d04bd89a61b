// The dialogs' filters in Qt's notation, single and multiple selection, and the message boxes'
// buttons (built, never shown).
#include "ui/qt/QtDialogs.h"
#include "ui/qt/QtMessageService.h"

#include "platform/WinPath.h"
#include "services/Dialog.h"
#include "support/TestEnvironment.h"
#include "support/TestFiles.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

TEST(QtDialogsTest, FiltersBecomeQtNameFilters)
{
    EXPECT_EQ(QtDialogs::NameFilters(Dialog::ParseFilter("Alle Dateien (*.*)|*.*")),
              QStringList{"Alle Dateien (*.*) (*)"});
    EXPECT_EQ(QtDialogs::NameFilters(Dialog::ParseFilter("*.exe|*.exe;*.exe")), QStringList{"*.exe (*.exe *.exe)"});
    EXPECT_EQ(QtDialogs::NameFilters(Dialog::ParseFilter("*.*")), QStringList{"*.* (*)"});
    EXPECT_EQ(QtDialogs::NameFilters(Dialog::ParseFilter("Dumps|*.dmp; *.DMP|All|*.*")),
              (QStringList{"Dumps (*.dmp *.DMP)", "All (*)"}));
}

TEST(QtMessageServiceTest, BoxHasTheStyleButtonsAndDefaultAndAnswersHaveWindowsNumbers)
{
    auto box = QtMessageService::Build("Delete?", 292, "Tarnwick");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    auto error = QtMessageService::Build("Oops", 48 | 0x2000, "Vorlant Tarnwick");
    EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(error->icon(), QMessageBox::Warning);
    EXPECT_EQ(error->windowModality(), Qt::ApplicationModal);
    // The callers compare the answers with these numbers.
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::Cancel), 2);
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::Yes), 6);
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::No), 7);
}


// Opens a dialog through open; when it shows, hands it to answer (which closes it).
void withNextFileDialog(const std::function<void()>& open, const std::function<void(QFileDialog*)>& answer)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                seen = true;
                answer(dialog);
            }
    });
    open();
    EXPECT_TRUE(seen);
}

TEST(QtDialogsTest, OnlyTheCallerThatAsksMayChooseSeveralFiles)
{
    testsupport::ScopedDir folder{"qtdialogs"};
    testsupport::WriteHostFile(folder.host() + "/pd_a.dmp", "x");
    testsupport::WriteHostFile(folder.host() + "/dd_a.dmp", "x");
    const std::string dir = WinPathFromHost(folder.host());
    QtDialogs dialogs;

    std::vector<std::string> chosen;
    withNextFileDialog([&] { chosen = dialogs.OpenFiles(Dialog::ParseFilter("Dumps|*.dmp"), dir); },
                       [](QFileDialog* dialog) {
                           EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
                           auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                           ASSERT_NE(name, nullptr);
                           name->setText("\"pd_a.dmp\" \"dd_a.dmp\"");
                           QMetaObject::invokeMethod(dialog, "accept");
                       });
    std::sort(chosen.begin(), chosen.end());
    EXPECT_EQ(chosen, (std::vector<std::string>{dir + "\\dd_a.dmp", dir + "\\pd_a.dmp"}));

    std::string one = "unset";
    withNextFileDialog([&] { one = dialogs.OpenFile(Dialog::ParseFilter("Dumps|*.dmp"), dir); },
                       [](QFileDialog* dialog) {
                           EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
                           dialog->reject();
                       });
    EXPECT_EQ(one, "");
}

} // namespace
