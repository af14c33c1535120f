// The form's own title bar: a left margin, the title text, the minimise/maximise/close holders and
// a slanted end painted against the form's background.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <string>

#include "canvas/canvas.h"
#include "platform/platform.h"

namespace qm {

class TFlatSpeedButton;

QColor ToQColor(TColor color);

// A plain panel: fills itself with its colour and may show a left-aligned caption.
class TColorPanel : public QWidget {
    Q_OBJECT
public:
    explicit TColorPanel(QWidget* parent, const char* name);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    void SetCaption(const std::string& caption);
    std::string Caption() const { return FCaption; }
    void SetFontColor(TColor color);
    TColor FontColor() const { return FFontColor; }

    std::function<void()> OnMouseDown;
    std::function<void()> OnDblClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    TColor FColor = 0;
    TColor FFontColor = clWindowText;
    std::string FCaption;
};

// The slanted end: the upper-left triangle in the title colour, the lower-right one in the form
// colour, the diagonal from the bottom-left to the top-right corner.
void PaintTitleEnd(Canvas& canvas, const TRect& box, TColor titleColor, TColor formColor);

class TTitleEnd : public QWidget {
    Q_OBJECT
public:
    explicit TTitleEnd(QWidget* parent);
    std::function<void()> OnPaint; // pbTitleRightPaint
    // Colours for the next paint; without a scheme nothing is painted over the parent.
    void SetColors(bool hasScheme, TColor title, TColor form);
    // What the last paint drew, for checks.
    const QImage& Picture() const { return FPicture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool FHasScheme = false;
    TColor FTitle = 0;
    TColor FForm = 0;
    QImage FPicture;
};

enum class TTitleGlyph { Minimize, Maximize, Close };
// 16 x 16, white background (drawn transparent) with a grey outline and the symbol.
QImage TitleGlyph(TTitleGlyph kind);

class TTitleBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int Height = 18;
    static constexpr TColor DesignColor = 10841658; // 0xA56E3A
    explicit TTitleBar(QWidget* parent);

    void SetColor(TColor color, bool textFollows);
    TColor Color() const { return pnlFormTitle_Color; }
    void SetButtons(bool minimise, bool maximise, bool close);
    void SetCaption(const std::string& caption);

    TColorPanel* pnlFormTitleLeft;
    TColorPanel* pnlFormTileMid;
    TColorPanel* pnlFormTitleBtn;
    TColorPanel* pnlFormTitleMinBtn;
    TColorPanel* pnlFormTitleMaxBtn;
    TColorPanel* pnlFormTitleCloseBtn;
    TFlatSpeedButton* btnFormTitleMin;
    TFlatSpeedButton* btnFormTitleMax;
    TFlatSpeedButton* btnFormTitleColse;
    TColorPanel* pnlFormTileRight;
    TTitleEnd* pbTitleRight;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();
    TColor pnlFormTitle_Color = DesignColor;
};

} // namespace qm
