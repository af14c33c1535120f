// The one way the module shows a message: the host's dialog.dll, loaded around every box.
#pragma once

#include <string>

namespace qm {

constexpr int MB_NOTICE = 1;  // information
constexpr int MB_WARNING = 2; // warning
constexpr int MB_YESNO = 4;   // a yes/no question
// Added to MB_YESNO: 否 is the default (Enter), for questions whose yes throws work away.
constexpr int MB_DEFBUTTON2 = 0x100;
constexpr int ID_YES = 6;
constexpr int ID_NO = 7;

// The library's answer; 0 when no box could be shown (no context yet, no absolute folder, no
// library, no export). Never throws.
int CallMessageBox(const std::string& caption, const std::string& text, int flags) noexcept;

} // namespace qm
