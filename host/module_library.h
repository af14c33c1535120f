// The module, loaded by path as any host would load it. It stays loaded until the process exits:
// its forms live in the host's widget tree.
#pragma once

#include "platform/platform.h"

#include <string>

namespace qm::host {

// The module's one export, C linkage.
using ShowChildFormFunction = HWND (*)(HWND appHandle, HWND hostWnd, HWND parentWnd, const char* caption);

class ModuleLibrary {
public:
    // False with a reason when the file or the export is missing.
    bool Load(const std::string& path, std::string& error);
    HWND ShowChildForm(HWND appHandle, HWND hostWnd, HWND parentWnd, const std::string& caption) const;
    bool Loaded() const { return FShow != nullptr; }

private:
    ShowChildFormFunction FShow = nullptr;
};

} // namespace qm::host
