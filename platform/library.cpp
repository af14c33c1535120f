// Loading libraries by path.
#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "platform/platform.h"

namespace qm {
namespace {
thread_local std::string gLastError;
}

LibraryHandle LoadLibrary(const std::string& path) {
    // An empty path would name the running program itself.
    if (path.empty()) {
        gLastError = "empty library path";
        return nullptr;
    }
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char* e = dlerror();
        gLastError = e ? e : "cannot load " + path;
    }
    return h;
}

void* GetProcAddress(LibraryHandle library, const char* name) {
    if (!library || !name) return nullptr;
    dlerror();
    void* p = dlsym(library, name);
    if (!p) {
        const char* e = dlerror();
        gLastError = e ? e : std::string("no export ") + name;
    }
    return p;
}

void FreeLibrary(LibraryHandle library) {
    if (library) dlclose(library);
}

std::string LastLibraryError() {
    return gLastError;
}

std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : self.parent_path().string() + "/";
}

} // namespace qm
