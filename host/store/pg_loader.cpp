#include "host/store/pg_engine.h"
#include "platform/platform.h"

#include <mutex>

namespace qm::host {

namespace {

// Loaded once and kept: connections made by the library use its code until the process ends.
OpenPgConnectionFunction LoadEngine() {
    static std::once_flag once;
    static OpenPgConnectionFunction open = nullptr;
    static std::string fault;
    std::call_once(once, [] {
        // Only by a full path: a bare name would be searched for along the library path.
        const std::string folder = ProgramFolder();
        const std::string path = folder + kPgEngineFile;
        LibraryHandle library = folder.empty() ? nullptr : LoadLibrary(path);
        if (library)
            open = reinterpret_cast<OpenPgConnectionFunction>(GetProcAddress(library, kPgEngineEntry));
        if (!open) {
            const std::string detail = LastLibraryError();
            fault = "无法加载数据库服务器的连接库 " + path + (detail.empty() ? "" : "（" + detail + "）") +
                    "：请重新安装程序";
        }
    });
    if (!open) throw StoreError(fault);
    return open;
}

} // namespace

std::unique_ptr<Connection> OpenServerStore(const std::string& address) {
    return std::unique_ptr<Connection>(LoadEngine()(address));
}

} // namespace qm::host
