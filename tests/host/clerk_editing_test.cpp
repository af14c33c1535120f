// Editing at the host window: what Esc, 取消, 查询, a save and a delete do to the rows, by keys
// alone, checked against the file.
#include "clerk_fixture.h"

#include <QClipboard>

#include <functional>

namespace qm::host::testing {
namespace {

constexpr int kCode = 1; // grid columns: the hidden key first, then code, name, lower, upper
constexpr int kName = 2;

const std::vector<std::string> kDemo = {
    "01|低收入|0|2999",        "02|中低收入|3000|5999", "03|中等收入|6000|9999",
    "04|中高收入|10000|19999", "05|高收入|20000|49999", "06|特高收入|50000|999999",
};

using ClerkEditing = ClerkTest;

// Esc in a changed cell restores that cell; the next Esc is 取消. Afterwards no editor is open
// and typing changes nothing: the keys meant for the cancelled row never reach another.
TEST_F(ClerkEditing, EscThenTypingChangesNoSavedRow) {
    struct Case {
        const char* Name;
        int Key;
        Qt::KeyboardModifiers Mods;
    };
    for (const Case& c :
         {Case{"new", Qt::Key_N, Qt::ControlModifier}, Case{"update", Qt::Key_F2, Qt::NoModifier}}) {
        SCOPED_TRACE(c.Name);
        if (!Window->FormId()) Open();
        ASSERT_EQ(Rows(), 6) << Window->LastStatus() << " | " << StatusText() << " | " << BoxLog();
        ASSERT_TRUE(FocusInGrid());
        Key(c.Key, c.Mods);
        ASSERT_NE(OpenEditor(), nullptr);
        Type("A1");
        Key(Qt::Key_Tab);
        Type("名称");
        Key(Qt::Key_Escape);
        EXPECT_NE(OpenEditor(), nullptr) << "the first Esc only restores the cell";
        Key(Qt::Key_Escape);
        EXPECT_EQ(OpenEditor(), nullptr);
        EXPECT_EQ(Rows(), 6);
        EXPECT_TRUE(FocusInGrid());
        Type("0Z");
        Answer(1);
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(LastBox(), "浏览状态无法保存记录！");
        EXPECT_EQ(Levels(), kDemo);
        for (int row = 0; row < Rows(); ++row)
            EXPECT_NE(Cell(row, kCode), "0Z");
    }
}

// 取消 undoes every change the store has not accepted, asking first when that is more than the
// current row's own unposted work; a new row nothing was typed into never blocks a save.
TEST_F(ClerkEditing, CancelUndoesEveryUnacceptedChange) {
    Open();
    // (a) a blank new row saved at once: refused by the check, then 取消 leaves nothing behind
    // without asking, as a blank row is no work to lose.
    Key(Qt::Key_N, Qt::ControlModifier);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "[收入等级代码] 不得为空！");
    const int boxes = Boxes.CallCount();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Boxes.CallCount(), boxes) << BoxLog();
    EXPECT_EQ(Rows(), 6);
    EXPECT_EQ(OpenEditor(), nullptr);

    // (b) a new row left by Up, then an edited row: 取消 asks, No keeps both, Yes drops both.
    Key(Qt::Key_N, Qt::ControlModifier);
    Type("A1");
    Key(Qt::Key_Tab);
    Type("新级别");
    Key(Qt::Key_Up);
    Type("改名");
    Key(Qt::Key_Tab);
    Answer(7);
    Key(Qt::Key_Escape);
    EXPECT_EQ(LastBox(), "将放弃 2 条未保存的修改，确定吗？");
    EXPECT_EQ(Rows(), 7);
    Answer(6);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Rows(), 6);
    EXPECT_EQ(Cell(5, kName), "特高收入");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "浏览状态无法保存记录！");
    EXPECT_EQ(Levels(), kDemo);
}

