// The dialogs' filters in Qt's notation and the message boxes' buttons (built, never shown).
#include "ui/qt/QtDialogs.h"
#include "ui/qt/QtMessageService.h"

#include "services/Dialog.h"

#include <QPushButton>
#include <gtest/gtest.h>

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

TEST(QtMessageServiceTest, BoxHasTheStyleButtonsAndDefault)
{
    auto box = QtMessageService::Build("Delete?", 292, "Tarnwick");
    EXPECT_EQ(box->windowTitle(), "Tarnwick");
    EXPECT_EQ(box->text(), "Delete?");
    EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->icon(), QMessageBox::Question);

    auto error = QtMessageService::Build("Oops", 48 | 0x2000, "Vorlant Tarnwick");
    EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(error->icon(), QMessageBox::Warning);
    EXPECT_EQ(error->windowModality(), Qt::ApplicationModal);
}

TEST(QtMessageServiceTest, AnswersHaveWindowsNumbers)
{
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::Ok), 1);
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::Cancel), 2);
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::Retry), 4);
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::Yes), 6);
    EXPECT_EQ(QtMessageService::AnswerOf(QMessageBox::No), 7);
}

} // namespace
