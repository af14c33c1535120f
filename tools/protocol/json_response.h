// What the module reads from a response document, as JSON.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

namespace qm::tool {

nlohmann::ordered_json ResponseToJson(std::string_view xml);

}  // namespace qm::tool
