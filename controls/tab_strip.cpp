#include "controls/tab_strip.h"

#include <algorithm>

namespace qm {

namespace {
constexpr int kStripStart = 2;  // room for the active tab's raised edge
constexpr int kTextPadding = 8; // around a tab's contents when the control gives no length
constexpr int kThicknessPadding = 7;
} // namespace

void TTabStrip::Insert(int pos, const std::string& text, TQmTabSheet* page) {
    pos = std::clamp(pos, 0, Count());
    items_.insert(items_.begin() + pos, TTabStripItem{text, page, false});
    if (Count() == 1)
        selected_ = 0; // the first tab of an empty strip is selected
    else if (selected_ >= pos)
        ++selected_;
}

void TTabStrip::Remove(int pos) {
    if (pos < 0 || pos >= Count()) return;
    items_.erase(items_.begin() + pos);
    if (selected_ == pos)
        selected_ = -1;
    else if (selected_ > pos)
        --selected_;
    firstVisible_ = std::clamp(firstVisible_, 0, std::max(0, Count() - 1));
}

void TTabStrip::Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
    const TTabStripItem item = items_[static_cast<std::size_t>(from)];
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, item);
    if (selected_ == from)
        selected_ = to;
    else if (from < selected_ && selected_ <= to)
        --selected_;
    else if (to <= selected_ && selected_ < from)
        ++selected_;
}

void TTabStrip::SetText(int pos, const std::string& text) {
    if (pos >= 0 && pos < Count()) items_[static_cast<std::size_t>(pos)].Text = text;
}

void TTabStrip::SetHighlighted(int pos, bool value) {
    if (pos >= 0 && pos < Count()) items_[static_cast<std::size_t>(pos)].Highlighted = value;
}

void TTabStrip::SetSelected(int pos) {
    selected_ = pos >= 0 && pos < Count() ? pos : -1;
    if (selected_ >= 0) MakeVisible(selected_);
}

int TTabStrip::AlongLength() const {
    return (Vertical() ? input_.ClientHeight : input_.ClientWidth) - 2 * kStripStart;
}

std::vector<int> TTabStrip::Extents() const {
    const int room = Vertical() ? input_.ImageRoom.cy : input_.ImageRoom.cx;
    std::vector<int> out;
    for (const auto& item : items_) {
        if (input_.TabWidth > 0)
            out.push_back(input_.TabWidth);
        else
            out.push_back((input_.ContentLength ? input_.ContentLength(item) : 2 * kTextPadding) + room);
    }
    return out;
}

