// The status bar tells the clerk where they are: the form's state, the row and the row count, and
// a short note on entering 新增 or 修改 and after 取消.
#include "desk_fixture.h"
#include "host/ui/status_line.h"

#include <QLabel>
#include <QStatusBar>

namespace qm::host::testing {
namespace {

using ::testing::HasSubstr;

class DeskWhereTest : public DeskTest {
protected:
    std::string Where() const {
        auto* label = Window->statusBar()->findChild<QLabel*>("deskWhere");
        return label && label->isVisible() ? label->text().toStdString() : "(none)";
    }
};

TEST_F(DeskWhereTest, TheBarFollowsStateAndRowAndNotesNewUpdateAndCancel) {
    Open();
    ASSERT_TRUE(FocusInGrid());
    EXPECT_EQ(Where(), "浏览　第 1 条，共 6 条");
    Key(Qt::Key_Down);
    Key(Qt::Key_Down);
    EXPECT_EQ(Where(), "浏览　第 3 条，共 6 条");

    struct Step {
        int Key;
        Qt::KeyboardModifiers Mods;
        const char* Where;
        const char* Note;
    } steps[] = {
        {Qt::Key_N, Qt::ControlModifier, "新增　第 7 条，共 7 条", "新增："},
        {Qt::Key_Escape, Qt::NoModifier, "浏览　第 6 条，共 6 条", "已取消"},
        {Qt::Key_F2, Qt::NoModifier, "修改　第 6 条，共 6 条", "修改："},
        {Qt::Key_Escape, Qt::NoModifier, "浏览　第 6 条，共 6 条", "已取消"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.Where);
        // The first Esc leaves the cell's editor, the second one is 取消.
        if (s.Key == Qt::Key_Escape) Key(Qt::Key_Escape);
        Key(s.Key, s.Mods);
        EXPECT_EQ(Where(), s.Where);
        EXPECT_THAT(StatusText(), HasSubstr(s.Note));
    }
    // One Esc in a new row nothing was typed into is the form's own 取消: the bar follows it.
    Key(Qt::Key_N, Qt::ControlModifier);
    Key(Qt::Key_Escape);
    Settle();
    EXPECT_EQ(Where(), "浏览　第 6 条，共 6 条");
    EXPECT_THAT(StatusText(), ::testing::Not(HasSubstr("新增：")));

    // The bar's own message keeps clear of the lasting part.
    auto* bar = dynamic_cast<StatusLine*>(Window->statusBar());
    ASSERT_NE(bar, nullptr);
    Window->ShowError(std::string(400, 'x'));
    EXPECT_LT(bar->fontMetrics().horizontalAdvance(bar->ShownText()),
              Window->statusBar()->findChild<QLabel*>("deskWhere")->x());

    // Without a form there is nothing to tell.
    QTest::mouseClick(Window->findChild<QWidget*>("btnFormTitleColse"), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Where(), "");
}

} // namespace
} // namespace qm::host::testing
