#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "canvas/widget_color.h"
#include "controls/flat_combo_box.h"
#include "controls/flat_edit.h"
#include "controls/hsl_colors.h"
#include "tests/canvas/pixels.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

class FlatLook : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
    void SetUp() override {
        window.resize(400, 300);
        SetWidgetColor(&window, clWhite);
    }
    // Shows the window and makes it the active one, as a user's click would.
    void Activate() {
        window.show();
        QApplication::setActiveWindow(&window);
        QApplication::processEvents();
    }
    static test::Surface Paint(const TQmFlatControl& c) {
        test::Surface s(c.width(), c.height());
        c.PaintFrame(s.canvas);
        return s;
    }
    QWidget window;
};

TEST_F(FlatLook, Defaults) {
    TQmFlatEdit e(&window);
    EXPECT_EQ(e.ColorFocused(), 16777215u);
    EXPECT_EQ(e.ColorBorder(), 8623776u);
    EXPECT_EQ(e.ColorFlat(), 16777215u);
    EXPECT_FALSE(e.ParentColor());
    EXPECT_EQ(e.QmColorFocused(), 10);
    EXPECT_EQ(e.QmColorBorder(), 50);
    EXPECT_FALSE(e.UseQmColors());
    EXPECT_TRUE(e.FlatLook());
    EXPECT_EQ(e.FrameMargin(), 3);
    EXPECT_EQ(e.LineEditor()->geometry(), e.rect().adjusted(3, 3, -3, -3));
}

TEST_F(FlatLook, UseQmColorsDerivesFromTheParentsColour) {
    auto* e = new TQmFlatEdit(&window);
    e->SetUseQmColors(true);
    EXPECT_TRUE(e->ParentColor());
    EXPECT_EQ(e->ColorFlat(), clWhite);
    EXPECT_EQ(ColorToHsl240(e->ColorFocused()).L, 100);
    EXPECT_EQ(ColorToHsl240(e->ColorBorder()).L, 200);
    e->SetQmColorBorder(0);
    EXPECT_EQ(e->ColorBorder(), clWhite);
    SetWidgetColor(&window, clBlack); // the parent's colour changes
    EXPECT_EQ(e->ColorFlat(), clBlack);
    EXPECT_EQ(ColorToHsl240(e->ColorFocused()).L, 20);
}

TEST_F(FlatLook, ColourSetters) {
    auto* e = new TQmFlatEdit(&window);
    e->SetParentColor(true);
    EXPECT_EQ(e->ColorFlat(), clWhite);
    SetWidgetColor(&window, clSilver);
    EXPECT_EQ(e->ColorFlat(), clSilver);
    e->SetColorFlat(clRed);
    EXPECT_FALSE(e->ParentColor());
    SetWidgetColor(&window, clGray);
    EXPECT_EQ(e->ColorFlat(), clRed);
    // Steps without UseQmColors only store.
    e->SetQmColorFocused(40);
    EXPECT_EQ(e->ColorFocused(), clWhite);
    e->SetQmColorFocused(500);
    EXPECT_EQ(e->QmColorFocused(), 100);
}

TEST_F(FlatLook, ControlsWithAFrameIgnoreTheFlatColours) {
    for (int kind = 0; kind < 2; ++kind) {
        TQmFlatEdit e(&window);
        if (kind == 0)
            e.SetCtl3D(true);
        else
            e.SetBorderStyle(TBorderStyle::bsSingle);
        e.SetColorFlat(clRed);
        e.SetColorBorder(clRed);
        e.SetColorFocused(clRed);
        e.SetParentColor(true);
        EXPECT_EQ(e.ColorFlat(), clWhite);
        EXPECT_EQ(e.ColorBorder(), 8623776u);
        EXPECT_EQ(e.ColorFocused(), clWhite);
        EXPECT_FALSE(e.ParentColor());
        EXPECT_FALSE(e.FlatLook());
        EXPECT_LT(e.FrameMargin(), 3);
    }
}

