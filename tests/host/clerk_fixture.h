// The real host window with the real module and dialog.dll answering from its queue, driven by
// key events on whatever widget has the focus; the SQLite file is read afterwards.
#pragma once

#include "dialog/dialog_api.h"
#include "host/host_records.h"
#include "host/module_library.h"
#include "host/script/script.h"
#include "host/store/store.h"
#include "host/ui/main_window.h"
#include "qt_environment.h"
#include "store_fixture.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QMessageBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <sqlite3.h>

#include <string>
#include <vector>

namespace qm::host::testing {

// One application for the whole binary, whichever of its files come first.
inline const auto* const kClerkEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Boxes shown as real windows, each answered by a click on its first button whose text starts as
// the next of `Clicks`; the main window is made active again afterwards, as a window manager does
// once the box is gone. The focus so leaves the grid and comes back as it does on a desktop.
class BoxClicker {
public:
    explicit BoxClicker(QWidget& window) {
        QObject::connect(&FWatch, &QTimer::timeout, [this, &window] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || Clicks.empty()) return;
            for (QAbstractButton* button : box->buttons())
                if (button->text().startsWith(Clicks.front())) {
                    Clicks.erase(Clicks.begin());
                    QTest::mouseClick(button, Qt::LeftButton);
                    QTimer::singleShot(0, &window, [&window] { window.activateWindow(); });
                    return;
                }
        });
        FWatch.start(5);
    }
    std::vector<QString> Clicks;

private:
    QTimer FWatch;
};

class ClerkTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bin = std::getenv("QM_BIN_DIR");
        Bin = std::string(bin && *bin ? bin : QM_TEST_BIN_DIR) + "/";
        for (const char* file : {"libtarn204.so", "dialog.dll"})
            if (!std::filesystem::exists(Bin + file)) GTEST_SKIP() << file << " is not built";
        ASSERT_TRUE(Boxes.Load(Bin));
        Boxes.ClearQueue();
        Boxes.SetStrict(1);
        std::string error;
        ASSERT_TRUE(Module.Load(Bin + "libtarn204.so", error)) << error;
        Dir = FreshTempDir("clerk");
        DbPath = (Dir / "clerk.db").string();
        S = std::make_unique<Store>(DbPath);
        S->FillDemo();
        Context = std::make_unique<HostContextRecord>("clerk", "g01", Bin);
        Window = std::make_unique<MainWindow>(*S);
        Window->show();
        Window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }
    void TearDown() override {
        if (Window) {
            // Left-over answers or unanswered boxes mean the test did not see what it expected.
            EXPECT_EQ(Boxes.RunFailed(), 0) << BoxLog();
            EXPECT_EQ(Boxes.PendingAnswers(), 0) << BoxLog();
        }
        Window.reset();
        Context.reset();
        S.reset();
        if (!Dir.empty()) std::filesystem::remove_all(Dir);
        if (Boxes.ClearQueue) Boxes.ClearQueue();
    }

    // Opens the form as the menu does; searches unless told not to.
    void Open(bool search = true) {
        Window->SetModule({&Module, "收入级别维护", Context->Get(), "MEM:TB_MEMAC", &Colors, search});
        ASSERT_TRUE(Window->OpenForm());
        Settle();
    }
    static void Settle() { ScriptRunner::Settle(); }

    // The grid of the open form: a closed form stays hidden in the workspace.
    QTableView* Grid() const {
        for (QTableView* grid : Window->findChildren<QTableView*>("dbgrdMain"))
            if (grid->isVisibleTo(Window.get())) return grid;
        return nullptr;
    }
    static QWidget* Focus() { return QApplication::focusWidget(); }
    // A key as the window system delivers it: to the focus widget, shortcuts first.
    static void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = Focus();
        ASSERT_NE(target, nullptr) << "nothing has the focus";
        QTest::keyClick(target, static_cast<Qt::Key>(key), mods);
        Settle();
    }
    static void Type(const QString& text) {
        for (const QChar c : text) {
            QWidget* target = Focus();
            ASSERT_NE(target, nullptr) << "nothing has the focus";
            if (c.unicode() < 0x80) {
                QTest::keyClicks(target, QString(c));
            } else {
                // Text an input method would deliver: no key code, only the character.
                QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
            }
        }
        Settle();
    }
    // A click on the host's toolbar button labelled TEXT, as the clerk's mouse gives it.
    void ClickToolbar(const char* text) {
        for (QToolButton* button : Window->findChildren<QToolButton*>())
            if (button->isVisible() && button->text() == QString::fromUtf8(text)) {
                QTest::mouseClick(button, Qt::LeftButton);
                Settle();
                return;
            }
        ADD_FAILURE() << "no toolbar button " << text;
    }
    // Whether the focus is on the grid or inside one of its cell editors.
    bool FocusInGrid() const {
        QWidget* f = Focus();
        return f && (f == Grid() || Grid()->isAncestorOf(f));
    }
    // A visible cell editor of the grid, if one is open.
    QWidget* OpenEditor() const {
        QTableView* grid = Grid();
        const QModelIndex current = grid->currentIndex();
        QWidget* w = current.isValid() ? grid->indexWidget(current) : nullptr;
        if (w) return w;
        for (QWidget* child : grid->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isVisible()) return child;
        return nullptr;
    }
    int Rows() const { return Grid()->model()->rowCount(); }
    int CurrentRow() const { return Grid()->currentIndex().row(); }
    QString Cell(int row, int column) const {
        return Grid()->model()->index(row, column).data(Qt::DisplayRole).toString();
    }
    std::string StatusText() const { return Window->statusBar()->currentMessage().toStdString(); }

    void Answer(int answer) { Boxes.QueueAnswer(answer); }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> out;
        for (int i = 0; i < Boxes.CallCount(); ++i)
            out.push_back(Boxes.CallText(i));
        return out;
    }
    std::string LastBox() const {
        const int n = Boxes.CallCount();
        return n ? Boxes.CallText(n - 1) : std::string();
    }
    std::string BoxLog() const {
        std::string log;
        for (const std::string& t : BoxTexts())
            log += "[" + t + "] ";
        return log;
    }

    // One text per row of the query, fields joined by '|', read through a connection of its own.
    std::vector<std::string> Query(const std::string& sql) const {
        sqlite3* db = nullptr;
        std::vector<std::string> rows;
        if (sqlite3_open_v2(DbPath.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
            sqlite3_close(db);
            ADD_FAILURE() << "cannot open " << DbPath;
            return rows;
        }
        sqlite3_stmt* st = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                if (c) row += '|';
                const unsigned char* text = sqlite3_column_text(st, c);
                row += text ? reinterpret_cast<const char*>(text) : "NULL";
            }
            rows.push_back(row);
        }
        sqlite3_finalize(st);
        sqlite3_close(db);
        return rows;
    }
    // Code and name of every stored level, in code order.
    std::vector<std::string> Levels() const {
        return Query("SELECT MEMAC001, MEMAC002, MEMAC003, MEMAC004 FROM TB_MEMAC ORDER BY MEMAC001");
    }
    void Exec(const std::string& sql) const {
        try {
            S->Db().Run(sql, {});
        } catch (const std::exception& e) {
            FAIL() << sql << ": " << e.what();
        }
    }

    std::string Bin;
    std::filesystem::path Dir;
    std::string DbPath;
    dialog::DialogApi Boxes;
    ModuleLibrary Module;
    std::unique_ptr<Store> S;
    std::unique_ptr<HostContextRecord> Context;
    THostColors Colors = DefaultHostColors();
    std::unique_ptr<MainWindow> Window;
};

} // namespace qm::host::testing
