// Where a tab's caption sits along the strip: shared by the layout, which sizes each tab to hold
// its caption, and the painter, which places it.
#pragma once

#include "controls/tab_strip.h"

namespace qm {

constexpr int kCaptionLead = 4;       // from the tab's start edge to its contents
constexpr int kCloseLeadLevel = 18;   // past the close box on top and bottom tabs
constexpr int kCloseLeadRotated = 17; // past the close box on left and right tabs
constexpr int kPictureLeftRaise = 3;  // left picture tabs write further from the start edge
constexpr int kCaptionTrail = 6;      // after the caption

// The distance from a tab's start edge (left for top and bottom tabs, bottom for left tabs, top
// for right tabs) to its image or, without one, its caption; the image room comes on top.
inline int CaptionLead(TTabPosition position, bool showClose, bool pictures) {
    const bool vertical = position == TTabPosition::tpLeft || position == TTabPosition::tpRight;
    int lead = showClose ? (vertical ? kCloseLeadRotated : kCloseLeadLevel) : kCaptionLead;
    if (position == TTabPosition::tpLeft && pictures) lead += kPictureLeftRaise;
    return lead;
}

} // namespace qm
