// The list window offscreen: filling, filter row, header-click sort, one window at a time.
#include "admin/ExistingLists.h"
#include "ui/qt/ListForm.h"

#include "admin/ListSources.h"
#include "platform/AppError.h"
#include "services/ScriptedMessageService.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

using Strings = std::vector<std::string>;

Strings column0(const ListForm* form)
{
    Strings out;
    for (int r = 0; r < form->rowCount(); ++r)
        out.push_back(form->cellText(r, 0).toStdString());
    return out;
}

class ListFormTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (ListForm* f = CurrentListForm())
            delete f;
    }

    ListForm* schemas(const Strings& names)
    {
        return ShowExistingSchemas([names] { return names; });
    }

    ScriptedMessageService boxes_;
};

TEST_F(ListFormTest, SchemaListShowsTheNamesWithTheirCount)
{
    ListForm* form = schemas({"pd_abc", "dd_abc", "PD_xyz", "m_abc"});
    EXPECT_EQ(form->windowTitle(), "Existing Schemas");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->TDBGrid->columnCount(), 1);
    EXPECT_EQ(form->TDBGrid->horizontalHeaderItem(0)->text(), "schema_name");
    EXPECT_EQ(column0(form), (Strings{"pd_abc", "dd_abc", "PD_xyz", "m_abc"}));
    EXPECT_EQ(form->TDBGridCaption->text(), "4 records");
}

TEST_F(ListFormTest, AnEmptyListHasNoRows)
{
    ListForm* form = schemas({});
    EXPECT_EQ(form->rowCount(), 0);
    EXPECT_EQ(form->TDBGridCaption->text(), "0 records");
}

TEST_F(ListFormTest, TypingInTheFilterCellFiltersByPrefix)
{
    ListForm* form = schemas({"pd_abc", "dd_abc", "PD_xyz", "m_abc"});
    ASSERT_EQ(form->filterCells.size(), 1u);
    form->filterCells[0]->setText("PD");
    EXPECT_EQ(form->TDBGridCaption->text(), "2 records (filtered)");
    EXPECT_EQ(column0(form), (Strings{"pd_abc", "PD_xyz"}));
    form->filterCells[0]->clear();
    EXPECT_EQ(form->TDBGridCaption->text(), "4 records");
    EXPECT_EQ(form->rowCount(), 4);
}

TEST_F(ListFormTest, HeaderClicksSortDescendingAscendingDescending)
{
    ListForm* form = schemas({"b_x", "c_x", "a_x"});
    form->TDBGrid_HeadClick(0);
    EXPECT_EQ(column0(form), (Strings{"c_x", "b_x", "a_x"}));
    form->TDBGrid_HeadClick(0);
    EXPECT_EQ(column0(form), (Strings{"a_x", "b_x", "c_x"}));
    form->TDBGrid_HeadClick(0);
    EXPECT_EQ(column0(form), (Strings{"c_x", "b_x", "a_x"}));
}

TEST_F(ListFormTest, ANewListingReplacesTheWindow)
{
    ListForm* first = schemas({"pd_abc"});
    QPointer<ListForm> watch(first);
    ListForm* second = ShowListForm("Existing DB-Users", [] {
        Recordset rs = ListSources::SingleColumnRecordset("user_name");
        rs.AddNew("user_name", Variant("SYS"));
        return rs;
    });
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(CurrentListForm(), second);
    EXPECT_EQ(second->windowTitle(), "Existing DB-Users");
    EXPECT_EQ(column0(second), (Strings{"SYS"}));
}

TEST_F(ListFormTest, AFailedFillIsShownAndTheWindowStays)
{
    ListForm* form = ShowListForm("Existing DB-Users", []() -> Recordset {
        throw AppError(1, "ServerManagerQuery", "Could not get database users");
    });
    ASSERT_EQ(boxes_.asked().size(), 1u);
    EXPECT_EQ(boxes_.asked()[0].prompt, "Could not get database users");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->TDBGridCaption->text(), "0 records");
}

TEST_F(ListFormTest, ClosingReleasesTheRecordset)
{
    ListForm* form = schemas({"pd_abc"});
    QPointer<ListForm> watch(form);
    form->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watch.isNull());
    EXPECT_EQ(CurrentListForm(), nullptr);
}

} // namespace
