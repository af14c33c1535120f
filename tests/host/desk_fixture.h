// The clerk's window with the desk begun for the clerk, its settings file in a folder of its own,
// and help for the dialogs the desk opens: a test answers them from inside their own event loop.
#pragma once

#include "clerk_fixture.h"
#include "host/desk/desk.h"
#include "host/script/grid_access.h"

#include <gmock/gmock.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <functional>

namespace qm::host::testing {

class DeskTest : public ClerkTest {
protected:
    void SetUp() override {
        ConfigDir = FreshTempDir("desk-config");
        setenv("XDG_CONFIG_HOME", ConfigDir.c_str(), 1);
        ClerkTest::SetUp();
        if (!Window) return;
        Window->Desk().Begin("clerk", DbPath);
    }
    void TearDown() override {
        ClerkTest::TearDown();
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(ConfigDir);
    }

    // Runs `act` on the first modal dialog of type T that opens within a few seconds, inside its
    // event loop; `open` is what opens it (a key, a menu entry).
    template <class T> bool OnModal(const std::function<void()>& open, const std::function<void(T*)>& act) {
        bool seen = false;
        auto timer = std::make_unique<QTimer>();
        QElapsedTimer clock;
        clock.start();
        timer->setInterval(20);
        QObject::connect(timer.get(), &QTimer::timeout, [&] {
            if (clock.elapsed() > 10000) timer->stop();
            auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || seen) return;
            seen = true;
            timer->stop();
            act(dialog);
            // A dialog the act left open fails the test instead of hanging it.
            QTimer::singleShot(10000, dialog, [dialog] {
                if (dialog->isVisible()) {
                    ADD_FAILURE() << "the dialog stayed open";
                    dialog->reject();
                }
            });
        });
        timer->start();
        open();
        Settle();
        return seen;
    }

    // Types the path into a save dialog and clicks 保存. The dialog reads its folder in the
    // background and may still change the name while it does: typed again until it is taken.
    static void SaveAs(QDialog* dialog, const std::string& path) {
        auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(name, nullptr);
        ASSERT_NE(buttons, nullptr);
        for (int attempt = 0; attempt < 5 && dialog->isVisible(); ++attempt) {
            if (attempt > 0) QTest::qWait(200);
            dialog->activateWindow();
            name->setFocus();
            name->selectAll();
            QTest::keyClicks(name, QString::fromStdString(path));
            // The name's completion list may have opened on what was typed: Esc closes it, as a
            // clerk would.
            if (QCompleter* completer = name->completer(); completer && completer->popup()->isVisible())
                QTest::keyClick(completer->popup(), Qt::Key_Escape);
            QPushButton* save = buttons->button(QDialogButtonBox::Save);
            if (!save) save = buttons->button(QDialogButtonBox::Open);
            if (name->text() == QString::fromStdString(path) && save && save->isEnabled())
                QTest::mouseClick(save, Qt::LeftButton);
        }
    }

    // A menu entry of the window by its object name, triggered as a click on it would.
    QAction* MenuAction(const char* name) const { return Window->menuBar()->findChild<QAction*>(name); }

    // Puts `count` more levels into the store, codes L001.. (base 36, as the code holds four
    // characters), names 等级N, bounds N*10..N*10+9.
    void AddLevels(int count) {
        Exec("BEGIN");
        for (int i = Added + 1; i <= Added + count; ++i) {
            static const char digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
            const char code[] = {'L', digits[i / 1296 % 36], digits[i / 36 % 36], digits[i % 36], '\0'};
            Exec(std::string(
                     "INSERT INTO TB_MEMAC (MEMAC001, MEMAC002, MEMAC003, MEMAC004, CREATE_USER, USER_GROUP, "
                     "CREATE_DATE, FLAG) VALUES ('") +
                 code + "', '等级" + std::to_string(i) + "', " + std::to_string(i * 10) + ", " +
                 std::to_string(i * 10 + 9) + ", 'demo', 'demo', '2024-01-02 00:00:00', 0)");
        }
        Exec("COMMIT");
        Added += count;
    }
    int Added = 0;

    // The files in the test's folder besides the store and its journal.
    std::vector<std::string> OtherFiles() const {
        std::vector<std::string> names;
        const std::string store = std::filesystem::path(DbPath).filename().string();
        for (const auto& entry : std::filesystem::directory_iterator(Dir))
            if (entry.path().filename().string().rfind(store, 0) != 0)
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::filesystem::path ConfigDir;
};

} // namespace qm::host::testing
