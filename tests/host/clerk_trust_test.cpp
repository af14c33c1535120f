// What a clerk types is kept or refused aloud: a refused value stops whatever needed it, the find
// bar keeps its own keys, nothing is cut without a word, and a refusal points at its cell.
#include "clerk_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QLineEdit>
#include <QToolBar>

namespace qm::host::testing {
namespace {

constexpr int kCode = 1; // grid columns: the hidden key first, then code, name, lower, upper
constexpr int kName = 2;
constexpr int kLower = 3;
constexpr int kUpper = 4;

const std::vector<std::string> kDemo = {
    "01|低收入|0|2999",        "02|中低收入|3000|5999", "03|中等收入|6000|9999",
    "04|中高收入|10000|19999", "05|高收入|20000|49999", "06|特高收入|50000|999999",
};

class ClerkTrust : public ClerkTest {
protected:
    QLineEdit* FocusEdit() const { return Focus() ? qobject_cast<QLineEdit*>(Focus()) : nullptr; }
    void ClickToolbar(const char* name) {
        auto* action = Window->findChild<QAction*>(name);
        ASSERT_NE(action, nullptr) << name;
        QWidget* button = nullptr;
        for (QToolBar* bar : Window->findChildren<QToolBar*>())
            if (QWidget* w = bar->widgetForAction(action)) button = w;
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
        Settle();
    }
    void ClickWidget(const char* name) {
        QWidget* widget = nullptr;
        for (QWidget* w : Window->findChildren<QWidget*>(name))
            if (w->isVisible()) widget = w;
        ASSERT_NE(widget, nullptr) << name;
        QTest::mouseClick(widget, Qt::LeftButton);
        Settle();
    }
    void Paste(const QString& text) {
        QApplication::clipboard()->setText(text);
        Key(Qt::Key_V, Qt::ControlModifier);
    }
    QWidget* FindBar() const {
        for (QWidget* w : Grid()->findChildren<QWidget*>())
            if (w->inherits("qm::TQmFindBar")) return w;
        return nullptr;
    }
};

// A value the form refuses stops every operation that would have to take it: one box, the editor
// stays open on the text with the focus in it, nothing reaches the store.
TEST_F(ClerkTrust, ARefusedValueStopsWhateverNeedsIt) {
    struct Case {
        const char* Name;
        std::function<void()> Act;
    };
    const Case cases[] = {
        {"Ctrl+S", [this] { Key(Qt::Key_S, Qt::ControlModifier); }},
        {"toolbar save", [this] { ClickToolbar("save"); }},
        {"F3 search", [this] { Key(Qt::Key_F3); }},
        {"next record", [this] { Key(Qt::Key_PageDown, Qt::ControlModifier); }},
        {"last record", [this] { Key(Qt::Key_End, Qt::ControlModifier); }},
        {"row move", [this] { Key(Qt::Key_Down); }},
        {"close", [this] { ClickWidget("btnFormTitleColse"); }},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const int boxes = Boxes.CallCount();
        Key(Qt::Key_Home); // the code column
        Key(Qt::Key_F2);
        Key(Qt::Key_Tab);
        Type("PART");
        Key(Qt::Key_Tab);
        Type("zz");
        Answer(1);
        c.Act();
        ASSERT_NE(Window->FormId(), 0u) << "the form closed";
        EXPECT_EQ(Boxes.CallCount(), boxes + 1) << BoxLog();
        EXPECT_EQ(LastBox(), "[收入下限] 的值“zz”不是有效的整数！");
        ASSERT_NE(FocusEdit(), nullptr);
        EXPECT_EQ(FocusEdit()->text(), "zz");
        EXPECT_EQ(CurrentRow(), 0);
        EXPECT_EQ(Grid()->currentIndex().column(), kLower);
        EXPECT_EQ(Cell(0, kName), "PART");
        EXPECT_EQ(Levels(), kDemo);
        Key(Qt::Key_Escape); // restores the cell
        EXPECT_EQ(FocusEdit() ? FocusEdit()->text() : QString(), "0");
        Key(Qt::Key_Escape); // 取消
        EXPECT_EQ(Cell(0, kName), "低收入");
    }
    EXPECT_EQ(Levels(), kDemo);
}

// A new row, and a row where only the refused cell changed, are not saved around the bad value;
// once corrected, the save takes it.
TEST_F(ClerkTrust, ASaveWaitsForTheCorrectedValue) {
    Open();
    Key(Qt::Key_N, Qt::ControlModifier);
    for (const char* text : {"A9", "新级别", "1"}) {
        Type(QString::fromUtf8(text));
        Key(Qt::Key_Tab);
    }
    Type("abc");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"[收入上限] 的值“abc”不是有效的整数！"});
    EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC"), std::vector<std::string>{"6"});
    ASSERT_NE(FocusEdit(), nullptr);
    FocusEdit()->selectAll();
    Type("9");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！");
    EXPECT_EQ(Query("SELECT MEMAC002, MEMAC003, MEMAC004 FROM TB_MEMAC WHERE MEMAC001='A9'"),
              std::vector<std::string>{"新级别|1|9"});

    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Key(Qt::Key_F2);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    Type("zz");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "[收入下限] 的值“zz”不是有效的整数！");
    ASSERT_NE(FocusEdit(), nullptr);
    EXPECT_EQ(FocusEdit()->text(), "zz");
    FocusEdit()->selectAll();
    Type("7");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！");
    EXPECT_EQ(Query("SELECT MEMAC003 FROM TB_MEMAC WHERE MEMAC001='01'"), std::vector<std::string>{"7"});
}

