// What the module reads from a response document, as JSON.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include <nlohmann/json.hpp>

#include "json_format.h"

namespace qm {
class TMemTable;
}

namespace qm::tool {

// The exchange an answer belongs to decides how the module judges it.
enum class TExchange { exSave, exSearch, exRegister, exRelease };

// "save", "search", "register" or "release"; false for anything else.
bool ParseExchange(std::string_view name, TExchange& out);

// An empty table shaped like the form's, which a search answer is loaded into; without one the
// answer's own table shape is used and every row loads.
using TFormTableMaker = std::function<std::unique_ptr<TMemTable>()>;

nlohmann::ordered_json ResponseToJson(std::string_view xml, TExchange exchange = TExchange::exSave,
                                      const TFormTableMaker& formTable = {});

} // namespace qm::tool
