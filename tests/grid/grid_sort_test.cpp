// Sorting is an order of the view: header clicks, value and pinyin order, the table left as it was.
#include "view_fixture.h"

namespace qm::gridtest {
namespace {

using SortTest = ViewTest;

TEST_F(SortTest, HeaderClicksCycleAscendingDescendingAndTheStoresOrder) {
    // Numbers as numbers, dates as dates, Chinese in pinyin; ties keep the table's order both ways.
    struct Case {
        const char* what;
        int column;
        Names ascending;
        Names descending;
    } cases[] = {
        {"numbers", 1, {"张三", "阿明", "王五", "李四"}, {"李四", "阿明", "王五", "张三"}},
        {"dates", 2, {"王五", "李四", "张三", "阿明"}, {"阿明", "张三", "李四", "王五"}},
        {"pinyin", 0, {"阿明", "李四", "王五", "张三"}, {"张三", "王五", "李四", "阿明"}},
    };
    FillSample();
    Show();
    const Names stored = Stored();
    QHeaderView* header = grid->horizontalHeader();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ClickHeader(c.column);
        EXPECT_EQ(Shown(), c.ascending);
        EXPECT_TRUE(header->isSortIndicatorShown());
        EXPECT_EQ(header->sortIndicatorSection(), c.column);
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
        ClickHeader(c.column);
        EXPECT_EQ(Shown(), c.descending);
        EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
        EXPECT_EQ(grid->SortColumn(), c.column);
        ClickHeader(c.column);
        EXPECT_EQ(Shown(), stored);
        EXPECT_FALSE(header->isSortIndicatorShown());
        EXPECT_EQ(grid->SortColumn(), -1);
        EXPECT_EQ(Stored(), stored) << "the table keeps its own order";
    }
}

TEST_F(SortTest, TheCurrentRowStaysCurrentAndStatusesStay) {
    FillSample();
    table.SetRecNo(2); // 李四
    table.Edit();
    table.FieldByName("AMT")->SetAsInteger(5);
    table.Post();
    const int changes = table.ChangeCount();
    Show();
    ClickHeader(1);
    EXPECT_EQ(Shown(), (Names{"李四", "张三", "阿明", "王五"}));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(table.ChangeCount(), changes);
    EXPECT_EQ(table.StatusAt(1), usModified);
    EXPECT_EQ(table.StatusAt(0), usUnmodified);
    // Moving in the view moves the table to the row shown.
    grid->setCurrentIndex(grid->Model()->index(3, 0));
    EXPECT_EQ(table.RecNo(), 4);
    EXPECT_EQ(table.FieldByName("NAME")->AsString(), "王五");
}

TEST_F(SortTest, TypingUnderASortEditsTheRowShown) {
    FillSample();
    Show();
    ClickHeader(0); // 阿明 李四 王五 张三
    grid->setCurrentIndex(grid->Model()->index(1, 1));
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "77");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.TextAt(1, 1), "77") << "李四 is the table's second row";
    EXPECT_EQ(table.StatusAt(1), usModified);
    EXPECT_EQ(table.ChangeCount(), 1);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(table.FieldByName("NAME")->AsString(), "王五");
}

TEST_F(SortTest, ANewRowIsTypedAtTheEndAndStoredAtTheTablesEnd) {
    FillSample();
    Show();
    ClickHeader(1);
    ClickHeader(1); // descending amounts
    grid->setCurrentIndex(grid->Model()->index(3, 0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QApplication::processEvents();
    ASSERT_EQ(table.State(), dsInsert);
    EXPECT_EQ(grid->currentIndex().row(), 4) << "the new row is added where the clerk is";
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "Zed");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClicks(QApplication::focusWidget(), "50");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(table.State(), dsBrowse);
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(table.TextAt(4, 0), "Zed");
    EXPECT_EQ(table.TextAt(4, 1), "50");
    EXPECT_EQ(Stored(), (Names{"张三", "李四", "阿明", "王五", "Zed"}));
}

} // namespace
} // namespace qm::gridtest
