// A request document written from a JSON description of parameters, variables and tables.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace qm::tool {

// Raises std::invalid_argument for a description of the wrong shape; dataset and XML errors of the
// writer propagate.
std::string JsonToRequest(const nlohmann::json& request);

} // namespace qm::tool
