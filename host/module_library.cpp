#include "host/module_library.h"

namespace qm::host {

bool ModuleLibrary::Load(const std::string& path, std::string& error) {
    LibraryHandle lib = LoadLibrary(path);
    if (!lib) {
        error = "cannot load " + path + ": " + LastLibraryError();
        return false;
    }
    FShow = reinterpret_cast<ShowChildFormFunction>(GetProcAddress(lib, "ShowChildForm"));
    if (!FShow) {
        error = path + " has no export ShowChildForm";
        return false;
    }
    return true;
}

HWND ModuleLibrary::ShowChildForm(HWND appHandle, HWND hostWnd, HWND parentWnd,
                                  const std::string& caption) const {
    return FShow ? FShow(appHandle, hostWnd, parentWnd, caption.c_str()) : 0;
}

} // namespace qm::host
