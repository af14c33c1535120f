// The page control's model: the page list, the strip items and the active page kept consistent.
#include "controls/page_control.h"

#include <QApplication>
#include <QImage>

#include "canvas/widget_color.h"
#include "controls/tab_caption_room.h"
#include "controls/tab_errors.h"

namespace qm {

namespace {
constexpr unsigned kVersion = 0x01050004;

// One shared canvas for measuring texts.
Canvas& MeasureCanvas() {
    static QImage image(1, 1, QImage::Format_RGB32);
    static Canvas canvas(&image);
    return canvas;
}
} // namespace

TQmPageControl::TQmPageControl(QWidget* parent) : QWidget(parent) {
    resize(289, 193);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    activeFont_.OnChange = [this] {
        if (active_) RefreshTabText(active_);
        Invalidate();
    };
    font_.OnChange = [this] { Invalidate(); };
    margin_.OnChange = [this](int n, int o, int i) { MarginChanged(n, o, i); };
}

TQmPageControl::~TQmPageControl() {
    destroying_ = true;
    for (TQmTabSheet* page : pages_) {
        page->owner_ = nullptr;
        page->tabShown_ = false;
    }
    pages_.clear();
}

int TQmPageControl::IndexOfPage(const TQmTabSheet* page) const {
    if (!page) return -1;
    for (std::size_t i = 0; i < pages_.size(); ++i)
        if (pages_[i] == page) return static_cast<int>(i);
    return -1;
}

bool TQmPageControl::ListPages(QWidget* container, std::vector<QWidget*>& pages) {
    auto* control = qobject_cast<TQmPageControl*>(container);
    if (!control) return false;
    pages.assign(control->pages_.begin(), control->pages_.end());
    return true;
}

// ---------------------------------------------------------------- attach and detach

void TQmPageControl::AttachPage(TQmTabSheet* page) {
    if (!page || page->owner_ == this) return;
    if (page->owner_) page->owner_->DetachPage(page);
    page->hide();
    page->setParent(this);
    pages_.push_back(page);
    page->owner_ = this;
    page->setGeometry(QRect(0, 0, 0, 0));
    LayoutPages();
    page->UpdateTabShown();
    if (page->textColor_ == 0) page->textColor_ = defaultTextColor_;
    if (page->tabColor_ == clNone) page->tabColor_ = defaultTabColor_;
    if (page->tabColorTo_ == clNone) page->tabColorTo_ = defaultTabColorTo_;
    Invalidate();
}

void TQmPageControl::DetachPage(TQmTabSheet* page) {
    if (!page || page->owner_ != this) return;
    TQmTabSheet* next = FindNeighbourPage(page, true, true);
    if (next == page) next = nullptr;
    if (page->tabShown_) {
        const int oldPos = page->StripPos();
        page->tabShown_ = false;
        TabShownChanged(page, false, oldPos);
    }
    page->owner_ = nullptr;
    pages_.erase(pages_.begin() + IndexOfPage(page));
    if (active_ == page) active_ = nullptr;
    if (hoverPage_ >= PageCount()) hoverPage_ = -1;
    if (!destroying_) {
        page->hide();
        page->setParent(nullptr);
    }
    SetActivePage(next);
    Invalidate();
}

void TQmPageControl::DestroyingPage(TQmTabSheet* page) {
    if (undockingPage_ == page) undockingPage_ = nullptr;
    if (newDockPage_ == page) newDockPage_ = nullptr;
    DetachPage(page);
}

void TQmPageControl::TabShownChanged(TQmTabSheet* page, bool shown, int oldStripPos) {
    if (shown) {
        strip_.Insert(page->StripPos(), page->LayoutText(), page);
        strip_.SetHighlighted(page->StripPos(), page->highlighted_);
    } else {
        strip_.Remove(oldStripPos);
        if (page == active_ && strip_.Count() > 0)
            strip_.SetSelected(std::min(oldStripPos, strip_.Count() - 1));
    }
    SyncActivePage();
    Invalidate();
}

void TQmPageControl::SyncActivePage() {
    const int sel = strip_.Selected();
    TQmTabSheet* page = sel >= 0 ? strip_.Item(sel).Page : nullptr;
    if (page) {
        SwitchToPage(page);
        // A page that refuses activation keeps the strip on the page that stays active.
        if (active_ != page && active_ && active_->StripPos() >= 0) strip_.SetSelected(active_->StripPos());
    } else if (active_) {
        // Nothing selected: no page is active, and none stays on screen.
        active_->hide();
        active_ = nullptr;
    }
}

// ---------------------------------------------------------------- the active page

void TQmPageControl::SwitchToPage(TQmTabSheet* page) {
    if (!page || page == active_ || !page->tabEnable_) return;
    QWidget* focused = QApplication::focusWidget();
    const bool focusOnOld = active_ && focused && active_->isAncestorOf(focused);
    if (focusOnOld) {
        active_->setFocus();
        if (QApplication::focusWidget() != active_) {
            strip_.SetSelected(active_->StripPos());
            return;
        }
    }
    LayoutPages();
    page->raise();
    switchingTo_ = page;
    page->show();
    switchingTo_ = nullptr;
    if (focusOnOld) {
        if (page->isEnabled() && page->isVisible())
            page->setFocus();
        else
            setFocus();
    }
    TQmTabSheet* old = active_;
    if (old) old->hide();
    active_ = page;
    if (old) PadActiveTabText(old);
    PadActiveTabText(page);
    if (QApplication::focusWidget() == page) {
        for (QWidget* child : page->findChildren<QWidget*>()) {
            if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() && child->isVisibleTo(page)) {
                child->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
    Invalidate();
}

void TQmPageControl::SetActivePage(TQmTabSheet* page) {
    if (page && page->owner_ != this) return;
    SwitchToPage(page);
    if (!page) {
        strip_.SetSelected(-1);
        if (active_) active_->hide();
        active_ = nullptr;
        Invalidate();
    } else if (page == active_) {
        strip_.SetSelected(page->StripPos());
    }
}

void TQmPageControl::MovePage(TQmTabSheet* page, int index) {
    const int count = PageCount();
    if (index < 0 || index > count - 1)
        throw EListError(std::to_string(index) +
                         " is an invalid PageIndex value.  PageIndex must be between 0 and " +
                         std::to_string(count - 1));
    const int oldStrip = page->StripPos();
    const int from = IndexOfPage(page);
    pages_.erase(pages_.begin() + from);
    pages_.insert(pages_.begin() + index, page);
    if (page->tabShown_) strip_.Move(oldStrip, page->StripPos());
    Invalidate();
}

TQmTabSheet* TQmPageControl::FindNeighbourPage(const TQmTabSheet* from, bool forward, bool shownOnly) const {
    const int count = PageCount();
    if (count == 0) return nullptr;
    int start = IndexOfPage(from);
    if (start < 0) start = forward ? count - 1 : 0;
    int i = start;
    do {
        i = forward ? (i + 1) % count : (i + count - 1) % count;
        TQmTabSheet* page = pages_[static_cast<std::size_t>(i)];
        if (!shownOnly || page->tabVisible_) return page;
    } while (i != start);
    return nullptr;
}

void TQmPageControl::StepActivePage(bool forward) {
    TQmTabSheet* p = FindNeighbourPage(active_, forward, true);
    if (!p || p == active_ || !CanChangeTab(std::nullopt, !forward)) return;
    strip_.SetSelected(p->StripPos());
    TabChanged();
}

bool TQmPageControl::CanChangeTab(std::optional<TPoint> pointer, bool shift) {
    int target = pointer ? TabPageAt(pointer->X, pointer->Y) : -1;
    if (target < 0) {
        const int count = PageCount();
        target = ActivePagePos() + (shift ? -1 : 1);
        if (target >= count) target = 0;
        if (target < 0) target = count - 1;
    }
    bool allow = true;
    if (OnCanChange) OnCanChange(this, ActivePagePos(), target, allow);
    if (!allow) return false;
    if (OnChanging) OnChanging(this, allow);
    return allow;
}

void TQmPageControl::TabChanged() {
    SyncActivePage();
    if (OnChange) OnChange(this);
    Invalidate();
}

void TQmPageControl::SelectTabByUser(int pos, std::optional<TPoint> pointer, bool shift) {
    if (pos < 0 || pos >= strip_.Count() || pos == strip_.Selected()) return;
    if (!CanChangeTab(pointer, shift)) return;
    strip_.SetSelected(pos);
    TabChanged();
}

// ---------------------------------------------------------------- tab texts and the image room

std::string TQmPageControl::TabText(const TQmTabSheet* page) const {
    if (tabBorder3D_) return page->Caption();
    if (page != active_ || !(activeFont_.HasStyle(fsBold) || activeFont_.HasStyle(fsItalic)))
        return page->LayoutText();
    Canvas& c = MeasureCanvas();
    c.Font.Assign(activeFont_);
    const int w1 = c.TextWidth(page->LayoutText());
    c.Font.Assign(font_);
    const int w0 = c.TextWidth(page->LayoutText());
    std::string padding;
    while (c.TextWidth(padding) < w1 - w0)
        padding += ' ';
    return page->LayoutText() + padding;
}

void TQmPageControl::PadActiveTabText(TQmTabSheet* page) {
    const int pos = page->StripPos();
    if (tabBorder3D_ || pos < 0 || pos >= strip_.Count()) return;
    strip_.SetText(pos, TabText(page));
}

void TQmPageControl::RefreshTabText(TQmTabSheet* page) {
    if (!page->tabShown_) return;
    strip_.SetText(page->StripPos(), TabText(page));
    Invalidate();
}

int TQmPageControl::TabImageIndex(const TQmTabSheet* page) const {
    int index = page->ImageIndex() < 0 ? 0 : page->ImageIndex();
    if (OnGetImageIndex) OnGetImageIndex(const_cast<TQmPageControl*>(this), IndexOfPage(page), index);
    return index;
}

void TQmPageControl::RecomputeImageRoom() {
    const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
    if (vertical)
        imageRoom_.cy = (images_ ? images_->Height() : 0) + margin_.TopMargin() + margin_.RightMargin();
    else
        imageRoom_.cx = (images_ ? images_->Width() : 0) + margin_.LeftMargin() + margin_.RightMargin();
}

void TQmPageControl::SetImages(TImageList* value) {
    if (value == images_) return;
    const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
    int& along = vertical ? imageRoom_.cy : imageRoom_.cx;
    if (images_) along -= vertical ? images_->Height() : images_->Width();
    images_ = value;
    if (images_) along += vertical ? images_->Height() : images_->Width();
    LayoutPages();
    Invalidate();
}

void TQmPageControl::MarginChanged(int newValue, int oldValue, int index) {
    if (loaded_) {
        const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
        int& along = vertical ? imageRoom_.cy : imageRoom_.cx;
        if (index == 0 && !vertical)
            imageRoom_.cx = newValue;
        else if (index == 1 && vertical)
            imageRoom_.cy = newValue;
        else if (index == 2)
            along += newValue - oldValue;
    }
    LayoutPages();
    Invalidate();
}

void TQmPageControl::BeginLoading() {
    reading_ = true;
    loaded_ = false;
}

void TQmPageControl::EndLoading() {
    reading_ = false;
    for (TQmTabSheet* page : pages_)
        strip_.SetHighlighted(page->StripPos(), page->highlighted_);
    RecomputeImageRoom();
    loaded_ = true;
    for (auto it = pages_.rbegin(); it != pages_.rend(); ++it)
        RefreshTabText(*it);
    if (active_) PadActiveTabText(active_);
    LayoutPages();
    Invalidate();
}

// ---------------------------------------------------------------- layout

TTabStripLayoutInput TQmPageControl::LayoutInput() const {
    TTabStripLayoutInput in;
    in.Position = tabPosition_;
    in.ClientWidth = width();
    in.ClientHeight = height();
    in.TabWidth = tabWidth_;
    in.TabHeight = tabHeight_;
    in.MultiLine = multiLine_;
    in.RaggedRight = raggedRight_;
    in.ScrollOpposite = scrollOpposite_;
    in.ImageRoom = tabBorder3D_ && images_ ? TSize{images_->Width(), images_->Height()} : imageRoom_;
    Canvas& c = MeasureCanvas();
    c.Font.Assign(font_);
    in.TextHeight = c.TextHeight("Ag");
    if (tabBorder3D_) {
        // The platform look draws the item texts itself.
        const TFont font = font_;
        const int padding = in.ImageRoom.cx > 0 && in.ImageRoom.cy > 0 ? 24 : 16;
        in.ContentLength = [font, padding](const TTabStripItem& item) {
            Canvas& m = MeasureCanvas();
            m.Font.Assign(font);
            return m.TextWidth(item.Text) + padding;
        };
        return in;
    }

    // The strip measures each item's text (the layout text, padded on the active tab) in Font and
    // reserves the image room in every tab. Its own padding holds the caption's lead and trail and
    // the two characters a layout text leaves out, so the painted whole caption fits; one that
    // still does not is clipped to its tab.
    c.Font.Assign(activeFont_);
    in.TextHeight = std::max(in.TextHeight, c.TextHeight("Ag"));
    const bool vertical = tabPosition_ == TTabPosition::tpLeft || tabPosition_ == TTabPosition::tpRight;
    // Across: the contents start below the lowered active tab's edge (or the inactive bottom
    // tab's shifted caption) and hold the text or, on rotated tabs, the image.
    const int acrossLead =
        std::max(std::max(lowerActive_, 0) + 1, 5) + (vertical ? margin_.LeftMargin() : margin_.TopMargin());
    const int acrossContent = std::max(in.TextHeight, vertical && images_ ? images_->Width() + 1 : 0);
    in.MinThickness = acrossLead + acrossContent + 2;

    const TFont font = font_;
    // Two of the widest characters, in whichever font writes wider (the active one may be bold).
    const int dropped = c.TextWidth("WW");
    c.Font.Assign(font_);
    const int padding = kCaptionLead + kCaptionTrail + std::max(dropped, c.TextWidth("WW"));
    in.ContentLength = [font, padding](const TTabStripItem& item) {
        Canvas& m = MeasureCanvas();
        m.Font.Assign(font);
        return m.TextWidth(item.Text) + padding;
    };
    return in;
}

const TTabStrip& TQmPageControl::Strip() {
    strip_.Layout(LayoutInput());
    return strip_;
}

TRect TQmPageControl::PageRect() {
    const TTabStrip& s = Strip();
    const int W = width(), H = height();
    int sb = 2, st = H - 2, sl = W - 2, sr = 2;
    for (int i = 0; i < s.Count(); ++i) {
        const TRect r = s.ItemRect(i);
        if (i == 0) sb = r.Bottom, st = r.Top, sl = r.Left, sr = r.Right;
        sb = std::max(sb, r.Bottom);
        st = std::min(st, r.Top);
        sl = std::min(sl, r.Left);
        sr = std::max(sr, r.Right);
    }
    switch (tabPosition_) {
    case TTabPosition::tpTop:
        return Rect(4, sb + 4, W - 4, H - 4);
    case TTabPosition::tpBottom:
        return Rect(4, 4, W - 4, st - 4);
    case TTabPosition::tpLeft:
        return Rect(sr + 4, 4, W - 4, H - 4);
    case TTabPosition::tpRight:
        return Rect(4, 4, sl - 4, H - 4);
    }
    return {};
}

void TQmPageControl::LayoutPages() {
    const TRect r = PageRect();
    const QRect g(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
    for (TQmTabSheet* page : pages_)
        if (page->geometry() != g) page->setGeometry(g);
}

int TQmPageControl::StripToPagePos(int stripPos) const {
    if (stripPos < 0) return -1;
    int seen = -1;
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i]->tabShown_ && ++seen == stripPos) return static_cast<int>(i);
    }
    return -1;
}

int TQmPageControl::TabPageAt(int x, int y) {
    return StripToPagePos(Strip().HitTest(Point(x, y)));
}

TRect TQmPageControl::PageTabRect(int pos) {
    if (pos < 0 || pos >= PageCount()) return {};
    return Strip().ItemRect(pages_[static_cast<std::size_t>(pos)]->StripPos());
}

// ---------------------------------------------------------------- property setters

void TQmPageControl::Invalidate() {
    closePressed_ = false;
    update();
}

void TQmPageControl::SetCloseGlyph(const TBitmap& value) {
    closeGlyph_ = value;
    Invalidate();
}

void TQmPageControl::SetDefaultTextColor(TColor value) {
    for (TQmTabSheet* page : pages_)
        if (page->textColor_ == defaultTextColor_) page->textColor_ = value;
    defaultTextColor_ = value;
    Invalidate();
}

void TQmPageControl::SetDefaultTabColor(TColor value) {
    for (TQmTabSheet* page : pages_)
        if (page->tabColor_ == defaultTabColor_) page->tabColor_ = value;
    defaultTabColor_ = value;
    Invalidate();
}

void TQmPageControl::SetDefaultTabColorTo(TColor value) {
    for (TQmTabSheet* page : pages_)
        if (page->tabColorTo_ == defaultTabColorTo_) page->tabColorTo_ = value;
    defaultTabColorTo_ = value;
    Invalidate();
}

#define QM_STORE_REPAINT(Setter, Type, member)                                                               \
    void TQmPageControl::Setter(Type value) {                                                                \
        member = value;                                                                                      \
        Invalidate();                                                                                        \
    }
#define QM_CHANGE_REPAINT(Setter, Type, member)                                                              \
    void TQmPageControl::Setter(Type value) {                                                                \
        if (member == value) return;                                                                         \
        member = value;                                                                                      \
        Invalidate();                                                                                        \
    }
QM_STORE_REPAINT(SetActiveColor, TColor, activeColor_)
QM_STORE_REPAINT(SetActiveColorTo, TColor, activeColorTo_)
QM_STORE_REPAINT(SetTabBorderColor, TColor, tabBorderColor_)
QM_CHANGE_REPAINT(SetTabSheet3D, bool, tabSheet3D_)
QM_CHANGE_REPAINT(SetTabSheetBorderColor, TColor, tabSheetBorderColor_)
QM_CHANGE_REPAINT(SetTabBackGroundColor, TColor, tabBackGroundColor_)
QM_CHANGE_REPAINT(SetRoundEdges, bool, roundEdges_)
QM_CHANGE_REPAINT(SetLowerActive, int, lowerActive_)
QM_CHANGE_REPAINT(SetTabStyle, TTabStyle, tabStyle_)
#undef QM_STORE_REPAINT
#undef QM_CHANGE_REPAINT

void TQmPageControl::SetTabOverlap(int value) {
    tabOverlap_ = std::clamp(value, 0, 15);
    Invalidate();
}

void TQmPageControl::SetTabSplitLine(bool value) {
    if (value && (tabStyle_ == TTabStyle::tsDotNet || tabStyle_ == TTabStyle::tsDelphi))
        throw ETabControlError("TabSplitLine must be false when TabStyle is tsDotNet/tsDelphi");
    tabSplitLine_ = value;
    Invalidate();
}

void TQmPageControl::SetTabBackGround(const TBitmap& value) {
    tabBackGround_ = value;
    Invalidate();
}

void TQmPageControl::SetTabBackGroundActive(const TBitmap& value) {
    tabBackGroundActive_ = value;
    Invalidate();
}

void TQmPageControl::SetTabBorder3D(bool value) {
    if (tabBorder3D_ == value) return;
    tabBorder3D_ = value;
    hoverPage_ = -1;
    for (TQmTabSheet* page : pages_)
        RefreshTabText(page);
    if (!value && active_) PadActiveTabText(active_);
    LayoutPages();
    Invalidate();
}

std::string TQmPageControl::Version() const {
    return std::to_string((kVersion >> 24) & 0xFF) + "." + std::to_string((kVersion >> 16) & 0xFF) + "." +
           std::to_string((kVersion >> 8) & 0xFF) + "." + std::to_string(kVersion & 0xFF);
}

TColor TQmPageControl::Color() const {
    return parentColor_ ? ParentColorOf(this) : color_;
}

void TQmPageControl::SetColor(TColor value) {
    color_ = value;
    parentColor_ = false;
    Invalidate();
}

#define QM_LAYOUT_SETTER(Setter, Type, member)                                                               \
    void TQmPageControl::Setter(Type value) {                                                                \
        if (member == value) return;                                                                         \
        member = value;                                                                                      \
        LayoutPages();                                                                                       \
        Invalidate();                                                                                        \
    }
QM_LAYOUT_SETTER(SetHotTrack, bool, hotTrack_)
QM_LAYOUT_SETTER(SetMultiLine, bool, multiLine_)
QM_LAYOUT_SETTER(SetRaggedRight, bool, raggedRight_)
QM_LAYOUT_SETTER(SetScrollOpposite, bool, scrollOpposite_)
QM_LAYOUT_SETTER(SetTabHeight, int, tabHeight_)
QM_LAYOUT_SETTER(SetTabWidth, int, tabWidth_)
#undef QM_LAYOUT_SETTER

void TQmPageControl::SetTabPosition(TTabPosition value) {
    if (tabPosition_ == value) return;
    tabPosition_ = value;
    RecomputeImageRoom();
    LayoutPages();
    Invalidate();
}

void TQmPageControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayoutPages();
}

} // namespace qm
