// A tabbed page container: an ordered list of pages, one of them shown, with a custom-painted
// tab strip along one edge, close buttons on the tabs, hover highlighting and docking.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QPointer>
#include <QWidget>

#include "base/component.h"
#include "canvas/bitmap.h"
#include "canvas/canvas.h"
#include "controls/tab_image_list.h"
#include "controls/tab_margin.h"
#include "controls/tab_sheet.h"
#include "controls/tab_strip.h"

namespace qm {

enum class TTabStyle { tsClassic, tsDotNet, tsDelphi };
enum class TCloseBoxLook { cbNormal, cbLit, cbPressed };

using TCanChangeEvent = std::function<void(TObject* Sender, int FromPage, int ToPage, bool& AllowChange)>;
using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;
class TQmPageControl;
// Draws one tab on Control->PaintCanvas(); TabIndex is the page's position in PageList.
using TDrawTabEvent =
    std::function<void(TQmPageControl* Control, int TabIndex, const TRect& Rect, bool Active)>;
using TTabGetImageEvent = std::function<void(TObject* Sender, int TabIndex, int& ImageIndex)>;

class TQmPageControl : public QWidget, public TObject {
    Q_OBJECT
public:
    explicit TQmPageControl(QWidget* parent = nullptr);
    ~TQmPageControl() override;

    // ---- pages, in PageList order
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TQmTabSheet* Pages(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
    const std::vector<TQmTabSheet*>& PageList() const { return pages_; }
    int IndexOfPage(const TQmTabSheet* page) const;
    // For the read-only walk of the forms: true when container is a page control, with its pages
    // in order.
    static bool ListPages(QWidget* container, std::vector<QWidget*>& pages);

    TQmTabSheet* ActivePage() const { return active_; }
    void SetActivePage(TQmTabSheet* page);
    int ActivePagePos() const { return IndexOfPage(active_); }
    // Page position of the tab at client point (x, y), -1 when none.
    int TabPageAt(int x, int y);
    // The tab rectangle of the page at PageList position pos.
    TRect PageTabRect(int pos);
    TQmTabSheet* FindNeighbourPage(const TQmTabSheet* from, bool forward, bool shownOnly) const;
    void StepActivePage(bool forward);
    // The strip, laid out for the present size and settings.
    const TTabStrip& Strip();
    // The area the pages fill.
    TRect PageRect();

    // ---- own properties
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* value);
    TFont& ActiveFont() { return activeFont_; }
    void SetActiveFont(const TFont& value) { activeFont_.Assign(value); }
    const TBitmap& CloseGlyph() const { return closeGlyph_; }
    void SetCloseGlyph(const TBitmap& value);
    bool FreeOnClose() const { return freeOnClose_; }
    void SetFreeOnClose(bool value) { freeOnClose_ = value; }
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool value) { showFocus_ = value; }
    TColor DefaultTextColor() const { return defaultTextColor_; }
    void SetDefaultTextColor(TColor value);
    TColor DefaultTabColor() const { return defaultTabColor_; }
    void SetDefaultTabColor(TColor value);
    TColor DefaultTabColorTo() const { return defaultTabColorTo_; }
    void SetDefaultTabColorTo(TColor value);
    TColor ActiveColor() const { return activeColor_; }
    void SetActiveColor(TColor value);
    TColor ActiveColorTo() const { return activeColorTo_; }
    void SetActiveColorTo(TColor value);
    bool TabBorder3D() const { return tabBorder3D_; }
    void SetTabBorder3D(bool value);
    TColor TabBorderColor() const { return tabBorderColor_; }
    void SetTabBorderColor(TColor value);
    bool TabSheet3D() const { return tabSheet3D_; }
    void SetTabSheet3D(bool value);
    TColor TabSheetBorderColor() const { return tabSheetBorderColor_; }
    void SetTabSheetBorderColor(TColor value);
    TColor TabHoverColor() const { return tabHoverColor_; }
    void SetTabHoverColor(TColor value) { tabHoverColor_ = value; }
    TColor TabHoverColorTo() const { return tabHoverColorTo_; }
    void SetTabHoverColorTo(TColor value) { tabHoverColorTo_ = value; }
    TColor TabHoverBorder() const { return tabHoverBorder_; }
    void SetTabHoverBorder(TColor value) { tabHoverBorder_ = value; }
    TColor TabBackGroundColor() const { return tabBackGroundColor_; }
    void SetTabBackGroundColor(TColor value);
    const TBitmap& TabBackGround() const { return tabBackGround_; }
    void SetTabBackGround(const TBitmap& value);
    const TBitmap& TabBackGroundActive() const { return tabBackGroundActive_; }
    void SetTabBackGroundActive(const TBitmap& value);
    TTabMargin& TabMargin() { return margin_; }
    void SetTabMargin(const TObject& value) { margin_.Assign(value); }
    int TabOverlap() const { return tabOverlap_; }
    void SetTabOverlap(int value); // 0 to 15
    bool TabSplitLine() const { return tabSplitLine_; }
    void SetTabSplitLine(bool value);
    bool RoundEdges() const { return roundEdges_; }
    void SetRoundEdges(bool value);
    TTabStyle TabStyle() const { return tabStyle_; }
    void SetTabStyle(TTabStyle value);
    int LowerActive() const { return lowerActive_; }
    void SetLowerActive(int value);
    std::string Version() const;
    void SetVersion(const std::string&) {}
    bool QmCanChangeSize() const { return canChangeSize_; }
    void SetQmCanChangeSize(bool value) { canChangeSize_ = value; }

