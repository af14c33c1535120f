// What every request must pass before the store applies it: a size limit checked before the
// document is parsed, well-formed UTF-8 without control characters in its values, and codes
// without leading or trailing blanks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qm::host {

class Store;

constexpr std::size_t kDefaultMaxRequestBytes = std::size_t{64} << 20;

// The whole request text, before parsing: its size, then its encoding. Empty when it passes,
// else the refusal text.
std::string CheckRequestText(std::string_view xml, std::size_t maxBytes);

// One value as the parser decoded it (character references can still produce bad bytes or
// control characters): UTF-8 without control characters other than tab and newline.
// `subject` names the column as the clerk knows it (see ColumnSubject).
std::string CheckRequestValue(std::string_view subject, std::string_view value);

// Blanks, ideographic spaces or tabs at either end, which make " 01" and "01" two codes that
// look the same.
bool HasEdgeBlanks(std::string_view value);
std::string EdgeBlanksRefusal(std::string_view subject);

// Store::Execute behind CheckRequestText: a refused request never reaches the store.
std::string ExecuteChecked(Store& store, std::int32_t funcId, std::string_view action,
                           std::string_view requestXml, std::size_t maxBytes);

} // namespace qm::host
