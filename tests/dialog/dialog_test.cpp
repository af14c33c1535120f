#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "dialog/dialog_api.h"
#include "platform/qt/qt_pump.h"

namespace qm {
namespace {

std::string BinDir() {
    const char* dir = std::getenv("QM_BIN_DIR");
    return std::string(dir ? dir : QM_TEST_BIN_DIR) + "/";
}

// Runs `act` on the box once it is up: the box first takes in what was queued before it, so a
// callback queued beforehand would find no box yet.
class WhenBoxShows {
public:
    explicit WhenBoxShows(std::function<void(QMessageBox*)> act) : FAct(std::move(act)) {
        QObject::connect(&FTimer, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) return;
            FTimer.stop();
            FAct(box);
        });
        FTimer.start(5);
    }

private:
    std::function<void(QMessageBox*)> FAct;
    QTimer FTimer;
};

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

// A queued "default" answers as Enter on the real box would.
TEST_F(DialogTest, AQueuedDefaultTakesTheDefaultButtonOfTheFlags) {
    const struct {
        int flags;
        int answer;
    } cases[] = {{4, 6}, {0x104, 7}, {1, 1}, {2, 1}};
    for (std::size_t i = 0; i < std::size(cases); ++i)
        api.QueueAnswer(dialog::kQueuedDefault);
    for (const auto& c : cases)
        EXPECT_EQ(api.MessageBox(0, "提示：", "x", c.flags), c.answer) << c.flags;
    EXPECT_EQ(api.PendingAnswers(), 0);
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
    } cases[] = {{4, QMessageBox::Yes, 6}, {4, QMessageBox::No, 7},      {1, QMessageBox::Ok, 1},
                 {2, QMessageBox::Ok, 1},  {0x104, QMessageBox::Yes, 6}, {0x104, QMessageBox::No, 7}};
    for (const auto& c : cases) {
        QWidget* parentSeen = nullptr;
        WhenBoxShows click([&](QMessageBox* box) {
            parentSeen = box->parentWidget();
            box->button(c.click)->click();
        });
        EXPECT_EQ(api.MessageBox(h, "提示：", "x", c.flags), c.answer) << c.flags;
        EXPECT_EQ(parentSeen, &owner);
    }
    ReleaseHandle(h);
}

constexpr int kYesNo = 4;
constexpr int kDefaultNo = 0x100;

// Keys sent to the open box through its focus widget, shortcuts first, as the keyboard's are.
// Returns what the box answered and whether it was still open before the last key.
struct KeyRun {
    int Answer = 0;
    bool OpenBeforeLastKey = false;
    std::string DefaultButton;
};

KeyRun AnswerWithKeys(dialog::DialogApi& api, int flags, const std::vector<QKeyCombination>& keys) {
    KeyRun run;
    WhenBoxShows press([&](QMessageBox* shown) {
        const QPointer<QMessageBox> box(shown);
        if (QPushButton* d = box->defaultButton()) run.DefaultButton = d->text().toStdString();
        for (const QKeyCombination& key : keys) {
            run.OpenBeforeLastKey = box && box->isVisible();
            if (!run.OpenBeforeLastKey) return;
            QWidget* target = box->focusWidget() ? box->focusWidget() : box.data();
            QTest::keyClick(target, key.key(), key.keyboardModifiers());
            // A button's key clicks it after a short animation: give it the time.
            QTest::qWait(150);
        }
    });
    run.Answer = api.MessageBox(0, "提示：", "确定吗？", flags);
    return run;
}

// The default answers Enter; Esc is always 否; a question that discards work names 否 its default.
TEST_F(DialogTest, TheFlagsChooseTheDefaultButtonAndEscIsNo) {
    struct Case {
        int flags;
        Qt::Key key;
        int answer;
        const char* defaultButton;
    } cases[] = {
        {kYesNo, Qt::Key_Return, 6, "是(&Y)"},
        {kYesNo | kDefaultNo, Qt::Key_Return, 7, "否(&N)"},
        {kYesNo | kDefaultNo, Qt::Key_Enter, 7, "否(&N)"},
        {kYesNo, Qt::Key_Escape, 7, "是(&Y)"},
        {kYesNo | kDefaultNo, Qt::Key_Escape, 7, "否(&N)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.flags) + " " + std::to_string(c.key));
        const KeyRun run = AnswerWithKeys(api, c.flags, {QKeyCombination(c.key)});
        EXPECT_EQ(run.Answer, c.answer);
        EXPECT_EQ(run.DefaultButton, c.defaultButton);
    }
}

// A letter typed on from the form answers nothing; the buttons' Alt chords do.
TEST_F(DialogTest, PlainLettersNeverAnswerAQuestionButAltChordsDo) {
    struct Case {
        int flags;
        std::vector<QKeyCombination> keys;
        int answer;
    } cases[] = {
        {kYesNo | kDefaultNo, {Qt::Key_Y, Qt::Key_N, Qt::Key_Y, Qt::ALT | Qt::Key_Y}, 6},
        {kYesNo, {Qt::Key_N, Qt::Key_Y, Qt::ALT | Qt::Key_N}, 7},
        {kYesNo | kDefaultNo, {Qt::Key_Y, Qt::Key_Return}, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const KeyRun run = AnswerWithKeys(api, c.flags, c.keys);
        EXPECT_TRUE(run.OpenBeforeLastKey) << "an earlier key answered the box";
        EXPECT_EQ(run.Answer, c.answer);
    }
}

// Keys already queued when the box opens were meant for the form: they neither answer the box nor
// land in the form once it is answered.
TEST_F(DialogTest, InputQueuedBeforeTheBoxOpensIsDropped) {
    QLineEdit field;
    field.show();
    field.activateWindow();
    field.setFocus();
    for (const char c : std::string("yes")) {
        const QString text(QChar::fromLatin1(c));
        const int key = QChar::toUpper(char16_t(c));
        QCoreApplication::postEvent(&field, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
        QCoreApplication::postEvent(&field, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    }
    const KeyRun run = AnswerWithKeys(api, kYesNo | kDefaultNo, {QKeyCombination(Qt::Key_Escape)});
    EXPECT_EQ(run.Answer, 7);
    QCoreApplication::processEvents();
    EXPECT_EQ(field.text().toStdString(), "");
    // Typing after the box is gone reaches the form again.
    QTest::keyClicks(&field, "ok");
    EXPECT_EQ(field.text().toStdString(), "ok");
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
        WhenBoxShows look([&](QMessageBox* box) {
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
