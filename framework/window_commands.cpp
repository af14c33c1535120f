// The window commands acting on a child window inside its parent: maximise, restore, minimise,
// drag and close.
#include <QCursor>
#include <QMouseEvent>

#include "framework/child_form.h"

namespace qm {

namespace {
constexpr int MinimizedWidth = 160;
}

void TfrmChildBase::HandleSysCommand(unsigned command) {
    switch (command) {
    case SC_MAXIMIZE:
        SetWindowState(TWindowState::wsMaximized);
        break;
    case SC_RESTORE:
        SetWindowState(TWindowState::wsNormal);
        break;
    case SC_MINIMIZE:
        SetWindowState(TWindowState::wsMinimized);
        break;
    case SC_DRAGMOVE & 0xFFF0:
        StartDrag();
        break;
    case SC_CLOSE:
        if (!FClosed) FormClose();
        break;
    default:
        break;
    }
}

void TfrmChildBase::SetWindowState(TWindowState state) {
    QWidget* parent = parentWidget();
    if (FWindowState == TWindowState::wsNormal && state != TWindowState::wsNormal)
        FNormalGeometry = geometry();
    if (FWatchedParent && FWatchedParent != parent) FWatchedParent->removeEventFilter(this);
    FWindowState = state;
    switch (state) {
    case TWindowState::wsMaximized:
        FollowParent();
        break;
    case TWindowState::wsNormal:
        setGeometry(FNormalGeometry);
        break;
    case TWindowState::wsMinimized: {
        const int bottom = parent ? parent->height() : height();
        setGeometry(0, bottom - TTitleBar::Height, MinimizedWidth, TTitleBar::Height);
        break;
    }
    }
}

void TfrmChildBase::FollowParent() {
    QWidget* parent = parentWidget();
    if (!parent) return;
    if (FWatchedParent != parent) {
        if (FWatchedParent) FWatchedParent->removeEventFilter(this);
        FWatchedParent = parent;
        parent->installEventFilter(this);
    }
    setGeometry(parent->rect());
}

void TfrmChildBase::StartDrag() {
    if (FWindowState == TWindowState::wsMaximized) return; // a maximised window does not move
    FDragging = true;
    FDragOffset = QCursor::pos() - mapToGlobal(QPoint(0, 0));
    grabMouse();
}

void TfrmChildBase::DragTo(const QPoint& globalPos) {
    QWidget* parent = parentWidget();
    QPoint topLeft = globalPos - FDragOffset;
    if (parent) {
        topLeft = parent->mapFromGlobal(topLeft);
        // Kept inside the parent: the whole form when it fits, else its top-left corner.
        const int maxX = std::max(0, parent->width() - width());
        const int maxY = std::max(0, parent->height() - height());
        topLeft.setX(std::clamp(topLeft.x(), 0, maxX));
        topLeft.setY(std::clamp(topLeft.y(), 0, maxY));
    }
    move(topLeft);
}

void TfrmChildBase::EndDrag() {
    FDragging = false;
    releaseMouse();
    if (FWindowState == TWindowState::wsNormal) FNormalGeometry = geometry();
}

void TfrmChildBase::mouseMoveEvent(QMouseEvent* event) {
    if (FDragging) {
        DragTo(event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TfrmChildBase::mouseReleaseEvent(QMouseEvent* event) {
    if (FDragging) {
        DragTo(event->globalPosition().toPoint());
        EndDrag();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

} // namespace qm
