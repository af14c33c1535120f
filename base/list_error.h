// The error a list raises for an index outside it, shared by every layer that keeps lists.
#pragma once

#include <stdexcept>
#include <string>

namespace qm {

class EListError : public std::out_of_range {
public:
    explicit EListError(const std::string& message) : std::out_of_range(message) {}
};

} // namespace qm
