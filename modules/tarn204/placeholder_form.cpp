#include "modules/tarn204/placeholder_form.h"

#include <QEvent>

#include "platform/qt/qt_pump.h"
#include "plugin/globals.h"
#include "plugin/messages.h"

namespace qm {

TfrmPlaceholder::TfrmPlaceholder(QWidget* parent) : QWidget(parent) {
    chldcmnd = new TChildCommand(this);
    chldcmnd->Name = "chldcmnd";
    chldcmndBase = new TChildCommand(this);
    chldcmndBase->Name = "chldcmndBase";
    BuildBaseCommands(*chldcmndBase, {});
    setAutoFillBackground(true);
}

TfrmPlaceholder::~TfrmPlaceholder() {
    if (FHandle) ReleaseHandle(FHandle);
}

HWND TfrmPlaceholder::Handle() {
    if (!FHandle) {
        FHandle = AllocateHandle(this);
        SetNativeWindow(FHandle, this);
    }
    return FHandle;
}

void TfrmPlaceholder::SetCaption(const std::string& caption) {
    FCaption = caption;
    setWindowTitle(QString::fromStdString(caption));
}

void TfrmPlaceholder::SetParentWindow(HWND parent) {
    const bool wasVisible = isVisible();
    if (FWatchedParent) FWatchedParent->removeEventFilter(this);
    setParent(WidgetOfHandle(parent));
    FWatchedParent = parentWidget();
    if (FWatchedParent) FWatchedParent->installEventFilter(this);
    FillParent();
    if (wasVisible) show();
}

void TfrmPlaceholder::SetWindowState(TWindowState state) {
    FWindowState = state;
    FillParent();
}

void TfrmPlaceholder::FillParent() {
    if (FWindowState == TWindowState::wsMaximized && parentWidget()) setGeometry(parentWidget()->rect());
}

bool TfrmPlaceholder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWatchedParent && event->type() == QEvent::Resize) FillParent();
    return QWidget::eventFilter(watched, event);
}

void TfrmPlaceholder::AnnounceCommands() {
    SendMessage(HostWnd(), WM_QM_COMMANDS, reinterpret_cast<WPARAM>(&chldcmnd), 0);
}

void TfrmPlaceholder::AnnounceBaseCommands() {
    SendMessage(HostWnd(), WM_QM_BASECOMMANDS, reinterpret_cast<WPARAM>(&chldcmndBase), 0);
}

void TfrmPlaceholder::ApplyColors() {
    const THostColors* colors = HostColors();
    if (!colors) return;
    QPalette p = palette();
    const TColor c = ColorToRGB(colors->FormColor);
    p.setColor(QPalette::Window, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    setPalette(p);
}

LRESULT TfrmPlaceholder::handleMessage(unsigned msg, WPARAM wParam, LPARAM lParam) {
    try {
        switch (msg) {
            case WM_QM_HIDE:
                hide();
                return 0;
            case WM_QM_SHOW:
                show();
                AnnounceCommands();
                AnnounceBaseCommands();
                return 0;
            case WM_QM_CLOSE:
                hide();  // nothing of its own to keep: it always agrees
                return 0;
            case WM_QM_CANCLOSE:
                return 0;
            case WM_QM_CONTEXT:
                SetHostContext(reinterpret_cast<const THostContext*>(wParam));
                FContextText = lParam ? reinterpret_cast<const char*>(lParam) : "";
                return 0;
            case WM_QM_COLORS:
                SetHostColors(reinterpret_cast<const THostColors*>(wParam));
                ApplyColors();
                return 0;
            case WM_QM_REPARENT: {
                SetParentWindow(static_cast<HWND>(wParam));
                // Compared as signed: a negative id never names this form.
                const auto wanted = static_cast<std::int32_t>(lParam);
                if (wanted >= 0 && static_cast<std::uint32_t>(wanted) == FFormId) {
                    show();
                    AnnounceCommands();
                    AnnounceBaseCommands();
                } else {
                    hide();
                }
                return 0;
            }
            default:
                return 0;
        }
    } catch (const std::exception& e) {
        SendMessage(HostWnd(), WM_QM_STATUS, QM_STATUS_ERROR, reinterpret_cast<LPARAM>(e.what()));
    } catch (...) {
    }
    return 0;
}

}  // namespace qm
