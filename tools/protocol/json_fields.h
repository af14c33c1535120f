// What an import of a field-metadata document gives, as JSON.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

namespace qm::tool {

// Raises std::runtime_error when the metadata library is not part of this build or the document
// holds no field list; the import's own parse error propagates.
nlohmann::ordered_json FieldsToJson(std::string_view xml);

} // namespace qm::tool
