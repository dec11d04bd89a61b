// The list window offscreen: filling, filter row over its columns, header-click sort, one window
// at a time; the filter texts and the sort order of header clicks.
#include "admin/ExistingLists.h"
#include "ui/qt/ListForm.h"

#include "admin/ListSources.h"
#include "platform/AppError.h"
#include "platform/ado/AdoTypes.h"
#include "ui/qt/ListFilter.h"
#include "ui/qt/ListSort.h"
#include "services/ScriptedMessageService.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
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
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(column0(form), (Strings{"pd_abc", "dd_abc", "PD_xyz", "m_abc"}));
    EXPECT_EQ(form->TDBGridCaption->text(), "4 records");
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

TEST_F(ListFormTest, HeaderClicksSortDescendingThenAscending)
{
    ListForm* form = schemas({"b_x", "c_x", "a_x"});
    form->TDBGrid_HeadClick(0);
    EXPECT_EQ(column0(form), (Strings{"c_x", "b_x", "a_x"}));
    form->TDBGrid_HeadClick(0);
    EXPECT_EQ(column0(form), (Strings{"a_x", "b_x", "c_x"}));
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

// Where a filter cell and its column's header section begin and end, in the window's coordinates.
std::pair<int, int> spanOfCell(const ListForm* form, int column)
{
    const QLineEdit* cell = form->filterCells[static_cast<size_t>(column)];
    const int left = cell->mapTo(form, QPoint(0, 0)).x();
    return {left, left + cell->width()};
}
std::pair<int, int> spanOfColumn(const ListForm* form, int column)
{
    const QHeaderView* header = form->TDBGrid->horizontalHeader();
    const int left = header->viewport()->mapTo(form, QPoint(header->sectionViewportPosition(column), 0)).x();
    return {left, left + header->sectionSize(column)};
}

TEST_F(ListFormTest, EachFilterCellStandsOverItsColumnAsItIsResizedAndScrolled)
{
    ListForm* form = ShowListForm("Columns", [] {
        Recordset rs;
        for (const char* name : {"a", "b", "c", "d"})
            rs.Fields().Append(name, adVarWChar, 255, adFldIsNullable);
        rs.SetCursorLocation(adUseClient);
        rs.Open();
        for (int row = 0; row < 120; ++row) // three-digit row numbers widen the row-number column
            rs.AddNew("a", Variant(std::to_string(row)));
        return rs;
    });
    form->resize(300, 300);
    QCoreApplication::processEvents();
    auto check = [form](const char* when) {
        for (int c = 0; c < 4; ++c) {
            if (form->filterCells[static_cast<size_t>(c)]->isVisible()) {
                EXPECT_EQ(spanOfCell(form, c), spanOfColumn(form, c)) << when << ", column " << c;
            }
        }
    };
    check("shown");
    form->TDBGrid->horizontalHeader()->resizeSection(0, 150);
    check("resized");
    form->TDBGrid->horizontalScrollBar()->setValue(form->TDBGrid->horizontalScrollBar()->maximum());
    ASSERT_GT(form->TDBGrid->horizontalScrollBar()->value(), 0);
    check("scrolled");
    // A cell scrolled out of sight is cut off at the grid's edge, never over the row numbers.
    const QWidget* clip = form->filterCells[0]->parentWidget();
    EXPECT_EQ(clip->mapTo(form, QPoint(0, 0)).x(), form->TDBGrid->viewport()->mapTo(form, QPoint(0, 0)).x());
}

TEST(ListFilterTest, TextCellsArePrefixMatchesOtherCellsDates)
{
    EXPECT_EQ(ListFilter::Build({{"schema_name", adVarWChar, "PD"}}), "schema_name LIKE 'PD*'");
    EXPECT_EQ(ListFilter::Build({{"a", adVarWChar, ""}, {"b", adVarWChar, "x"}, {"c", adDate, "2024-01-31"}}),
              "b LIKE 'x*' AND c = #2024-01-31#");
    EXPECT_EQ(ListFilter::Build({{"a", adVarWChar, ""}}), "");
    // A quote in the cell stays part of the text instead of ending it.
    EXPECT_EQ(ListFilter::Build({{"a", adVarWChar, "o'r"}}), "a LIKE 'o''r*'");
}

// A refused filter lists nothing and leaves the recordset unfiltered; a closed or missing
// recordset has no records.
TEST(ListFilterTest, ARefusedFilterOrNoRecordsetListsNothing)
{
    Recordset rs = ListSources::SchemaRecordset({"pd_abc", "dd_abc", "PD_xyz", "m_abc"});
    ListFilter::Apply(&rs, {{"schema_name", adVarWChar, "pd"}});
    EXPECT_EQ(ListFilter::Apply(&rs, {{"no_such_field", adVarWChar, "x"}}), "0 records");
    EXPECT_EQ(rs.Filter(), "");
    EXPECT_EQ(rs.RecordCount(), 4);
    EXPECT_EQ(ListFilter::Apply(nullptr, {}), "0 records");
    Recordset closed;
    EXPECT_EQ(ListFilter::Apply(&closed, {}), "0 records");
    Recordset empty = ListSources::SchemaRecordset({});
    EXPECT_EQ(ListFilter::Apply(&empty, {}), "0 records");
}

TEST(ListSortTest, FirstColumnStartsDescendingOthersAscending)
{
    ListSort sort;
    EXPECT_EQ(sort.Click(0, "schema_name"), "schema_name Desc");
    EXPECT_EQ(sort.Click(0, "schema_name"), "schema_name Asc");
    EXPECT_EQ(sort.Click(0, "schema_name"), "schema_name Desc");
    EXPECT_EQ(sort.Click(1, "b"), "b Asc");
    EXPECT_EQ(sort.Click(1, "b"), "b Desc");
    EXPECT_EQ(sort.Click(0, "a"), "a Asc");
    EXPECT_EQ(sort.rememberedColumn(), 0);
}

} // namespace