void TTabStrip::Layout(const TTabStripLayoutInput& input) {
    input_ = input;
    rects_.assign(items_.size(), TRect{});
    rows_ = 0;
    scrolling_ = false;
    if (items_.empty()) return;
    const std::vector<int> extents = Extents();
    const int length = AlongLength();
    const int across = Vertical() ? input.ImageRoom.cx : input.ImageRoom.cy;
    const int thickness =
        input.TabHeight > 0
            ? input.TabHeight
            : std::max(std::max(input.TextHeight, across) + kThicknessPadding, input.MinThickness);

    // Rows of item positions, first row next to the page. Vertical strips always wrap.
    std::vector<std::vector<int>> rows(1);
    int used = 0;
    const bool wrap = input.MultiLine || Vertical();
    for (int i = 0; i < Count(); ++i) {
        const int e = extents[static_cast<std::size_t>(i)];
        if (wrap && !rows.back().empty() && used + e > length) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        used += e;
    }
    rows_ = static_cast<int>(rows.size());

    // Offsets along the strip, stretched to the full length when rows wrap and not ragged.
    std::vector<int> offset(items_.size()), extent(extents);
    for (const auto& row : rows) {
        int total = 0;
        for (int i : row)
            total += extents[static_cast<std::size_t>(i)];
        int extra = rows_ > 1 && !input.RaggedRight ? std::max(0, length - total) : 0;
        const int n = static_cast<int>(row.size());
        int at = 0;
        for (int k = 0; k < n; ++k) {
            const int share = extra / n + (k < extra % n ? 1 : 0);
            const auto i = static_cast<std::size_t>(row[static_cast<std::size_t>(k)]);
            extent[i] = extents[i] + share;
            offset[i] = at;
            at += extent[i];
        }
    }

    // A single row longer than the strip scrolls; its far end holds the scroll buttons.
    if (!wrap) {
        int total = 0;
        for (int e : extents)
            total += e;
        scrolling_ = total > length;
        if (!scrolling_) firstVisible_ = 0;
        firstVisible_ = std::clamp(firstVisible_, 0, Count() - 1);
        const int shift = scrolling_ ? offset[static_cast<std::size_t>(firstVisible_)] : 0;
        for (auto& o : offset)
            o -= shift;
    } else {
        firstVisible_ = 0;
    }

    // Row index counted from the page; with ScrollOpposite the selected row moves next to it.
    std::vector<int> rowOf(items_.size());
    for (int r = 0; r < rows_; ++r)
        for (int i : rows[static_cast<std::size_t>(r)])
            rowOf[static_cast<std::size_t>(i)] = r;
    const int selectedRow = selected_ >= 0 ? rowOf[static_cast<std::size_t>(selected_)] : 0;
    const int W = input.ClientWidth, H = input.ClientHeight;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        int r = rowOf[i];
        if (input.ScrollOpposite) r = (r - selectedRow + rows_) % rows_;
        const int a0 = kStripStart + offset[i], a1 = a0 + extent[i];
        switch (input.Position) {
        case TTabPosition::tpTop: {
            const int t = kStripStart + (rows_ - 1 - r) * thickness;
            rects_[i] = Rect(a0, t, a1, t + thickness);
            break;
        }
        case TTabPosition::tpBottom: {
            const int t = H - kStripStart - (rows_ - r) * thickness;
            rects_[i] = Rect(a0, t, a1, t + thickness);
            break;
        }
        case TTabPosition::tpLeft: {
            const int l = kStripStart + (rows_ - 1 - r) * thickness;
            rects_[i] = Rect(l, a0, l + thickness, a1);
            break;
        }
        case TTabPosition::tpRight: {
            const int l = W - kStripStart - (rows_ - r) * thickness;
            rects_[i] = Rect(l, a0, l + thickness, a1);
            break;
        }
        }
    }
}

TRect TTabStrip::ItemRect(int pos) const {
    if (pos < 0 || pos >= static_cast<int>(rects_.size())) return {};
    return rects_[static_cast<std::size_t>(pos)];
}

int TTabStrip::HitTest(TPoint p) const {
    if (scrolling_ && p.X >= input_.ClientWidth - kTabScrollArea) return -1;
    for (std::size_t i = 0; i < rects_.size(); ++i)
        if (rects_[i].Contains(p)) return static_cast<int>(i);
    return -1;
}

void TTabStrip::ScrollBy(int delta) {
    if (!scrolling_) return;
    const std::vector<int> extents = Extents();
    // Scrolling towards the end stops once the last tab is fully before the button area.
    if (delta > 0) {
        int rest = 0;
        for (int i = firstVisible_; i < Count(); ++i)
            rest += extents[static_cast<std::size_t>(i)];
        if (rest <= AlongLength() - kTabScrollArea) return;
    }
    firstVisible_ = std::clamp(firstVisible_ + delta, 0, Count() - 1);
    Layout(input_);
}

void TTabStrip::MakeVisible(int pos) {
    if (!scrolling_ || pos < 0 || pos >= Count()) return;
    if (pos < firstVisible_) {
        firstVisible_ = pos;
    } else {
        const std::vector<int> extents = Extents();
        const int room = AlongLength() - kTabScrollArea;
        int span = 0;
        for (int i = firstVisible_; i <= pos; ++i)
            span += extents[static_cast<std::size_t>(i)];
        while (span > room && firstVisible_ < pos)
            span -= extents[static_cast<std::size_t>(firstVisible_++)];
    }
    Layout(input_);
}

TRect TTabStrip::ScrollButton(int which) const {
    if (!scrolling_ || rects_.empty()) return {};
    const int W = input_.ClientWidth;
    const TRect any = rects_.front();
    const int mid = (any.Top + any.Bottom) / 2;
    const int left = W - kTabScrollArea + 1 + which * 17;
    return Rect(left, mid - 8, left + 17, mid + 8);
}

} // namespace qm
