// The title bar's panels, buttons and slanted end.
#include "framework/title_bar.h"

#include <QMouseEvent>
#include <QPainter>

#include "canvas/bitmap.h"
#include "canvas/font.h"
#include "canvas/widget_color.h"
#include "controls/flat_speed_button.h"

namespace qm {

QColor ToQColor(TColor color) {
    const TColor rgb = ColorToRGB(color);
    return QColor(int(GetRValue(rgb)), int(GetGValue(rgb)), int(GetBValue(rgb)));
}

// ------------------------------------------------------------------ TColorPanel

TColorPanel::TColorPanel(QWidget* parent, const char* name) : QWidget(parent) {
    setObjectName(QString::fromLatin1(name));
}

void TColorPanel::SetColor(TColor color) {
    FColor = color;
    SetWidgetColor(this, color); // the title buttons take their holder's colour
    update();
}

void TColorPanel::SetCaption(const std::string& caption) {
    FCaption = caption;
    update();
}

void TColorPanel::SetFontColor(TColor color) {
    FFontColor = color;
    update();
}

void TColorPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(FColor));
    if (FCaption.empty()) return;
    painter.setPen(ToQColor(FFontColor));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(FCaption));
}

void TColorPanel::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    if (OnMouseDown) OnMouseDown();
}

void TColorPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    QWidget::mouseDoubleClickEvent(event);
    if (OnDblClick) OnDblClick();
}

// ------------------------------------------------------------------ the slanted end

void PaintTitleEnd(Canvas& canvas, const TRect& box, TColor titleColor, TColor formColor) {
    const int l = box.Left, t = box.Top, w = box.Width(), h = box.Height();
    canvas.Pen.Style = TPenStyle::psSolid;
    canvas.Pen.Mode = TPenMode::pmCopy;
    canvas.Pen.Width = 1;
    canvas.Brush.Style = TBrushStyle::bsSolid;
    canvas.Pen.Color = titleColor;
    canvas.Brush.Color = titleColor;
    canvas.Polygon({Point(l, t), Point(l, t + h), Point(l + w, t)});
    canvas.Pen.Color = formColor;
    canvas.Brush.Color = formColor;
    canvas.Polygon({Point(l, t + h), Point(l + w, t + h), Point(l + w, t)});
}

TTitleEnd::TTitleEnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pbTitleRight"));
}

void TTitleEnd::SetColors(bool hasScheme, TColor title, TColor form) {
    // The paint handler sets the colours again: only a real change may ask for another paint.
    if (hasScheme == FHasScheme && title == FTitle && form == FForm) return;
    FHasScheme = hasScheme;
    FTitle = title;
    FForm = form;
    update();
}

void TTitleEnd::paintEvent(QPaintEvent*) {
    if (OnPaint) OnPaint();
    if (!FHasScheme) {
        FPicture = QImage();
        return;
    }
    FPicture = QImage(width(), height(), QImage::Format_RGB32);
    FPicture.fill(Qt::black);
    Canvas canvas(&FPicture);
    PaintTitleEnd(canvas, Bounds(0, 0, width(), height()), FTitle, FForm);
    QPainter painter(this);
    painter.drawImage(0, 0, FPicture);
}

// ------------------------------------------------------------------ glyphs

QImage TitleGlyph(TTitleGlyph kind) {
    TBitmap bitmap(16, 16);
    Canvas& c = bitmap.GetCanvas();
    c.Brush.Color = clWhite;
    c.FillRect(Bounds(0, 0, 16, 16));
    c.Pen.Color = clGray;
    c.Brush.Style = TBrushStyle::bsClear;
    c.Rectangle(Rect(1, 1, 15, 15)); // the outline, inset by one pixel
    c.Pen.Color = clBlack;
    switch (kind) {
    case TTitleGlyph::Close: // an 8 x 8 diagonal cross
        c.MoveTo(4, 4);
        c.LineTo(12, 12);
        c.MoveTo(11, 4);
        c.LineTo(3, 12);
        break;
    case TTitleGlyph::Maximize: // a rectangle with a doubled top edge
        c.Rectangle(Rect(4, 4, 12, 12));
        c.MoveTo(4, 5);
        c.LineTo(12, 5);
        break;
    case TTitleGlyph::Minimize: // a two-pixel bar in the lower third
        c.Brush.Style = TBrushStyle::bsSolid;
        c.Brush.Color = clBlack;
        c.FillRect(Rect(4, 10, 12, 12));
        break;
    }
    return bitmap.Image();
}

