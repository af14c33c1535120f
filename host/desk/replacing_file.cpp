#include "host/desk/replacing_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::desk {

namespace {

std::string Reason() {
    return std::strerror(errno);
}

// The permissions an ordinary new file gets; mkstemp's own are owner-only.
mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string CannotWrite(const std::string& path, const std::string& reason) {
    return "无法写入文件“" + path + "”：" + reason;
}

ReplacingFile::ReplacingFile(std::string target) : FTarget(std::move(target)) {
    const std::size_t slash = FTarget.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : FTarget.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? FTarget : FTarget.substr(slash + 1);
    if (name.empty()) throw std::runtime_error(CannotWrite(FTarget, "不是文件名"));
    struct stat st {};
    if (stat(FTarget.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        throw std::runtime_error(CannotWrite(FTarget, "这是一个文件夹"));
    std::string pattern = dir + "." + name + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0) throw std::runtime_error(CannotWrite(FTarget, Reason()));
    fchmod(fd, NewFileMode());
    close(fd);
    FTemp = std::move(pattern);
}

ReplacingFile::~ReplacingFile() {
    if (!FCommitted) std::remove(FTemp.c_str());
}

void ReplacingFile::Commit() {
    const int fd = open(FTemp.c_str(), O_RDONLY);
    if (fd < 0 || fsync(fd) != 0) {
        const std::string why = Reason();
        if (fd >= 0) close(fd);
        throw std::runtime_error(CannotWrite(FTarget, why));
    }
    close(fd);
    if (std::rename(FTemp.c_str(), FTarget.c_str()) != 0)
        throw std::runtime_error(CannotWrite(FTarget, Reason()));
    FCommitted = true;
}

} // namespace qm::desk
