// Store addresses as they may be shown: a server address can carry a password, which no error,
// window or log ever prints.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm::host {

// The passwords an address holds (the URI's user:password@, password= and sslpassword= in its
// query or as key=value), as written and as the server reads them.
std::vector<std::string> AddressSecrets(std::string_view address);

// The address with each password replaced by ****; a file path comes back as it is.
std::string MaskedAddress(std::string_view address);

// `text` with every password of `address` replaced by ****, wherever it appears.
std::string MaskSecrets(std::string text, std::string_view address);

} // namespace qm::host
