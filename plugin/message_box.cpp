#include "plugin/message_box.h"

#include <cstdint>

#include "plugin/globals.h"

namespace qm {
namespace {

// The export as the host's library provides it: owner, caption, text, flags.
using QmMessageBoxFunction = int (*)(std::uint32_t owner, const char* caption, const char* text, int flags);

// Unloads the library however the call ends.
struct LoadedLibrary {
    LibraryHandle handle;
    ~LoadedLibrary() { FreeLibrary(handle); }
};

} // namespace

int CallMessageBox(const std::string& caption, const std::string& text, int flags) noexcept {
    try {
        const THostContext* context = HostContext();
        if (!context) return 0;
        // The folder comes with its separator; none is added.
        const std::string path = BstrToUtf8(context->AppPath) + "dialog.dll";
        // Only an absolute path: a bare or relative name would let the loader pick a foreign library.
        if (path.front() != '/') return 0;
        LoadedLibrary library{LoadLibrary(path)};
        if (!library.handle) return 0;
        auto box = reinterpret_cast<QmMessageBoxFunction>(GetProcAddress(library.handle, "QmMessageBox"));
        if (!box) return 0;
        return box(AppWnd(), caption.c_str(), text.c_str(), flags);
    } catch (...) {
        return 0;
    }
}

} // namespace qm
