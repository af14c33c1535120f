// The Qt side of the platform layer: posted messages and the pump run from Qt's event loop,
// and window handles name QWidgets.
#pragma once

#include "platform/platform.h"

class QWidget;

namespace qm {

// Delivers posted messages from Qt's event loop and makes ProcessMessages run Qt's pending events
// (holding user input back while an operation runs). Does nothing when a pump is already installed.
void InstallQtPump();

QWidget* WidgetOfHandle(HWND handle); // null when the handle names no widget
HWND HandleOfWidget(QWidget* widget); // 0 when the widget has no handle

} // namespace qm
