// The window pieces without the module: toolbar from hand-made command sets, status display,
// closing, a dropped form; the script format and shortcut conversion.
#include "host/script/key_input.h"
#include "host/script/script.h"
#include "host/settings.h"
#include "host/ui/exchange_summary.h"
#include "host/ui/main_window.h"
#include "host/ui/qt_language.h"
#include "host/ui/status_line.h"
#include "platform/qt/qt_pump.h"
#include "plugin/messages.h"
#include "qt_environment.h"
#include "store_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <algorithm>
#include <stdexcept>

namespace qm::host::testing {
namespace {

const auto* const kEnv = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

// Stands in for a module form: a widget in the workspace with a handle that answers WM_QM_CLOSE.
class FakeForm : public MessageTarget {
public:
    explicit FakeForm(QWidget* parent) : Widget(new QWidget(parent)) {
        Handle = AllocateHandle(this);
        SetNativeWindow(Handle, Widget);
        Widget->show();
    }
    ~FakeForm() override { ReleaseHandle(Handle); }
    LRESULT handleMessage(unsigned msg, WPARAM, LPARAM) override {
        if (msg == WM_QM_CLOSE) {
            ++CloseRequests;
            return CloseAnswer;
        }
        return 0;
    }
    QWidget* Widget;
    HWND Handle = 0;
    int CloseRequests = 0;
    LRESULT CloseAnswer = 0;
};

class WindowTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        Window = std::make_unique<MainWindow>(*S);
        Window->show();
        BuildBaseCommands(Base, {Recorder(0), Recorder(1), Recorder(2), Recorder(3), Recorder(4), Recorder(5),
                                 Recorder(6), Recorder(7), Recorder(8), Recorder(9)});
        TCommand* own = Own.Commands()->Add();
        own->Name = "export";
        own->Caption = "导出";
        own->ShortCut = 0x4000 | 'E';
        own->OnExecute = [this](TObject* sender) { Senders.push_back(sender); };
    }
    void TearDown() override {
        Window.reset();
        StoreTest::TearDown();
    }
    TNotifyEvent Recorder(int i) {
        return [this, i](TObject* sender) {
            Ran.push_back(i);
            Senders.push_back(sender);
        };
    }
    void Announce() {
        SendMessage(Window->HostWnd(), WM_QM_COMMANDS, reinterpret_cast<WPARAM>(&OwnField), 0);
        SendMessage(Window->HostWnd(), WM_QM_BASECOMMANDS, reinterpret_cast<WPARAM>(&BaseField), 0);
    }
    QAction* ActionNamed(const char* name) {
        for (QAction* a : Window->Commands().Actions())
            if (a->objectName() == name) return a;
        return nullptr;
    }

    std::unique_ptr<MainWindow> Window;
    TChildCommand Base, Own;
    TChildCommand* BaseField = &Base;
    TChildCommand* OwnField = &Own;
    std::vector<int> Ran;
    std::vector<TObject*> Senders;
};

