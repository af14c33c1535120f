#include "plugin/answer_text.h"

#include <algorithm>
#include <string_view>

#include "platform/platform.h"

namespace qm {

namespace {
constexpr std::size_t kPiece = 1 << 16;  // code units converted between two pumps
}

std::string ReadAnswerText(const char16_t* slot) {
    const std::u16string_view text(slot ? slot : u"", SysStringLen(slot));
    if (text.size() <= 4 * kPiece) return Utf16ToUtf8(text);
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = std::min(text.size(), at + kPiece);
        // Never split a surrogate pair between two pieces.
        if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
        out += Utf16ToUtf8(text.substr(at, end - at));
        at = end;
        ProcessMessagesIfDue();
    }
    return out;
}

}  // namespace qm
