#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include "grid/cell_editor.h"
#include "grid/grid_delegate.h"
#include "grid_fixture.h"

namespace qm::gridtest {
namespace {

// Types any text, one character per key event, as an input method would deliver it.
void TypeText(QWidget* target, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(target, &press);
    }
}

class BehaviourTest : public GridTest {
protected:
    QLineEdit* Editor() {
        QApplication::processEvents();
        auto* delegate = static_cast<TQmGridDelegate*>(grid->itemDelegate());
        TQmCellEditor* cell = delegate->OpenEditor();
        return cell ? cell->LineEdit() : nullptr;
    }
};

TEST_F(BehaviourTest, TableAndGridShareTheCurrentRow) {
    Fill(10);
    ShowFocused();
    table.SetRecNo(6);
    EXPECT_EQ(grid->currentIndex().row(), 5);
    grid->setCurrentIndex(grid->Model()->index(8, 1));
    EXPECT_EQ(table.RecNo(), 9);
}

TEST_F(BehaviourTest, TypingEditsAndLeavingTheRowPosts) {
    Fill(3);
    ShowFocused();
    grid->setCurrentIndex(grid->Model()->index(0, 1));
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr) << "the current cell of a writable grid shows its editor";
    EXPECT_EQ(table.State(), dsBrowse);
    editor->selectAll();
    QTest::keyClicks(editor, "new");
    EXPECT_EQ(table.State(), dsEdit);
    grid->setCurrentIndex(grid->Model()->index(1, 1));
    EXPECT_EQ(table.State(), dsBrowse);
    table.SetRecNo(1);
    EXPECT_EQ(table.FieldByName("NAME")->AsString(), "new");
}

TEST_F(BehaviourTest, MovingPastTheLastRowAppendsOne) {
    struct Case {
        const char* what;
        Qt::Key key;
        int column;
    };
    for (const Case& c : {Case{"down arrow", Qt::Key_Down, 0}, Case{"tab from the last cell", Qt::Key_Tab, 2},
                          Case{"enter from the last cell", Qt::Key_Return, 2}}) {
        table.Close();
        table.Open();
        Fill(2);
        ShowFocused();
        grid->setCurrentIndex(grid->Model()->index(1, c.column));
        QTest::keyClick(QApplication::focusWidget(), c.key);
        EXPECT_EQ(table.State(), dsInsert) << c.what;
        EXPECT_EQ(table.RecordCount(), 3) << c.what;
        EXPECT_EQ(grid->currentIndex().row(), 2) << c.what;
        EXPECT_TRUE(grid->isAncestorOf(QApplication::focusWidget()) || grid->hasFocus()) << c.what;
        table.Cancel();
    }
}

TEST_F(BehaviourTest, ReadOnlyGridAppendsNothing) {
    Fill(2);
    grid->SetReadOnly(true);
    ShowFocused();
    grid->setCurrentIndex(grid->Model()->index(1, 0));
    QTest::keyClick(grid.get(), Qt::Key_Down);
    EXPECT_EQ(table.RecordCount(), 2);
}

TEST_F(BehaviourTest, UntouchedNewRowIsDroppedWhenTheGridLosesFocus) {
    Fill(2);
    QWidget window;
    grid->setParent(&window);
    QLineEdit other(&window);
    window.show();
    QApplication::setActiveWindow(&window);
    grid->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(grid->AppendRow());
    EXPECT_EQ(table.RecordCount(), 3);
    other.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.State(), dsBrowse);

    // A new row with a value stays.
    grid->setFocus();
    ASSERT_TRUE(grid->AppendRow());
    table.FieldByName("CODE")->SetAsString("K");
    other.setFocus();
    QApplication::processEvents();
    EXPECT_EQ(table.RecordCount(), 3);
    grid->setParent(nullptr);
}

TEST_F(BehaviourTest, EditorLengthFollowsTheFieldSize) {
    Fill(2);
    table.SetRecNo(2);
    table.Edit();
    table.FieldByName("CODE")->SetAsString("ABCDEFGHIJKLMNO"); // 15 characters, longer than 10
    table.Post();
    ShowFocused();
    grid->setCurrentIndex(grid->Model()->index(0, 0));
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    TypeText(editor, QStringLiteral("收入等级代码一二三四五六"));
    EXPECT_EQ(editor->text().size(), 10);
    // A longer stored value is shown whole and not cut when the user passes through.
    grid->setCurrentIndex(grid->Model()->index(1, 0));
    editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("ABCDEFGHIJKLMNO"));
    grid->setCurrentIndex(grid->Model()->index(0, 0));
    table.SetRecNo(2);
    EXPECT_EQ(table.FieldByName("CODE")->AsString(), "ABCDEFGHIJKLMNO");
}