// The find bar answers its own keys; the window's 取消 and 查询 do not run behind it.
TEST_F(ClerkTrust, TheFindBarKeepsItsOwnKeys) {
    Open();
    Key(Qt::Key_Tab); // the name column
    Key(Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(FindBar(), nullptr);
    EXPECT_TRUE(FindBar()->isVisible());
    Type("中");
    struct Step {
        int Key;
        Qt::KeyboardModifiers Mods;
        int Row;
    };
    for (const Step& s : {Step{Qt::Key_Return, Qt::NoModifier, 1}, Step{Qt::Key_F3, Qt::NoModifier, 2},
                          Step{Qt::Key_Enter, Qt::NoModifier, 3}, Step{Qt::Key_F3, Qt::ShiftModifier, 2}}) {
        Key(s.Key, s.Mods);
        EXPECT_EQ(CurrentRow(), s.Row) << s.Key;
        EXPECT_TRUE(FindBar()->isAncestorOf(Focus()));
    }
    Key(Qt::Key_Escape);
    EXPECT_FALSE(FindBar()->isVisible());
    EXPECT_TRUE(FocusInGrid());
    EXPECT_EQ(CurrentRow(), 2);
    EXPECT_EQ(Grid()->currentIndex().column(), kName);

    // A whole new row typed, the bar opened and closed by Esc: the row is still there to save.
    Key(Qt::Key_N, Qt::ControlModifier);
    Type("A1");
    Key(Qt::Key_Tab);
    Type("新级别");
    Key(Qt::Key_F, Qt::ControlModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Rows(), 7);
    EXPECT_FALSE(FindBar()->isVisible());
    EXPECT_TRUE(FocusInGrid());
    EXPECT_NE(OpenEditor(), nullptr);

    // The close button does what Esc does.
    Key(Qt::Key_F, Qt::ControlModifier);
    ClickWidget("findClose");
    EXPECT_FALSE(FindBar()->isVisible());
    EXPECT_TRUE(FocusInGrid());
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！") << BoxLog();
    EXPECT_EQ(Query("SELECT MEMAC002 FROM TB_MEMAC WHERE MEMAC001='A1'"), std::vector<std::string>{"新级别"});
}

// Input stops at the column's length with a note; a paste too long is refused whole aloud.
TEST_F(ClerkTrust, NothingIsCutSilently) {
    Open();
    Key(Qt::Key_F2);
    Answer(1);
    Paste(QString::fromUtf8("收入代码长"));
    EXPECT_EQ(LastBox(), "[收入等级代码] 最多 4 个字符！");
    ASSERT_NE(FocusEdit(), nullptr);
    EXPECT_EQ(FocusEdit()->text(), "01");

    FocusEdit()->selectAll();
    const int boxes = Boxes.CallCount();
    Type("ABCDEFG");
    EXPECT_EQ(FocusEdit()->text(), "ABCD");
    EXPECT_EQ(Boxes.CallCount(), boxes);
    EXPECT_NE(StatusText().find("[收入等级代码] 最多 4 个字符！"), std::string::npos) << StatusText();

    Key(Qt::Key_Tab);
    Answer(1);
    Paste(QString(35, QChar(0x540D)));
    EXPECT_EQ(LastBox(), "[收入等级名称] 最多 30 个字符！");
    EXPECT_EQ(FocusEdit()->text(), "低收入");
    FocusEdit()->selectAll();
    Paste(QString::fromUtf8("收入代码长"));
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！");
    EXPECT_EQ(Query("SELECT MEMAC001, MEMAC002 FROM TB_MEMAC WHERE MEMAC_ID=1"),
              std::vector<std::string>{"ABCD|收入代码长"});
}

// Digits and signs as a Chinese input method types them count as their plain forms; a number past
// the field's range says so.
TEST_F(ClerkTrust, NumbersTakeFullWidthFormsAndNameTheirRange) {
    Open();
    Key(Qt::Key_F2);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    Answer(1);
    Type(QString::fromUtf8("３０００００００００"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"[收入下限] 超出范围（最大 2147483647）！"});
    ASSERT_NE(FocusEdit(), nullptr);
    FocusEdit()->selectAll();
    Type(QString::fromUtf8("－５"));
    Key(Qt::Key_Tab);
    Type(QString::fromUtf8("＋１００"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(0, kLower), "-5");
    EXPECT_EQ(Cell(0, kUpper), "100");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！");
    EXPECT_EQ(Query("SELECT MEMAC003, MEMAC004 FROM TB_MEMAC WHERE MEMAC_ID=1"),
              std::vector<std::string>{"-5|100"});
}

// F2 leaves a new row alone, so the duplicate check still runs; it runs in the edit state too.
TEST_F(ClerkTrust, TheFormsChecksRunInEveryStateASaveStartsFrom) {
    Open();
    Key(Qt::Key_N, Qt::ControlModifier);
    Type("03");
    Key(Qt::Key_Tab);
    Type("重复");
    Key(Qt::Key_F2);
    EXPECT_EQ(Grid()->model()->headerData(6, Qt::Vertical).toString(), "*7");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "[收入等级代码] 不得有重复值！");
    Answer(6);
    Key(Qt::Key_Escape);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Rows(), 6);

    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_Home);
    Key(Qt::Key_F2);
    Type("02");
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "[收入等级代码] 不得有重复值！");
    EXPECT_EQ(CurrentRow(), 0) << "the row the clerk changed";
    EXPECT_EQ(Grid()->currentIndex().column(), kCode);
    EXPECT_EQ(Levels(), kDemo);
}

