// Checks at start-up that turn a store the host cannot use, or a login the store cannot hold,
// into one clear sentence before anything is shown or written.
#pragma once

#include "host/store/connection.h"
#include "host/store/store.h"

#include <string>

namespace qm::host {

// Looks at the store file before the store opens it. For the default location (`explicitPath`
// false) missing folders are created; for a path the user gave, a missing folder is an error, so
// that a mistyped path never shows an empty store. A file another program holds locked is waited
// for up to `lockWaitMs`. Empty when the store may open the file, else the reason; `origin` says
// where the path came from (see Origin). An existing file's connection, opened to look at it, goes
// to `kept` when given, for the store to go on with.
constexpr int kStoreLockWaitMs = 5000;
std::string CheckStoreFile(const std::string& path, bool explicitPath, const std::string& origin = "--db",
                           int lockWaitMs = kStoreLockWaitMs, ProbedFile* kept = nullptr);

// Characters the store keeps for the user (creator and modifier) and the group; 0 is no limit.
struct LoginLimits {
    int User = 0;
    std::string UserColumn;
    int Group = 0;
    std::string GroupColumn;
};
LoginLimits ReadLoginLimits(Connection& db);

// Empty when the user and the group fit, else the reason naming the limit and where to change
// the value: the option, or the settings file and its key.
std::string CheckLogin(const std::string& user, const std::string& group, const LoginLimits& limits,
                       const std::string& userOrigin = "--user", const std::string& groupOrigin = "--group");

} // namespace qm::host