TEST_F(WindowTest, ToolbarShowsTheHostCaptionsAndShortcuts) {
    Announce();
    QStringList captions;
    for (QAction* a : Window->Commands().Actions())
        if (!a->isSeparator()) captions << a->text();
    EXPECT_EQ(captions.join(' '),
              QString::fromUtf8("新增 修改 删除 保存 查询 取消 首条 上条 下条 末条 导出"));
    struct Key {
        const char* Name;
        QKeySequence Keys;
    };
    for (const Key& k :
         {Key{"new", QKeySequence(Qt::CTRL | Qt::Key_N)}, Key{"save", QKeySequence(Qt::CTRL | Qt::Key_S)},
          Key{"search", QKeySequence(Qt::Key_F3)}, Key{"cancel", QKeySequence(Qt::Key_Escape)},
          Key{"export", QKeySequence(Qt::CTRL | Qt::Key_E)}, Key{"update", QKeySequence(Qt::Key_F2)},
          Key{"delete", QKeySequence(Qt::CTRL | Qt::Key_Delete)},
          Key{"firstrec", QKeySequence(Qt::CTRL | Qt::Key_Home)},
          Key{"priorrec", QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
          Key{"nextrec", QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
          Key{"lastrec", QKeySequence(Qt::CTRL | Qt::Key_End)}}) {
        SCOPED_TRACE(k.Name);
        ASSERT_NE(ActionNamed(k.Name), nullptr);
        EXPECT_EQ(ActionNamed(k.Name)->shortcut(), k.Keys);
    }
    EXPECT_FALSE(ActionNamed("save")->icon().isNull());
}

// The host reads the style's pictures itself: the buttons must show what the style would, pixel
// for pixel, at the bar's size and greyed out.
TEST_F(WindowTest, ToolbarIconsAreTheStylesOwnPictures) {
    Announce();
    auto* bar = Window->findChild<QToolBar*>("commandBar");
    ASSERT_NE(bar, nullptr);
    for (const char* name : {"new", "update", "delete", "save", "search", "cancel", "firstrec", "priorrec",
                             "nextrec", "lastrec"}) {
        SCOPED_TRACE(name);
        ASSERT_NE(ActionNamed(name), nullptr);
        const QIcon shown = ActionNamed(name)->icon();
        const QIcon style = QApplication::style()->standardIcon(FindStandardCommand(name)->Icon);
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled})
            for (const QSize size : {bar->iconSize(), QSize(16, 16)})
                EXPECT_EQ(shown.pixmap(size, mode).toImage(), style.pixmap(size, mode).toImage());
    }
}

TEST_F(WindowTest, RunningAButtonCallsTheCommandWithItselfAsSender) {
    Announce();
    ActionNamed("save")->trigger();
    ActionNamed("export")->trigger();
    EXPECT_TRUE(Window->Commands().Run("LASTREC"));
    EXPECT_FALSE(Window->Commands().Run("print"));
    EXPECT_EQ(Ran, (std::vector<int>{3, 9}));
    ASSERT_EQ(Senders.size(), 3u);
    EXPECT_EQ(Senders[0], Base.Commands()->Find("save"));
    EXPECT_EQ(Senders[1], Own.Commands()->Find("export"));
}

TEST_F(WindowTest, CommandsAreReadInPlaceWhenTheyRun) {
    Announce();
    QAction* save = ActionNamed("save");
    // The form replaces its set's items after announcing them: the button runs the new handler.
    bool replaced = false;
    Base.Commands()->Find("save")->OnExecute = [&](TObject*) { replaced = true; };
    save->trigger();
    EXPECT_TRUE(replaced);
    EXPECT_TRUE(Ran.empty());
}

TEST_F(WindowTest, AFailingCommandShowsAnErrorInsteadOfEscaping) {
    Base.Commands()->Find("delete")->OnExecute = [](TObject*) { throw std::runtime_error("boom"); };
    Announce();
    EXPECT_NO_THROW(ActionNamed("delete")->trigger());
    EXPECT_TRUE(Window->ErrorShown());
    EXPECT_NE(Window->LastStatus().find("boom"), std::string::npos);
}

TEST_F(WindowTest, ErrorStatusStaysUntilDismissedOtherKindsOnlyInTheStatusBar) {
    const std::string saved = "已保存";
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 1, reinterpret_cast<LPARAM>(saved.c_str()));
    EXPECT_FALSE(Window->ErrorShown());
    EXPECT_EQ(Window->statusBar()->currentMessage(), QString::fromUtf8("已保存"));

    const std::string failed = "代码“01”已存在";
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 3, reinterpret_cast<LPARAM>(failed.c_str()));
    ScriptRunner::Settle();
    EXPECT_TRUE(Window->ErrorShown());
    EXPECT_TRUE(Window->statusBar()->currentMessage().contains(QString::fromUtf8("代码“01”已存在")));
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 1, reinterpret_cast<LPARAM>(saved.c_str()));
    EXPECT_TRUE(Window->ErrorShown()); // a later notice does not hide the error
    Window->DismissError();
    EXPECT_FALSE(Window->ErrorShown());
}