    // ---- inherited properties
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    TColor Color() const; // the parent's colour until one is set
    void SetColor(TColor value);
    bool DockSite() const { return dockSite_; }
    void SetDockSite(bool value) { dockSite_ = value; }
    bool HotTrack() const { return hotTrack_; }
    void SetHotTrack(bool value);
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool value);
    bool RaggedRight() const { return raggedRight_; }
    void SetRaggedRight(bool value);
    bool ScrollOpposite() const { return scrollOpposite_; }
    void SetScrollOpposite(bool value);
    int TabHeight() const { return tabHeight_; }
    void SetTabHeight(int value);
    int TabWidth() const { return tabWidth_; }
    void SetTabWidth(int value);
    TTabPosition TabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition value);

    TCanChangeEvent OnCanChange;
    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;
    TDrawTabEvent OnDrawTab;
    TTabGetImageEvent OnGetImageIndex;

    // ---- reading from a form description
    void BeginLoading();
    void EndLoading();
    bool Reading() const { return reading_; }
    bool IsLoaded() const { return loaded_; }

    TSize ImageRoom() const { return imageRoom_; }
    // The strip text of a page's tab (its layout text, padded for the active font).
    std::string TabText(const TQmTabSheet* page) const;
    void RefreshTabText(TQmTabSheet* page);
    void PadActiveTabText(TQmTabSheet* page);

    // ---- the strip's change hooks, run on clicks, keys and StepActivePage. pointer: the client
    // position of the click; none for keys.
    bool CanChangeTab(std::optional<TPoint> pointer, bool shift);
    void TabChanged();
    // A user selection of strip position pos through both hooks.
    void SelectTabByUser(int pos, std::optional<TPoint> pointer, bool shift);

    // ---- close buttons and hover
    void DrawCloseBox(Canvas& canvas, TCloseBoxLook look, const TRect& tab, int d);
    bool CloseBoxHit(int pos, int x, int y);
    int HoverPage() const { return hoverPage_; }
    bool CloseHot() const { return closeHot_; }
    // Closes page with next as the page to show; reactivate: set next active again at the end.
    void ClosePage(TQmTabSheet* page, TQmTabSheet* next, bool reactivate);

    // ---- docking
    // Docks a form onto a new page; its caption follows the form's title and its tab the form's
    // visibility. Returns the page.
    TQmTabSheet* DockClient(QWidget* client);
    // Takes the client off its page and removes the page; floating: the client becomes a window
    // of its own at floatPos (global), else it is left without a parent.
    void UndockClient(QWidget* client, bool floating = true, QPoint floatPos = QPoint(100, 100));
    TQmTabSheet* DockPageOf(const QWidget* client) const;
    bool CanDock(const QWidget* client) const { return DockPageOf(client) == nullptr; }

    // ---- painting and hit testing
    QImage Render();
    void PaintTo(Canvas& canvas);
    Canvas* PaintCanvas() const { return paintCanvas_; }
    // Sizing hit test at a screen position: HTRIGHT, HTBOTTOM, HTBOTTOMRIGHT or HTCLIENT.
    int HitTest(QPoint screenPos) const;
    int RepaintCount() const { return repaints_; }
    void Invalidate();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class TQmTabSheet;
    struct PaintPass {
        int SB = 0, ST = 0, SL = 0, SR = 0;
        bool P = false;
        int k = 0;
        int S = 0;
    };

    // model
    void AttachPage(TQmTabSheet* page);
    void DetachPage(TQmTabSheet* page);
    void DestroyingPage(TQmTabSheet* page);
    void TabShownChanged(TQmTabSheet* page, bool shown, int oldStripPos);
    void SyncActivePage();
    void SwitchToPage(TQmTabSheet* page);
    void MovePage(TQmTabSheet* page, int index);
    void PageChanged(); // a page setting that changes the picture
    void MarginChanged(int newValue, int oldValue, int index);
    void RecomputeImageRoom();
    void LayoutPages();
    TTabStripLayoutInput LayoutInput() const;
    int StripToPagePos(int stripPos) const;
    int TabImageIndex(const TQmTabSheet* page) const;
    bool HasFocusInside() const;

    // painting
    void PaintNative(Canvas& canvas);
    void PaintStripAndFrame(Canvas& canvas, PaintPass& pass);
    void PaintTabs(Canvas& canvas, const PaintPass& pass);
    void PaintScrollButtons(Canvas& canvas);
    void DrawThreeSlice(Canvas& canvas, const TBitmap& picture, int x, int y, int length, bool alongX);
    void CaptionOut(Canvas& canvas, const TRect& tab, int x, int y, const std::string& caption);
    void DrawFocusFrame(Canvas& canvas, const TRect& r, int overlap);

    // mouse
    void InvalidateTab(int pos);
    void StartClientDrag(TQmTabSheet* page, QPoint at);

    std::vector<TQmTabSheet*> pages_;
    TTabStrip strip_;
    TQmTabSheet* active_ = nullptr;
    TImageList* images_ = nullptr;
    TFont font_;
    TFont activeFont_;
    TBitmap closeGlyph_;
    bool freeOnClose_ = false;
    bool showFocus_ = false;
    TColor defaultTextColor_ = clBlack;
    TColor defaultTabColor_ = clBtnFace;
    TColor defaultTabColorTo_ = clNone;
    TColor activeColor_ = clBtnFace;
    TColor activeColorTo_ = clNone;
    bool tabBorder3D_ = false;
    TColor tabBorderColor_ = clGray;
    bool tabSheet3D_ = false;
    TColor tabSheetBorderColor_ = clGray;
    TColor tabHoverColor_ = clNone;
    TColor tabHoverColorTo_ = clNone;
    TColor tabHoverBorder_ = clNone;
    TColor tabBackGroundColor_ = clBtnFace;
    TBitmap tabBackGround_;
    TBitmap tabBackGroundActive_;
    TTabMargin margin_;
    int tabOverlap_ = 0;
    bool tabSplitLine_ = false;
    bool roundEdges_ = false;
    TTabStyle tabStyle_ = TTabStyle::tsClassic;
    int lowerActive_ = 2;
    bool canChangeSize_ = false;
    bool parentColor_ = true;
    TColor color_ = clBtnFace;
    bool dockSite_ = false;
    bool hotTrack_ = false;
    bool multiLine_ = false;
    bool raggedRight_ = false;
    bool scrollOpposite_ = false;
    int tabHeight_ = 0;
    int tabWidth_ = 0;
    TTabPosition tabPosition_ = TTabPosition::tpTop;

    TSize imageRoom_{1, 1};
    int hoverPage_ = -1;
    bool closeHot_ = false;
    bool closePressed_ = false;   // the pressed look, shown until the next repaint
    bool selectingPress_ = false; // the button went down on a tab it made active
    bool loaded_ = true;
    bool reading_ = false;
    bool destroying_ = false;
    int repaints_ = 0;
    Canvas* paintCanvas_ = nullptr;

    TQmTabSheet* switchingTo_ = nullptr;
    TQmTabSheet* newDockPage_ = nullptr;
    TQmTabSheet* undockingPage_ = nullptr;
    QPointer<QWidget> dragClient_;
    QPoint dragStart_;
    bool dragging_ = false;
    int sizing_ = 0;
    QPoint sizingStart_;
    QSize sizingStartSize_;
};

} // namespace qm
