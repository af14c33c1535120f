// Lifecycle and host messages of the child form.
#include "framework/child_form.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>

#include <array>
#include <exception>
#include <stdexcept>

#include "canvas/font.h"
#include "controls/flat_edit.h"
#include "controls/flat_speed_button.h"
#include "controls/page_control.h"
#include "dataset/abort.h"
#include "grid/db_grid.h"
#include "plugin/globals.h"
#include "plugin/messages.h"
#include "plugin/records.h"
#include "protocol/qm_protocol.h"

namespace qm {

TfrmChildBase::TfrmChildBase(QWidget* parent, TBorderIcons icons, QSize designClientSize)
    : QWidget(parent), FBorderIcons(icons), FDesignSize(designClientSize) {
    setAutoFillBackground(false);
    setFocusPolicy(Qt::ClickFocus);
    QFont font(InstalledFamily(QStringLiteral("SimSun")));
    font.setPixelSize(12);
    setFont(font);
    resize(designClientSize);
    FNormalGeometry = geometry();
    FTitle = new TTitleBar(this);
    chldcmnd = new TChildCommand(this);
    chldcmnd->Name = "chldcmnd";
    chldcmndBase = new TChildCommand(this);
    chldcmndBase->Name = "chldcmndBase";
    std::array<TNotifyEvent, 10> handlers;
    for (int i = 0; i < 10; ++i)
        handlers[static_cast<std::size_t>(i)] = [this, i](TObject*) { RunBaseCommand(i); };
    BuildBaseCommands(*chldcmndBase, handlers);
    FTitle->btnFormTitleMin->OnClick = [this] { btnFormTitleMinClick(); };
    FTitle->btnFormTitleMax->OnClick = [this] { btnFormTitleMaxClick(); };
    FTitle->btnFormTitleColse->OnClick = [this] { btnFormTitleColseClick(); };
    FTitle->pnlFormTileMid->OnDblClick = [this] { btnFormTitleMaxClick(); };
    FTitle->pnlFormTileMid->OnMouseDown = [this] { pnlFormTileMidMouseDown(); };
    FTitle->pbTitleRight->OnPaint = [this] { PaintTitleRight(); };
    // The form sees keys before its controls.
    qApp->installEventFilter(this);
}

TfrmChildBase::~TfrmChildBase() {
    if (qApp) qApp->removeEventFilter(this);
    if (FWatchedParent) FWatchedParent->removeEventFilter(this);
    if (FHandle) ReleaseHandle(FHandle);
    FHandle = 0;
    FProtocol.reset();
}

HWND TfrmChildBase::Handle() {
    if (!FHandle) {
        FHandle = AllocateHandle(this);
        SetNativeWindow(FHandle, static_cast<QWidget*>(this));
    }
    return FHandle;
}

void TfrmChildBase::FormCreate() {
    SetFuncId(0);
    FMaxToggle = static_cast<std::int32_t>(SC_RESTORE);
    SetTitleVisible(true);
    FEditState = esInitial;
    FTitle->SetButtons(FBorderIcons & unsigned(TBorderIcon::biMinimize),
                       FBorderIcons & unsigned(TBorderIcon::biMaximize),
                       FBorderIcons & unsigned(TBorderIcon::biSystemMenu));
    CreateFormData();
}

void TfrmChildBase::CreateFormData() {
    FProtocol = std::make_unique<TQmProtocol>();
}

void TfrmChildBase::FreeProtocol() {
    FProtocol.reset();
}

void TfrmChildBase::FreeFormData() {
    FreeProtocol();
    Panels.clear();
}

void TfrmChildBase::InitOnActivate() {
    PaintTitleRight();
}

void TfrmChildBase::SetCaption(const std::string& caption) {
    FCaption = caption;
    setWindowTitle(QString::fromStdString(caption));
}

void TfrmChildBase::FormShow() {
    FTitle->SetCaption(FCaption);
}

void TfrmChildBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void TfrmChildBase::setVisible(bool visible) {
    QWidget::setVisible(visible);
    if (!visible) return;
    FormShow();
    // The first activation comes as a posted message, once the host has the form id, its context
    // and its colours; it follows the show even while the host's own window is still hidden.
    if (!FActivationPosted && !FActivated) {
        FActivationPosted = true;
        PostMessage(Handle(), WM_QM_ACTIVATE_FORM, 1, 0);
    }
}

void TfrmChildBase::FormActivate() {
    if (FActivated || FClosed) return;
    FActivated = true; // runs on the first activation only
    BusyScope busy(*this);
    InitOnActivate();
    AfterActivate();
}

void TfrmChildBase::FormClose() {
    FClosed = true;
    hide();
    FreeFormData();
}

void TfrmChildBase::ReportError(const std::exception_ptr& error) {
    std::string text = "未知错误";
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return; // stopped on purpose, and said why already
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    try {
        SendStatusMessage(3, text);
    } catch (...) {
    }
}

template <class Fn> bool TfrmChildBase::Guarded(Fn&& fn) {
    try {
        fn();
        return true;
    } catch (...) {
        ReportError(std::current_exception());
        return false;
    }
}

void TfrmChildBase::RunBaseCommand(int index) {
    if (FClosed || FBusy > 0) return;
    BusyScope busy(*this);
    Guarded([&] {
        switch (index) {
        case 0:
            DoNew();
            break;
        case 1:
            DoUpdate();
            break;
        case 2:
            DoDelete();
            break;
        case 3:
            DoSave();
            break;
        case 4:
            DoSearch();
            break;
        case 5:
            DoCancel();
            break;
        case 6:
            DoFirstRec();
            break;
        case 7:
            DoPriorRec();
            break;
        case 8:
            DoNextRec();
            break;
        case 9:
            DoLastRec();
            break;
        default:
            break;
        }
    });
}

void TfrmChildBase::AnnounceCommands() {
    SendMessage(HostWnd(), WM_QM_COMMANDS, reinterpret_cast<WPARAM>(&chldcmnd), 0);
}

void TfrmChildBase::AnnounceBaseCommands() {
    SendMessage(HostWnd(), WM_QM_BASECOMMANDS, reinterpret_cast<WPARAM>(&chldcmndBase), 0);
}

void TfrmChildBase::HandleContext(const char* text) {
    const std::string context = text ? std::string(text) : std::string();
    const auto colon = context.find(':');
    if (FSystemCode.empty())
        FSystemCode = colon == std::string::npos ? std::string() : context.substr(0, colon);
    FContextTail = colon == std::string::npos ? context : context.substr(colon + 1);
}

LRESULT TfrmChildBase::handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    try {
        return HandleHostMessage(msg, wParam, lParam);
    } catch (...) {
        ReportError(std::current_exception());
        // A close that failed half-way has still closed; a may-close check that failed refuses.
        if (msg == WM_QM_CLOSE) return FClosed ? 0 : 1;
        if (msg == WM_QM_CANCLOSE) return 1;
        return 0;
    }
}

