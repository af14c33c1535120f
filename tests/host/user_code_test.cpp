// The first start of a login too long for the store: the real host asks for a user code in a
// small window, driven here by keys on whatever has the focus, and keeps it in the settings file.
#include "host/host_app.h"
#include "host/settings.h"
#include "host/ui/main_window.h"
#include "store_fixture.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <iostream>

namespace qm::host::testing {
namespace {

// The binary's one QApplication is set up by startup_test.cpp.

QWidget* Visible(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible()) return w;
    return nullptr;
}

MainWindow* VisibleMainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* m = dynamic_cast<MainWindow*>(w); m && m->isVisible()) return m;
    return nullptr;
}

// Steps run in turn from the event loop, each until it says it is done.
void Steps(std::vector<std::function<bool()>> steps) {
    auto* timer = new QTimer;
    auto next = std::make_shared<std::size_t>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, next, steps = std::move(steps)] {
        if (*next < steps.size() && steps[*next]()) ++*next;
        if (*next == steps.size()) timer->deleteLater();
    });
    timer->start(20);
}

class UserCodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        Dir = FreshTempDir("usercode");
        O.DbPath = (Dir / "levels.db").string();
        O.User = "accountingclerk"; // the login, 15 characters
        O.Group = "accountingclerk";
        O.SettingsFile = (Dir / "conf" / "qmhost.conf").string();
    }
    void TearDown() override { std::filesystem::remove_all(Dir); }

    // The focused line edit of the window, once it has the focus.
    static QLineEdit* Focused(const char* name) {
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        return edit && edit->objectName() == name ? edit : nullptr;
    }
    // Select all, erase, type; characters beyond ASCII arrive as a key event's text, as from an
    // input method.
    static void Retype(QLineEdit* edit, const char* text) {
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (QChar c : QString::fromUtf8(text)) {
            if (c.unicode() < 128)
                QTest::keyClick(edit, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    std::filesystem::path Dir;
    Options O;
};

TEST_F(UserCodeTest, TheFirstStartAsksAndLaterStartsUseTheAnswer) {
    std::string prefilledUser, prefilledGroup, refused, reason;
    Steps({
        [&] {
            QLineEdit* edit = Focused("userCodeEdit");
            if (!edit) return false;
            prefilledUser = edit->text().toStdString();
            reason = Visible("userCode")->findChild<QLabel*>("userCodeReason")->text().toStdString();
            // Too long: refused in the window, which stays.
            Retype(edit, "accountingclerk");
            QTest::keyClick(edit, Qt::Key_Return);
            refused = Visible("userCode")->findChild<QLabel*>("userCodeError")->text().toStdString();
            Retype(edit, "会计员01");
            QTest::keyClick(edit, Qt::Key_Tab);
            return true;
        },
        [&] {
            QLineEdit* edit = Focused("groupCodeEdit");
            if (!edit) return false;
            prefilledGroup = edit->text().toStdString();
            Retype(edit, "finance");
            QTest::keyClick(edit, Qt::Key_Return);
            return true;
        },
        [&] {
            // Once the form's first search has answered, the clerk closes the window.
            MainWindow* window = VisibleMainWindow();
            if (!window || Visible("userCode") || window->LastStatus().empty()) return false;
            window->close();
            return !window->isVisible();
        },
    });
    EXPECT_EQ(RunHost(O), 0);
    EXPECT_EQ(prefilledUser, "accountingcl");
    EXPECT_EQ(prefilledGroup, "accountingcl");
    EXPECT_NE(refused.find("最多 12 个字符"), std::string::npos) << refused;
    for (const char* part : {"accountingclerk", "12", "审计", "qmhost.conf"})
        EXPECT_NE(reason.find(part), std::string::npos) << reason;
    EXPECT_EQ(ReadFileBytes(O.SettingsFile), "[General]\ngroup=finance\nuser=会计员01\n");

    // The next start reads them and asks nothing: a scripted run would fail on a window.
    Options next = ParseArguments({"--db", O.DbPath, "--screenshot", (Dir / "shot.png").string()});
    ApplySettings(next, O.SettingsFile);
    FillDefaults(next);
    EXPECT_EQ(next.User, "会计员01");
    EXPECT_EQ(next.Group, "finance");
    EXPECT_EQ(RunHost(next), 0);
}

TEST_F(UserCodeTest, ClosingTheWindowStartsNothingAndWritesNothing) {
    O.Group = "g01";
    bool groupAsked = true;
    Steps({[&] {
        QLineEdit* edit = Focused("userCodeEdit");
        if (!edit) return false;
        groupAsked = Visible("userCode")->findChild<QLineEdit*>("groupCodeEdit") != nullptr;
        QTest::keyClick(edit, Qt::Key_Escape);
        return true;
    }});
    EXPECT_EQ(RunHost(O), 2);
    EXPECT_FALSE(groupAsked);
    EXPECT_FALSE(std::filesystem::exists(O.SettingsFile));
}

// Named by --user, by the settings file, or a scripted run: no window, the reason as before.
TEST_F(UserCodeTest, ANamedUserOrAScriptedRunIsNotAsked) {
    struct Case {
        bool Named;
        bool Screenshot;
    } cases[] = {{true, false}, {false, true}};
    for (const Case& c : cases) {
        Options o = O;
        o.Group = "g01";
        o.UserNamed = c.Named;
        if (c.Screenshot) o.ScreenshotPath = (Dir / "shot.png").string();
        bool asked = false;
        // A window would be answered with Escape, and noted.
        QTimer::singleShot(200, [&] {
            if (QWidget* w = Visible("userCode")) {
                asked = true;
                w->close();
            }
            if (QWidget* w = Visible("startupFailure")) w->close();
        });
        std::ostringstream err;
        std::streambuf* old = std::cerr.rdbuf(err.rdbuf());
        EXPECT_EQ(RunHost(o), 2);
        std::cerr.rdbuf(old);
        EXPECT_FALSE(asked);
        EXPECT_NE(err.str().find("--user"), std::string::npos) << err.str();
        QTest::qWait(250);
    }
}

} // namespace
} // namespace qm::host::testing
