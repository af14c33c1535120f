// Request values checked and converted for a column before they are bound.
#pragma once

#include "host/schema.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace qm::host {

using BoundValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// Converts the attribute text of a request row (empty means null). Returns an empty text on
// success, otherwise the reason (Chinese, for the user); `out` is then of no use.
std::string ConvertValue(const Column& column, std::string_view text, BoundValue& out);

// "yyyy-mm-dd" or "yyyy-mm-dd hh:nn[:ss]" -> "yyyy-mm-dd hh:nn:ss"; false when not a valid date.
bool NormaliseDateText(std::string_view text, std::string& out);

// Local time as "yyyy-mm-dd hh:nn:ss".
std::string NowText();

std::size_t Utf8Length(std::string_view text);

}  // namespace qm::host
