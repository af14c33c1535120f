// Errors the tab control raises: the list and conversion errors shared with the other layers,
// and its own refusals.
#pragma once

#include <stdexcept>
#include <string>

#include "base/list_error.h"
#include "dataset/errors.h"

namespace qm {

// A tab-control setting refused in the control's present state.
class ETabControlError : public std::runtime_error {
public:
    explicit ETabControlError(const std::string& message) : std::runtime_error(message) {}
};

} // namespace qm
