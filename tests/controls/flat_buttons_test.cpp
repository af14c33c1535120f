// Looks, colours and read-only behaviour shared by the flat check box, radio button, group box,
// date edit and number edit.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>

#include "canvas/widget_color.h"
#include "controls/flat_check_box.h"
#include "controls/flat_date_edit.h"
#include "controls/flat_edit.h"
#include "controls/flat_group_box.h"
#include "controls/flat_number_edit.h"
#include "controls/flat_radio_button.h"
#include "tests/canvas/qt_test_app.h"

namespace qm {
namespace {

using Frame = std::array<TColor, 4>;

// One kind of control: how to make it and which widget takes the focus inside it.
struct Kind {
    const char* name;
    std::function<TQmFlatControl*(QWidget*)> make;
    std::function<QWidget*(TQmFlatControl*)> focusTarget;
};

QWidget* GroupChild(TQmFlatControl* c) {
    auto* group = static_cast<TQmFlatGroupBox*>(c);
    if (auto* edit = group->ClientArea()->findChild<QLineEdit*>()) return edit;
    return new QLineEdit(group->ClientArea());
}

const std::vector<Kind>& Kinds() {
    static const std::vector<Kind> kinds = {
        {"check box", [](QWidget* p) { return new TQmFlatCheckBox(p); },
         [](TQmFlatControl* c) -> QWidget* { return static_cast<TQmFlatCheckBox*>(c)->CheckEditor(); }},
        {"radio button", [](QWidget* p) { return new TQmFlatRadioButton(p); },
         [](TQmFlatControl* c) -> QWidget* { return static_cast<TQmFlatRadioButton*>(c)->RadioEditor(); }},
        {"group box", [](QWidget* p) { return new TQmFlatGroupBox(p); }, GroupChild},
        {"date edit", [](QWidget* p) { return new TQmFlatDateEdit(p); },
         [](TQmFlatControl* c) -> QWidget* { return static_cast<TQmFlatEdit*>(c)->LineEditor(); }},
        {"number edit", [](QWidget* p) { return new TQmFlatNumberEdit(p); },
         [](TQmFlatControl* c) -> QWidget* { return static_cast<TQmFlatEdit*>(c)->LineEditor(); }},
    };
    return kinds;
}

class FlatButtons : public testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureQtApp(); }
    void SetUp() override {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        SetWidgetColor(window.get(), clWhite);
    }
    void Activate() {
        window->show();
        QApplication::setActiveWindow(window.get());
        QApplication::processEvents();
        // Activation hands the focus to the first control; start with none focused.
        if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
        QApplication::processEvents();
    }
    static Frame FrameOf(const TQmFlatControl& c) {
        const QImage img = c.Render();
        auto at = [&](int x, int y) { return FromQRgb(img.pixel(x, y)); };
        const int r = c.width() - 1, b = c.height() - 1;
        // Outer frame, the two inner frames, and the inner frame on the far corner too.
        EXPECT_EQ(at(r, b), at(0, 0));
        EXPECT_EQ(at(r - 2, b - 2), at(2, 2));
        return {at(0, 0), at(1, 1), at(2, 2), at(3, 3)};
    }
    std::unique_ptr<QWidget> window;
};

TEST_F(FlatButtons, PlainHoverAndFocusedLooks) {
    enum class Step { Plain, Enter, Leave, Focus, Blur };
    struct Case {
        Step step;
        Frame frame;
        bool redraws;
    };
    const Frame plain{clNavy, clSilver, clSilver, clSilver};
    const Frame focused{clNavy, clRed, clRed, clRed};
    const Case cases[] = {
        {Step::Plain, plain, false},  {Step::Enter, focused, true}, {Step::Leave, plain, true},
        {Step::Focus, focused, true}, {Step::Enter, focused, true}, {Step::Leave, focused, true},
        {Step::Blur, plain, true},
    };
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        SetUp();
        TQmFlatControl* c = kind.make(window.get());
        c->SetColorFlat(clSilver);
        c->SetColorFocused(clRed);
        c->SetColorBorder(clNavy);
        QWidget* target = kind.focusTarget(c);
        Activate();
        c->MouseLeave(); // wherever the platform's pointer happens to be
        for (const Case& k : cases) {
            SCOPED_TRACE(static_cast<int>(k.step));
            const int before = c->RedrawCount();
            switch (k.step) {
            case Step::Plain:
                break;
            case Step::Enter: {
                QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
                QApplication::sendEvent(c, &enter);
                break;
            }
            case Step::Leave: {
                QEvent leave(QEvent::Leave);
                QApplication::sendEvent(c, &leave);
                break;
            }
            case Step::Focus:
                target->setFocus();
                break;
            case Step::Blur:
                target->clearFocus();
                break;
            }
            QApplication::processEvents();
            EXPECT_EQ(FrameOf(*c), k.frame);
            EXPECT_EQ(c->Color(), k.frame[1]);
            EXPECT_EQ(c->RedrawCount() > before, k.redraws);
        }
    }
}

TEST_F(FlatButtons, HoverStaysPlainWhileAnotherEditIsActive) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        SetUp();
        TQmFlatControl* c = kind.make(window.get());
        auto* other = new TQmFlatEdit(window.get());
        other->move(0, 200);
        Activate();
        other->LineEditor()->setFocus();
        QApplication::processEvents();
        c->MouseEnter();
        EXPECT_TRUE(c->MouseInControl());
        EXPECT_TRUE(c->PlainLook());
    }
}

