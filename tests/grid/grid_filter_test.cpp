// The filter box keeps the rows that show a text; the rows it hides keep what was typed into them.
#include <QLabel>

#include "grid/filter_bar.h"
#include "grid/row_filter.h"
#include "view_fixture.h"

namespace qm::gridtest {
namespace {

class FilterTest : public ViewTest {
protected:
    QLineEdit* Box() const { return grid->FilterBar()->Edit(); }
    void OpenBox() {
        Show();
        grid->setCurrentIndex(grid->Model()->index(0, 0));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        QApplication::processEvents();
    }
    void TypeInBox(const QString& text) {
        for (const QChar ch : text) {
            // Where the keyboard's keys go: the box must keep the focus while the rows change under it.
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
            QApplication::sendEvent(QApplication::focusWidget(), &press);
            QApplication::processEvents();
        }
        QApplication::processEvents();
    }
    std::string Status() const { return grid->FilterBar()->Status()->text().toStdString(); }
};

TEST_F(FilterTest, TypedTextKeepsTheRowsThatShowItInAnyColumn) {
    struct Case {
        const char* typed;
        Names shown;
        const char* status;
    } cases[] = {
        {"李", {"李四"}, "显示 1 / 共 5 条"},
        {"10", {"李四", "阿明", "王五"}, "显示 3 / 共 5 条"}, // 100 and 10, and the date 2024-01-10
        {"zed", {"Zed"}, "显示 1 / 共 5 条"},                 // Latin case is ignored
        {"2024-01", {"张三", "阿明"}, "显示 2 / 共 5 条"},
        {"无此行", {}, "显示 0 / 共 5 条"},
    };
    FillSample();
    Add("Zed", 3, "2021-01-01");
    table.MergeChangeLog();
    table.First();
    std::vector<std::string> notes;
    grid->OnNote = [&notes](const std::string& text, bool) { notes.push_back(text); };
    OpenBox();
    ASSERT_EQ(QApplication::focusWidget(), Box()) << "Ctrl+Shift+F puts the focus in the filter box";
    EXPECT_GT(Box()->mapTo(grid.get(), QPoint(0, 0)).y() + Box()->height(), 0);
    EXPECT_LE(Box()->mapTo(grid.get(), QPoint(0, Box()->height())).y(),
              grid->horizontalHeader()->geometry().top())
        << "the box sits above the header";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Box()->clear();
        TypeInBox(QString::fromUtf8(c.typed));
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Status(), c.status);
        EXPECT_EQ(notes.empty() ? "" : notes.back(), c.status) << "the form's status line hears the counts";
    }
    QTest::keyClick(Box(), Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(Shown(), (Names{"张三", "李四", "阿明", "王五", "Zed"}));
    EXPECT_TRUE(grid->FilterBar()->isHidden());
    EXPECT_TRUE(QApplication::focusWidget() == grid.get() || grid->isAncestorOf(QApplication::focusWidget()));
}

TEST_F(FilterTest, AFilterKeepsTheSortAndTheSortKeepsTheFilter) {
    FillSample();
    OpenBox();
    TypeInBox("10");
    ClickHeader(1);
    EXPECT_EQ(Shown(), (Names{"阿明", "王五", "李四"}));
    ClickHeader(1);
    EXPECT_EQ(Shown(), (Names{"李四", "阿明", "王五"}));
    QTest::mouseClick(Box(), Qt::LeftButton);
    Box()->clear();
    TypeInBox("2024");
    EXPECT_EQ(Shown(), (Names{"阿明", "张三"}));
}

TEST_F(FilterTest, HiddenRowsKeepTheirChangesAndTheBoxSaysSo) {
    FillSample();
    Show();
    // 张三's amount is changed, and the row being edited is 李四's.
    grid->setCurrentIndex(grid->Model()->index(0, 1));
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "8");
    grid->setCurrentIndex(grid->Model()->index(1, 1));
    editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "55");
    ASSERT_EQ(table.State(), dsEdit);
    grid->SetFilterText(QStringLiteral("王"));
    // The open edit was written to its row, which stays shown while it is edited.
    EXPECT_EQ(Shown(), (Names{"李四", "王五"}));
    EXPECT_EQ(table.State(), dsEdit);
    EXPECT_EQ(table.FieldByName("AMT")->AsString(), "55");
    EXPECT_EQ(Status(), "显示 2 / 共 4 条（筛选隐藏的 1 条记录有未保存的修改）");
    EXPECT_EQ(grid->FilterBar()->Edit()->text(), QStringLiteral("王"))
        << "a filter set by code shows in the box";
    EXPECT_FALSE(grid->FilterBar()->isHidden());
    table.Post();
    EXPECT_EQ(table.ChangeCount(), 2);
    EXPECT_EQ(table.TextAt(0, 1), "8");
    grid->SetFilterText({});
    EXPECT_EQ(Shown(), (Names{"张三", "李四", "阿明", "王五"}));
}

