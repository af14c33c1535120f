// One page of a page control: a container for ordinary controls that owns one tab in the strip.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include <QWidget>

#include "base/component.h"
#include "canvas/canvas.h"

namespace qm {

class TQmPageControl;

enum class TGradientDirection { gdVertical, gdHorizontal };

using TCanCloseEvent = std::function<void(TObject* Sender, bool& CanClose)>;

// Where failures of OnShow and OnHide handlers go; by default they are dropped.
void SetApplicationExceptionHandler(std::function<void(std::exception_ptr)> handler);
void HandleApplicationException(std::exception_ptr error);

// The tab's layout text: the caption followed by a space with a close button, else the caption
// without its last two bytes (a double-width character counts as two).
std::string TabLayoutText(const std::string& caption, bool showClose);

class TQmTabSheet : public QWidget, public TObject {
    Q_OBJECT
public:
    // A page without a control; attach it with SetPageOwner.
    explicit TQmTabSheet(QWidget* parent = nullptr);
    // A page attached to the control at once.
    explicit TQmTabSheet(TQmPageControl* control);
    ~TQmTabSheet() override;

    TQmPageControl* PageOwner() const { return owner_; }
    void SetPageOwner(TQmPageControl* control);
    int PageIndex() const;
    void SetPageIndex(int value);
    int StripPos() const; // position among the shown tabs, -1 when this tab is not shown
    bool TabShown() const { return tabShown_; }
    const std::string& LayoutText() const { return layoutText_; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int ActiveImageIndex() const { return activeImageIndex_; }
    void SetActiveImageIndex(int value);
    bool ShowClose() const { return showClose_; }
    void SetShowClose(bool value);
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool value);
    bool TabEnable() const { return tabEnable_; }
    void SetTabEnable(bool value);
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool value);
    TColor TextColor() const { return textColor_; }
    void SetTextColor(TColor value);
    TColor TabColor() const { return tabColor_; }
    void SetTabColor(TColor value);
    TColor TabColorTo() const { return tabColorTo_; }
    void SetTabColorTo(TColor value);
    TGradientDirection TabGradientDirection() const { return tabGradient_; }
    void SetTabGradientDirection(TGradientDirection value);
    TGradientDirection HoverGradientDirection() const { return hoverGradient_; }
    void SetHoverGradientDirection(TGradientDirection value) { hoverGradient_ = value; }
    // The parent's colour until one is set.
    TColor Color() const;
    void SetColor(TColor value);
    TColor ColorTo() const { return colorTo_; }
    void SetColorTo(TColor value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value);

    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCanCloseEvent OnCanClose;
    TNotifyEvent OnClose;

    // The page's background: a 64-band vertical gradient from Color to ColorTo, or Color.
    void PaintBackground(Canvas& canvas);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class TQmPageControl;
    void Repaint(); // the control's picture
    void UpdateTabShown();

    TQmPageControl* owner_ = nullptr;
    std::string caption_;
    std::string layoutText_;
    bool tabShown_ = false;
    int imageIndex_ = 0;
    int activeImageIndex_ = 0;
    bool showClose_ = false;
    bool tabVisible_ = true;
    bool tabEnable_ = true;
    bool highlighted_ = false;
    TColor textColor_ = 0;
    TColor tabColor_ = clNone;
    TColor tabColorTo_ = clNone;
    TGradientDirection tabGradient_ = TGradientDirection::gdVertical;
    TGradientDirection hoverGradient_ = TGradientDirection::gdVertical;
    bool parentColor_ = true;
    TColor color_ = clBtnFace;
    TColor colorTo_ = clNone;
    int stripPosBeforeHide_ = -1;
};

} // namespace qm
