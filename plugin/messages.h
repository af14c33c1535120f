// Message numbers of the host link, both directions, all in the application range.
#pragma once

#include "platform/platform.h"

namespace qm {

// Host to form (the form's window handles them).
constexpr unsigned WM_QM_HIDE = WM_USER + 100;     // 1124: the form hides
constexpr unsigned WM_QM_SHOW = WM_USER + 101;     // 1125: the form shows and announces its commands
constexpr unsigned WM_QM_CLOSE = WM_USER + 103;    // 1127: sent; 0 closed, 1 refused
constexpr unsigned WM_QM_CONTEXT = WM_USER + 104;  // 1128: wParam context record, lParam context text
constexpr unsigned WM_QM_COLORS = WM_USER + 105;   // 1129: wParam colour scheme
constexpr unsigned WM_QM_REPARENT = WM_USER + 117; // 1141: wParam new parent, lParam visible form id
constexpr unsigned WM_QM_CANCLOSE = WM_USER + 118; // 1142: sent; 0 may close, 1 may not

// Form to host window.
constexpr unsigned WM_QM_FORMCLOSED = WM_USER + 102;  // 1126: posted; wParam the form's window handle
constexpr unsigned WM_QM_FORMCREATED = WM_USER + 106; // 1130: wParam the form's window handle
constexpr unsigned WM_QM_COMMANDS = WM_USER + 107;    // 1131: wParam address of the field naming chldcmnd
constexpr unsigned WM_QM_STATUS = WM_USER + 108;      // 1132: wParam kind (3 error), lParam text
constexpr unsigned WM_QM_BASECOMMANDS =
    WM_USER + 109;                                 // 1133: wParam address of the field naming chldcmndBase
constexpr unsigned WM_QM_REGISTER = WM_USER + 110; // 1134: wParam exchange record, lParam form id
constexpr unsigned WM_QM_RELEASE = WM_USER + 111;  // 1135: wParam exchange record, lParam form id
constexpr unsigned WM_QM_EXECUTE = WM_USER + 112;  // 1136: wParam exchange record, lParam form id
constexpr unsigned WM_QM_SEARCH = WM_USER + 115;   // 1139: wParam exchange record, lParam argument array

// The kinds of WM_QM_STATUS: an error; a note that holds until it is replaced (what a view
// shows; with no text, the condition it told of ended); a note for the moment only (a refused
// keystroke), which the next command clears.
constexpr WPARAM QM_STATUS_ERROR = 3;
constexpr WPARAM QM_STATUS_STANDING = 2;
constexpr WPARAM QM_STATUS_NOTE = 1;

} // namespace qm