TEST_F(FilterTest, ABrowsedRowTheFilterHidesGivesWayToTheFirstRowShown) {
    FillSample();
    Show();
    table.SetRecNo(1); // 张三
    grid->SetFilterText(QStringLiteral("王"));
    EXPECT_EQ(table.RecNo(), 4);
    EXPECT_EQ(grid->currentIndex().row(), 0);
}

TEST_F(FilterTest, TextsReadAheadWhileTheBoxIsOpenFollowTheRowsThatChange) {
    // The box reads the rows' texts while the loop turns; rows added, changed and removed after
    // that are filtered by what they show now.
    FillSample();
    OpenBox();
    QApplication::processEvents();
    TMemTable other;
    other.CopyFieldDefs(table);
    other.CreateDataSet();
    other.Append();
    other.FieldByName("NAME")->SetAsString("王六");
    other.Post();
    table.AppendCopy(other, false);
    table.First(); // 张三 becomes 王三
    table.Edit();
    table.FieldByName("NAME")->SetAsString("王三");
    table.Post();
    table.SetRecNo(4); // 王五 goes
    table.Delete();
    QApplication::processEvents();
    TypeInBox("王");
    EXPECT_EQ(Shown(), (Names{"王三", "王六"}));
    EXPECT_EQ(Status(), "显示 2 / 共 4 条");
}

TEST(RowFilter, TextsReadInPiecesStayInStepWithTheRows) {
    // Rows change before, inside and past the part read so far; a match then reads the rest and
    // sees every row as it is.
    using gridimpl::TRowFilter;
    struct Case {
        const char* what;
        enum { Insert, Remove, Change } op;
        int pos;
    } cases[] = {
        {"insert before", Case::Insert, 0}, {"insert at the end of the part", Case::Insert, 2},
        {"insert past", Case::Insert, 4},   {"remove inside", Case::Remove, 1},
        {"remove past", Case::Remove, 4},   {"change inside", Case::Change, 0},
        {"change past", Case::Change, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> rows = {"a1", "b2", "a3", "b4", "a5", "b6"};
        auto text = [&rows](int pos) { return rows[static_cast<std::size_t>(pos)]; };
        TRowFilter filter;
        EXPECT_FALSE(filter.Prepare(static_cast<int>(rows.size()), 2, text));
        const auto at = rows.begin() + c.pos;
        switch (c.op) {
        case Case::Insert:
            rows.insert(at, "a-new");
            filter.RowInserted(c.pos, text);
            break;
        case Case::Remove:
            rows.erase(at);
            filter.RowRemoved(c.pos);
            break;
        case Case::Change:
            *at = *at == "a1" ? "b1" : "a4";
            filter.RowChanged(c.pos, text);
            break;
        }
        const auto& matches = filter.Match("a", static_cast<int>(rows.size()), text);
        ASSERT_EQ(matches.size(), rows.size());
        for (std::size_t pos = 0; pos < rows.size(); ++pos)
            EXPECT_EQ(matches[pos] != 0, rows[pos].find('a') != std::string::npos) << rows[pos];
        EXPECT_TRUE(filter.Prepared(static_cast<int>(rows.size())));
    }
}

} // namespace
} // namespace qm::gridtest
