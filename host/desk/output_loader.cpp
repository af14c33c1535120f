// The host side of export and print: the library is looked for beside the program only.
#include "host/desk/desk_output.h"

#include "platform/platform.h"

#include <filesystem>

namespace qm::desk {

const OutputApi* Output(std::string& why) {
    static const OutputApi* api = nullptr;
    if (api) return api;
    const std::string path = ProgramFolder() + kOutputFileName;
    if (LibraryHandle lib = LoadLibrary(path))
        if (auto entry = reinterpret_cast<OutputEntry>(GetProcAddress(lib, kOutputEntry))) api = entry();
    if (!api) {
        const std::string detail = LastLibraryError();
        why =
            (std::filesystem::exists(path) ? "无法使用 " + path + (detail.empty() ? "" : "（" + detail + "）")
                                           : "找不到 " + path) +
            "：无法导出或打印。请重新安装程序";
    }
    return api;
}

} // namespace qm::desk
