#include "host/store/server_address.h"

#include <cctype>

namespace qm::host {

bool IsServerAddress(std::string_view address) {
    if (address.rfind("postgresql://", 0) == 0 || address.rfind("postgres://", 0) == 0) return true;
    // "host=... dbname=...": a keyword, optional blanks, '='
    std::size_t i = 0;
    while (i < address.size() && (std::isalnum(static_cast<unsigned char>(address[i])) || address[i] == '_'))
        ++i;
    if (i == 0) return false;
    while (i < address.size() && address[i] == ' ')
        ++i;
    return i < address.size() && address[i] == '=' && address.find('/') > i;
}

} // namespace qm::host
