// Mouse and keyboard on the page control: tab selection, close boxes, hover, scrolling,
// sizing edges and the drag gestures of docked clients.
#include <QApplication>
#include <QChildEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

#include "controls/page_control.h"
#include "controls/sizing_hit_test.h"

namespace qm {

namespace {
TPoint ToPoint(const QPointF& p) {
    return Point(static_cast<int>(p.x()), static_cast<int>(p.y()));
}
} // namespace

int TQmPageControl::HitTest(QPoint screenPos) const {
    if (!canChangeSize_) return HTCLIENT;
    const QPoint corner = mapToGlobal(QPoint(width(), height()));
    return SizingHitTest(corner.x(), corner.y(), screenPos.x(), screenPos.y(), 2);
}

void TQmPageControl::InvalidateTab(int pos) {
    if (pos < 0) return;
    const TRect r = InflateRect(PageTabRect(pos), 3, 3);
    update(QRect(r.Left, r.Top, r.Width(), r.Height()));
}

void TQmPageControl::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    const QPoint global = event->globalPosition().toPoint();
    if (event->button() == Qt::LeftButton && HitTest(global) != HTCLIENT) {
        sizing_ = HitTest(global);
        sizingStart_ = global;
        sizingStartSize_ = size();
        return;
    }
    const TPoint p = ToPoint(event->position());
    const TTabStrip& strip = Strip();
    const TQmTabSheet* wasActive = active_;
    if (event->button() == Qt::LeftButton) {
        for (int which = 0; which < 2; ++which) {
            if (strip.ScrollButton(which).Contains(p)) {
                strip_.ScrollBy(which == 0 ? -1 : 1);
                Invalidate();
                return;
            }
        }
        const int pos = strip.HitTest(p);
        if (pos >= 0) {
            setFocus(Qt::MouseFocusReason);
            SelectTabByUser(pos, p, event->modifiers() & Qt::ShiftModifier);
            // A docked client is dragged out by its tab once the pointer moves far enough.
            TQmTabSheet* page = nullptr;
            for (int i = 0; i <= pos; ++i)
                page = FindNeighbourPage(page, true, true);
            if (dockSite_ && page) {
                if (QWidget* client = page->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
                    client && DockPageOf(client) == page) {
                    dragClient_ = client;
                    dragStart_ = event->position().toPoint();
                    dragging_ = false;
                }
            }
        }
    }
    // A press that made its tab active only selects it: inactive close boxes ignore the mouse,
    // and the release that ends this press must not close the page either.
    selectingPress_ = active_ != wasActive;
    if (tabBorder3D_ || !active_ || selectingPress_) return;
    const int ap = ActivePagePos();
    if (active_->showClose_ && CloseBoxHit(ap, p.X, p.Y)) {
        if (!dockSite_) {
            closePressed_ = true;
            update();
        } else {
            ClosePage(active_, FindNeighbourPage(active_, true, true), false);
        }
    }
}

void TQmPageControl::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    if (sizing_) {
        sizing_ = 0;
        return;
    }
    if (dragClient_) {
        QPointer<QWidget> client = dragClient_;
        const bool dropOutside = dragging_ && !rect().contains(event->position().toPoint());
        dragClient_ = nullptr;
        dragging_ = false;
        if (dropOutside && client) {
            UndockClient(client, true, event->globalPosition().toPoint());
            return;
        }
    }
    const bool selecting = std::exchange(selectingPress_, false);
    if (tabBorder3D_ || !active_ || event->button() != Qt::LeftButton || selecting) return;
    const TPoint p = ToPoint(event->position());
    const int ap = ActivePagePos();
    if (!active_->showClose_ || !CloseBoxHit(ap, p.X, p.Y)) return;
    bool last = true;
    for (int i = ap + 1; i < PageCount(); ++i)
        if (Pages(i)->TabVisible()) last = false;
    ClosePage(active_, FindNeighbourPage(active_, !last, true), true);
}

void TQmPageControl::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    const QPoint global = event->globalPosition().toPoint();
    if (sizing_) {
        const QPoint delta = global - sizingStart_;
        QSize s = sizingStartSize_;
        if (sizing_ != HTBOTTOM) s.setWidth(std::max(1, s.width() + delta.x()));
        if (sizing_ != HTRIGHT) s.setHeight(std::max(1, s.height() + delta.y()));
        resize(s);
        return;
    }
    switch (HitTest(global)) {
    case HTRIGHT:
        setCursor(Qt::SizeHorCursor);
        break;
    case HTBOTTOM:
        setCursor(Qt::SizeVerCursor);
        break;
    case HTBOTTOMRIGHT:
        setCursor(Qt::SizeFDiagCursor);
        break;
    default:
        unsetCursor();
        break;
    }
    if (dragClient_ && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - dragStart_).manhattanLength() >= QApplication::startDragDistance())
        dragging_ = true;
    if (tabBorder3D_ || !active_ || tabHoverColor_ == clNone) return;
    const TPoint p = ToPoint(event->position());
    if (tabBackGround_.Empty()) {
        const int t = TabPageAt(p.X, p.Y);
        if (t != hoverPage_) {
            InvalidateTab(hoverPage_);
            hoverPage_ = t;
            InvalidateTab(t);
        }
    }
    if (active_->showClose_) {
        const bool over = CloseBoxHit(ActivePagePos(), p.X, p.Y);
        if (!closeHot_ && over) {
            closeHot_ = true;
            update();
        } else if (closeHot_ && !over) {
            closeHot_ = false;
            update();
        }
    }
}

void TQmPageControl::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (tabBackGround_.Empty() && hoverPage_ != -1) InvalidateTab(hoverPage_);
    hoverPage_ = -1;
}

void TQmPageControl::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    if (!dockSite_ || event->button() != Qt::LeftButton) return;
    const int pos = Strip().HitTest(ToPoint(event->position()));
    if (pos < 0) return;
    TQmTabSheet* page = nullptr;
    for (int i = 0; i <= pos; ++i)
        page = FindNeighbourPage(page, true, true);
    if (!page) return;
    QWidget* client = page->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    if (client && DockPageOf(client) == page) {
        dragClient_ = nullptr;
        UndockClient(client, true, event->globalPosition().toPoint());
    }
}

bool TQmPageControl::HasFocusInside() const {
    QWidget* f = QApplication::focusWidget();
    return f && (f == this || isAncestorOf(f));
}

void TQmPageControl::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (ctrl && (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab)) {
        const bool back = event->key() == Qt::Key_Backtab || (event->modifiers() & Qt::ShiftModifier);
        StepActivePage(!back);
        event->accept();
        return;
    }
    // Arrow keys move the strip's selection by one tab, through the change hooks.
    const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
    int step = 0;
    if (event->key() == (vertical ? Qt::Key_Up : Qt::Key_Left)) step = -1;
    if (event->key() == (vertical ? Qt::Key_Down : Qt::Key_Right)) step = 1;
    if (step != 0 && hasFocus() && strip_.Selected() >= 0) {
        SelectTabByUser(strip_.Selected() + step, std::nullopt, event->modifiers() & Qt::ShiftModifier);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TQmPageControl::event(QEvent* event) {
    // Ctrl+Tab must reach the control before focus navigation sees a Tab.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->modifiers() & Qt::ControlModifier) &&
            (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept();
                return true;
            }
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void TQmPageControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TQmPageControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TQmPageControl::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
}

} // namespace qm
