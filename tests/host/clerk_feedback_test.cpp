// What the host window tells a clerk: the status bar after each operation, errors that end with
// the next success, rows a search had to leave out, and a form that opens again from the menu.
#include "clerk_fixture.h"

#include "plugin/messages.h"

#include <QAction>
#include <QMouseEvent>
#include <QProgressBar>
#include <QToolBar>

namespace qm::host::testing {
namespace {

using ClerkFeedback = ClerkTest;

TEST_F(ClerkFeedback, StatusBarSaysWhatTheStoreDid) {
    Open();
    EXPECT_EQ(StatusText(), "已查询 6 条");
    Key(Qt::Key_F2);
    Type("X1");
    Key(Qt::Key_Down);
    Type("X2");
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(StatusText(), "已保存：新增 0 条，修改 2 条");
    Key(Qt::Key_N, Qt::ControlModifier);
    for (const char* text : {"A1", "新级别"}) {
        Type(QString::fromUtf8(text));
        Key(Qt::Key_Tab);
    }
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(StatusText(), "已保存：新增 1 条，修改 0 条");
    Answer(6);
    Answer(1);
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(StatusText(), "已删除 1 条");
    EXPECT_EQ(Query("SELECT COUNT(*) FROM TB_MEMAC"), std::vector<std::string>{"6"});
}

// A refused save shows its reason until the next save succeeds; a standing condition stays.
TEST_F(ClerkFeedback, AnOperationsErrorEndsWithTheNextSuccess) {
    Open();
    Window->ShowStandingError("standing");
    // A code stored behind the form's back: the form cannot know it, the store refuses it.
    Exec("INSERT INTO TB_MEMAC (MEMAC001, MEMAC002, MEMAC003, MEMAC004, CREATE_USER, USER_GROUP, "
         "CREATE_DATE, FLAG) VALUES ('09', '外加', 1, 2, 'u', 'g01', '2008-06-02 00:00:00', 0)");
    Key(Qt::Key_F2);
    Type("09");
    Key(Qt::Key_Tab);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(Window->ErrorShown());
    EXPECT_NE(Window->LastStatus().find("09"), std::string::npos) << Window->LastStatus();
    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab, Qt::ShiftModifier);
    Type("07");
    Key(Qt::Key_Tab);
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "保存成功！");
    EXPECT_TRUE(Window->ErrorShown());
    Window->ClearStandingError();
    EXPECT_FALSE(Window->ErrorShown());
}

// A note about a refused keystroke speaks of that keystroke: the next command starts with a bar
// that no longer says it, whatever box the command shows.
TEST_F(ClerkFeedback, ATypingNoteGoesWithTheNextCommand) {
    Open();
    Key(Qt::Key_N, Qt::ControlModifier);
    Type("A1234567");
    EXPECT_NE(StatusText().find("[收入等级代码] 最多 4 个字符！"), std::string::npos) << StatusText();
    Key(Qt::Key_Tab);
    Type(QString::fromUtf8("新级别"));
    Key(Qt::Key_Tab);
    Type("abc");
    Answer(1);
    Key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(LastBox(), "[收入下限] 的值“abc”不是有效的整数！");
    EXPECT_EQ(StatusText().find("最多"), std::string::npos) << StatusText();
}