TEST_F(BehaviourTest, CtrlDeleteAsksAndDeletesOnlyOnYes) {
    Boxes boxes;
    if (!boxes.Loaded()) GTEST_SKIP() << "dialog.dll is not built";
    struct Case {
        const char* what;
        int answer;
        int rowsAfter;
    };
    for (const Case& c : {Case{"yes", 6, 2}, Case{"no", 7, 3}, Case{"no host context", 0, 3}}) {
        table.Close();
        table.Open();
        Fill(3);
        ShowFocused();
        grid->setCurrentIndex(grid->Model()->index(1, 0));
        boxes.Api().ClearQueue();
        if (c.answer)
            boxes.Api().QueueAnswer(c.answer);
        else
            boxes.Detach();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
        EXPECT_EQ(table.RecordCount(), c.rowsAfter) << c.what;
        if (c.answer) {
            ASSERT_EQ(boxes.Api().CallCount(), 1) << c.what;
            EXPECT_STREQ(boxes.Api().CallCaption(0), "提示：");
            EXPECT_STREQ(boxes.Api().CallText(0), TQmDBGrid::DeleteQuestion);
            EXPECT_EQ(boxes.Api().CallFlags(0), 0x104); // a yes/no question, 否 the default
        }
        boxes.Attach();
    }
}

TEST_F(BehaviourTest, BadValueIsReportedAndTheEditKept) {
    Boxes boxes;
    if (!boxes.Loaded()) GTEST_SKIP() << "dialog.dll is not built";
    boxes.Api().QueueAnswer(1);
    Fill(2);
    ShowFocused();
    grid->setCurrentIndex(grid->Model()->index(0, 2));
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "12x");
    grid->setCurrentIndex(grid->Model()->index(1, 2));
    ASSERT_EQ(boxes.Api().CallCount(), 1);
    EXPECT_STREQ(boxes.Api().CallCaption(0), "提示：");
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(table.RecNo(), 1);
    editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("12x"));
}

TEST_F(BehaviourTest, RenderedRowsShowTheirColours) {
    Fill(6);
    grid->resize(300, 200);
    grid->show();
    QApplication::processEvents();
    grid->clearSelection();
    grid->setCurrentIndex(QModelIndex());
    const QImage image = grid->grab().toImage();
    auto sample = [&](int row) {
        const QRect cell = grid->visualRect(grid->Model()->index(row, 1));
        const QPoint at = grid->viewport()->mapTo(grid.get(), QPoint(cell.right() - 3, cell.center().y()));
        return image.pixelColor(at * image.devicePixelRatio()).rgb();
    };
    EXPECT_EQ(sample(2), QColor(0xDD, 0xDD, 0xFF).rgb()); // record 3
    EXPECT_EQ(sample(3), QColor(0xC4, 0xC4, 0xFF).rgb()); // record 4
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 18);
    EXPECT_EQ(grid->horizontalHeader()->height(), 16);
}

// Titles, row indicators and the corner show the fixed colour, also one changed after the grid
// was shown.
TEST_F(BehaviourTest, FixedCellsFollowTheFixedColour) {
    Fill(3);
    grid->resize(300, 200);
    grid->show();
    for (const TColor color : {TColor(0x4080C0), TColor(0x30A050)}) {
        SCOPED_TRACE(color);
        grid->SetFixedColor(color);
        QApplication::processEvents();
        const QImage image = grid->grab().toImage();
        const QRect title = grid->horizontalHeader()->geometry();
        const QRect rows = grid->verticalHeader()->geometry();
        const QColor expected(GetRValue(color), GetGValue(color), GetBValue(color));
        for (const QPoint at : {QPoint(title.right() - 2, title.center().y()),  // beyond the last title
                                QPoint(rows.center().x(), rows.bottom() - 2),   // below the last row
                                QPoint(rows.center().x(), title.center().y())}) // the corner
            EXPECT_EQ(image.pixelColor(at * image.devicePixelRatio()).rgb(), expected.rgb())
                << at.x() << "," << at.y();
    }
}

} // namespace
} // namespace qm::gridtest
