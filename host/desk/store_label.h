// How the About box names the store: a file's path, or a server's address without its password.
#pragma once

#include <string>

namespace qm::desk {

// A postgresql:// URI loses the password of its user part and any password parameter; a libpq
// key=value string loses its password entry; anything else is a file path and stays as it is.
std::string StoreLabel(const std::string& address);

} // namespace qm::desk
