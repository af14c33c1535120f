// The filter box at the host window: Ctrl+Shift+F, the counts in the status line, and rows it
// hides keeping their unsaved changes for 保存, 取消 and the search question.
#include "clerk_fixture.h"

#include <QLineEdit>

namespace qm::host::testing {
namespace {

constexpr int kCode = 1; // grid columns: the hidden key first, then code, name, lower, upper

using ClerkViewFilter = ClerkTest;

TEST_F(ClerkViewFilter, CtrlShiftFKeepsTheRowsThatShowTheText) {
    Open();
    ASSERT_TRUE(FocusInGrid());
    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    auto* box = qobject_cast<QLineEdit*>(Focus());
    ASSERT_NE(box, nullptr) << "the filter box has the focus";
    EXPECT_TRUE(Grid()->isAncestorOf(box));
    Type("中");
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(Cell(0, kCode), "02");
    EXPECT_NE(StatusText().find("显示 3 / 共 6 条"), std::string::npos) << StatusText();
    Type("高");
    EXPECT_EQ(Rows(), 1);
    EXPECT_NE(StatusText().find("显示 1 / 共 6 条"), std::string::npos) << StatusText();
    Key(Qt::Key_Escape);
    EXPECT_EQ(Rows(), 6);
    EXPECT_TRUE(FocusInGrid());
    EXPECT_EQ(Boxes.CallCount(), 0) << "Esc in the box is not the form's cancel";
    EXPECT_EQ(StatusText().find("显示"), std::string::npos)
        << "the counts went with the filter: " << StatusText();
}

TEST_F(ClerkViewFilter, HiddenChangesAreAskedAboutSavedAndCancelled) {
    Open();
    Key(Qt::Key_F2);
    Type("Z1");
    Key(Qt::Key_Down);
    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    Type("中");
    EXPECT_EQ(Rows(), 3);
    EXPECT_NE(StatusText().find("筛选隐藏的 1 条记录有未保存的修改"), std::string::npos) << StatusText();
    Key(Qt::Key_Return);
    ASSERT_TRUE(FocusInGrid());
    // The search counts the hidden change; No keeps it, and 保存 sends it.
    Answer(7);
    Key(Qt::Key_F3);
    EXPECT_EQ(LastBox(), "有未保存的修改，确定放弃吗？");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！") << BoxLog();
    EXPECT_EQ(Query("SELECT MEMAC001 FROM TB_MEMAC WHERE MEMAC_ID=1"), std::vector<std::string>{"Z1"});

    // A hidden change is undone by 取消 as any other.
    Key(Qt::Key_F2);
    Type("Y2");
    Key(Qt::Key_Down);
    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    Type("03"); // the box opens with its text chosen: typing replaces it
    EXPECT_EQ(Rows(), 1);
    EXPECT_NE(StatusText().find("筛选隐藏的 1 条记录有未保存的修改"), std::string::npos) << StatusText();
    Key(Qt::Key_Return);
    Answer(7);
    EXPECT_FALSE(Window->close()) << "closing asks about the hidden change";
    EXPECT_NE(LastBox().find("请保存或者取消后再退出当前窗体"), std::string::npos) << BoxLog();
    Answer(6);
    Key(Qt::Key_Escape);
    EXPECT_NE(LastBox().find("将放弃"), std::string::npos) << BoxLog();
    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_Escape);
    EXPECT_EQ(Rows(), 6);
    for (int row = 0; row < Rows(); ++row)
        EXPECT_NE(Cell(row, kCode), "Y2");
    EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC WHERE MEMAC001='Y2'"), std::vector<std::string>{"0"});
}

} // namespace
} // namespace qm::host::testing
