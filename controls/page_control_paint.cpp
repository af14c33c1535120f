// The page control's paint pass: one off-screen picture with the strip, the page frame, the
// tabs, the scroll buttons and the close box's lit or pressed look, copied in one go.
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>

#include "canvas/draw_routines.h"
#include "controls/page_control.h"

namespace qm {

void TQmPageControl::paintEvent(QPaintEvent*) {
    ++repaints_;
    const QImage picture = Render();
    QPainter(this).drawImage(0, 0, picture);
}

QImage TQmPageControl::Render() {
    QImage picture(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    picture.fill(0xFFFFFFFFu);
    Canvas canvas(&picture);
    PaintTo(canvas);
    return picture;
}

void TQmPageControl::PaintTo(Canvas& canvas) {
    CanvasStateSaver saver(canvas);
    struct Current {
        Canvas*& slot;
        ~Current() { slot = nullptr; }
    } current{paintCanvas_};
    paintCanvas_ = &canvas;
    if (tabBorder3D_) {
        PaintNative(canvas);
        return;
    }
    // The strip's own picture underneath is plain: the painter covers it completely.
    canvas.Brush = TBrush{Color(), TBrushStyle::bsSolid};
    canvas.FillRect(Rect(0, 0, width(), height()));
    PaintPass pass;
    PaintStripAndFrame(canvas, pass);
    PaintScrollButtons(canvas);
    // The active close box lit under the pointer, or pressed until the next repaint.
    if (active_ && active_->ShowClose() && (closePressed_ || closeHot_)) {
        const TRect tab = PageTabRect(ActivePagePos());
        DrawCloseBox(canvas, closePressed_ ? TCloseBoxLook::cbPressed : TCloseBoxLook::cbLit, tab,
                     lowerActive_);
    }
}

void TQmPageControl::PaintScrollButtons(Canvas& canvas) {
    const TTabStrip& strip = Strip();
    if (!strip.Scrolling()) return;
    for (int which = 0; which < 2; ++which) {
        const TRect b = strip.ScrollButton(which);
        canvas.Brush = TBrush{clBtnFace, TBrushStyle::bsSolid};
        canvas.FillRect(b);
        DrawBevelFrame(canvas, b, clBtnHighlight, cl3DDkShadow, 1);
        const int cx = (b.Left + b.Right) / 2 - 1, cy = (b.Top + b.Bottom) / 2;
        const bool enabled = which == 0 ? strip.FirstVisible() > 0 : true;
        canvas.Pen = TPen{enabled ? clBlack : clGrayText, 1, TPenStyle::psSolid, TPenMode::pmCopy};
        canvas.Brush.Color = enabled ? clBlack : clGrayText;
        if (which == 0)
            canvas.Polygon({{cx - 2, cy}, {cx + 1, cy - 3}, {cx + 1, cy + 3}});
        else
            canvas.Polygon({{cx + 2, cy}, {cx - 1, cy - 3}, {cx - 1, cy + 3}});
    }
}

// The native look: the toolkit style draws the page frame and every tab.
void TQmPageControl::PaintNative(Canvas& canvas) {
    canvas.Brush = TBrush{Color(), TBrushStyle::bsSolid};
    canvas.FillRect(Rect(0, 0, width(), height()));
    const TTabStrip& strip = Strip();
    QPainter painter(canvas.Target());
    painter.translate(canvas.Origin().X, canvas.Origin().Y);
    QStyle* st = style();
    const TRect page = PageRect();
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = QRect(page.Left - 4, page.Top - 4, page.Width() + 8, page.Height() + 8);
    st->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
    QTabBar::Shape shape = QTabBar::RoundedNorth;
    switch (tabPosition_) {
    case TTabPosition::tpTop:
        shape = QTabBar::RoundedNorth;
        break;
    case TTabPosition::tpBottom:
        shape = QTabBar::RoundedSouth;
        break;
    case TTabPosition::tpLeft:
        shape = QTabBar::RoundedWest;
        break;
    case TTabPosition::tpRight:
        shape = QTabBar::RoundedEast;
        break;
    }
    const QPoint mouse = mapFromGlobal(QCursor::pos());
    for (int pos = 0; pos < strip.Count(); ++pos) {
        const TTabStripItem& item = strip.Item(pos);
        QStyleOptionTab tab;
        tab.initFrom(this);
        const TRect r = strip.ItemRect(pos);
        tab.rect = QRect(r.Left, r.Top, r.Width(), r.Height());
        tab.shape = shape;
        tab.text = QString::fromStdString(item.Page ? item.Page->Caption() : item.Text);
        tab.state &= ~(QStyle::State_Selected | QStyle::State_MouseOver);
        if (pos == strip.Selected()) tab.state |= QStyle::State_Selected;
        if (hotTrack_ && underMouse() && tab.rect.contains(mouse)) tab.state |= QStyle::State_MouseOver;
        if (item.Highlighted) tab.state |= QStyle::State_On;
        if (images_ && item.Page) {
            const int index = TabImageIndex(item.Page);
            if (index >= 0 && index < images_->Count()) {
                TBitmap icon(images_->Width(), images_->Height());
                images_->Draw(icon.GetCanvas(), 0, 0, index);
                tab.icon = QIcon(QPixmap::fromImage(icon.Image()));
                tab.iconSize = QSize(images_->Width(), images_->Height());
            }
        }
        tab.position = strip.Count() == 1         ? QStyleOptionTab::OnlyOneTab
                       : pos == 0                 ? QStyleOptionTab::Beginning
                       : pos == strip.Count() - 1 ? QStyleOptionTab::End
                                                  : QStyleOptionTab::Middle;
        st->drawControl(QStyle::CE_TabBarTab, &tab, &painter, this);
    }
}

} // namespace qm
