#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>

#include "tests/controls/tab_test_support.h"

namespace qm {
namespace {

using test::TabFixture;

void SendMouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), button,
                  type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : button,
                  Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

// The centre of the active page's close box hit rectangle.
QPoint CloseBoxCentre(TQmPageControl& pc) {
    const TRect r = pc.PageTabRect(pc.ActivePagePos());
    return QPoint(r.Left + 8, r.Top + 7);
}

TEST(CloseBox, ReleasingOverTheButtonClosesAndPicksTheNextPage) {
    struct Case {
        const char* name;
        int pages;
        int active;
        bool freeOnClose;
        bool refuse;
        int expectedActive; // original index, -1 none
        int remaining;
    } cases[] = {
        {"middle tab: the one after", 3, 1, false, false, 2, 2},
        {"last tab: the one before", 3, 2, false, false, 1, 2},
        {"only tab: none", 1, 0, false, false, -1, 0},
        {"OnCanClose refuses", 3, 1, false, true, 1, 3},
        {"free on close", 3, 0, true, false, 1, 2},
    };
    for (const auto& c : cases) {
        TabFixture f(c.pages);
        for (TQmTabSheet* p : f.pages)
            p->SetShowClose(true);
        f.pc().SetFreeOnClose(c.freeOnClose);
        TQmTabSheet* closing = f.pages[static_cast<std::size_t>(c.active)];
        f.pc().SetActivePage(closing);
        QPointer<TQmTabSheet> guard(closing);
        int closed = 0, changes = 0;
        closing->OnCanClose = [&](TObject*, bool& can) { can = !c.refuse; };
        closing->OnClose = [&](TObject*) { ++closed; };
        f.pc().OnChange = [&](TObject*) { ++changes; };
        const QPoint at = CloseBoxCentre(f.pc());
        SendMouse(f.pc(), QEvent::MouseButtonPress, at);
        SendMouse(f.pc(), QEvent::MouseButtonRelease, at);
        EXPECT_EQ(f.pc().PageCount(), c.remaining) << c.name;
        const TQmTabSheet* want =
            c.expectedActive < 0 ? nullptr : f.pages[static_cast<std::size_t>(c.expectedActive)];
        EXPECT_EQ(f.pc().ActivePage(), want) << c.name;
        EXPECT_EQ(closed, c.refuse ? 0 : 1) << c.name;
        EXPECT_EQ(changes, c.refuse ? 0 : 1) << c.name;
        if (c.freeOnClose) {
            EXPECT_TRUE(guard.isNull()) << c.name;
        } else {
            ASSERT_FALSE(guard.isNull()) << c.name;
            if (!c.refuse) {
                // Detached, alive, and can be attached again.
                EXPECT_EQ(closing->PageOwner(), nullptr) << c.name;
                closing->SetPageOwner(&f.pc());
                EXPECT_EQ(f.pc().PageCount(), c.remaining + 1) << c.name;
            }
        }
        if (!c.freeOnClose && closing->PageOwner() == nullptr) delete closing;
    }
}

TEST(CloseBox, InactiveButtonsRightButtonAndDockSite) {
    TabFixture f(3);
    for (TQmTabSheet* p : f.pages)
        p->SetShowClose(true);
    f.pc().SetActivePage(f.pages[0]);
    // The right button shows the pressed look but does not close.
    const QPoint at = CloseBoxCentre(f.pc());
    SendMouse(f.pc(), QEvent::MouseButtonPress, at, Qt::RightButton);
    SendMouse(f.pc(), QEvent::MouseButtonRelease, at, Qt::RightButton);
    EXPECT_EQ(f.pc().PageCount(), 3);
    EXPECT_EQ(f.pc().Render().pixel(at.x() - 3, at.y() - 3 + f.pc().LowerActive() - 1) & 0xFFFFFF, 0xC0C0C0u);
    // With DockSite a press closes at once.
    f.pc().SetDockSite(true);
    SendMouse(f.pc(), QEvent::MouseButtonPress, at, Qt::RightButton);
    EXPECT_EQ(f.pc().PageCount(), 2);
    EXPECT_EQ(f.pc().ActivePage(), f.pages[1]);
}

TEST(CloseBox, APressOnAnInactiveTabsBoxOnlySelectsIt) {
    struct Case {
        const char* name;
        bool dockSite;
        Qt::MouseButton button;
    } cases[] = {
        {"left button", false, Qt::LeftButton},
        {"right button", false, Qt::RightButton},
        {"dock site", true, Qt::LeftButton},
    };
    for (const auto& c : cases) {
        TabFixture f(3);
        for (TQmTabSheet* p : f.pages)
            p->SetShowClose(true);
        f.pc().SetDockSite(c.dockSite);
        f.pc().SetActivePage(f.pages[0]);
        int closed = 0;
        for (TQmTabSheet* p : f.pages)
            p->OnClose = [&](TObject*) { ++closed; };
        const TRect r = f.pc().PageTabRect(1);
        const QPoint at(r.Left + 8, r.Top + 7);
        ASSERT_TRUE(f.pc().CloseBoxHit(1, at.x(), at.y())) << c.name;
        SendMouse(f.pc(), QEvent::MouseButtonPress, at, c.button);
        SendMouse(f.pc(), QEvent::MouseButtonRelease, at, c.button);
        EXPECT_EQ(f.pc().PageCount(), 3) << c.name;
        EXPECT_EQ(closed, 0) << c.name;
        if (c.button == Qt::LeftButton) {
            EXPECT_EQ(f.pc().ActivePage(), f.pages[1]) << c.name;
        }
        // Now active, the same box closes its page.
        if (c.button == Qt::LeftButton && !c.dockSite) {
            SendMouse(f.pc(), QEvent::MouseButtonPress, at);
            SendMouse(f.pc(), QEvent::MouseButtonRelease, at);
            EXPECT_EQ(closed, 1) << c.name;
            EXPECT_EQ(f.pc().PageCount(), 2) << c.name;
        }
    }
}

TEST(Hover, TrackedOnlyWithAHoverColourAndWithoutPictures) {
    struct Case {
        TColor hover;
        bool picture;
        int expected;
    } cases[] = {{clNone, false, -1}, {clRed, false, 1}, {clRed, true, -1}};
    for (const auto& c : cases) {
        TabFixture f(3);
        f.pc().SetActivePage(f.pages[0]);
        f.pages[0]->SetShowClose(true);
        f.pc().SetTabHoverColor(c.hover);
        if (c.picture) f.pc().SetTabBackGround(TBitmap(8, 8));
        const TRect r = f.pc().PageTabRect(1);
        SendMouse(f.pc(), QEvent::MouseMove, QPoint(r.Left + 10, r.Top + 5), Qt::NoButton);
        EXPECT_EQ(f.pc().HoverPage(), c.expected);
        SendMouse(f.pc(), QEvent::MouseMove, CloseBoxCentre(f.pc()), Qt::NoButton);
        EXPECT_EQ(f.pc().CloseHot(), c.hover != clNone);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&f.pc(), &leave);
        EXPECT_EQ(f.pc().HoverPage(), -1);
        EXPECT_EQ(f.pc().CloseHot(), c.hover != clNone); // the hot flag keeps its value
    }
}

} // namespace
} // namespace qm
