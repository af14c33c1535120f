#include "controls/tab_sheet.h"

#include <QEvent>
#include <QImage>
#include <QPainter>

#include "canvas/draw_routines.h"
#include "canvas/widget_color.h"
#include "controls/page_control.h"
#include "controls/tab_errors.h"
#include "platform/platform.h"

namespace qm {

namespace {
std::function<void(std::exception_ptr)>& ExceptionHandler() {
    static std::function<void(std::exception_ptr)> handler;
    return handler;
}

// Byte length of the UTF-8 sequence that starts with lead.
std::size_t SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 1;
}
} // namespace

void SetApplicationExceptionHandler(std::function<void(std::exception_ptr)> handler) {
    ExceptionHandler() = std::move(handler);
}

void HandleApplicationException(std::exception_ptr error) {
    if (ExceptionHandler()) ExceptionHandler()(error);
}

std::string TabLayoutText(const std::string& caption, bool showClose) {
    if (showClose) return caption + " ";
    // Drop whole characters from the end until two bytes' width is gone.
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < caption.size(); i += SequenceLength(static_cast<unsigned char>(caption[i])))
        starts.push_back(i);
    std::size_t end = caption.size();
    std::size_t dropped = 0;
    while (dropped < 2 && !starts.empty()) {
        const std::size_t start = starts.back();
        starts.pop_back();
        dropped += ByteWidth(std::string_view(caption).substr(start, end - start));
        end = start;
    }
    return caption.substr(0, end);
}

TQmTabSheet::TQmTabSheet(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    hide();
    layoutText_ = TabLayoutText(caption_, showClose_);
}

TQmTabSheet::TQmTabSheet(TQmPageControl* control) : TQmTabSheet(static_cast<QWidget*>(nullptr)) {
    SetPageOwner(control);
}

TQmTabSheet::~TQmTabSheet() {
    if (owner_) owner_->DestroyingPage(this);
}

void TQmTabSheet::SetPageOwner(TQmPageControl* control) {
    if (control == owner_) return;
    if (owner_) owner_->DetachPage(this);
    if (control) control->AttachPage(this);
}

int TQmTabSheet::PageIndex() const {
    return owner_ ? owner_->IndexOfPage(this) : -1;
}

void TQmTabSheet::SetPageIndex(int value) {
    if (owner_) owner_->MovePage(this, value);
}

int TQmTabSheet::StripPos() const {
    if (!owner_ || !tabShown_) return -1;
    int pos = 0;
    for (TQmTabSheet* page : owner_->PageList()) {
        if (page == this) return pos;
        if (page->tabShown_) ++pos;
    }
    return -1;
}

void TQmTabSheet::SetCaption(const std::string& value) {
    caption_ = value;
    layoutText_ = TabLayoutText(caption_, showClose_);
    if (owner_) {
        owner_->RefreshTabText(this);
        owner_->Invalidate();
    }
}

void TQmTabSheet::SetImageIndex(int value) {
    imageIndex_ = value < 0 ? -1 : value;
    SetCaption(caption_);
}

void TQmTabSheet::SetActiveImageIndex(int value) {
    activeImageIndex_ = value < 0 ? -1 : value;
    Repaint();
}

void TQmTabSheet::SetShowClose(bool value) {
    showClose_ = value;
    SetCaption(caption_);
    Repaint();
}

void TQmTabSheet::SetTabVisible(bool value) {
    if (tabVisible_ == value) return;
    tabVisible_ = value;
    UpdateTabShown();
    if (owner_) owner_->RefreshTabText(this);
}

void TQmTabSheet::UpdateTabShown() {
    const bool shown = owner_ != nullptr && tabVisible_;
    if (shown == tabShown_) return;
    const int oldPos = StripPos();
    tabShown_ = shown;
    if (owner_) owner_->TabShownChanged(this, shown, oldPos);
}

void TQmTabSheet::SetTabEnable(bool value) {
    if (tabEnable_ == value) return;
    if (owner_ && owner_->ActivePage() == this && !value)
        throw ETabControlError("Can not disable active tab.");
    tabEnable_ = value;
    Repaint();
}

void TQmTabSheet::SetHighlighted(bool value) {
    highlighted_ = value;
    if (owner_ && !owner_->Reading()) {
        owner_->strip_.SetHighlighted(StripPos(), value);
        Repaint();
    }
}

void TQmTabSheet::SetTextColor(TColor value) {
    textColor_ = value;
    Repaint();
}

void TQmTabSheet::SetTabColor(TColor value) {
    tabColor_ = value;
    Repaint();
}

void TQmTabSheet::SetTabColorTo(TColor value) {
    tabColorTo_ = value;
    Repaint();
}

void TQmTabSheet::SetTabGradientDirection(TGradientDirection value) {
    if (tabGradient_ == value) return;
    tabGradient_ = value;
    Repaint();
}

TColor TQmTabSheet::Color() const {
    return parentColor_ ? ParentColorOf(this) : color_;
}

void TQmTabSheet::SetColor(TColor value) {
    color_ = value;
    parentColor_ = false;
    SetWidgetColor(this, value);
    update();
    Repaint();
}

void TQmTabSheet::SetColorTo(TColor value) {
    colorTo_ = value;
    update();
    Repaint();
}

void TQmTabSheet::SetEnabled(bool value) {
    setEnabled(value);
}

void TQmTabSheet::Repaint() {
    if (owner_) owner_->Invalidate();
}

void TQmTabSheet::PaintBackground(Canvas& canvas) {
    CanvasStateSaver saver(canvas);
    const TRect r = Rect(0, 0, width(), height());
    if (colorTo_ != clNone) {
        FillGradient(canvas, Color(), colorTo_, false, r, 64);
        return;
    }
    canvas.Brush = TBrush{Color(), TBrushStyle::bsSolid};
    canvas.FillRect(r);
}

void TQmTabSheet::paintEvent(QPaintEvent*) {
    QImage picture(std::max(1, width()), std::max(1, height()), QImage::Format_RGB32);
    Canvas canvas(&picture);
    PaintBackground(canvas);
    QPainter(this).drawImage(0, 0, picture);
}

void TQmTabSheet::showEvent(QShowEvent*) {
    try {
        if (OnShow) OnShow(this);
    } catch (...) {
        HandleApplicationException(std::current_exception());
    }
}

void TQmTabSheet::hideEvent(QHideEvent*) {
    try {
        if (OnHide) OnHide(this);
    } catch (...) {
        HandleApplicationException(std::current_exception());
    }
}

bool TQmTabSheet::event(QEvent* event) {
    // Showing a page from outside makes it the active page.
    if (event->type() == QEvent::ShowToParent && owner_ && owner_->active_ != this &&
        owner_->switchingTo_ != this)
        owner_->SetActivePage(this);
    return QWidget::event(event);
}

void TQmTabSheet::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) Repaint();
}

} // namespace qm
