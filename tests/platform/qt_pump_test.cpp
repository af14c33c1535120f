#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <thread>

#include "platform/qt/qt_pump.h"

namespace qm {
namespace {

struct Counter : MessageTarget {
    int n = 0;
    LRESULT handleMessage(unsigned, WPARAM, LPARAM) override { return ++n; }
};

class QtPumpTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_pump_test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

TEST_F(QtPumpTest, PostedMessagesArriveFromTheEventLoop) {
    Counter target;
    HWND h = AllocateHandle(&target);
    PostMessage(h, 1, 0, 0); // before the pump: delivered once it is installed
    InstallQtPump();
    PostMessage(h, 2, 0, 0);
    EXPECT_EQ(target.n, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(target.n, 2);
    ReleaseHandle(h);
}

TEST_F(QtPumpTest, InstallIsIdempotentAndKeepsAForeignPump) {
    InstallQtPump();
    const PumpFunction qt = CurrentPump();
    ASSERT_NE(qt, nullptr);
    InstallQtPump();
    EXPECT_EQ(CurrentPump(), qt);

    static bool foreignRan = false;
    SetPump(+[] { foreignRan = true; });
    InstallQtPump();
    ProcessMessagesNow();
    EXPECT_TRUE(foreignRan);
    SetPump(qt);
}

TEST_F(QtPumpTest, PostsFromAnotherThreadAreDeliveredOnTheGuiThread) {
    InstallQtPump();
    struct Where : MessageTarget {
        std::thread::id id;
        LRESULT handleMessage(unsigned, WPARAM, LPARAM) override {
            id = std::this_thread::get_id();
            return 0;
        }
    } target;
    HWND h = AllocateHandle(&target);
    std::thread([h] { PostMessage(h, 1, 0, 0); }).join();
    QCoreApplication::processEvents();
    EXPECT_EQ(target.id, std::this_thread::get_id());
    ReleaseHandle(h);
}

TEST_F(QtPumpTest, PumpRunsQueuedTimersAndMessages) {
    InstallQtPump();
    Counter target;
    HWND h = AllocateHandle(&target);
    bool timer = false;
    QTimer::singleShot(0, [&] { timer = true; });
    PostMessage(h, 1, 0, 0);
    {
        OperationScope running; // user input waits, timers and messages do not
        ProcessMessagesNow();
    }
    EXPECT_TRUE(timer);
    EXPECT_EQ(target.n, 1);
    ReleaseHandle(h);
}

TEST_F(QtPumpTest, HandlesNameWidgets) {
    Counter target;
    QWidget w;
    HWND h = AllocateHandle(&target);
    EXPECT_EQ(WidgetOfHandle(h), nullptr);
    SetNativeWindow(h, &w);
    EXPECT_EQ(WidgetOfHandle(h), &w);
    EXPECT_EQ(HandleOfWidget(&w), h);
    ReleaseHandle(h);
    EXPECT_EQ(HandleOfWidget(&w), 0u);
    EXPECT_EQ(WidgetOfHandle(0), nullptr);
}

} // namespace
} // namespace qm
