#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>

#include "dialog/dialog_api.h"
#include "platform/qt/qt_pump.h"

namespace qm {
namespace {

std::string BinDir() {
    const char* dir = std::getenv("QM_BIN_DIR");
    return std::string(dir ? dir : QM_TEST_BIN_DIR) + "/";
}

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "dialog_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
    void SetUp() override {
        ASSERT_TRUE(api.Load(BinDir())) << LastLibraryError();
        api.ClearQueue();
        api.SetStrict(0);
    }
    void TearDown() override {
        if (api.ClearQueue) api.ClearQueue();
    }
    dialog::DialogApi api;
};

TEST_F(DialogTest, QueuedAnswersAreReturnedInOrderAndCallsRecorded) {
    api.QueueAnswer(6);
    api.QueueAnswer(7);
    EXPECT_EQ(api.PendingAnswers(), 2);
    EXPECT_EQ(api.MessageBox(0, "提示：", "删除吗？", 4), 6);
    EXPECT_EQ(api.MessageBox(0, nullptr, nullptr, 1), 7);
    ASSERT_EQ(api.CallCount(), 2);
    EXPECT_STREQ(api.CallCaption(0), "提示：");
    EXPECT_STREQ(api.CallText(0), "删除吗？");
    EXPECT_EQ(api.CallFlags(0), 4);
    EXPECT_STREQ(api.CallCaption(1), "");
    EXPECT_EQ(api.CallFlags(1), 1);
    EXPECT_EQ(api.CallCaption(2), nullptr);
    EXPECT_EQ(api.CallFlags(-1), -1);
    EXPECT_EQ(api.RunFailed(), 0);
}

TEST_F(DialogTest, StrictModeFailsTheRunInsteadOfWaiting) {
    api.SetStrict(1);
    EXPECT_EQ(api.MessageBox(0, "提示：", "保存成功！", 1), 0);
    EXPECT_EQ(api.RunFailed(), 1);
    EXPECT_EQ(api.CallCount(), 1);
    api.ClearQueue();
    EXPECT_EQ(api.RunFailed(), 0);
    EXPECT_EQ(api.CallCount(), 0);
}

TEST_F(DialogTest, TheQueueSurvivesReloadingTheLibrary) {
    api.QueueAnswer(6);
    LibraryHandle again = LoadLibrary(BinDir() + "dialog.dll");
    ASSERT_NE(again, nullptr);
    auto box = reinterpret_cast<dialog::QmMessageBoxFunction>(GetProcAddress(again, "QmMessageBox"));
    FreeLibrary(again);
    EXPECT_EQ(box(0, "a", "b", 4), 6);
}

// Without a queue the real box appears, owned by the widget the handle names; a click answers it.
TEST_F(DialogTest, RealBoxAnswersWithTheButtonClicked) {
    struct Ignore : MessageTarget {
        LRESULT handleMessage(unsigned, WPARAM, LPARAM) override { return 0; }
    } target;
    QWidget owner;
    HWND h = AllocateHandle(&target);
    SetNativeWindow(h, &owner);
    struct Case {
        int flags;
        QMessageBox::StandardButton click;
        int answer;
    } cases[] = {
        {4, QMessageBox::Yes, 6}, {4, QMessageBox::No, 7}, {1, QMessageBox::Ok, 1}, {2, QMessageBox::Ok, 1}};
    for (const auto& c : cases) {
        QWidget* parentSeen = nullptr;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            parentSeen = box->parentWidget();
            box->button(c.click)->click();
        });
        EXPECT_EQ(api.MessageBox(h, "提示：", "x", c.flags), c.answer) << c.flags;
        EXPECT_EQ(parentSeen, &owner);
    }
    ReleaseHandle(h);
}

// A real box speaks the program's language, has the icon its flags ask for, offers nothing to
// minimise or maximise, and is wide enough for its whole title.
TEST_F(DialogTest, RealBoxSpeaksChineseWithTheIconItsFlagsAskFor) {
    struct Case {
        int flags;
        QMessageBox::Icon icon;
        QStringList buttons;
    } cases[] = {{4, QMessageBox::Question, {"是(&Y)", "否(&N)"}},
                 {1, QMessageBox::Information, {"确定"}},
                 {2, QMessageBox::Warning, {"确定"}}};
    const QString title = QString::fromUtf8("提示：这是一条很长很长的标题，用来确认标题不会被截断");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        Qt::WindowFlags flags;
        int width = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            flags = box->windowFlags();
            width = box->sizeHint().width();
            box->buttons().first()->click();
        });
        api.MessageBox(0, title.toUtf8().constData(), "x", c.flags);
        EXPECT_EQ(icon, c.icon);
        buttons.sort();
        QStringList expected = c.buttons;
        expected.sort();
        EXPECT_EQ(buttons, expected);
        EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
        EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
        EXPECT_GE(width, QFontMetrics(QApplication::font()).horizontalAdvance(title));
    }
}

} // namespace
} // namespace qm
