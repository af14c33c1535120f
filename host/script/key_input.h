// Keys and text as the keyboard sends them: through the window system's entry into Qt, so that
// shortcuts, modality and the focus widget decide where they go, as they do for a clerk.
#pragma once

#include <QKeyCombination>
#include <QString>

#include <optional>
#include <string_view>

class QWindow;

namespace qm::host {

// A key or chord as a script names it: "Tab", "ctrl+s", "Escape", "F2", "shift+F3", "y". Modifier
// and key names are read without regard to case. Nothing when the name is not one key.
std::optional<QKeyCombination> ParseKeyName(std::string_view name);

// Presses and releases the chord in `window` (the focused window when null).
void SendKey(QKeyCombination key, QWindow* window);

// Types the text one character at a time; characters beyond ASCII come as an input method
// delivers them, with no key code.
void SendText(const QString& text, QWindow* window);

} // namespace qm::host