// Every row a search answers with is shown, except rows with a value the form cannot hold; those
// are left out whole and named.
TEST_F(ClerkFeedback, SearchLeavesOutRowsItCannotHoldAndSaysWhich) {
    // A value no column of the store can hold is left out by the store, which names the row by its
    // code in the search's status; one the store holds but the form cannot, by the form.
    struct Case {
        const char* Sql;
        const char* Named;
        bool ByForm;
    };
    for (const Case& c :
         {Case{"UPDATE TB_MEMAC SET MEMAC004=3000000000 WHERE MEMAC_ID=3", "收入等级代码 03（收入上限）",
               true},
          Case{"UPDATE TB_MEMAC SET MEMAC003='abc' WHERE MEMAC_ID=3", "收入等级代码 03（收入下限）", false},
          Case{"UPDATE TB_MEMAC SET CREATE_DATE='2024-13-45' WHERE MEMAC_ID=3",
               "收入等级代码 03（CREATE_DATE）", false}}) {
        SCOPED_TRACE(c.Sql);
        Exec("UPDATE TB_MEMAC SET MEMAC003=6000, MEMAC004=9999, CREATE_DATE='2008-06-02 00:00:00' WHERE "
             "MEMAC_ID=3");
        if (!Window->FormId())
            Open();
        else
            Key(Qt::Key_F3);
        ASSERT_EQ(Rows(), 6);
        Exec(c.Sql);
        Key(Qt::Key_F3);
        EXPECT_EQ(Rows(), 5);
        for (int row = 0; row < Rows(); ++row)
            EXPECT_NE(Cell(row, 1), "03");
        EXPECT_EQ(Window->ErrorShown(), c.ByForm);
        EXPECT_NE(Window->LastStatus().find(c.Named), std::string::npos) << Window->LastStatus();
    }
}

TEST_F(ClerkFeedback, ClosedFormOpensAgainFromTheModuleMenu) {
    Open();
    const HWND first = Window->FormId();
    EXPECT_EQ(Window->windowTitle(), QString::fromUtf8("收入级别维护 - 业务管理客户端"));
    auto* close = Window->findChild<QWidget*>("btnFormTitleColse");
    ASSERT_NE(close, nullptr);
    QTest::mouseClick(close, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Window->FormId(), 0u);
    EXPECT_EQ(Window->windowTitle(), QString::fromUtf8("业务管理客户端"));
    EXPECT_TRUE(Window->Commands().Actions().isEmpty());

    auto* reopen = Window->findChild<QAction*>("openModuleForm");
    ASSERT_NE(reopen, nullptr);
    EXPECT_EQ(reopen->text(), QString::fromUtf8("收入级别维护"));
    reopen->trigger();
    Settle();
    const HWND second = Window->FormId();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
    EXPECT_EQ(Rows(), 6);
    EXPECT_TRUE(FocusInGrid());
    EXPECT_EQ(Window->windowTitle(), QString::fromUtf8("收入级别维护 - 业务管理客户端"));
    reopen->trigger(); // one form at a time: the open one comes forward
    Settle();
    EXPECT_EQ(Window->FormId(), second);
}

TEST_F(ClerkFeedback, NoSearchOpensTheFormEmpty) {
    Open(false);
    EXPECT_EQ(Rows(), 0);
    Key(Qt::Key_F3);
    EXPECT_EQ(Rows(), 6);
}

// While a search runs the bar says so beside a moving indicator; keys pressed meanwhile are
// dropped, not applied all at once to the rows that arrive.
TEST_F(ClerkFeedback, ASearchShowsItselfAndDropsKeysPressedMeanwhile) {
    Open();
    const auto* busy = Window->findChild<QProgressBar*>("searchBusy");
    ASSERT_NE(busy, nullptr);
    std::vector<std::string> said;
    bool busyDuring = false;
    const auto watch =
        QObject::connect(Window->statusBar(), &QStatusBar::messageChanged, [&](const QString& text) {
            said.push_back(text.toStdString());
            if (text != QString::fromUtf8("正在查询…")) return;
            busyDuring = busy->isVisible();
            // The form's search is under way: these keys come in the middle of it.
            EXPECT_TRUE(OperationRunning());
            for (int i = 0; i < 3; ++i)
                QTest::keyClick(Focus(), Qt::Key_Down);
        });
    Key(Qt::Key_F3);
    QObject::disconnect(watch);
    EXPECT_EQ(said, (std::vector<std::string>{"正在查询…", "已查询 6 条"}));
    EXPECT_TRUE(busyDuring);
    EXPECT_FALSE(busy->isVisible());
    EXPECT_EQ(CurrentRow(), 0);
    EXPECT_TRUE(FocusInGrid());
}

} // namespace
} // namespace qm::host::testing
