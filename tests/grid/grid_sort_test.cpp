// Sorting is an order of the view: header clicks, value and pinyin order, the table left as it was.
#include "view_fixture.h"

#include <QCollator>
#include <algorithm>
#include <numeric>

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

// The AMT of each row in the order of its NAME by the Chinese collation's own keys, ties in the
// table's order either way.
std::vector<std::string> ByCollationKeys(const std::vector<std::string>& names, bool descending) {
    QCollator collator{QLocale(QLocale::Chinese, QLocale::China)};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<QCollatorSortKey> keys;
    for (const std::string& name : names)
        keys.push_back(collator.sortKey(QString::fromStdString(name)));
    std::vector<int> order(names.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return descending ? keys[size_t(b)].compare(keys[size_t(a)]) < 0
                          : keys[size_t(a)].compare(keys[size_t(b)]) < 0;
    });
    std::vector<std::string> amounts;
    for (const int pos : order)
        amounts.push_back(std::to_string(pos));
    return amounts;
}

TEST_F(SortTest, TextsSortExactlyAsTheirCollationKeysDo) {
    // Repeated texts, texts equal but for case, codes of letters and digits alone, and codes mixed
    // with Chinese and punctuation; then a Chinese text typed into a column of codes.
    struct Case {
        const char* what;
        Names names;
        const char* typedIntoFirst;
    } cases[] = {
        {"codes", {"b2", "B10", "a", "", "A", "a1", "10", "9", "b2", "Zz", "zZ", "0"}, "王五"},
        {"mixed",
         {"张三", "abc", "ABC", "a-b", "a_b", "阿明", "Zed", "zed", "李四", "张三", "a b", "9"},
         "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.Close();
        table.Open();
        for (std::size_t i = 0; i < c.names.size(); ++i)
            Add(c.names[i].c_str(), static_cast<int>(i), "2024-01-01");
        table.MergeChangeLog();
        table.First();
        Show();
        Names names = c.names;
        for (int round = 0; round < 2; ++round) {
            ClickHeader(0);
            EXPECT_EQ(Shown(1), ByCollationKeys(names, false));
            ClickHeader(0);
            EXPECT_EQ(Shown(1), ByCollationKeys(names, true));
            ClickHeader(0);
            // The kept keys take a changed row's new text, which may be unlike any before.
            table.First();
            table.Edit();
            table.FieldByName("NAME")->SetAsString(c.typedIntoFirst);
            table.Post();
            names[0] = c.typedIntoFirst;
        }
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

TEST_F(SortTest, AValueTypedAfterASortSortsByItsNewValue) {
    // The keys of the first sort are kept for the next: the edited row must not keep its old one.
    struct Case {
        const char* what;
        int column;
        int row; // shown row edited after the ascending sort
        const char* typed;
        Names descending;
        Names ascending; // equal keys keep the table's order either way
    } cases[] = {
        // 阿明 becomes 赵六
        {"pinyin", 0, 0, "赵六", {"赵六", "张三", "王五", "李四"}, {"李四", "王五", "张三", "赵六"}},
        // 9 becomes 1000
        {"numbers", 1, 0, "1000", {"张三", "李四", "阿明", "王五"}, {"阿明", "王五", "李四", "张三"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        table.Close();
        table.Open();
        FillSample();
        Show();
        ClickHeader(c.column);
        grid->setCurrentIndex(grid->Model()->index(c.row, c.column));
        QLineEdit* editor = Editor();
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        for (const QChar ch : QString::fromUtf8(c.typed)) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(editor, &press);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QApplication::processEvents();
        ASSERT_EQ(table.State(), dsBrowse);
        ClickHeader(c.column);
        EXPECT_EQ(Shown(), c.descending);
        ClickHeader(c.column);
        ClickHeader(c.column);
        EXPECT_EQ(Shown(), c.ascending);
    }
}

TEST_F(SortTest, RowsAddedAndDeletedUnderASortKeepTheOthersInOrder) {
    Boxes boxes;
    if (!boxes.Loaded()) GTEST_SKIP() << "dialog.dll is not built";
    FillSample();
    Show();
    ClickHeader(0); // 阿明 李四 王五 张三
    // A stored row added under the sort goes among its peers by its key.
    TMemTable other;
    other.CopyFieldDefs(table);
    other.CreateDataSet();
    other.Append();
    other.FieldByName("NAME")->SetAsString("陈");
    other.Post();
    table.AppendCopy(other, false);
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (Names{"阿明", "陈", "李四", "王五", "张三"}));
    // Inserted before the shown 王五: it stays there while it is typed and after it is posted.
    grid->setCurrentIndex(grid->Model()->index(3, 0));
    table.Insert();
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (Names{"阿明", "陈", "李四", "", "王五", "张三"}));
    EXPECT_EQ(grid->currentIndex().row(), 3);
    table.FieldByName("NAME")->SetAsString("白");
    table.Post();
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (Names{"阿明", "陈", "李四", "白", "王五", "张三"}));
    // Deleting the shown 李四 takes out only that row.
    grid->setCurrentIndex(grid->Model()->index(2, 0));
    boxes.Api().QueueAnswer(6);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (Names{"阿明", "陈", "白", "王五", "张三"}));
    EXPECT_EQ(Stored(), (Names{"张三", "阿明", "白", "王五", "陈"}));
    // The next click sorts every row by its current key, the new ones included.
    ClickHeader(0);
    EXPECT_EQ(Shown(), (Names{"张三", "王五", "陈", "白", "阿明"}));
    for (int row = 0; row < grid->Model()->rowCount(); ++row)
        EXPECT_EQ(table.TextAt(grid->Model()->TablePos(row), 0), Shown()[static_cast<std::size_t>(row)]);
}

} // namespace
} // namespace qm::gridtest