// After 取消 throws a typed new row away, the next 新增 takes the clerk's keys in its first cell,
// whichever way the clerk gave the two commands. The boxes are real windows here, answered with
// the mouse, so the focus leaves the grid and comes back as it does on a desktop.
TEST_F(ClerkEditing, TypingAfterCancelAndNewLandsInTheNewRow) {
    Open();
    struct Case {
        const char* Name;
        bool ByToolbar;
        bool Saved; // a save refused by its checks, which posts the row first
    };
    const Case cases[] = {
        {"keys, typed only", false, false},
        {"keys, refused by a save", false, true},
        {"toolbar, typed only", true, false},
        {"toolbar, refused by a save", true, true},
    };
    BoxClicker boxes(*Window);
    Boxes.SetStrict(0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const auto newRow = [&] {
            if (c.ByToolbar)
                ClickToolbar("新增");
            else
                Key(Qt::Key_N, Qt::ControlModifier);
        };
        const auto cancel = [&] {
            if (c.ByToolbar) {
                ClickToolbar("取消");
            } else {
                Key(Qt::Key_Escape); // the open cell first
                Key(Qt::Key_Escape);
            }
        };
        newRow();
        Type("A1");
        Key(Qt::Key_Tab);
        Type("倒置");
        Key(Qt::Key_Tab);
        Type("500");
        Key(Qt::Key_Tab);
        Type("100");
        if (c.Saved) {
            boxes.Clicks = {QString::fromUtf8("确定"),
                            QString::fromUtf8("是")}; // the refusal, then 取消's question
            Key(Qt::Key_S, Qt::ControlModifier);
        }
        cancel();
        EXPECT_TRUE(boxes.Clicks.empty());
        ASSERT_EQ(Rows(), 6);
        newRow();
        Type("B2");
        Key(Qt::Key_Tab);
        EXPECT_EQ(Cell(6, kCode), "B2");
        Key(Qt::Key_Escape);
        Key(Qt::Key_Escape);
        ASSERT_EQ(Rows(), 6);
    }
    Boxes.SetStrict(1);
}

// A paste refused by its checks into a new row nothing was typed into yet: the box over the
// window is not the clerk leaving the grid, so the new row stays for typing into.
TEST_F(ClerkEditing, ARefusedPasteIntoANewRowKeepsTheRow) {
    Open();
    BoxClicker boxes(*Window);
    Boxes.SetStrict(0);
    Key(Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(Rows(), 7);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("07\t测试\t100\t200\n08\t测试2\tabc\t300\n"));
    boxes.Clicks = {QString::fromUtf8("确定")};
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(boxes.Clicks.empty());
    Boxes.SetStrict(1);
    EXPECT_EQ(LastBox(), "[收入下限] 的值“abc”不是有效的整数！");
    ASSERT_EQ(Rows(), 7);
    Type("A1");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(6, kCode), "A1");
}

// Typing or pasting into the rows while browsing changes nothing, and the status bar says how to
// start editing instead of the keys vanishing without a word.
TEST_F(ClerkEditing, TypingWhileBrowsingSaysHowToEdit) {
    const std::string hint = "浏览状态不能直接输入，请先按“修改”或“新增”";
    Open();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("07\t测试\t100\t200\n"));
    struct Case {
        const char* Name;
        std::function<void()> Press;
    };
    for (const Case& c :
         {Case{"a letter", [] { Type("x"); }}, Case{"a Chinese character", [] { Type("中"); }},
          Case{"a paste", [] { Key(Qt::Key_V, Qt::ControlModifier); }}}) {
        SCOPED_TRACE(c.Name);
        ClickToolbar("首条");
        ASSERT_NE(StatusText(), hint);
        c.Press();
        EXPECT_EQ(StatusText(), hint);
        EXPECT_EQ(OpenEditor(), nullptr);
        EXPECT_EQ(Levels(), kDemo);
    }
    // Moving about says nothing of the kind; once editing, the keys go into the cell.
    ClickToolbar("首条");
    Key(Qt::Key_Down);
    EXPECT_NE(StatusText(), hint);
    Key(Qt::Key_F2);
    Type("x");
    EXPECT_NE(StatusText(), hint);
    ASSERT_NE(OpenEditor(), nullptr);
}

