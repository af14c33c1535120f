#include "protocol/text_cut.h"

#include <algorithm>

namespace qm {

std::size_t CountChar(std::string_view text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

std::string NthField(std::string_view text, char c, int n) {
    if (n < 1) return {};
    std::size_t start = 0;
    for (int k = 1; k < n; ++k) {
        const std::size_t sep = text.find(c, start);
        if (sep == std::string_view::npos) return {};
        start = sep + 1;
    }
    const std::size_t end = std::min(text.find(c, start), text.size());
    if (start == 0 && end == text.size()) return {};
    return std::string(text.substr(start, end - start));
}

} // namespace qm