TEST_F(WindowTest, CloseAsksTheFormOnceAndARefusalKeepsTheWindowOpen) {
    FakeForm form(Window->Workspace());
    Window->AdoptForm(form.Handle);
    form.CloseAnswer = 1;
    EXPECT_FALSE(Window->close());
    EXPECT_EQ(form.CloseRequests, 1);
    EXPECT_TRUE(Window->isVisible());
    EXPECT_EQ(Window->FormId(), form.Handle);

    form.CloseAnswer = 0;
    EXPECT_TRUE(Window->close());
    EXPECT_EQ(form.CloseRequests, 2);
    EXPECT_EQ(Window->FormId(), 0u);
}

TEST_F(WindowTest, AClosedFormIsHiddenAndForgottenNotDeleted) {
    FakeForm form(Window->Workspace());
    Window->AdoptForm(form.Handle);
    Announce();
    PostMessage(Window->HostWnd(), WM_QM_FORMCLOSED, form.Handle, 0);
    ScriptRunner::Settle();
    EXPECT_EQ(Window->FormId(), 0u);
    EXPECT_TRUE(Window->Commands().Actions().isEmpty());
    EXPECT_FALSE(form.Widget->isVisible());
    EXPECT_EQ(WidgetOfHandle(form.Handle), form.Widget);
    EXPECT_TRUE(Window->close()); // nothing left to ask
    EXPECT_EQ(form.CloseRequests, 0);
}

// The status bar never says what the window no longer shows: a closed form takes its error and
// the refused close's note with it; a menu or button hovered leaves the last status in place.
TEST_F(WindowTest, TheStatusBarNeverContradictsTheWindow) {
    FakeForm form(Window->Workspace());
    Window->AdoptForm(form.Handle);
    Announce();
    const std::string refused = "代码“01”已存在";
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 3, reinterpret_cast<LPARAM>(refused.c_str()));
    Window->ShowStandingError("存储文件已损坏");
    form.CloseAnswer = 1;
    EXPECT_FALSE(Window->close());
    EXPECT_TRUE(Window->statusBar()->currentMessage().startsWith(QString::fromUtf8("窗体未关闭")));

    PostMessage(Window->HostWnd(), WM_QM_FORMCLOSED, form.Handle, 0);
    ScriptRunner::Settle();
    const QString after = Window->statusBar()->currentMessage();
    EXPECT_FALSE(after.contains(QString::fromUtf8("窗体未关闭"))) << after.toStdString();
    auto* bar = Window->findChild<QFrame*>("errorBar");
    const QString barText = bar->findChild<QLabel*>()->text();
    EXPECT_FALSE(barText.contains(QString::fromUtf8("已存在"))) << barText.toStdString();
    EXPECT_TRUE(barText.contains(QString::fromUtf8("已损坏"))) << "a standing condition stays";

    const std::string saved = "已保存：修改 1 条";
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 1, reinterpret_cast<LPARAM>(saved.c_str()));
    // Alt+M opens the module menu, whose title has no status tip of its own.
    QTest::keyClick(Window.get(), Qt::Key_M, Qt::AltModifier);
    ScriptRunner::Settle();
    QMenu* menu = Window->findChild<QMenu*>("moduleMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    QTest::mouseMove(menu, menu->actionGeometry(menu->actions().first()).center());
    ScriptRunner::Settle();
    EXPECT_EQ(Window->statusBar()->currentMessage().toStdString(), saved);
    menu->close();
    ScriptRunner::Settle();
    EXPECT_EQ(Window->statusBar()->currentMessage().toStdString(), saved);
}

// A status longer than the bar ends in an ellipsis; the tooltip holds all of it.
TEST_F(WindowTest, ALongStatusIsElidedWithTheWholeTextInItsTooltip) {
    Window->resize(600, 400);
    ScriptRunner::Settle();
    auto* line = dynamic_cast<StatusLine*>(Window->statusBar());
    ASSERT_NE(line, nullptr);
    const std::string tail = "最后的这几个字必须能读到";
    const std::string text = "该记录已被其他用户修改或删除，请重新查询！" + std::string(30, 'x') + tail;
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 1, reinterpret_cast<LPARAM>(text.c_str()));
    EXPECT_TRUE(line->ShownText().endsWith(QChar(0x2026))) << line->ShownText().toStdString();
    EXPECT_LE(line->fontMetrics().horizontalAdvance(line->ShownText()), line->width());
    EXPECT_TRUE(line->toolTip().contains(QString::fromStdString(tail))) << line->toolTip().toStdString();

    const std::string brief = "已查询 6 条";
    SendMessage(Window->HostWnd(), WM_QM_STATUS, 1, reinterpret_cast<LPARAM>(brief.c_str()));
    EXPECT_EQ(line->ShownText().toStdString(), brief);
    EXPECT_TRUE(line->toolTip().isEmpty());
}