// The window's close question answered 否 by the mouse: typing goes on in the open cell.
TEST_F(ClerkEditing, TypingGoesOnInTheCellAfterTheCloseQuestion) {
    Open();
    BoxClicker boxes(*Window);
    Boxes.SetStrict(0);
    Key(Qt::Key_N, Qt::ControlModifier);
    Type("B2");
    Key(Qt::Key_Tab);
    Type("ab");
    boxes.Clicks = {QString::fromUtf8("否")};
    EXPECT_FALSE(Window->close());
    Settle();
    EXPECT_TRUE(boxes.Clicks.empty());
    Boxes.SetStrict(1);
    Type("cd");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(6, kName), "abcd");
}

TEST_F(ClerkEditing, EnterPastTheLastColumnLeavesNoBlankRowToBlockTheSave) {
    Open();
    Key(Qt::Key_N, Qt::ControlModifier);
    for (const char* text : {"A1", "新级别", "100", "200"}) {
        Type(QString::fromUtf8(text));
        Key(Qt::Key_Return);
    }
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！") << BoxLog();
    EXPECT_EQ(Query("SELECT MEMAC002, MEMAC003, MEMAC004 FROM TB_MEMAC WHERE MEMAC001='A1'"),
              std::vector<std::string>{"新级别|100|200"});
    EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC"), std::vector<std::string>{"7"});
}

// Rows deleted in the grid while editing come back on 取消 and are never sent by it.
TEST_F(ClerkEditing, GridDeleteWhileEditingIsPendingUntilSavedAndUndoneByCancel) {
    Open();
    Key(Qt::Key_F2);
    Answer(6); // the grid's own confirmation
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Rows(), 5);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC"), std::vector<std::string>{"6"});
    Answer(6);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Rows(), 6);

    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_F2);
    Answer(6);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！") << BoxLog();
    EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='01'"), std::vector<std::string>{"0"});
}

// 查询 with unsaved changes asks; No keeps them, Yes replaces the rows.
TEST_F(ClerkEditing, SearchAsksBeforeDiscardingUnsavedChanges) {
    Open();
    Key(Qt::Key_F2);
    Type("X1");
    Key(Qt::Key_Down);
    Answer(7);
    Key(Qt::Key_F3);
    EXPECT_EQ(LastBox(), "有未保存的修改，确定放弃吗？");
    EXPECT_EQ(Cell(0, kCode), "X1");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(Query("SELECT MEMAC001 FROM TB_MEMAC WHERE MEMAC_ID=1"), std::vector<std::string>{"X1"});

    Key(Qt::Key_F2);
    Type("Y");
    Key(Qt::Key_Tab);
    Answer(6);
    Key(Qt::Key_F3);
    EXPECT_EQ(LastBox(), "有未保存的修改，确定放弃吗？");
    EXPECT_EQ(Query("SELECT MEMAC001 FROM TB_MEMAC WHERE MEMAC_ID=1"), std::vector<std::string>{"X1"});
    EXPECT_EQ(Rows(), 6);

    // The edit state alone does not ask.
    const int boxes = Boxes.CallCount();
    Key(Qt::Key_F2);
    Key(Qt::Key_F3);
    EXPECT_EQ(Boxes.CallCount(), boxes);
}

// The success box is shown over the row the clerk saved, not over wherever writing the request
// left the table's cursor.
TEST_F(ClerkEditing, SavedRowStaysInViewUnderTheSuccessBox) {
    Open();
    Key(Qt::Key_Down);
    Key(Qt::Key_F2);
    Type("Z9");
    Key(Qt::Key_Tab);
    int rowUnderBox = -1;
    QString boxText;
    // The save lets messages run before its box shows: look until the box is there.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        watch.stop();
        rowUnderBox = CurrentRow();
        boxText = box->text();
        box->accept();
    });
    watch.start(5);
    Boxes.SetStrict(0); // a real box, answered from the timer
    Key(Qt::Key_S, Qt::ControlModifier);
    Boxes.SetStrict(1);
    EXPECT_EQ(boxText.toStdString(), "保存成功！");
    EXPECT_EQ(rowUnderBox, 1);
    EXPECT_EQ(CurrentRow(), 1);
    EXPECT_EQ(Query("SELECT MEMAC001 FROM TB_MEMAC WHERE MEMAC_ID=2"), std::vector<std::string>{"Z9"});
}

} // namespace
} // namespace qm::host::testing
