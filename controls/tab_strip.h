// The tab strip of a page control: its items, its selection and the layout of the tab
// rectangles along one edge of the control. Pure geometry; the control measures the contents.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "canvas/geometry.h"

namespace qm {

class TQmTabSheet;

enum class TTabPosition { tpTop, tpBottom, tpLeft, tpRight };

// Width of the area at the far end of a single-line strip that holds the scroll buttons.
constexpr int kTabScrollArea = 35;

struct TTabStripItem {
    std::string Text;
    TQmTabSheet* Page = nullptr;
    bool Highlighted = false;
};

struct TTabStripLayoutInput {
    TTabPosition Position = TTabPosition::tpTop;
    int ClientWidth = 0;
    int ClientHeight = 0;
    int TabWidth = 0;  // along the strip; 0: from the text
    int TabHeight = 0; // across the strip; 0: from the text height
    bool MultiLine = false;
    bool RaggedRight = false;
    bool ScrollOpposite = false;
    TSize ImageRoom{1, 1};
    int TextHeight = 13;
    // Least thickness when TabHeight is 0, for contents set off from the strip's outer edge.
    int MinThickness = 0;
    // Length of an item's contents along the strip (text and padding, the image room excluded),
    // as the control draws them; unset: padding alone.
    std::function<int(const TTabStripItem&)> ContentLength;
};

class TTabStrip {
public:
    // ---- items
    int Count() const { return static_cast<int>(items_.size()); }
    const TTabStripItem& Item(int pos) const { return items_.at(static_cast<std::size_t>(pos)); }
    void Insert(int pos, const std::string& text, TQmTabSheet* page);
    void Remove(int pos); // a removed selected item leaves nothing selected
    void Move(int from, int to);
    void SetText(int pos, const std::string& text);
    void SetHighlighted(int pos, bool value);

    // The selection alone; the control runs its change hooks around it.
    int Selected() const { return selected_; }
    void SetSelected(int pos);

    // ---- layout
    void Layout(const TTabStripLayoutInput& input);
    TRect ItemRect(int pos) const; // empty outside the items
    int HitTest(TPoint p) const;   // strip position, -1 when no tab is there
    int Rows() const { return rows_; }

    // ---- scrolling of a single-line top or bottom strip that is too long
    bool Scrolling() const { return scrolling_; }
    int FirstVisible() const { return firstVisible_; }
    void ScrollBy(int delta);
    void MakeVisible(int pos);
    // The two scroll buttons (towards the start, towards the end); empty when not scrolling.
    TRect ScrollButton(int which) const;

private:
    bool Vertical() const {
        return input_.Position == TTabPosition::tpLeft || input_.Position == TTabPosition::tpRight;
    }
    int AlongLength() const;
    std::vector<int> Extents() const;

    std::vector<TTabStripItem> items_;
    std::vector<TRect> rects_;
    int selected_ = -1;
    int rows_ = 0;
    bool scrolling_ = false;
    int firstVisible_ = 0;
    TTabStripLayoutInput input_;
};

} // namespace qm
