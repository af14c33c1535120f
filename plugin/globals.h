// The values the whole module shares: who the host is and what it handed over. All are read and
// written on the host's user-interface thread only.
#pragma once

#include "platform/platform.h"
#include "plugin/records.h"

namespace qm {

HWND HostWnd(); // receives every message from the module; 0 before the first ShowChildForm
void SetHostWnd(HWND wnd);

const THostContext* HostContext(); // null until WM_QM_CONTEXT
void SetHostContext(const THostContext* context);

const THostColors* HostColors(); // null until WM_QM_COLORS
void SetHostColors(const THostColors* colors);

HWND AppWnd(); // the host's application window: owner of the module's boxes
void SetAppWnd(HWND wnd);

} // namespace qm
