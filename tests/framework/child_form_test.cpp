// The child form's lifecycle, host messages, window commands and title bar.
#include <gtest/gtest.h>

#include <QMouseEvent>

#include "fake_host.h"
#include "test_form.h"

namespace qm::test {
namespace {

class ChildFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = TfrmChildBase::Create<TTestForm>(host.Parent.get());
        form->SetFormId(form->Handle());
    }
    void TearDown() override { delete form; }
    LRESULT Send(unsigned msg, WPARAM w = 0, LPARAM l = 0) { return SendMessage(form->Handle(), msg, w, l); }

    FakeHost host;
    TTestForm* form = nullptr;
};

TEST_F(ChildFormTest, CreationSetsTheInitialState) {
    EXPECT_EQ(form->FuncId(), 0);
    EXPECT_EQ(form->MaxToggle(), 61728);
    EXPECT_TRUE(form->TitleVisible());
    EXPECT_EQ(form->EditState(), esInitial);
    EXPECT_NE(form->Protocol(), nullptr);
    EXPECT_EQ(form->chldcmndBase->Commands()->Count(), 10);
    EXPECT_EQ(form->chldcmnd->Commands()->Count(), 0);
}

TEST(ChildFormIcons, TitleButtonsFollowTheBorderIcons) {
    FakeHost host;
    struct Case {
        TBorderIcons icons;
        bool min, max, close;
    } cases[] = {
        {unsigned(TBorderIcon::biSystemMenu), false, false, true},
        {TBorderIcon::biSystemMenu | TBorderIcon::biMinimize, true, false, true},
        {TBorderIcon::biMaximize | TBorderIcon::biMinimize, true, true, false},
        {0, false, false, false},
    };
    for (const Case& c : cases) {
        auto* form = TfrmChildBase::Create<TTestForm>(host.Parent.get(), c.icons);
        TTitleBar* t = form->TitleBar();
        EXPECT_EQ(!t->pnlFormTitleMinBtn->isHidden(), c.min) << c.icons;
        EXPECT_EQ(!t->pnlFormTitleMaxBtn->isHidden(), c.max) << c.icons;
        EXPECT_EQ(!t->pnlFormTitleCloseBtn->isHidden(), c.close) << c.icons;
        // The visible holders pack against the right edge of their 57-pixel holder.
        int right = 57;
        for (QWidget* p :
             {static_cast<QWidget*>(t->pnlFormTitleCloseBtn), static_cast<QWidget*>(t->pnlFormTitleMaxBtn),
              static_cast<QWidget*>(t->pnlFormTitleMinBtn)}) {
            if (p->isHidden()) continue;
            EXPECT_EQ(p->geometry(), QRect(right - 18, 0, 18, 18));
            right -= 18;
        }
        delete form;
    }
}

TEST_F(ChildFormTest, FirstActivationIsPostedAndRunsOnce) {
    form->show();
    EXPECT_EQ(form->Inits, 0); // not before the posted message runs
    Pump();
    EXPECT_EQ(form->Inits, 1);
    EXPECT_EQ(form->Afters, 1);
    form->hide();
    form->show();
    Send(WM_QM_ACTIVATE_FORM, 1, 0);
    Pump();
    EXPECT_EQ(form->Inits, 1);
    EXPECT_EQ(form->Afters, 1);
}

TEST_F(ChildFormTest, ContextTextSetsSystemCodeOnceAndTailEachTime) {
    struct Case {
        const char* text;
        const char* code;
        const char* tail;
    } cases[] = {
        {"MEM:TB_MEMAC", "MEM", "TB_MEMAC"},
        {"XYZ:OTHER:MORE", "MEM", "OTHER:MORE"}, // the first non-empty code stays
        {"NOCOLON", "MEM", "NOCOLON"},
        {nullptr, "MEM", ""}, // a null text reads as empty
    };
    THostContext context{};
    for (const Case& c : cases) {
        Send(WM_QM_CONTEXT, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(c.text));
        EXPECT_EQ(form->SystemCode(), c.code) << (c.text ? c.text : "null");
        EXPECT_EQ(form->ContextTail(), c.tail) << (c.text ? c.text : "null");
    }
    EXPECT_EQ(HostContext(), &context);
}

