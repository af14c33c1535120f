// Request values checked and converted for a column before they are bound.
#pragma once

#include "host/store/schema.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace qm::host {

using BoundValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// Converts the attribute text of a request row (empty means null). Returns an empty text on
// success, otherwise the reason (Chinese, for the user); `out` is then of no use.
std::string ConvertValue(const Column& column, std::string_view text, BoundValue& out);

// Whether a value read from the store is one its column can hold and an answer carries unchanged
// (other tools may have written anything); numbers as their decimal text, dates as
// "yyyy-mm-dd hh:nn:ss".
bool FitsColumn(const Column& column, std::string_view text);

// The most characters a text column holds.
std::size_t MaxChars(const Column& column);

// "yyyy-mm-dd" or "yyyy-mm-dd hh:nn[:ss]" -> "yyyy-mm-dd hh:nn:ss"; false when not a valid date.
bool NormaliseDateText(std::string_view text, std::string& out);

// Local time as "yyyy-mm-dd hh:nn:ss".
std::string NowText();

std::size_t Utf8Length(std::string_view text);

} // namespace qm::host