TEST_F(FlatLook, PlainFocusedAndHoverLooks) {
    auto* a = new TQmFlatEdit(&window);
    auto* b = new TQmFlatEdit(&window);
    b->move(0, 40);
    a->SetColorFlat(clSilver);
    a->SetColorFocused(clRed);
    a->SetColorBorder(clNavy);
    auto frameOf = [&] {
        auto s = Paint(*a);
        return std::array<TColor, 4>{s.At(0, 0), s.At(1, 1), s.At(2, 2), s.At(3, 3)};
    };
    using F = std::array<TColor, 4>;
    EXPECT_EQ(frameOf(), (F{clNavy, clSilver, clSilver, clSilver}));
    EXPECT_EQ(a->Color(), clSilver);
    Activate();
    a->LineEditor()->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(a->Focused());
    EXPECT_EQ(frameOf(), (F{clNavy, clRed, clRed, clRed}));
    EXPECT_EQ(a->LineEditor()->palette().color(QPalette::Base), QColor::fromRgb(ToQRgb(clRed)));
    // Hover gives the focused look only while no other data edit control is active.
    b->LineEditor()->setFocus();
    QApplication::processEvents();
    a->MouseEnter();
    EXPECT_TRUE(a->MouseInControl());
    EXPECT_TRUE(a->PlainLook());
    window.setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(a->PlainLook());
    const int before = a->RedrawCount();
    a->MouseLeave();
    EXPECT_GT(a->RedrawCount(), before);
    EXPECT_TRUE(a->PlainLook());
    a->SetDesigning(true);
    a->LineEditor()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(a->PlainLook());
}

TEST_F(FlatLook, MouseEnterNeedsAnActiveWindow) {
    auto* e = new TQmFlatEdit(&window);
    QApplication::setActiveWindow(nullptr);
    e->MouseEnter();
    EXPECT_FALSE(e->MouseInControl());
}

TEST_F(FlatLook, MultiLineEditOffersLinesAndColoursTheScrollCorner) {
    auto* e = new TQmFlatEdit(&window);
    e->SetText("first");
    e->SetMultiLine(true);
    ASSERT_NE(e->TextEditor(), nullptr);
    EXPECT_EQ(e->Text(), "first");
    e->SetLines({"one", "two", "三"});
    EXPECT_EQ(e->Lines(), (std::vector<std::string>{"one", "two", "三"}));
    EXPECT_EQ(e->Text(), "one\ntwo\n三");
    e->SetScrollBars(TScrollStyle::ssBoth);
    e->SetWordWrap(false);
    EXPECT_EQ(e->TextEditor()->lineWrapMode(), QPlainTextEdit::NoWrap);
    e->SetColorFlat(clSilver);
    QWidget* corner = e->TextEditor()->cornerWidget();
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->palette().color(QPalette::Window), QColor::fromRgb(ToQRgb(clSilver)));
    e->SetMultiLine(false);
    EXPECT_EQ(e->Lines().size(), 3u);
}

TEST_F(FlatLook, ReadOnlyAndMaxLength) {
    TQmFlatEdit e(&window);
    e.SetReadOnly(true);
    EXPECT_TRUE(e.LineEditor()->isReadOnly());
    e.SetMultiLine(true);
    EXPECT_TRUE(e.TextEditor()->isReadOnly());
    TQmFlatEdit f(&window);
    f.SetMaxLength(3);
    f.SetText("longer than three"); // a value from code is kept whole
    EXPECT_EQ(f.Text(), "longer than three");
    int changes = 0;
    f.OnChange = [&] { ++changes; };
    f.SetText("ab");
    EXPECT_EQ(changes, 1);
}

TEST_F(FlatLook, ComboBoxItemsTextAndReadOnly) {
    TQmFlatComboBox c(&window);
    c.SetItems({"一", "二", "三"});
    EXPECT_EQ(c.ItemIndex(), -1);
    c.SetItemIndex(1);
    EXPECT_EQ(c.Text(), "二");
    c.SetText("free text");
    EXPECT_EQ(c.ItemIndex(), -1);
    EXPECT_EQ(c.Text(), "free text");
    c.SetStyle(TComboBoxStyle::csDropDownList);
    c.SetText("三");
    EXPECT_EQ(c.ItemIndex(), 2);
    c.SetReadOnly(true);
    c.ComboEditor()->showPopup();
    EXPECT_FALSE(c.ComboEditor()->view()->isVisible());
    EXPECT_EQ(Paint(c).At(0, 0), 8623776u);
}

} // namespace
} // namespace qm
