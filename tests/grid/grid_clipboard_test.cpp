// Copy and paste between the grid and a spreadsheet, through the clipboard and the keys.
#include <QClipboard>

#include "view_fixture.h"

namespace qm::gridtest {
namespace {

class ClipboardTest : public ViewTest {
protected:
    QPoint CellCentre(int row, int column) const {
        return grid->visualRect(grid->Model()->index(row, column)).center();
    }
    void Click(int row, int column, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, mods, CellCentre(row, column));
        QApplication::processEvents();
    }
    void ClickRowHeader(int row, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QHeaderView* header = grid->verticalHeader();
        const QPoint at(header->width() / 2,
                        header->sectionViewportPosition(row) + header->sectionSize(row) / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, mods, at);
        QApplication::processEvents();
    }
    void CtrlKey(Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier);
        QApplication::processEvents();
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
};

TEST_F(ClipboardTest, CtrlCCopiesTheChosenCellsInTheOrderShown) {
    FillSample();
    Show();
    grid->SetReadOnly(true); // copying needs no edit state
    ClickHeader(1);          // by amount: 张三 9, 阿明 10, 王五 10, 李四 100
    Click(1, 0);
    Click(2, 1, Qt::ShiftModifier);
    CtrlKey(Qt::Key_C);
    EXPECT_EQ(Clipboard(), QStringLiteral("阿明\t10\n王五\t10\n"));
    // Whole rows carry the labels first.
    ClickRowHeader(0);
    ClickRowHeader(1, Qt::ShiftModifier);
    CtrlKey(Qt::Key_C);
    EXPECT_EQ(Clipboard(), QStringLiteral("NAME\tAMT\tDAY\n张三\t9\t2024-01-05\n阿明\t10\t2024-01-10\n"));
}

TEST_F(ClipboardTest, CtrlVPastesRowsFromTheCurrentCellAddingRows) {
    FillSample();
    Show();
    Click(2, 0);
    QGuiApplication::clipboard()->setText(QStringLiteral("甲\t1\n\"乙\t二\"\t２\r\n丙\t3\n"));
    CtrlKey(Qt::Key_V);
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(Stored(), (Names{"张三", "李四", "甲", "乙\t二", "丙"}));
    EXPECT_EQ(table.TextAt(3, 1), "2") << "a full-width digit is taken as typed";
    EXPECT_EQ(table.TextAt(4, 1), "3");
    EXPECT_EQ(table.TextAt(2, 2), "2024-01-10") << "cells beyond the pasted ones stay";
    // What the grid copied goes back in as it was, its labels skipped.
    ClickRowHeader(0);
    CtrlKey(Qt::Key_C);
    Click(4, 0);
    CtrlKey(Qt::Key_V);
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(table.TextAt(4, 0), "张三");
    EXPECT_EQ(table.TextAt(4, 2), "2024-01-05");
}

TEST_F(ClipboardTest, OneCopiedCellPastedIntoAnOpenCellLeavesItsLineBreakBehind) {
    FillSample();
    Show();
    // What a copy of one cell in the browse state leaves, as of any line a spreadsheet copies.
    QGuiApplication::clipboard()->setText(QStringLiteral("张三\n"));
    Click(1, 0);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x")); // the cell opens as typed into
    QApplication::processEvents();
    CtrlKey(Qt::Key_V);
    Click(0, 1);
    EXPECT_EQ(table.TextAt(1, 0), "张三");
}

// Nothing on the clipboard: the paste keys leave the chosen text in the cell, as the cell's menu,
// which offers no paste then, would.
TEST_F(ClipboardTest, APasteOfNothingLeavesTheCellAsItWas) {
    FillSample();
    Show();
    QGuiApplication::clipboard()->clear();
    Click(1, 0);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("x"));
    QApplication::processEvents();
    auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(edit, nullptr);
    for (const auto& [key, mods] :
         {std::pair{Qt::Key_V, Qt::ControlModifier}, std::pair{Qt::Key_Insert, Qt::ShiftModifier}}) {
        edit->selectAll();
        QTest::keyClick(edit, key, mods);
        QApplication::processEvents();
        EXPECT_EQ(edit->text(), QStringLiteral("x"));
    }
    Click(0, 1);
    EXPECT_EQ(table.TextAt(1, 0), "x");
}

TEST_F(ClipboardTest, ARefusedValueStopsThePasteBeforeAnythingIsWritten) {
    Boxes boxes;
    if (!boxes.Loaded()) GTEST_SKIP() << "dialog.dll is not built";
    struct Case {
        const char* what;
        const char* text;
        const char* box;
    } cases[] = {
        {"not a number", "甲\t1\n乙\tabc\n", "[AMT] 的值“abc”不是有效的整数！"},
        {"too long", "甲\t1\n一二三四五六七八九十一二三四五六七八九十一\t2\n", "[NAME]"},
        {"beyond the range", "甲\t1\n乙\t99999999999\n", "[AMT]"},
    };
    FillSample();
    Show();
    const Names stored = Stored();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.Api().QueueAnswer(1);
        const int calls = boxes.Api().CallCount();
        Click(3, 0);
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.text));
        CtrlKey(Qt::Key_V);
        ASSERT_EQ(boxes.Api().CallCount(), calls + 1);
        EXPECT_NE(std::string(boxes.Api().CallText(calls)).find(c.box), std::string::npos)
            << boxes.Api().CallText(calls);
        EXPECT_EQ(Stored(), stored);
        EXPECT_EQ(table.RecordCount(), 4);
        EXPECT_EQ(table.ChangeCount(), 0);
        EXPECT_EQ(table.State(), dsBrowse);
    }
}

} // namespace
} // namespace qm::gridtest
