#include "host/ui/main_window.h"

#include "host/desk/desk.h"
#include "host/module_library.h"
#include "host/ui/exchange_summary.h"
#include "host/ui/status_line.h"
#include "platform/platform.h"
#include "platform/qt/qt_pump.h"
#include "plugin/messages.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm::host {

namespace {

// Laying out a text of millions of characters takes gigabytes; the bar shows a readable start.
QString Elided(const std::string& text, std::size_t characters) {
    return QString::fromStdString(Excerpt(text, characters));
}

} // namespace

MainWindow::MainWindow(Store& store, QWidget* parent)
    : QMainWindow(parent), FStore(store), FLink(store, *this) {
    setWindowTitle(QString::fromUtf8(AppTitle));
    resize(1000, 680);
    SetNativeWindow(FLink.Handle(), static_cast<QWidget*>(this));

    // One entry per module form; it opens the form again once closed.
    QMenu* modules = menuBar()->addMenu(QString::fromUtf8("模块(&M)"));
    modules->setObjectName("moduleMenu");
    FModuleAction = modules->addAction(QString::fromUtf8("收入级别维护"));
    FModuleAction->setObjectName("openModuleForm");
    FModuleAction->setEnabled(false);
    connect(FModuleAction, &QAction::triggered, this, [this] { OpenForm(); });

    auto* bar = addToolBar(QString::fromUtf8("命令"));
    bar->setObjectName("commandBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    FCommands = new CommandBar(bar, [this](const std::string& text) { StatusShown(3, text); });
    // A note of the form's speaks of a moment in its grid (a refused keystroke): the next command
    // does not start under it.
    FCommands->SetOnStart([this](std::string_view) {
        if (FFormStatusKind == static_cast<int>(QM_STATUS_NOTE) &&
            statusBar()->currentMessage() == FShownStatus)
            ShowStatus(QString());
    });

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    // Errors stay on show until the user dismisses them; never a modal box, since the module
    // waits inside its status message.
    FErrorBar = new QFrame(central);
    FErrorBar->setObjectName("errorBar");
    auto* row = new QHBoxLayout(FErrorBar);
    row->setContentsMargins(10, 6, 6, 6);
    FErrorText = new QLabel(FErrorBar);
    FErrorText->setWordWrap(true);
    FErrorText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* dismiss = new QToolButton(FErrorBar);
    dismiss->setObjectName("dismissError");
    dismiss->setText(QString::fromUtf8("✕"));
    dismiss->setToolTip(QString::fromUtf8("关闭提示"));
    dismiss->setAutoRaise(true);
    connect(dismiss, &QToolButton::clicked, this, [this] { DismissError(); });
    row->addWidget(FErrorText, 1);
    row->addWidget(dismiss);
    FErrorBar->hide();
    column->addWidget(FErrorBar);

    FWorkspace = new QWidget(central);
    FWorkspace->setObjectName("workspace");
    FWorkspace->setAutoFillBackground(true);
    QPalette p = FWorkspace->palette();
    p.setColor(QPalette::Window, QColor(0x95, 0xB2, 0xC3));
    FWorkspace->setPalette(p);
    column->addWidget(FWorkspace, 1);
    setCentralWidget(central);
    FWorkspaceHandle = AllocateHandle(&FWorkspaceTarget);
    SetNativeWindow(FWorkspaceHandle, FWorkspace);

    setStatusBar(new StatusLine(this));
    FBusy = new QProgressBar(statusBar());
    FBusy->setObjectName("searchBusy");
    FBusy->setRange(0, 0);
    FBusy->setTextVisible(false);
    FBusy->setMaximumSize(120, 14);
    FBusy->hide();
    statusBar()->addPermanentWidget(FBusy);
    ShowStatus(QString::fromUtf8("就绪"));
    FDesk = new desk::Desk(*this);
}

MainWindow::~MainWindow() {
    // The form (a child of the workspace) goes first, while this window still answers what its
    // destruction may send.
    FCommands->Clear();
    FCommands->SetOnRan(nullptr);
    FCommands->SetOnStart(nullptr);
    FFormId = 0;
    // The desk follows the form's grid: it goes before the form does.
    delete FDesk;
    FDesk = nullptr;
    ReleaseHandle(FWorkspaceHandle);
    delete FWorkspace;
    FWorkspace = nullptr;
    SetNativeWindow(FLink.Handle(), nullptr);
}

void MainWindow::AdoptForm(HWND formId) {
    FFormId = formId;
    UpdateTitle();
}

void MainWindow::UpdateTitle() {
    const bool open = FFormId != 0 && !FModule.Caption.empty();
    setWindowTitle(QString::fromStdString(open ? FModule.Caption + " - " + AppTitle : std::string(AppTitle)));
}

void MainWindow::SetModule(const ModuleForm& module) {
    FModule = module;
    FModuleAction->setText(QString::fromStdString(module.Caption));
    FModuleAction->setEnabled(module.Library && module.Library->Loaded());
    UpdateTitle();
}

bool MainWindow::OpenForm(std::string* why) {
    auto fail = [&](const std::string& text) {
        if (why)
            *why = text;
        else
            ShowError(text);
        return false;
    };
    if (FFormId != 0 && IsWindow(FFormId)) {
        // The open form comes forward with its commands; there is never a second one.
        SendMessage(FFormId, WM_QM_SHOW, 0, 0);
        if (QWidget* w = WidgetOfHandle(FFormId)) w->raise();
        return true;
    }
    if (!FModule.Library || !FModule.Library->Loaded()) return fail("无法打开窗体：模块未加载");
    const HWND id = FModule.Library->ShowChildForm(HostWnd(), HostWnd(), WorkspaceWnd(), FModule.Caption);
    if (id == 0) return fail("模块未能打开窗体" + (FLastStatus.empty() ? std::string() : "：" + FLastStatus));
    AdoptForm(id);
    SendMessage(id, WM_QM_CONTEXT, reinterpret_cast<WPARAM>(FModule.Context),
                reinterpret_cast<LPARAM>(FModule.ContextText.c_str()));
    SendMessage(id, WM_QM_COLORS, reinterpret_cast<WPARAM>(FModule.Colors), 0);
    if (FModule.SearchOnOpen) SearchWhenIdle(id);
    FDesk->FormOpened();
    return true;
}

void MainWindow::SearchWhenIdle(HWND form, int attempt) {
    // After the form's activation, which is posted while it is shown; the form ignores commands
    // while one of its operations lets messages run, so wait for that to end. Soon at first, then
    // gently, so that a long wait (a box open at start) does not spin.
    QTimer::singleShot(attempt < 50 ? 0 : 20, this, [this, form, attempt] {
        if (FFormId != form) return;
        if (OperationRunning() || PendingMessageCount() > 0) return SearchWhenIdle(form, attempt + 1);
        FCommands->Run("search");
    });
}

bool MainWindow::ErrorShown() const {
    return !FErrorBar->isHidden();
}

void MainWindow::ShowErrorBar() {
    std::string text = FStandingError;
    if (!FOperationError.empty()) text += (text.empty() ? "" : "\n") + FOperationError;
    FErrorText->setText(Elided(text, 500));
    // Its look comes with its first error: a style sheet costs the start-up of every window
    // that never shows one.
    if (!text.empty() && FErrorBar->styleSheet().isEmpty())
        FErrorBar->setStyleSheet("#errorBar { background: #fbe3e1; border-bottom: 1px solid #d9534f; }"
                                 "#errorBar QLabel { color: #8a1f1b; font-weight: bold; }");
    FErrorBar->setVisible(!text.empty());
}

void MainWindow::ShowStandingError(const std::string& text) {
    FStandingError = text;
    ShowErrorBar();
}

void MainWindow::ClearStandingError() {
    FStandingError.clear();
    ShowErrorBar();
}

void MainWindow::DismissError() {
    FOperationError.clear();
    FStandingError.clear();
    FErrorBar->hide();
}

void MainWindow::FormCreated(HWND form) {
    FFormId = form;
}

void MainWindow::NoteStoreCondition() {
    const std::string damage = FStore.WritesRefused();
    if (damage.empty() || FStandingError.find(damage) != std::string::npos) return;
    ShowStandingError(FStandingError.empty() ? damage : FStandingError + "\n" + damage);
}

void MainWindow::ExchangeAnswered(unsigned msg, const std::string& request, const std::string& answer) {
    (void)msg;
    ShowSummary(ExecuteSummary(request, answer));
}

void MainWindow::SearchAnswered(std::u16string_view answer) {
    ShowSummary(SearchSummary(answer));
}

void MainWindow::ShowSummary(const std::optional<std::string>& summary) {
    NoteStoreCondition();
    if (!summary) return;
    // A success ends the error of an earlier operation; standing conditions stay.
    FOperationError.clear();
    ShowErrorBar();
    FLastStatus = *summary;
    FLastStatusKind = 1;
    ShowStatus(QString::fromStdString(*summary));
}

void MainWindow::SearchRunning(bool running) {
    static const QString searching = QString::fromUtf8("正在查询…");
    FBusy->setVisible(running);
    if (running) {
        FStatusBeforeSearch = FShownStatus;
        ShowStatus(searching);
    } else if (FShownStatus == searching) {
        // No summary came (the answer was a refusal): the module says why on its own.
        ShowStatus(FStatusBeforeSearch);
    }
}

void MainWindow::CommandsAnnounced(bool base, const void* field) {
    auto* set = static_cast<TChildCommand* const*>(field);
    if (base)
        FCommands->SetBaseSet(set);
    else
        FCommands->SetOwnSet(set);
}

void MainWindow::StatusShown(int kind, const std::string& text) {
    FLastStatus = text;
    FLastStatusKind = kind;
    if (kind == static_cast<int>(QM_STATUS_ERROR)) {
        FOperationError = text;
        ShowErrorBar();
        ShowStatus(QString::fromUtf8("错误：") + Elided(text, 200));
    } else if (kind == static_cast<int>(QM_STATUS_STANDING) && text.empty()) {
        // The condition ended (a filter cleared): its words go, anything said since stays.
        if (FFormStatusKind == kind && statusBar()->currentMessage() == FShownStatus) ShowStatus(QString());
    } else {
        ShowStatus(Elided(text, 200));
        FFormStatusKind = kind;
    }
}

void MainWindow::FormClosed(HWND form) {
    if (form != FFormId) return;
    FDesk->FormClosing();
    if (QWidget* w = WidgetOfHandle(form)) w->hide();
    ForgetForm();
}

void MainWindow::ForgetForm() {
    FFormId = 0;
    FCommands->Clear();
    UpdateTitle();
    // What was said about the form and its rows went with it; standing conditions stay.
    FOperationError.clear();
    ShowErrorBar();
    ShowStatus(QString::fromUtf8("窗体已关闭"));
}

void MainWindow::ShowStatus(const QString& text) {
    FShownStatus = text;
    FFormStatusKind = 0;
    statusBar()->showMessage(text);
}

bool MainWindow::event(QEvent* event) {
    // Menus and buttons without a tip of their own would blank the bar while hovered, and it
    // would stay blank: the last status comes back instead.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        statusBar()->showMessage(tip.isEmpty() ? FShownStatus : tip);
        return true;
    }
    return QMainWindow::event(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (FClosing) { // a close request while the form is still deciding
        event->ignore();
        return;
    }
    if (FFormId == 0 || !IsWindow(FFormId)) {
        FLastCloseAgreed = true;
        event->accept();
        return;
    }
    FClosing = true;
    const LRESULT refused = SendMessage(FFormId, WM_QM_CLOSE, 0, 0);
    FClosing = false;
    FLastCloseAgreed = refused != 1;
    if (!FLastCloseAgreed) {
        ShowStatus(QString::fromUtf8("窗体未关闭：请先保存或取消当前修改"));
        event->ignore();
        return;
    }
    if (QWidget* w = WidgetOfHandle(FFormId)) w->hide();
    ForgetForm();
    event->accept();
}

} // namespace qm::host