LRESULT TfrmChildBase::HandleHostMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_QM_HIDE:
        hide();
        return 0;
    case WM_QM_SHOW:
        show();
        AnnounceCommands();
        AnnounceBaseCommands();
        return 0;
    case WM_QM_CLOSE: {
        if (FClosed) return 0;
        if (FBusy > 0) return 1;
        BusyScope busy(*this);
        if (!CanCloseForm()) return 1;
        FormClose();
        return 0;
    }
    case WM_QM_CANCLOSE: {
        if (FClosed) return 0;
        if (FBusy > 0) return 1;
        BusyScope busy(*this);
        return CanCloseForm() ? 0 : 1;
    }
    case WM_QM_CONTEXT:
        SetHostContext(reinterpret_cast<const THostContext*>(wParam));
        HandleContext(reinterpret_cast<const char*>(lParam));
        return 0;
    case WM_QM_COLORS:
        if (!wParam) return 0; // a null scheme is ignored
        SetHostColors(reinterpret_cast<const THostColors*>(wParam));
        ApplyColors();
        return 0;
    case WM_QM_REPARENT: {
        SetParentWindow(static_cast<HWND>(wParam));
        const auto target = static_cast<std::int32_t>(lParam);
        if (target >= 0 && static_cast<std::int64_t>(target) == static_cast<std::int64_t>(FFormId)) {
            show();
            AnnounceCommands();
            AnnounceBaseCommands();
        } else {
            hide();
        }
        return 0;
    }
    case WM_QM_ACTIVATE_FORM:
        if (wParam) FormActivate();
        return 0;
    case WM_SYSCOMMAND:
        HandleSysCommand(static_cast<unsigned>(wParam & 0xFFF0));
        return 0;
    case WM_NEXTDLGCTL:
        focusNextPrevChild(wParam == 0);
        return 0;
    default:
        return 0;
    }
}

void TfrmChildBase::SetParentWindow(HWND parent) {
    auto* widget = static_cast<QWidget*>(NativeWindow(parent));
    const bool visible = isVisible();
    if (widget != parentWidget()) {
        setParent(widget);
        if (visible) show();
    }
    if (FWindowState == TWindowState::wsMaximized) FollowParent();
}

