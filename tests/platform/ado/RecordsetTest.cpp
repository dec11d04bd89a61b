// The in-memory recordset: navigation, filter, sort, find, bookmarks and changes.
#include "platform/ado/Recordset.h"

#include "platform/AppError.h"
#include "support/Raised.h"

#include <gtest/gtest.h>

namespace {

using testsupport::Raised;

// pdtable_113-like rows: model_index_no, model_no, partition_no, created (date), note (may be
// Null), amount (a decimal: the first two hold numbers of one nearest double).
Recordset Models()
{
    Recordset rs;
    rs.SetCursorLocation(adUseClient);
    rs.Fields().Append("model_index_no", adInteger, 4);
    rs.Fields().Append("model_no", adVarChar, 21);
    rs.Fields().Append("partition_no", adSmallInt, 2);
    rs.Fields().Append("created", adDBTimeStamp, 16);
    rs.Fields().Append("note", adVarChar, 41);
    rs.Fields().Append("amount", adNumeric, 19);
    rs.Open();
    const std::vector<std::string> names = {"model_index_no", "model_no", "partition_no", "created", "note", "amount"};
    rs.AddNew(names, {1, "A100", 3, "2024-01-05", "pipe", "12345678901234567891"});
    rs.AddNew(names, {2, "a200", 4, "2024-02-10 08:30:00", Variant::Null(), "12345678901234567168"});
    rs.AddNew(names, {3, "B100", 3, "2023-12-31", "O'Neil", 2.5});
    rs.AddNew(names, {4, "XA10", 7, "2024-01-05", "pipe rack", Variant::Null()});
    rs.AddNew(names, {5, "A300", 3, Variant::Null(), "equip", "-1234567890123456.78"});
    rs.MoveFirst();
    return rs;
}

std::vector<long> Ids(Recordset& rs)
{
    std::vector<long> ids;
    if (rs.RecordCount() == 0)
        return ids;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        ids.push_back(static_cast<long>(rs.Fields().Item("model_index_no").Value().ToLong()));
    return ids;
}

struct FilterCase {
    const char* name;
    const char* filter;
    std::vector<long> ids;
};

class RecordsetFilterTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(RecordsetFilterTest, LeavesTheMatchingRows)
{
    Recordset rs = Models();
    rs.SetFilter(GetParam().filter);
    EXPECT_EQ(rs.RecordCount(), static_cast<long>(GetParam().ids.size()));
    EXPECT_EQ(Ids(rs), GetParam().ids);
    EXPECT_EQ(rs.Filter(), GetParam().filter);
}

INSTANTIATE_TEST_SUITE_P(
    CallerForms, RecordsetFilterTest,
    ::testing::Values(
        FilterCase{"NumberEquals", "partition_no = 3", {1, 3, 5}},
        FilterCase{"TextEqualsNoCase", "model_no = 'a100'", {1}},
        FilterCase{"PrefixLike", "model_no LIKE 'A*'", {1, 2, 5}},
        FilterCase{"ContainsLike", "model_no LIKE '*A*'", {1, 2, 4, 5}},
        FilterCase{"PercentWildcard", "note LIKE 'pipe%'", {1, 4}},
        FilterCase{"NumberBetweenHashes", "model_no LIKE 'A*' AND partition_no = #3#", {1, 5}},
        FilterCase{"DateLiteral", "created = #2024-01-05#", {1, 4}},
        FilterCase{"UsDateLiteral", "created = #01/05/2024#", {1, 4}},
        FilterCase{"DateAfter", "created > #2024-01-05#", {2}},
        FilterCase{"NotEqualSkipsNull", "note <> 'pipe'", {3, 4, 5}},
        FilterCase{"LessOrEqual", "model_index_no <= 2", {1, 2}},
        FilterCase{"GreaterOrEqualText", "model_no >= 'B'", {3, 4}},
        FilterCase{"Or", "partition_no = 4 OR partition_no = 7", {2, 4}},
        FilterCase{"AndBindsCloser", "partition_no = 4 OR partition_no = 3 AND model_no LIKE 'B*'", {2, 3}},
        FilterCase{"Parentheses", "(partition_no = 4 OR partition_no = 3) AND model_no LIKE 'A*'", {1, 2, 5}},
        FilterCase{"BracketedName", "[model_no] = 'XA10'", {4}},
        FilterCase{"DoubledQuote", "note = 'O''Neil'", {3}},
        FilterCase{"IsNull", "note = NULL", {2}},
        FilterCase{"NotNull", "created <> NULL", {1, 2, 3, 4}},
        FilterCase{"TextAsNumber", "partition_no = '7'", {4}},
        FilterCase{"EveryDigitEquals", "amount = 12345678901234567891", {1}},
        FilterCase{"EveryDigitBelow", "amount < 12345678901234567891", {2, 3, 5}},
        FilterCase{"DecimalsBesideADouble", "amount > 2.4 AND amount <> -1234567890123456.78", {1, 2, 3}},
        FilterCase{"NoMatch", "model_no = 'none'", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordsetTest, EmptyFilterRemovesFiltering)
{
    Recordset rs = Models();
    rs.SetFilter("partition_no = 3");
    ASSERT_EQ(rs.RecordCount(), 3);
    rs.SetFilter("");
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.Filter(), "");
    rs.SetFilter("partition_no = 3");
    rs.ClearFilter();
    EXPECT_EQ(rs.RecordCount(), 5);
    rs.SetFilter("partition_no = 3");
    rs.SetFilter(adFilterNone);
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(rs.Filter(), "");
}

TEST(RecordsetTest, RefusedFilterKeepsThePreviousOne)
{
    Recordset rs = Models();
    rs.SetFilter("partition_no = 3");
    for (const char* bad : {"nosuch = 1", "model_no LIKE 'A*", "partition_no = 'abc'", "created = #notadate#",
                            "model_no 'x'", "partition_no = 3 AND"}) {
        EXPECT_THROW(rs.SetFilter(bad), AppError) << bad;
        EXPECT_EQ(rs.Filter(), "partition_no = 3");
        EXPECT_EQ(rs.RecordCount(), 3);
    }
}

struct SortCase {
    const char* name;
    const char* sort;
    std::vector<long> ids;
};

class RecordsetSortTest : public ::testing::TestWithParam<SortCase> {};

TEST_P(RecordsetSortTest, OrdersTheRows)
{
    Recordset rs = Models();
    rs.SetSort(GetParam().sort);
    EXPECT_EQ(Ids(rs), GetParam().ids);
}

INSTANTIATE_TEST_SUITE_P(
    CallerForms, RecordsetSortTest,
    ::testing::Values(SortCase{"BracketAsc", "[model_no] Asc", {1, 2, 5, 3, 4}},
                      SortCase{"BracketDesc", "[model_no] Desc", {4, 3, 5, 2, 1}},
                      SortCase{"BareAsc", "model_no Asc", {1, 2, 5, 3, 4}},
                      SortCase{"NoDirectionIsAsc", "partition_no", {1, 3, 5, 2, 4}},
                      SortCase{"TwoKeys", "[partition_no] Desc, [model_index_no] DESC", {4, 2, 5, 3, 1}},
                      SortCase{"NullsFirst", "[created] Asc", {5, 3, 1, 4, 2}},
                      SortCase{"NullLastDescending", "note Desc", {4, 1, 3, 5, 2}},
                      SortCase{"EveryDigitDescending", "amount Desc", {1, 2, 3, 5, 4}},
                      SortCase{"EmptyRestoresArrival", "", {1, 2, 3, 4, 5}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordsetTest, SortAndFilterTogether)
{
    Recordset rs = Models();
    rs.SetSort("[model_index_no] Desc");
    rs.SetFilter("partition_no = 3");
    EXPECT_EQ(Ids(rs), (std::vector<long>{5, 3, 1}));
    EXPECT_THROW(rs.SetSort("[nosuch] Asc"), AppError);
    EXPECT_EQ(rs.Sort(), "[model_index_no] Desc");
}

TEST(RecordsetTest, NavigationMarks)
{
    Recordset rs = Models();
    EXPECT_FALSE(rs.BOF());
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(rs.AbsolutePosition(), 1);
    rs.MovePrevious();
    EXPECT_TRUE(rs.BOF());
    EXPECT_EQ(rs.AbsolutePosition(), adPosBOF);
    EXPECT_THROW(rs.MovePrevious(), AppError);
    EXPECT_THROW(rs.Fields()[0].Value(), AppError);
    rs.MoveLast();
    EXPECT_EQ(rs.AbsolutePosition(), 5);
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.AbsolutePosition(), adPosEOF);
    EXPECT_EQ(Raised([&] { rs.MoveNext(); }).number(), adoerr::kNoCurrentRecord);
    rs.SetAbsolutePosition(3);
    EXPECT_EQ(rs.Fields()["model_no"].Value().ToText(), "B100");
}

TEST(RecordsetTest, EmptyRecordsetIsAtBothMarks)
{
    Recordset rs;
    rs.Fields().Append("a", adInteger, 4);
    rs.Open();
    EXPECT_TRUE(rs.BOF());
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(rs.RecordCount(), 0);
    rs.MoveFirst();   // allowed on an empty recordset, stays at both marks
    EXPECT_TRUE(rs.Eof());
    Recordset filtered = Models();
    filtered.SetFilter("model_no = 'none'");
    EXPECT_TRUE(filtered.BOF() && filtered.Eof());
}

TEST(RecordsetTest, ClosedRecordsetRefusesWork)
{
    Recordset rs;
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_EQ(Raised([&] { rs.RecordCount(); }).number(), adoerr::kObjectClosed);
    Recordset models = Models();
    EXPECT_EQ(models.State(), adStateOpen);
    models.Close();
    EXPECT_EQ(models.State(), adStateClosed);
    EXPECT_THROW(models.MoveFirst(), AppError);
    EXPECT_THROW(models.Close(), AppError);
}

TEST(RecordsetTest, BookmarkSurvivesFilterAndSort)
{
    Recordset rs = Models();
    rs.SetAbsolutePosition(4);
    const long mark = rs.Bookmark();
    rs.SetSort("[model_no] Desc");
    rs.SetFilter("model_no LIKE '*A*'");
    rs.SetBookmark(mark);
    EXPECT_EQ(rs.Fields()["model_index_no"].Value().ToLong(), 4);
    rs.SetFilter("partition_no = 3");
    EXPECT_THROW(rs.SetBookmark(mark), AppError);   // filtered out
}

TEST(RecordsetTest, FindSearchesFromTheCurrentRow)
{
    Recordset rs = Models();
    EXPECT_TRUE(rs.Find("partition_no = 3"));
    EXPECT_EQ(rs.AbsolutePosition(), 1);   // the current row counts
    EXPECT_TRUE(rs.Find("partition_no = 3", 1));
    EXPECT_EQ(rs.Fields()["model_index_no"].Value().ToLong(), 3);
    EXPECT_FALSE(rs.Find("partition_no = 7", 0, adSearchBackward));
    EXPECT_TRUE(rs.BOF());
    rs.MoveFirst();
    EXPECT_FALSE(rs.Find("model_no = 'none'"));
    EXPECT_TRUE(rs.Eof());
    rs.MoveLast();
    const long last = rs.Bookmark();
    EXPECT_TRUE(rs.Find("note LIKE 'pipe*'", 0, adSearchBackward));
    EXPECT_EQ(rs.Fields()["model_index_no"].Value().ToLong(), 4);
    rs.MoveFirst();
    const long first = rs.Bookmark();
    rs.MoveLast();
    EXPECT_TRUE(rs.Find("model_no LIKE 'A*'", 1, adSearchForward, first));   // skips the start row
    EXPECT_EQ(rs.Fields()["model_index_no"].Value().ToLong(), 2);
    EXPECT_FALSE(rs.Find("model_no LIKE 'A*'", 1, adSearchForward, last));
    EXPECT_TRUE(rs.Eof());
}

TEST(RecordsetTest, FindHonoursTheFilter)
{
    Recordset rs = Models();
    rs.SetFilter("partition_no <> 3");
    EXPECT_FALSE(rs.Find("model_no = 'A100'"));
    rs.MoveFirst();
    EXPECT_TRUE(rs.Find("model_no = 'XA10'"));
    EXPECT_EQ(rs.AbsolutePosition(), 2);
}

TEST(RecordsetTest, ValuesTakeTheFieldType)
{
    Recordset rs;
    rs.Fields().Append("n", adBigInt, 8);
    rs.Fields().Append("d", adDouble, 8);
    rs.Fields().Append("t", adLongVarWChar, 255);
    rs.Fields().Append("b", adBoolean, 2);
    rs.Open();
    rs.AddNew();
    rs.Fields()["n"].SetValue("42");
    rs.Fields()["d"].SetValue("2.5");
    rs.Fields()["t"].SetValue(12);
    rs.Fields()["b"].SetValue("True");
    rs.Update();
    EXPECT_EQ(rs.Fields()["n"].Value(), Variant(42LL));
    EXPECT_EQ(rs.Fields()["d"].Value(), Variant(2.5));
    EXPECT_EQ(rs.Fields()["t"].Value(), Variant("12"));
    EXPECT_EQ(rs.Fields()["b"].Value(), Variant(true));
    rs.Fields()["n"].SetValue("");
    EXPECT_TRUE(rs.Fields()["n"].Value().IsNull());
    EXPECT_THROW(rs.Fields()["n"].SetValue("abc"), AppError);
    EXPECT_THROW(rs.Fields()["nosuch"], AppError);
    EXPECT_THROW(rs.Fields().Append("x", adInteger), AppError);   // open
    EXPECT_EQ(rs.Fields()["t"].DefinedSize(), 255);
    EXPECT_EQ(rs.Fields()[1].Type(), adDouble);
}

TEST(RecordsetTest, DeleteMovesOnToTheNextRecord)
{
    Recordset rs = Models();
    rs.SetAbsolutePosition(2);
    rs.Delete();
    EXPECT_EQ(rs.RecordCount(), 4);
    EXPECT_THROW(rs.Fields()[0].Value(), AppError);
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()["model_index_no"].Value().ToLong(), 3);
    rs.MoveLast();
    rs.Delete();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_EQ(Ids(rs), (std::vector<long>{1, 3, 4}));
    rs.ClearFilter();
    EXPECT_EQ(Ids(rs), (std::vector<long>{1, 3, 4}));
}

TEST(RecordsetTest, GetStringReadsSlicesAndMovesOn)
{
    Recordset rs = Models();
    rs.SetFilter("partition_no = 3");
    EXPECT_EQ(rs.GetString(adClipString, 2, "\t", "\r\n", "-"),
              "1\tA100\t3\t2024-01-05\tpipe\t12345678901234567891\r\n3\tB100\t3\t2023-12-31\tO'Neil\t2.5\r\n");
    EXPECT_EQ(rs.GetString(adClipString, 2, "\t", "\r\n", "-"), "5\tA300\t3\t-\tequip\t-1234567890123456.78\r\n");
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.GetString(), AppError);
}

} // namespace
