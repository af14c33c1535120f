// The TColor of a widget, as seen by children that take their parent's colour.
#pragma once

#include "platform/platform.h"

class QWidget;

namespace qm {

// The colour a widget shows: the TColor it recorded with SetWidgetColor, else its palette's
// window colour.
TColor WidgetColor(const QWidget* widget);
// Records the colour (and puts it in the widget's palette) and tells the direct children that
// their parent's colour changed.
void SetWidgetColor(QWidget* widget, TColor color);
// The colour of the widget's parent; clBtnFace without one.
TColor ParentColorOf(const QWidget* widget);

// Event type sent to every direct child when its parent's colour changes.
int ParentColorChangedEventType();
void NotifyParentColorChanged(QWidget* parent);

} // namespace qm
