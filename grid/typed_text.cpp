#include "grid/typed_text.h"

#include <cstdint>
#include <limits>

#include "dataset/field.h"
#include "platform/platform.h"

namespace qm {

int CharacterCount(std::string_view utf8) {
    int count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

std::string LengthRefusal(const std::string& label, int size, int characters) {
    if (size <= 0 || characters <= size) return {};
    return "[" + label + "] 最多 " + std::to_string(size) + " 个字符！";
}

std::string LengthRefusal(const TField& field, std::string_view text) {
    if (field.DataType() != ftString) return {};
    return LengthRefusal(field.DisplayLabel(), field.Size(), CharacterCount(text));
}

std::string ControlRefusal(const std::string& label, std::string_view text) {
    const std::optional<char32_t> cp = FirstControlChar(text);
    if (!cp) return {};
    return "[" + label + "] 的值含有控制字符（" + CodePointName(*cp) + "），只允许制表符和换行！";
}

std::string PlainNumberText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        // U+FF01..U+FF5E are EF BC 81..EF BD 9E; U+3000 is E3 80 80.
        if (i + 2 < text.size() && b(0) == 0xEF && (b(1) == 0xBC || b(1) == 0xBD)) {
            const unsigned code = 0xF000u + ((b(1) & 0x3Fu) << 6) + (b(2) & 0x3Fu);
            const char ascii = static_cast<char>(code - 0xFF00u + 0x20u);
            if ((ascii >= '0' && ascii <= '9') || ascii == '+' || ascii == '-' || ascii == '.') {
                out += ascii;
                i += 2;
                continue;
            }
        }
        if (i + 2 < text.size() && b(0) == 0xE3 && b(1) == 0x80 && b(2) == 0x80) {
            out += ' ';
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string RangeRefusal(const TField& field, std::string_view text) {
    const bool wide = field.DataType() == ftLargeint;
    if (!wide && field.DataType() != ftInteger) return {};
    std::size_t b = 0, e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    const std::string_view t = text.substr(b, e - b);
    const bool negative = !t.empty() && t[0] == '-';
    const std::size_t digits = !t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (digits >= t.size()) return {};
    // Beyond what 64 bits hold, as a decimal: compared by length first, then digit by digit.
    std::string_view number = t.substr(digits);
    for (const char c : number)
        if (c < '0' || c > '9') return {};
    while (number.size() > 1 && number[0] == '0')
        number.remove_prefix(1);
    const std::int64_t max =
        wide ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int32_t>::max();
    const std::int64_t min =
        wide ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int32_t>::min();
    const std::string limit = negative ? std::to_string(min).substr(1) : std::to_string(max);
    const bool beyond =
        number.size() > limit.size() || (number.size() == limit.size() && number > std::string_view(limit));
    if (!beyond) return {};
    return "[" + field.DisplayLabel() + "] 超出范围（" +
           (negative ? "最小 " + std::to_string(min) : "最大 " + std::to_string(max)) + "）！";
}

} // namespace qm
