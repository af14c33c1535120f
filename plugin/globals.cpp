#include "plugin/globals.h"

namespace qm {
namespace {
HWND gHostWnd = 0;
const THostContext* gHostContext = nullptr;
const THostColors* gHostColors = nullptr;
HWND gAppWnd = 0;
} // namespace

HWND HostWnd() {
    return gHostWnd;
}
void SetHostWnd(HWND wnd) {
    gHostWnd = wnd;
}
const THostContext* HostContext() {
    return gHostContext;
}
void SetHostContext(const THostContext* context) {
    gHostContext = context;
}
const THostColors* HostColors() {
    return gHostColors;
}
void SetHostColors(const THostColors* colors) {
    gHostColors = colors;
}
HWND AppWnd() {
    return gAppWnd;
}
void SetAppWnd(HWND wnd) {
    gAppWnd = wnd;
}

} // namespace qm