TEST_F(FlatButtons, ParentColorFollowsTheParentUntilColorFlatIsSet) {
    for (const Kind& kind : Kinds()) {
        SCOPED_TRACE(kind.name);
        SetUp();
        TQmFlatControl* c = kind.make(window.get());
        c->SetParentColor(true);
        EXPECT_EQ(c->ColorFlat(), clWhite);
        SetWidgetColor(window.get(), clSilver);
        EXPECT_EQ(c->ColorFlat(), clSilver);
        EXPECT_EQ(FrameOf(*c)[1], clSilver);
        c->SetColorFlat(clRed);
        EXPECT_FALSE(c->ParentColor());
        SetWidgetColor(window.get(), clGray);
        EXPECT_EQ(c->ColorFlat(), clRed);
        // With a 3D frame the flat colours are left alone.
        c->SetCtl3D(true);
        c->SetColorFlat(clGray);
        EXPECT_EQ(c->ColorFlat(), clRed);
    }
}

TEST_F(FlatButtons, ControlsInAGroupTakeItsColour) {
    auto* group = new TQmFlatGroupBox(window.get());
    auto* box = new TQmFlatCheckBox(group->ClientArea());
    box->SetParentColor(true);
    group->SetColorFlat(clSilver);
    EXPECT_EQ(box->ColorFlat(), clSilver);
    group->SetUseQmColors(true); // takes the window's white again
    EXPECT_EQ(box->ColorFlat(), clWhite);
}

// A user's key press, as the keyboard would deliver it.
void Type(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
    }
}

TEST_F(FlatButtons, ReadOnlyBlocksTheUserButNotCode) {
    auto* check = new TQmFlatCheckBox(window.get());
    auto* radio = new TQmFlatRadioButton(window.get());
    auto* date = new TQmFlatDateEdit(window.get());
    auto* number = new TQmFlatNumberEdit(window.get());
    struct Case {
        TQmFlatControl* control;
        std::function<void()> userChange;
        std::function<std::string()> value;
    };
    const Case cases[] = {
        {check, [&] { check->CheckEditor()->click(); }, [&] { return std::to_string(check->Checked()); }},
        {radio, [&] { radio->RadioEditor()->click(); }, [&] { return std::to_string(radio->Checked()); }},
        {date, [&] { Type(date->LineEditor(), "2024-01-02"); }, [&] { return date->Text(); }},
        {number, [&] { Type(number->LineEditor(), "42"); }, [&] { return number->Text(); }},
    };
    for (const Case& k : cases) {
        k.control->SetReadOnly(true);
        const std::string before = k.value();
        k.userChange();
        EXPECT_EQ(k.value(), before);
        k.control->SetReadOnly(false);
        k.userChange();
        EXPECT_NE(k.value(), before);
    }
    // Code still sets values of read-only controls.
    check->SetReadOnly(true);
    check->SetChecked(false);
    EXPECT_FALSE(check->Checked());
}

TEST_F(FlatButtons, GroupReadOnlyReachesItsControls) {
    auto* group = new TQmFlatGroupBox(window.get());
    auto* box = new TQmFlatCheckBox(group->ClientArea());
    auto* edit = new TQmFlatNumberEdit(group->ClientArea());
    group->SetReadOnly(true);
    EXPECT_TRUE(box->ReadOnly());
    EXPECT_TRUE(edit->LineEditor()->isReadOnly());
    box->CheckEditor()->click();
    EXPECT_FALSE(box->Checked());
    group->SetReadOnly(false);
    EXPECT_FALSE(box->ReadOnly());
}

TEST_F(FlatButtons, RadioButtonsWithOneParentAreOneGroup) {
    auto* a = new TQmFlatRadioButton(window.get());
    auto* b = new TQmFlatRadioButton(window.get());
    QWidget other(window.get());
    auto* c = new TQmFlatRadioButton(&other);
    int clicks = 0;
    a->OnClick = [&] { ++clicks; };
    a->RadioEditor()->click();
    c->SetChecked(true);
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ(clicks, 1);
    b->RadioEditor()->click();
    EXPECT_FALSE(a->Checked());
    EXPECT_TRUE(b->Checked());
    EXPECT_TRUE(c->Checked()); // another parent, another group
    b->RadioEditor()->click(); // a click never unchecks
    EXPECT_TRUE(b->Checked());
    b->SetChecked(false); // code can
    EXPECT_FALSE(b->Checked());
}

TEST_F(FlatButtons, CheckBoxGrayedFromCodeOnly) {
    TQmFlatCheckBox c(window.get());
    int changes = 0, clicks = 0;
    c.OnChange = [&] { ++changes; };
    c.OnClick = [&] { ++clicks; };
    c.SetState(TCheckBoxState::cbGrayed); // a null value
    EXPECT_EQ(c.State(), TCheckBoxState::cbGrayed);
    c.CheckEditor()->click();
    EXPECT_EQ(c.State(), TCheckBoxState::cbChecked);
    c.CheckEditor()->click();
    EXPECT_EQ(c.State(), TCheckBoxState::cbUnchecked);
    c.CheckEditor()->click();
    EXPECT_EQ(c.State(), TCheckBoxState::cbChecked); // not back to grayed
    EXPECT_EQ(changes, 4);
    EXPECT_EQ(clicks, 3);
    c.SetAllowGrayed(true);
    c.CheckEditor()->click();
    c.CheckEditor()->click();
    EXPECT_EQ(c.State(), TCheckBoxState::cbGrayed);
}

} // namespace
} // namespace qm
