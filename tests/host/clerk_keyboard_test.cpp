// A clerk's keys at the host window: where the cursor and the focus go, the checks that put the
// focus on the cell at fault, and a refused value that is named once.
#include "clerk_fixture.h"

#include <QLineEdit>

namespace qm::host::testing {
namespace {

constexpr int kCode = 1;
constexpr int kName = 2;
constexpr int kLower = 3;

using ClerkKeyboard = ClerkTest;

TEST_F(ClerkKeyboard, NavigationKeysMoveTheCurrentRow) {
    Open();
    ASSERT_TRUE(FocusInGrid());
    struct Step {
        int Key;
        int Row;
    };
    for (const Step& s : {Step{Qt::Key_End, 5}, Step{Qt::Key_Home, 0}, Step{Qt::Key_PageDown, 1},
                          Step{Qt::Key_PageDown, 2}, Step{Qt::Key_PageUp, 1}}) {
        Key(s.Key, Qt::ControlModifier);
        EXPECT_EQ(CurrentRow(), s.Row) << s.Key;
        EXPECT_TRUE(FocusInGrid());
    }
}

// After a save the row that was current stays current, a new one too once its key came back;
// after a delete the row that took the deleted one's place is current.
TEST_F(ClerkKeyboard, SaveAndDeleteKeepTheCursorWhereTheClerkWas) {
    Open();
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    Key(Qt::Key_F2);
    Key(Qt::Key_Tab);
    Type("改名");
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(CurrentRow(), 1);
    EXPECT_EQ(Cell(1, kName), "改名");

    Key(Qt::Key_N, Qt::ControlModifier);
    Type("A1");
    Key(Qt::Key_Tab);
    Type("新级别");
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(CurrentRow(), 6);
    EXPECT_EQ(Cell(6, kCode), "A1");
    EXPECT_EQ(Grid()->model()->index(6, 0).data().toString(), "7"); // the key the host gave it

    Key(Qt::Key_Home, Qt::ControlModifier);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    Key(Qt::Key_PageDown, Qt::ControlModifier);
    Answer(6);
    Answer(1);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "删除成功！");
    EXPECT_EQ(CurrentRow(), 2);
    EXPECT_EQ(Cell(2, kCode), "04");
    EXPECT_TRUE(FocusInGrid());
}

// A failed check names the column and puts the focus on the offending cell; nothing is sent.
TEST_F(ClerkKeyboard, FailedChecksPutTheFocusOnTheCellAtFault) {
    struct Case {
        const char* Name;
        std::vector<const char*> Cells; // typed into code, name, lower, upper of a new row
        const char* Box;
        int Column;
    };
    const Case cases[] = {
        {"required", {"A1", "", "1", "2"}, "[收入等级名称] 不得为空！", kName},
        {"unique", {"03", "重复", "1", "2"}, "[收入等级代码] 不得有重复值！", kCode},
        {"range", {"A1", "倒置", "500", "100"}, "[收入下限] 不得大于 [收入上限]！", kLower},
    };
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Key(Qt::Key_N, Qt::ControlModifier);
        for (const char* text : c.Cells) {
            Type(QString::fromUtf8(text));
            Key(Qt::Key_Tab);
        }
        Answer(1);
        Key(Qt::Key_S, Qt::ControlModifier);
        EXPECT_EQ(LastBox(), c.Box);
        EXPECT_EQ(CurrentRow(), 6);
        EXPECT_EQ(Grid()->currentIndex().column(), c.Column);
        EXPECT_TRUE(FocusInGrid());
        EXPECT_NE(OpenEditor(), nullptr);
        EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC"), std::vector<std::string>{"6"});
        Answer(6);
        Key(Qt::Key_Escape);
        Key(Qt::Key_Escape);
        EXPECT_EQ(Rows(), 6);
    }
}

TEST_F(ClerkKeyboard, ANonNumericAmountIsNamedOnceAndKeptForCorrection) {
    Open();
    Key(Qt::Key_F2);
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab);
    Answer(1);
    Type("abc");
    Key(Qt::Key_Tab);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"[收入下限] 的值“abc”不是有效的整数！"});
    auto* edit = Focus() ? qobject_cast<QLineEdit*>(Focus()) : nullptr;
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_EQ(Grid()->currentIndex().column(), kLower);
    edit->selectAll();
    Type("5");
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！");
    EXPECT_EQ(Query("SELECT MEMAC003 FROM TB_MEMAC WHERE MEMAC_ID=1"), std::vector<std::string>{"5"});
}

} // namespace
} // namespace qm::host::testing