void TfrmChildBase::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutTitle();
}

void TfrmChildBase::LayoutTitle() {
    const int top = FTitleVisible ? TTitleBar::Height : 0;
    FTitle->setGeometry(0, 0, width(), top);
    FTitle->setVisible(FTitleVisible);
    LayoutClient(QRect(0, top, width(), std::max(0, height() - top)));
}

void TfrmChildBase::LayoutClient(const QRect&) {}

void TfrmChildBase::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const THostColors* colors = HostColors();
    painter.fillRect(rect(), ToQColor(colors ? static_cast<TColor>(colors->FormColor) : TColor(12825237)));
}

void TfrmChildBase::SetTitleVisible(bool visible) {
    FTitleVisible = visible;
    LayoutTitle();
}

void TfrmChildBase::ApplyColors() {
    const THostColors* colors = HostColors();
    if (!colors) return;
    SetTitleVisible(colors->ShowTitle != 0);
    FTitle->SetColor(static_cast<TColor>(colors->TitleColor), TitleTextFollowsTitleColor());
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ToQColor(static_cast<TColor>(colors->FormColor)));
    setPalette(pal);
    update();
    PaintTitleRight();
}

void TfrmChildBase::PaintTitleRight() {
    const THostColors* colors = HostColors();
    FTitle->pbTitleRight->SetColors(colors != nullptr, colors ? static_cast<TColor>(colors->TitleColor) : 0,
                                    colors ? static_cast<TColor>(colors->FormColor) : 0);
}

// ------------------------------------------------------------------ title bar buttons

void TfrmChildBase::btnFormTitleMinClick() {
    PostMessage(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void TfrmChildBase::btnFormTitleMaxClick() {
    std::int32_t next = 0;
    if (FMaxToggle == static_cast<std::int32_t>(SC_MAXIMIZE))
        next = static_cast<std::int32_t>(SC_RESTORE);
    else if (FMaxToggle == static_cast<std::int32_t>(SC_RESTORE))
        next = static_cast<std::int32_t>(SC_MAXIMIZE);
    else
        return;
    PostMessage(Handle(), WM_SYSCOMMAND, static_cast<WPARAM>(next), 0);
    FMaxToggle = next;
}

void TfrmChildBase::btnFormTitleColseClick() {
    if (FClosed || FBusy > 0) return;
    bool may = false;
    {
        BusyScope busy(*this);
        if (!Guarded([&] { may = CanCloseForm(); })) return;
    }
    if (!may) return;
    PostMessage(Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessage(HostWnd(), WM_QM_FORMCLOSED, Handle(), 0);
}

void TfrmChildBase::pnlFormTileMidMouseDown() {
    if (!TitleDrags()) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    SendMessage(Handle(), WM_SYSCOMMAND, SC_DRAGMOVE, 0);
}

// ------------------------------------------------------------------ Tab keys

bool TfrmChildBase::KeepsTab(QWidget* focus) const {
    // The grid moves between its cells; a memo that wants tabs types them.
    for (QWidget* w = focus; w && w != this; w = w->parentWidget()) {
        if (qobject_cast<TQmDBGrid*>(w)) return true;
        if (auto* edit = qobject_cast<TQmFlatEdit*>(w)) return edit->MultiLine() && edit->WantTabs();
    }
    return false;
}

bool TfrmChildBase::HandleTabKey(QObject* receiver, QKeyEvent* key) {
    auto* widget = qobject_cast<QWidget*>(receiver);
    if (!widget || (widget != this && !isAncestorOf(widget))) return false;
    // Ctrl+Tab inside a page control turns its pages.
    if (key->modifiers() & Qt::ControlModifier) {
        for (QWidget* w = widget; w && w != this; w = w->parentWidget()) {
            if (!qobject_cast<TQmPageControl*>(w)) continue;
            if (w == widget) return false; // its own key handling does it
            QApplication::sendEvent(w, key);
            return true;
        }
    }
    if (KeepsTab(widget)) return false;
    const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
    SendMessage(Handle(), WM_NEXTDLGCTL, back ? 1 : 0, 0);
    // The focus moves once; the control that had it would only move it again.
    return true;
}

bool TfrmChildBase::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWatchedParent.data() && event->type() == QEvent::Resize &&
        FWindowState == TWindowState::wsMaximized) {
        FollowParent();
        return false;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) return HandleTabKey(watched, key);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qm
