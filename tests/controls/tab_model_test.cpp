#include <gtest/gtest.h>

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>

#include <functional>

#include "controls/tab_errors.h"
#include "tests/controls/tab_test_support.h"

namespace qm {
namespace {

using test::TabFixture;

TEST(TabLayoutText, DropsTwoBytesOrAddsASpaceForTheCloseBox) {
    struct Case {
        std::string caption;
        bool showClose;
        std::string expected;
    } cases[] = {
        {"Hello", false, "Hel"},       {"Hello", true, "Hello "}, {"ab", false, ""}, {"a", false, ""},
        {"收入等级", false, "收入等"}, // one double-width character is two bytes
        {"ab收", false, "ab"},         {"收a", false, ""},        {"", true, " "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TabLayoutText(c.caption, c.showClose), c.expected) << c.caption;
}

TEST(TabSheet, DefaultsAndNegativeImageIndexes) {
    TabFixture f(0);
    TQmTabSheet page;
    EXPECT_EQ(page.ImageIndex(), 0);
    EXPECT_EQ(page.ActiveImageIndex(), 0);
    EXPECT_TRUE(page.TabVisible());
    EXPECT_TRUE(page.TabEnable());
    EXPECT_EQ(page.TabColor(), clNone);
    page.SetImageIndex(-7);
    page.SetActiveImageIndex(-3);
    EXPECT_EQ(page.ImageIndex(), -1);
    EXPECT_EQ(page.ActiveImageIndex(), -1);
    EXPECT_EQ(f.pc().Version(), "1.5.0.4");
    f.pc().SetVersion("9.9");
    EXPECT_EQ(f.pc().Version(), "1.5.0.4");
}

TEST(PageControl, AttachedPagesTakeDefaultColoursAndFollowLaterDefaults) {
    TabFixture f(0);
    f.pc().SetDefaultTabColor(clRed);
    auto* plain = new TQmTabSheet(&f.pc());
    auto* own = new TQmTabSheet(static_cast<QWidget*>(nullptr));
    own->SetTabColor(clNavy);
    own->SetPageOwner(&f.pc());
    EXPECT_EQ(plain->TabColor(), clRed);
    EXPECT_EQ(plain->TextColor(), clBlack);
    f.pc().SetDefaultTabColor(clSilver);
    EXPECT_EQ(plain->TabColor(), clSilver);
    EXPECT_EQ(own->TabColor(), clNavy);
}

TEST(PageControl, PageIndexMovesPagesAndStripItems) {
    TabFixture f(3);
    f.pages[0]->SetPageIndex(2);
    EXPECT_EQ(f.pc().Pages(2), f.pages[0]);
    EXPECT_EQ(f.pc().Strip().Item(2).Page, f.pages[0]);
    for (int bad : {3, -1}) {
        try {
            f.pages[1]->SetPageIndex(bad);
            FAIL() << bad;
        } catch (const EListError& e) {
            EXPECT_EQ(std::string(e.what()),
                      std::to_string(bad) +
                          " is an invalid PageIndex value.  PageIndex must be between 0 and 2");
        }
    }
    EXPECT_EQ(f.pc().Pages(0), f.pages[1]);
}

TEST(PageControl, RefusalsKeepTheState) {
    TabFixture f(2);
    f.pc().SetActivePage(f.pages[0]);
    EXPECT_THROW(f.pages[0]->SetTabEnable(false), ETabControlError);
    EXPECT_TRUE(f.pages[0]->TabEnable());
    f.pages[1]->SetTabEnable(false); // an inactive page may be disabled
    for (TTabStyle style : {TTabStyle::tsDotNet, TTabStyle::tsDelphi}) {
        f.pc().SetTabStyle(style);
        EXPECT_THROW(f.pc().SetTabSplitLine(true), ETabControlError);
        EXPECT_FALSE(f.pc().TabSplitLine());
    }
    f.pc().SetTabStyle(TTabStyle::tsClassic);
    f.pc().SetTabSplitLine(true);
    f.pc().SetTabStyle(TTabStyle::tsDelphi); // accepted in this order
    EXPECT_TRUE(f.pc().TabSplitLine());
    TObject other;
    try {
        f.pc().SetTabMargin(other);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot assign a TObject to a TTabMargin");
    }
}

TEST(PageControl, MarginChangesNotifyBeforeStoringAndAssignDoesNot) {
    TTabMargin margin;
    std::vector<std::array<int, 4>> seen;
    margin.OnChange = [&](int n, int o, int i) { seen.push_back({n, o, i, margin.LeftMargin()}); };
    margin.SetLeftMargin(5);
    margin.SetLeftMargin(5);
    margin.SetRightMargin(3);
    TTabMargin copy;
    copy.OnChange = [&](int, int, int) { FAIL(); };
    copy.Assign(margin);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], (std::array<int, 4>{5, 0, 0, 0}));
    EXPECT_EQ(seen[1], (std::array<int, 4>{3, 0, 2, 5}));
    EXPECT_EQ(copy.LeftMargin(), 5);
    EXPECT_EQ(copy.RightMargin(), 3);
}

TEST(PageControl, ImageRoomFollowsImagesAndMargins) {
    TabFixture f(1);
    TImageList images(16, 14);
    EXPECT_EQ(f.pc().ImageRoom(), (TSize{1, 1}));
    f.pc().SetImages(&images);
    EXPECT_EQ(f.pc().ImageRoom().cx, 17);
    f.pc().TabMargin().SetLeftMargin(4); // the room's width becomes the new left margin
    EXPECT_EQ(f.pc().ImageRoom().cx, 4);
    f.pc().TabMargin().SetRightMargin(3);
    EXPECT_EQ(f.pc().ImageRoom().cx, 7);
    f.pc().SetTabPosition(TTabPosition::tpLeft);
    EXPECT_EQ(f.pc().ImageRoom().cy, 14 + 0 + 3);
}

// Text widths as the control's canvas measures them.
int TextWidth(const TFont& font, const std::string& text) {
    QImage img(1, 1, QImage::Format_RGB32);
    Canvas c(&img);
    c.Font.Assign(font);
    return c.TextWidth(text);
}

// The length of a tab along its strip.
int TabLength(TQmPageControl& pc, int pos) {
    const TRect r = pc.PageTabRect(pos);
    const bool vertical =
        pc.TabPosition() == TTabPosition::tpLeft || pc.TabPosition() == TTabPosition::tpRight;
    return vertical ? r.Bottom - r.Top : r.Right - r.Left;
}

TEST(PageControl, TabsAreAsLongAsTheirRoomSays) {
    TabFixture f(2);
    TImageList images(16, 14);
    const int plain = TabLength(f.pc(), 0);
    struct Step {
        const char* name;
        std::function<void()> apply;
        int change; // of every tab's length, as the room changes
    } steps[] = {
        {"images add their width", [&] { f.pc().SetImages(&images); }, 16},
        {"a left margin replaces the room's width", [&] { f.pc().TabMargin().SetLeftMargin(4); }, 4 - 17},
        {"a right margin adds to it", [&] { f.pc().TabMargin().SetRightMargin(3); }, 3},
        {"taking the images away removes theirs", [&] { f.pc().SetImages(nullptr); }, -16},
    };
    int before = plain;
    for (const Step& s : steps) {
        s.apply();
        EXPECT_EQ(TabLength(f.pc(), 0) - before, s.change) << s.name;
        EXPECT_EQ(TabLength(f.pc(), 1), TabLength(f.pc(), 0)) << s.name;
        before = TabLength(f.pc(), 0);
    }
}

TEST(PageControl, TabsAreMeasuredFromTheirLayoutTexts) {
    TabFixture f(3);
    // Without a close box the last two characters are not measured; with one, a space is added.
    f.pages[0]->SetCaption("ABCii");
    f.pages[1]->SetCaption("ABCWW");
    f.pages[2]->SetCaption("ABC");
    EXPECT_EQ(TabLength(f.pc(), 0), TabLength(f.pc(), 1));
    EXPECT_GT(TabLength(f.pc(), 0), TabLength(f.pc(), 2));
    f.pages[2]->SetCaption("ABCii");
    f.pages[2]->SetShowClose(true);
    const TFont& font = f.pc().Font();
    EXPECT_EQ(TabLength(f.pc(), 2) - TabLength(f.pc(), 0),
              TextWidth(font, "ABCii ") - TextWidth(font, "ABC"));
}

// Which page ends up active after an operation, by PageList position (-1: none).
TEST(PageControl, ActivePageAfterDetachingAndHidingTabs) {
    struct Case {
        const char* name;
        int pages;
        int active;
        std::function<void(TabFixture&)> act;
        int expected; // index into the original pages
        int stripItems;
    } cases[] = {
        {"detach inactive: next after it", 4, 0, [](TabFixture& f) { f.pages[2]->SetPageOwner(nullptr); }, 3,
         3},
        {"detach last inactive wraps", 3, 1, [](TabFixture& f) { f.pages[2]->SetPageOwner(nullptr); }, 0, 2},
        {"detach active", 3, 1, [](TabFixture& f) { f.pages[1]->SetPageOwner(nullptr); }, 2, 2},
        {"detach only page", 1, 0, [](TabFixture& f) { f.pages[0]->SetPageOwner(nullptr); }, -1, 0},
        {"hide only tab", 1, 0, [](TabFixture& f) { f.pages[0]->SetTabVisible(false); }, -1, 0},
        {"hide active tab: same position", 3, 1, [](TabFixture& f) { f.pages[1]->SetTabVisible(false); }, 2,
         2},
        {"hide last active tab: new last", 3, 2, [](TabFixture& f) { f.pages[2]->SetTabVisible(false); }, 1,
         2},
        {"destroy active page", 3, 0, [](TabFixture& f) { delete f.pages[0]; }, 1, 2},
        {"active none", 2, 0, [](TabFixture& f) { f.pc().SetActivePage(nullptr); }, -1, 2},
    };
    for (auto& c : cases) {
        TabFixture f(c.pages);
        f.pc().SetActivePage(f.pages[static_cast<std::size_t>(c.active)]);
        TQmTabSheet* before = f.pc().ActivePage();
        c.act(f);
        TQmTabSheet* want = c.expected < 0 ? nullptr : f.pages[static_cast<std::size_t>(c.expected)];
        EXPECT_EQ(f.pc().ActivePage(), want) << c.name;
        EXPECT_EQ(f.pc().Strip().Count(), c.stripItems) << c.name;
        for (TQmTabSheet* page : f.pc().PageList())
            EXPECT_EQ(page->isVisibleTo(&f.pc()), page == want) << c.name;
        // The page that lost the control is off screen (decided: none also hides it).
        if (before && before != want && c.name != std::string("destroy active page")) {
            EXPECT_TRUE(before->isHidden()) << c.name;
        }
    }
}

TEST(PageControl, FindNeighbourWrapsAndSkipsHiddenTabs) {
    TabFixture f(4);
    f.pages[1]->SetTabVisible(false);
    EXPECT_EQ(f.pc().FindNeighbourPage(f.pages[0], true, true), f.pages[2]);
    EXPECT_EQ(f.pc().FindNeighbourPage(f.pages[0], true, false), f.pages[1]);
    EXPECT_EQ(f.pc().FindNeighbourPage(f.pages[3], true, true), f.pages[0]);
    EXPECT_EQ(f.pc().FindNeighbourPage(f.pages[0], false, true), f.pages[3]);
    EXPECT_EQ(f.pc().FindNeighbourPage(nullptr, true, true), f.pages[0]);
    EXPECT_EQ(f.pc().FindNeighbourPage(nullptr, false, true), f.pages[3]);
    TabFixture one(1);
    EXPECT_EQ(one.pc().FindNeighbourPage(one.pages[0], true, true), one.pages[0]);
    TabFixture none(0);
    EXPECT_EQ(none.pc().FindNeighbourPage(nullptr, true, true), nullptr);
}

TEST(PageControl, CtrlTabOffersWrappedTargetsAndSteps) {
    struct Case {
        int active;
        bool shift;
        int offered;
        int after;
    } cases[] = {{2, false, 0, 0}, {0, true, 2, 2}, {1, false, 2, 2}, {1, true, 0, 0}};
    for (const auto& c : cases) {
        TabFixture f(3);
        f.pc().SetActivePage(f.pages[static_cast<std::size_t>(c.active)]);
        int from = -9, to = -9, changes = 0;
        f.pc().OnCanChange = [&](TObject*, int a, int b, bool&) { from = a, to = b; };
        f.pc().OnChange = [&](TObject*) { ++changes; };
        QKeyEvent key(QEvent::KeyPress, c.shift ? Qt::Key_Backtab : Qt::Key_Tab,
                      Qt::ControlModifier | (c.shift ? Qt::ShiftModifier : Qt::NoModifier));
        QApplication::sendEvent(&f.pc(), &key);
        EXPECT_TRUE(key.isAccepted());
        EXPECT_EQ(from, c.active);
        EXPECT_EQ(to, c.offered);
        EXPECT_EQ(f.pc().ActivePagePos(), c.after);
        EXPECT_EQ(changes, 1);
    }
}

TEST(PageControl, ChangeHooksVetoAndRefusedPages) {
    struct Case {
        const char* name;
        bool canChange;
        bool changing;
        bool targetEnabled;
        int active;
        int changes;
    } cases[] = {
        {"allowed", true, true, true, 1, 1},
        {"OnCanChange refuses", false, true, true, 0, 0},
        {"OnChanging refuses", true, false, true, 0, 0},
        {"disabled tab: OnChange, page stays", true, true, false, 0, 1},
    };
    for (const auto& c : cases) {
        TabFixture f(2);
        f.pc().SetActivePage(f.pages[0]);
        f.pages[1]->SetTabEnable(c.targetEnabled);
        int changes = 0, offered = -1;
        f.pc().OnCanChange = [&](TObject*, int, int to, bool& allow) {
            offered = to;
            allow = c.canChange;
        };
        f.pc().OnChanging = [&](TObject*, bool& allow) { allow = c.changing; };
        f.pc().OnChange = [&](TObject*) { ++changes; };
        const TRect r = f.pc().PageTabRect(1);
        const QPointF at((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, f.pc().mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.pc(), &press);
        EXPECT_EQ(offered, 1) << c.name; // a click offers the page under the pointer
        EXPECT_EQ(f.pc().ActivePagePos(), c.active) << c.name;
        EXPECT_EQ(changes, c.changes) << c.name;
        EXPECT_EQ(f.pc().Strip().Selected(), c.active) << c.name;
    }
}

TEST(PageControl, ActiveFontPaddingWidensOnlyTheActiveTab) {
    TabFixture f(2);
    TFont bold = f.pc().ActiveFont();
    bold.SetStyle(fsBold);
    f.pc().SetActivePage(f.pages[0]);
    f.pc().SetActiveFont(bold);
    EXPECT_GT(f.pc().Strip().Item(0).Text.size(), f.pages[0]->LayoutText().size());
    EXPECT_EQ(f.pc().Strip().Item(0).Text.substr(0, f.pages[0]->LayoutText().size()),
              f.pages[0]->LayoutText());
    EXPECT_EQ(f.pc().Strip().Item(1).Text, f.pages[1]->LayoutText());
    // The padding lengthens the active tab by its own width in Font, and no other tab.
    const std::string padding = f.pc().Strip().Item(0).Text.substr(f.pages[0]->LayoutText().size());
    const TFont& font = f.pc().Font();
    const int padded = f.pc().PageTabRect(0).Width();
    const int unpadded = f.pc().PageTabRect(1).Width(); // same layout text length: "Page0", "Page1"
    EXPECT_EQ(padded - unpadded, TextWidth(font, f.pages[0]->LayoutText() + padding) -
                                     TextWidth(font, f.pages[1]->LayoutText()));
    f.pc().SetActivePage(f.pages[1]);
    EXPECT_EQ(f.pc().Strip().Item(0).Text, f.pages[0]->LayoutText());
    f.pc().SetTabBorder3D(true); // the native look shows whole captions
    EXPECT_EQ(f.pc().Strip().Item(0).Text, "Page0");
}

TEST(PageControl, ListPagesServesTheReadOnlyWalk) {
    TabFixture f(3);
    f.pages[2]->SetPageIndex(0);
    std::vector<QWidget*> pages;
    ASSERT_TRUE(TQmPageControl::ListPages(&f.pc(), pages));
    EXPECT_EQ(pages, (std::vector<QWidget*>{f.pages[2], f.pages[0], f.pages[1]}));
    QWidget plain;
    EXPECT_FALSE(TQmPageControl::ListPages(&plain, pages));
}

TEST(PageControl, SizingEdgesOnlyWhenAllowed) {
    TabFixture f(0, 100, 80);
    const QPoint corner = f.pc().mapToGlobal(QPoint(100, 80));
    EXPECT_EQ(f.pc().HitTest(corner - QPoint(1, 1)), 1);
    f.pc().SetQmCanChangeSize(true);
    EXPECT_EQ(f.pc().HitTest(corner - QPoint(1, 1)), 17);
    EXPECT_EQ(f.pc().HitTest(corner - QPoint(2, 30)), 11);
    EXPECT_EQ(f.pc().HitTest(corner - QPoint(30, 2)), 15);
    EXPECT_EQ(f.pc().HitTest(corner - QPoint(3, 3)), 1);
}

} // namespace
} // namespace qm
