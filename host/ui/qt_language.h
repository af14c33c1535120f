// The words Qt's own dialogs and menus show (a file dialog's "保存", a print preview's tools), in the
// clerk's language like the rest of the window.
#pragma once

namespace qm::host {

// Loads Qt's Chinese translations where the system has them; false, and English dialogs, where not.
bool TranslateQtDialogs();

} // namespace qm::host
