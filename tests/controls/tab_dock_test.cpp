#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QPointer>

#include "tests/controls/tab_test_support.h"

namespace qm {
namespace {

using test::TabFixture;

QWidget* MakeForm(const QString& title) {
    auto* form = new QWidget;
    form->setWindowTitle(title);
    form->resize(120, 80);
    return form;
}

void Mouse(QWidget& w, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), w.mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

void SavePicture(TQmPageControl& pc, const char* name) {
    const QString dir = QString::fromLocal8Bit(qgetenv("QM_BIN_DIR")) + "/../test-pictures";
    QDir().mkpath(dir);
    pc.Render().save(dir + "/" + name);
}

TEST(Docking, PageFollowsTheClientsTitleAndVisibility) {
    TabFixture f(1);
    f.pc().SetDockSite(true);
    QWidget* form = MakeForm("Orders\nsecond line");
    form->show();
    TQmTabSheet* page = f.pc().DockClient(form);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->Caption(), "Orders");
    EXPECT_EQ(f.pc().ActivePage(), page);
    EXPECT_EQ(f.pc().DockClient(form), nullptr); // already docked
    form->setWindowTitle("Invoices");
    EXPECT_EQ(page->Caption(), "Invoices");
    form->hide();
    EXPECT_FALSE(page->TabVisible());
    EXPECT_EQ(f.pc().ActivePage(), f.pages[0]);
    form->show();
    EXPECT_TRUE(page->TabVisible());
    QPointer<TQmTabSheet> guard(page);
    f.pc().UndockClient(form, false);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(f.pc().PageCount(), 1);
    EXPECT_EQ(form->parentWidget(), nullptr);
    delete form;
}

TEST(Docking, HiddenClientDocksWithoutATab) {
    TabFixture f(1);
    f.pc().SetActivePage(f.pages[0]);
    QWidget* form = MakeForm("Hidden");
    TQmTabSheet* page = f.pc().DockClient(form);
    EXPECT_FALSE(page->TabVisible());
    EXPECT_EQ(f.pc().ActivePage(), f.pages[0]);
}

TEST(Docking, DraggingATabOutFloatsTheClient) {
    TabFixture f(1, 300, 160);
    f.pc().SetDockSite(true);
    QWidget* form = MakeForm("Customers");
    form->show();
    f.pc().DockClient(form);
    SavePicture(f.pc(), "tabs-drag-before.png");
    const TRect r = f.pc().PageTabRect(1);
    const QPoint start((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    Mouse(f.pc(), QEvent::MouseButtonPress, start, Qt::LeftButton);
    Mouse(f.pc(), QEvent::MouseMove, start + QPoint(40, 0), Qt::LeftButton);
    Mouse(f.pc(), QEvent::MouseButtonRelease, start + QPoint(40, 0), Qt::NoButton);
    EXPECT_EQ(f.pc().DockPageOf(form), f.pc().Pages(1)) << "released inside: stays docked";
    Mouse(f.pc(), QEvent::MouseButtonPress, start, Qt::LeftButton);
    Mouse(f.pc(), QEvent::MouseMove, QPoint(400, 300), Qt::LeftButton);
    Mouse(f.pc(), QEvent::MouseButtonRelease, QPoint(400, 300), Qt::NoButton);
    SavePicture(f.pc(), "tabs-drag-after.png");
    EXPECT_EQ(f.pc().PageCount(), 1);
    EXPECT_TRUE(form->isWindow());
    EXPECT_TRUE(form->isVisible());
    delete form;
}

TEST(Docking, DoubleClickOnTheTabFloatsTheClient) {
    TabFixture f(2, 300, 160);
    f.pc().SetDockSite(true);
    f.pages[1]->SetTabVisible(false); // the page is found by counting shown tabs
    QWidget* form = MakeForm("Stock");
    form->show();
    f.pc().DockClient(form);
    const TRect r = f.pc().PageTabRect(2);
    const QPoint at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    Mouse(f.pc(), QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    EXPECT_EQ(f.pc().PageCount(), 2);
    EXPECT_TRUE(form->isWindow());
    delete form;
}

} // namespace
} // namespace qm
