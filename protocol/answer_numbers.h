// Numbers in an answer, read alike by both response readers.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace qm::answer {

// A number in an answer may be pretty-printed with blanks around it; anything else reads as 0.
inline std::int32_t ReadInt(std::string_view text, bool* ok = nullptr) {
    std::int32_t n = 0;
    const bool read = TryStrToInt(Trim(text), n);
    if (ok) *ok = read;
    return read ? n : 0;
}

inline double ReadFloat(std::string_view text) {
    double x = 0;
    return TryStrToFloat(Trim(text), x) ? x : 0.0;
}

} // namespace qm::answer
