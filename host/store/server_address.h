// Which engine a --db value names, told without loading either.
#pragma once

#include <string_view>

namespace qm::host {

// A --db value that names a server rather than a file: a postgresql:// or postgres:// URI or a
// libpq "key=value" connection string.
bool IsServerAddress(std::string_view address);

} // namespace qm::host