// ------------------------------------------------------------------ TTitleBar

namespace {
TFlatSpeedButton* MakeButton(QWidget* holder, const char* name, TTitleGlyph glyph) {
    auto* button = new TFlatSpeedButton(holder);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(2, 0, 16, 16);
    button->SetGlyph(TBitmap(TitleGlyph(glyph)));
    button->SetColorFocused(14454785);
    button->SetColorDown(14454785);
    button->SetColorBorder(clBackground);
    button->SetColorHighLight(clBackground);
    button->SetColorShadow(clBackground);
    return button;
}
} // namespace

TTitleBar::TTitleBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlFormTitle"));
    pnlFormTitleLeft = new TColorPanel(this, "pnlFormTitleLeft");
    pnlFormTileMid = new TColorPanel(this, "pnlFormTileMid");
    pnlFormTitleBtn = new TColorPanel(this, "pnlFormTitleBtn");
    pnlFormTitleMinBtn = new TColorPanel(pnlFormTitleBtn, "pnlFormTitleMinBtn");
    pnlFormTitleMaxBtn = new TColorPanel(pnlFormTitleBtn, "pnlFormTitleMaxBtn");
    pnlFormTitleCloseBtn = new TColorPanel(pnlFormTitleBtn, "pnlFormTitleCloseBtn");
    btnFormTitleMin = MakeButton(pnlFormTitleMinBtn, "btnFormTitleMin", TTitleGlyph::Minimize);
    btnFormTitleMax = MakeButton(pnlFormTitleMaxBtn, "btnFormTitleMax", TTitleGlyph::Maximize);
    btnFormTitleColse = MakeButton(pnlFormTitleCloseBtn, "btnFormTitleColse", TTitleGlyph::Close);
    pnlFormTileRight = new TColorPanel(this, "pnlFormTileRight");
    pbTitleRight = new TTitleEnd(pnlFormTileRight);
    QFont font(InstalledFamily(QStringLiteral("SimSun")));
    font.setPixelSize(12);
    pnlFormTileMid->setFont(font);
    pnlFormTileMid->SetFontColor(clSilver);
    pnlFormTileMid->SetCaption("窗口");
    SetColor(DesignColor, true);
    Layout();
}

void TTitleBar::SetColor(TColor color, bool textFollows) {
    pnlFormTitle_Color = color;
    for (TColorPanel* p : {pnlFormTitleLeft, pnlFormTitleBtn, pnlFormTitleMinBtn, pnlFormTitleMaxBtn,
                           pnlFormTitleCloseBtn, pnlFormTileRight})
        p->SetColor(color);
    pnlFormTileMid->SetColor(textFollows ? color : DesignColor);
    for (QWidget* b : {static_cast<QWidget*>(btnFormTitleMin), static_cast<QWidget*>(btnFormTitleMax),
                       static_cast<QWidget*>(btnFormTitleColse)})
        b->update();
    update();
}

void TTitleBar::SetButtons(bool minimise, bool maximise, bool close) {
    pnlFormTitleMinBtn->setVisible(minimise);
    pnlFormTitleMaxBtn->setVisible(maximise);
    pnlFormTitleCloseBtn->setVisible(close);
    Layout();
}

void TTitleBar::SetCaption(const std::string& caption) {
    pnlFormTileMid->SetCaption(caption);
}

void TTitleBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Layout();
}

void TTitleBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(pnlFormTitle_Color));
}

void TTitleBar::Layout() {
    const int w = width(), h = height();
    constexpr int leftWidth = 20, buttonsWidth = 57, rightWidth = 25, holder = 18;
    pnlFormTitleLeft->setGeometry(0, 0, leftWidth, h);
    pnlFormTileRight->setGeometry(w - rightWidth, 0, rightWidth, h);
    pbTitleRight->setGeometry(0, 0, rightWidth, h);
    pnlFormTitleBtn->setGeometry(w - rightWidth - buttonsWidth, 0, buttonsWidth, h);
    pnlFormTileMid->setGeometry(leftWidth, 0, std::max(0, w - leftWidth - buttonsWidth - rightWidth), h);
    // Right-aligned holders: the visible ones pack against the right edge, in design order.
    int x = buttonsWidth;
    for (TColorPanel* p : {pnlFormTitleCloseBtn, pnlFormTitleMaxBtn, pnlFormTitleMinBtn}) {
        if (p->isHidden()) continue;
        x -= holder;
        p->setGeometry(x, 0, holder, holder);
    }
}

} // namespace qm
