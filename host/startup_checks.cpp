#include "host/startup_checks.h"

#include "host/store/schema.h"
#include "host/store/server_address.h"
#include "host/store/store.h"
#include "platform/platform.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace qm::host {

namespace fs = std::filesystem;

namespace {

std::string Quote(const fs::path& p) {
    return "“" + p.string() + "”";
}

} // namespace

std::string CheckStoreFile(const std::string& path, bool explicitPath, const std::string& origin,
                           int lockWaitMs, ProbedFile* kept) {
    // A server's connection URI is not a file: the store engine reports on it itself.
    if (IsServerAddress(path)) return {};
    std::error_code ec;
    const fs::path file = fs::absolute(path, ec);
    if (ec) return "无法使用存储文件" + Quote(path) + "：" + ec.message();
    const fs::path folder = file.parent_path();
    if (!fs::exists(folder, ec)) {
        if (explicitPath)
            return "存储文件" + Quote(file) + "所在的文件夹" + Quote(folder) + "不存在：请检查 " + origin +
                   " 给出的路径，或先建好文件夹";
        if (!fs::create_directories(folder, ec) && ec)
            return "无法建立存储文件夹" + Quote(folder) + "：" + ec.message();
    }
    if (!fs::is_directory(folder, ec))
        return "存储文件" + Quote(file) + "的上级" + Quote(folder) + "不是文件夹";
    // A save writes its journal beside the file, so the folder must be writable even for a file
    // that already exists.
    const bool folderWritable = ::access(folder.c_str(), W_OK | X_OK) == 0;
    if (!fs::exists(file, ec)) {
        if (!folderWritable)
            return "无法在文件夹" + Quote(folder) + "中新建存储文件" + Quote(file.filename()) +
                   "：没有写入权限";
        return {};
    }
    if (fs::is_directory(file, ec)) return "存储文件" + Quote(file) + "是一个文件夹";
    if (::access(file.c_str(), R_OK) != 0) return "存储文件" + Quote(file) + "没有读取权限";
    if (::access(file.c_str(), W_OK) != 0 || !folderWritable)
        return "存储文件" + Quote(file) + "只能读取，无法保存：请检查文件和文件夹" + Quote(folder) +
               "的写入权限";
    return ProbeStore(file.string(), lockWaitMs, origin, kept);
}

LoginLimits ReadLoginLimits(Connection& db) {
    LoginLimits limits;
    const std::optional<TableInfo> table = db.ReadTable("TB_MEMAC");
    if (!table) return limits;
    // The user is written as the creator and as the modifier: the smaller column decides.
    for (const char* name : {"CREATE_USER", "MODIFIER"})
        if (const Column* c = table->Find(name);
            c && c->Kind == ColumnKind::Text && c->Size > 0 && (limits.User == 0 || c->Size < limits.User)) {
            limits.User = c->Size;
            limits.UserColumn = c->Name;
        }
    if (const Column* c = table->Find("USER_GROUP"); c && c->Kind == ColumnKind::Text && c->Size > 0) {
        limits.Group = c->Size;
        limits.GroupColumn = c->Name;
    }
    return limits;
}

std::string CheckLogin(const std::string& user, const std::string& group, const LoginLimits& limits,
                       const std::string& userOrigin, const std::string& groupOrigin) {
    auto check = [](const std::string& value, const char* what, const std::string& origin, int limit,
                    const std::string& column) -> std::string {
        const std::size_t n = CharCount(value);
        if (limit <= 0 || n <= static_cast<std::size_t>(limit)) return {};
        const std::string wanted = "不超过 " + std::to_string(limit) + " 个字符的" + what;
        const std::string fix = origin.rfind("--", 0) == 0 ? "请用 " + origin + " 指定" + wanted
                                                           : "请把" + origin + " 改为" + wanted;
        return std::string(what) + "“" + Excerpt(value) + "”有 " + std::to_string(n) +
               " 个字符，存储的字段 " + column + " 最多 " + std::to_string(limit) +
               " 个字符，保存都会失败：" + fix;
    };
    std::string why = check(user, "用户名", userOrigin, limits.User, limits.UserColumn);
    if (why.empty()) why = check(group, "用户组", groupOrigin, limits.Group, limits.GroupColumn);
    return why;
}

} // namespace qm::host
