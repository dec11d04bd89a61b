// Control builders: a long caption fitted into a button of fixed width.
#include "ui/qt/QtBuilders.h"

#include <QFontMetrics>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(QtBuildersTest, ALongCaptionIsFittedAndAShortOneKeepsItsFont)
{
    QWidget window;
    QPushButton* longer = MakeButton(&window, "cmdDropTable", "Drop selected tables from dd schema, whose related models "
                                                               "were not found in database (pdtable_113)");
    longer->setGeometry(0, 0, 560, 22);
    const QFont before = longer->font();
    ASSERT_GT(QFontMetrics(before).horizontalAdvance(longer->text()), 560);
    FitCaption(longer);
    EXPECT_LT(longer->font().pointSizeF(), before.pointSizeF());
    EXPECT_LE(QFontMetrics(longer->font()).horizontalAdvance(longer->text()), 560);
    EXPECT_EQ(longer->text().toStdString().rfind("Drop selected tables", 0), 0u);

    QPushButton* shorter = MakeButton(&window, "cmdClose", "Close");
    shorter->setGeometry(0, 0, 80, 22);
    FitCaption(shorter);
    EXPECT_EQ(shorter->font(), before);
}

} // namespace