// A long answer is counted in pieces: the recordset's end tag may lie across two of them.
TEST(SearchSummary, CountsTheRowsWhereverTheRecordsetEnds) {
    const std::u16string head = u"<quelmar><status><code>0</code><info></info></status>"
                                u"<rs typ=\"recordset\" tbname=\"T\" fields=\"A:VARCHAR(4)\">";
    std::u16string rows;
    // U+4E3C and U+3C3C hold the byte of '<' without being one.
    for (int i = 0; i < 1000; ++i)
        rows += u"<r A=\"\u4E3C\u3C3C\"/>";
    const std::size_t piece = std::size_t(1) << 20; // the counting piece, from the first unit after head
    for (const std::size_t before : {0, 1, 2, 4, 5, 6}) {
        // Blanks between the rows put the end tag `before` units ahead of a piece's end.
        const std::u16string answer =
            head + rows + std::u16string(piece - rows.size() - before, u' ') + u"</rs></quelmar>";
        EXPECT_EQ(SearchSummary(answer), std::optional<std::string>("已查询 1000 条")) << before;
    }
    EXPECT_EQ(SearchSummary(head + rows + u"</quelmar>"), std::optional<std::string>("已查询 0 条"));
}

TEST(ShortCut, ConvertsKeyCodesWithModifiers) {
    struct Case {
        std::uint16_t In;
        QKeySequence Out;
    };
    for (const Case& c : {Case{0, QKeySequence()}, Case{0x4000 | 'S', QKeySequence(Qt::CTRL | Qt::Key_S)},
                          Case{0x72, QKeySequence(Qt::Key_F3)},
                          Case{0x2000 | 0x8000 | 0x2E, QKeySequence(Qt::SHIFT | Qt::ALT | Qt::Key_Delete)},
                          Case{0x1B, QKeySequence(Qt::Key_Escape)}, Case{0x4000 | 0xBA, QKeySequence()}}) {
        SCOPED_TRACE(c.In);
        EXPECT_EQ(ShortCutToKeySequence(c.In), c.Out);
    }
}

TEST(Script, ReadsStepsAndKeepsTextsWhole) {
    auto steps =
        ParseScript("# a comment\n\ncommand new\r\nedit MEMAC002 中 等  收入\nedit MODIFIER \nanswer 6\n"
                    "select row 2\nexpect-status 已存在\nexpect-rows 3\nwait\n");
    ASSERT_EQ(steps.size(), 8u);
    EXPECT_EQ(steps[0].Line, 3);
    EXPECT_EQ(steps[0].Args, std::vector<std::string>{"new"});
    EXPECT_EQ(steps[1].Args, (std::vector<std::string>{"MEMAC002", "中 等  收入"}));
    EXPECT_EQ(steps[2].Args, (std::vector<std::string>{"MODIFIER", ""}));
    EXPECT_EQ(steps[4].Args, (std::vector<std::string>{"row", "2"}));
    EXPECT_EQ(steps[5].Args, std::vector<std::string>{"已存在"});
}