TEST_F(ClerkTrust, FirstAndLastRecordKeepTheColumnOfAnOpenEditor) {
    Open();
    Key(Qt::Key_F2);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    ASSERT_NE(OpenEditor(), nullptr);
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(CurrentRow(), 5);
    EXPECT_EQ(Grid()->currentIndex().column(), kLower);
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_EQ(Grid()->currentIndex().column(), kLower);
    EXPECT_NE(OpenEditor(), nullptr);
}

// The store's refusal of a code puts the focus on the cell that holds it.
TEST_F(ClerkTrust, AStoreRefusalPointsAtItsCell) {
    Open();
    Exec(
        "INSERT INTO TB_MEMAC (MEMAC001, MEMAC002, MEMAC003, MEMAC004, CREATE_USER, USER_GROUP, CREATE_DATE, "
        "FLAG) VALUES ('07', '外加', 1, 2, 'u', 'g01', '2008-06-02 00:00:00', 0)");
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    Key(Qt::Key_F2);
    Type("07");
    Key(Qt::Key_Tab);
    Type("改名");
    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Window->ErrorShown());
    EXPECT_EQ(CurrentRow(), 2);
    EXPECT_EQ(Grid()->currentIndex().column(), kCode);
    EXPECT_TRUE(FocusInGrid());
    EXPECT_NE(OpenEditor(), nullptr);
}

// A blank new row goes when the cursor leaves it, also after a save refused it.
TEST_F(ClerkTrust, ABlankNewRowGoesWhenLeftAfterARefusedSave) {
    Open();
    Key(Qt::Key_N, Qt::ControlModifier);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "[收入等级代码] 不得为空！");
    EXPECT_EQ(Rows(), 7);
    Key(Qt::Key_Up);
    EXPECT_EQ(Rows(), 6);
    EXPECT_EQ(CurrentRow(), 5);
}

} // namespace
} // namespace qm::host::testing