TEST_F(ChildFormTest, ContextWithoutColonLeavesAnEmptySystemCode) {
    Send(WM_QM_CONTEXT, 0, reinterpret_cast<LPARAM>("TAIL"));
    EXPECT_EQ(form->SystemCode(), "");
    EXPECT_EQ(form->ContextTail(), "TAIL");
}

TEST_F(ChildFormTest, ColourSchemeShowsOrHidesTheTitle) {
    THostColors colors{};
    colors.TitleColor = 0x123456;
    colors.FormColor = 0x654321;
    struct Case {
        std::uint8_t show;
        bool visible;
        int height;
    } cases[] = {{0, false, 0}, {1, true, 18}, {0, false, 0}, {7, true, 18}};
    for (const Case& c : cases) {
        colors.ShowTitle = c.show;
        Send(WM_QM_COLORS, reinterpret_cast<WPARAM>(&colors));
        EXPECT_EQ(form->TitleVisible(), c.visible);
        EXPECT_EQ(form->TitleBar()->height(), c.height);
    }
    EXPECT_EQ(form->TitleBar()->pnlFormTileMid->Color(), 0x123456u);
    Send(WM_QM_COLORS, 0); // a null scheme is ignored
    EXPECT_EQ(HostColors(), &colors);
}

TEST_F(ChildFormTest, ReparentShowsOnlyForItsOwnId) {
    auto other = std::make_unique<QWidget>();
    const HWND otherWnd = AllocateHandle(&host);
    SetNativeWindow(otherWnd, other.get());
    struct Case {
        LPARAM target;
        bool visible;
        std::size_t announcements;
    } cases[] = {
        {static_cast<LPARAM>(form->FormId()), true, 1},
        {0, false, 0},
        {-1, false, 0},
        {static_cast<LPARAM>(form->FormId()) + 1, false, 0},
    };
    for (const Case& c : cases) {
        host.Log.clear();
        Send(WM_QM_REPARENT, otherWnd, c.target);
        EXPECT_EQ(form->parentWidget(), other.get());
        EXPECT_EQ(!form->isHidden(), c.visible) << c.target;
        EXPECT_EQ(host.Of(WM_QM_COMMANDS).size(), c.announcements);
        EXPECT_EQ(host.Of(WM_QM_BASECOMMANDS).size(), c.announcements);
    }
    form->setParent(nullptr);
    ReleaseHandle(otherWnd);
}

TEST_F(ChildFormTest, AnnouncementsCarryTheAddressOfTheSetFields) {
    Send(WM_QM_SHOW);
    ASSERT_EQ(host.Log.size(), 2u);
    EXPECT_EQ(host.Log[0].msg, WM_QM_COMMANDS);
    EXPECT_EQ(*reinterpret_cast<TChildCommand**>(host.Log[0].wParam), form->chldcmnd);
    EXPECT_EQ(host.Log[1].msg, WM_QM_BASECOMMANDS);
    EXPECT_EQ(*reinterpret_cast<TChildCommand**>(host.Log[1].wParam), form->chldcmndBase);
}