// Key names as scripts write them, xdotool's spellings included.
TEST(Script, NamesKeysAsTheKeyboardSendsThem) {
    struct Case {
        const char* Name;
        QKeyCombination Key;
    };
    for (const Case& c :
         {Case{"Tab", Qt::Key_Tab}, Case{"ctrl+s", Qt::CTRL | Qt::Key_S}, Case{"Escape", Qt::Key_Escape},
          Case{"esc", Qt::Key_Escape}, Case{"F2", Qt::Key_F2}, Case{"shift+F3", Qt::SHIFT | Qt::Key_F3},
          Case{"shift+Tab", Qt::SHIFT | Qt::Key_Backtab}, Case{"ctrl+Delete", Qt::CTRL | Qt::Key_Delete},
          Case{"Return", Qt::Key_Return}, Case{"Page_Down", Qt::Key_PageDown},
          Case{"alt+n", Qt::ALT | Qt::Key_N}, Case{"y", Qt::Key_Y},
          Case{"Control+Shift+Home", Qt::CTRL | Qt::SHIFT | Qt::Key_Home}}) {
        SCOPED_TRACE(c.Name);
        const std::optional<QKeyCombination> key = ParseKeyName(c.Name);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(*key, c.Key);
    }
    const auto steps = ParseScript("key ctrl+s\ntype  收入 A1 \nanswer default\n");
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[1].Args, std::vector<std::string>{" 收入 A1"});
}

// A damaged store is a standing condition: it stays on show after an operation's own error ends.
TEST(DamagedStore, StaysShownAsAStandingCondition) {
    const auto dir = FreshTempDir("damaged-window");
    WriteDamagedStore(dir / "d.db");
    {
        Store store((dir / "d.db").string());
        MainWindow window(store);
        window.show();
        window.NoteStoreCondition();
        EXPECT_TRUE(window.ErrorShown());
        window.ShowError("一次操作的错误");
        window.NoteStoreCondition(); // once is enough: the text is not repeated
        window.ClearStandingError();
        EXPECT_TRUE(window.ErrorShown()); // the operation's error is still there
    }
    std::filesystem::remove_all(dir);
}

TEST(Script, RefusesStepsItCannotRead) {
    for (const char* bad :
         {"fly away", "command", "answer", "select 2", "select row", "expect-status", "wait now",
          "command new extra", "expect-rows", "expect-field", "touch", "wait-for", "key", "key nokey",
          "key ctrl+", "key ctrl+s extra", "key hyper+s", "key ctrl+s,ctrl+x", "type"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ParseScript(std::string("wait\n") + bad), std::invalid_argument);
    }
}

struct SettingsCase {
    std::vector<std::string> Args;
    const char* Db;
    const char* User;
    const char* Group;
    bool UserNamed;
};

// The settings file fills what the command line leaves open; the command line wins.
TEST(Settings, FillWhatTheCommandLineLeavesOpen) {
    auto dir = FreshTempDir("settings");
    const auto file = dir / "qmhost.conf";
    std::ofstream(file) << "[General]\ndb=postgresql:///qm?host=/tmp/x\nuser=clerk1\ngroup=team\n";
    const SettingsCase cases[] = {
        {{}, "postgresql:///qm?host=/tmp/x", "clerk1", "team", true},
        {{"--db", "/tmp/a.db", "--user", "me"}, "/tmp/a.db", "me", "team", true},
        {{"--group", "g2"}, "postgresql:///qm?host=/tmp/x", "clerk1", "g2", true},
    };
    for (const SettingsCase& c : cases) {
        Options o = ParseArguments(c.Args);
        ApplySettings(o, file.string());
        FillDefaults(o);
        EXPECT_EQ(o.DbPath, c.Db);
        EXPECT_EQ(o.User, c.User);
        EXPECT_EQ(o.Group, c.Group);
        EXPECT_EQ(o.UserNamed, c.UserNamed);
    }
    // Without a file: the login name, not named by anyone.
    Options bare = ParseArguments({});
    ApplySettings(bare, (dir / "missing.conf").string());
    FillDefaults(bare);
    EXPECT_EQ(bare.User, LoginName());
    EXPECT_FALSE(bare.UserNamed);
    EXPECT_TRUE(bare.DbPath.empty());
    std::filesystem::remove_all(dir);
}

// Qt's own dialogs (the export's file dialog, the print preview) speak the clerk's language too.
TEST(QtLanguage, QtsOwnDialogsSpeakChinese) {
    ASSERT_TRUE(TranslateQtDialogs()) << "Qt's Chinese translations are not installed";
    QDialogButtonBox box(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    for (auto which : {QDialogButtonBox::Save, QDialogButtonBox::Cancel}) {
        const QString text = box.button(which)->text();
        EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x4E00; }))
            << text.toStdString();
    }
    EXPECT_NE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
}

} // namespace
} // namespace qm::host::testing