TEST_F(ChildFormTest, CloseAndMayCloseFollowTheCheck) {
    form->MayClose = false;
    EXPECT_EQ(Send(WM_QM_CANCLOSE), 1);
    EXPECT_EQ(Send(WM_QM_CLOSE), 1);
    EXPECT_FALSE(form->Closed());
    EXPECT_NE(form->Protocol(), nullptr); // a refused close keeps the data
    form->MayClose = true;
    EXPECT_EQ(Send(WM_QM_CANCLOSE), 0);
    EXPECT_EQ(Send(WM_QM_CLOSE), 0);
    EXPECT_TRUE(form->Closed());
    EXPECT_EQ(form->Protocol(), nullptr);
    EXPECT_TRUE(form->isHidden());
    // A closed form stays closed: nothing runs any more.
    const int checks = form->CanCloseCalls;
    EXPECT_EQ(Send(WM_QM_CLOSE), 0);
    EXPECT_EQ(Send(WM_QM_CANCLOSE), 0);
    EXPECT_EQ(form->CanCloseCalls, checks);
    EXPECT_EQ(form->Frees, 1);
    form->RunBaseCommand(3);
    EXPECT_EQ(form->Saves, 0);
}

TEST_F(ChildFormTest, FailingChecksAndCommandsAreReportedToTheHost) {
    form->ThrowOnCanClose = true;
    EXPECT_EQ(Send(WM_QM_CANCLOSE), 1);
    EXPECT_EQ(Send(WM_QM_CLOSE), 1);
    form->ThrowOnSave = true;
    form->RunBaseCommand(3);
    EXPECT_EQ(host.Statuses(), (std::vector<std::string>{"check failed", "check failed", "save broke"}));
    for (const Sent& s : host.Of(WM_QM_STATUS))
        EXPECT_EQ(s.wParam, 3u);
    form->ThrowOnSave = false;
    form->RunBaseCommand(3); // still usable
    EXPECT_EQ(form->Saves, 2);
}

TEST_F(ChildFormTest, WhileAnOperationRunsCommandsAreIgnoredAndCloseRefused) {
    LRESULT closeAnswer = -1, canCloseAnswer = -1;
    form->DuringSave = [&] {
        EXPECT_TRUE(OperationRunning());
        form->RunBaseCommand(3);
        closeAnswer = Send(WM_QM_CLOSE);
        canCloseAnswer = Send(WM_QM_CANCLOSE);
    };
    form->RunBaseCommand(3);
    EXPECT_EQ(form->Saves, 1);
    EXPECT_EQ(closeAnswer, 1);
    EXPECT_EQ(canCloseAnswer, 1);
    EXPECT_EQ(form->CanCloseCalls, 0);
    EXPECT_FALSE(form->Closed());
    EXPECT_FALSE(OperationRunning());
}

TEST_F(ChildFormTest, MaximiseButtonTogglesFromRestore) {
    form->SetWindowState(TWindowState::wsMaximized);
    // First press posts maximise: nothing visible changes.
    form->btnFormTitleMaxClick();
    EXPECT_EQ(form->MaxToggle(), 61488);
    Pump();
    EXPECT_EQ(form->WindowState(), TWindowState::wsMaximized);
    EXPECT_EQ(form->geometry(), host.Parent->rect());
    form->btnFormTitleMaxClick();
    EXPECT_EQ(form->MaxToggle(), 61728);
    Pump();
    EXPECT_EQ(form->WindowState(), TWindowState::wsNormal);
    EXPECT_EQ(form->size(), QSize(333, 209));
}

TEST_F(ChildFormTest, WindowCommandsActInsideTheParent) {
    form->setGeometry(40, 30, 333, 209);
    const QRect normal = form->geometry();
    Send(WM_SYSCOMMAND, SC_MAXIMIZE);
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));
    host.Parent->resize(640, 480); // a maximised form follows its parent
    EXPECT_EQ(form->geometry(), QRect(0, 0, 640, 480));
    Send(WM_SYSCOMMAND, SC_MINIMIZE);
    EXPECT_EQ(form->geometry().bottomLeft(), QPoint(0, 479));
    EXPECT_EQ(form->height(), 18);
    host.Parent->resize(700, 500); // a minimised one does not
    EXPECT_EQ(form->height(), 18);
    Send(WM_SYSCOMMAND, SC_RESTORE);
    EXPECT_EQ(form->geometry(), normal);
    form->btnFormTitleMinClick();
    Pump();
    EXPECT_EQ(form->WindowState(), TWindowState::wsMinimized);
}

TEST_F(ChildFormTest, DragMovesWithTheMouseInsideTheParent) {
    form->setGeometry(40, 30, 333, 209);
    form->show();
    Send(WM_SYSCOMMAND, SC_DRAGMOVE);
    ASSERT_TRUE(form->Dragging());
    const QPoint start = QCursor::pos();
    auto move = [&](QPoint global, QEvent::Type type) {
        QMouseEvent e(type, form->mapFromGlobal(global), global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form, &e);
    };
    move(start + QPoint(25, 15), QEvent::MouseMove);
    EXPECT_EQ(form->pos(), QPoint(65, 45));
    move(start + QPoint(5000, 5000), QEvent::MouseMove); // kept inside the parent
    EXPECT_EQ(form->pos(), QPoint(800 - 333, 600 - 209));
    move(start + QPoint(-5000, 10), QEvent::MouseButtonRelease);
    EXPECT_EQ(form->pos(), QPoint(0, 40));
    EXPECT_FALSE(form->Dragging());
    EXPECT_EQ(form->NormalGeometry().topLeft(), QPoint(0, 40));
}

TEST_F(ChildFormTest, CloseButtonPostsCloseThenFormClosed) {
    form->MayClose = false;
    form->btnFormTitleColseClick();
    Pump();
    EXPECT_FALSE(form->Closed());
    EXPECT_TRUE(host.Of(WM_QM_FORMCLOSED).empty());
    form->MayClose = true;
    form->btnFormTitleColseClick();
    EXPECT_FALSE(form->Closed()); // both messages are posted
    Pump();
    EXPECT_TRUE(form->Closed());
    ASSERT_EQ(host.Of(WM_QM_FORMCLOSED).size(), 1u);
    EXPECT_EQ(host.Of(WM_QM_FORMCLOSED)[0].wParam, form->Handle());
}

TEST_F(ChildFormTest, TitleTextPressStartsADrag) {
    form->setGeometry(10, 10, 333, 209);
    form->show();
    form->pnlFormTileMidMouseDown();
    EXPECT_TRUE(form->Dragging());
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(0, 0), QCursor::pos(), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form, &release);
    EXPECT_FALSE(form->Dragging());
}

TEST_F(ChildFormTest, DestroyingTheFormReleasesItsHandle) {
    const HWND handle = form->Handle();
    EXPECT_TRUE(IsWindow(handle));
    delete form;
    form = nullptr;
    EXPECT_FALSE(IsWindow(handle));
}

} // namespace
} // namespace qm::test

namespace qm::test {
namespace {

TEST_F(ChildFormTest, RegistrationAndReleaseReadTheirAnswers) {
    struct Case {
        std::string answer;
        std::int32_t funcId;
        std::vector<std::string> statuses;
    } cases[] = {
        {"<quelmar><status><code>5</code></status><rs typ=\"integer\">42</rs></quelmar>", 42, {}},
        {"<quelmar><status><code>0</code></status></quelmar>", 0, {}},
        {"<quelmar><status><code>-2</code><info>拒绝</info></status><rs typ=\"integer\">9</rs></quelmar>",
         0,
         {"拒绝"}},
        {"", 0, {"主机应答无法读取！"}},
    };
    for (const Case& c : cases) {
        host.Log.clear();
        host.Registers.push_back(c.answer);
        EXPECT_EQ(form->RegisterModule("Key"), c.funcId) << c.answer;
        EXPECT_EQ(form->FuncId(), c.funcId);
        EXPECT_EQ(host.Statuses(), c.statuses) << c.answer;
    }
    host.Log.clear();
    host.Releases.push_back("<quelmar><status><code>-1</code><info>未登记</info></status></quelmar>");
    form->ReleaseModule(3);
    EXPECT_EQ(host.Statuses(), std::vector<std::string>{"未登记"});
}

} // namespace
} // namespace qm::test
